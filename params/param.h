// Parameter tree: named sets whose leaves are named parameters holding a
// number or a text. The three parameter files are parsed into one tree whose
// root is the ParamManager "root"; the script builder queries it by name and
// by dotted path. Objects live in the arena and are never freed. A set with
// many children finds them by name through a hash index, so that parsing a
// file and looking names up take time linear in its size.
// State: g_param_root, the process-wide root written by ParamManager's
// constructor. Depends on base/arena (through operator new) and base/log.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum ParamKind : int32_t {
    PARAM_NUMBER = 0,
    PARAM_TEXT = 1,
    PARAM_VECTOR = 2,
};

class Param {
public:
    explicit Param(const std::string& name);

    virtual bool IsSet() const { return false; }

    std::string GetName() const { return name; }
    bool HasName(const std::string& other) const { return name == other; }
    // A set finds its children under the names they had when it took them:
    // rename only a parameter that is nobody's child (the root).
    void SetName(const std::string& newName) { name = newName; }
    // Assigning one kind of value leaves the other value fields as they were.
    void SetString(const std::string& value);
    void SetFloat(float value);
    // Number: default stream formatting (six significant digits); vector:
    // "(x,y,z)"; text: unchanged.
    std::string ToString() const;
    // The number field truncated toward zero, whatever the kind (a text
    // parameter reads its old number, normally 0). Saturates at the int range;
    // NaN gives 0.
    int32_t GetInt() const;

    ParamKind GetKind() const { return kind; }
    float GetNumber() const { return number; }

protected:
    friend class ParamSet; // its index reads the children's names in place

    std::string name;
    ParamKind kind;
    std::string text;
    float number;
    float vector[3];
};

class ParamSet : public Param {
public:
    ParamSet();
    explicit ParamSet(const std::string& name);
    ~ParamSet();
    ParamSet(const ParamSet&) = delete;
    ParamSet& operator=(const ParamSet&) = delete;

    bool IsSet() const override { return true; }

    // "a.b.c" descends through the first child set named "a", then "b".
    Param* Find(const std::string& path);
    ParamSet* GetSet(const std::string& path);
    int32_t GetSetCount() const;
    ParamSet* GetSetByIndex(uint32_t index);
    std::string GetString(const std::string& path, const std::string& fallback);

    // Assign the parameter found at `path`, or append a new one carrying the
    // whole name. When no parameter can be allocated nothing is assigned.
    using Param::SetFloat;
    using Param::SetString;
    void SetString(const std::string& path, const std::string& value);
    void SetFloat(const std::string& path, float value);
    // Returns the existing first set of that name (unless forceNew) or a new
    // appended one; null only when the arena is exhausted.
    ParamSet* AddSet(const std::string& setName, bool forceNew);

    const std::vector<Param*>& Children() const { return children; }

protected:
    // Finds `path` or appends a new parameter named `path`; null when no
    // parameter could be allocated.
    Param* FindOrAppend(const std::string& path);

    std::vector<Param*> children;

private:
    // A set with this many children or more finds them through `index`;
    // smaller ones are searched in order, which is as fast and takes no room.
    static constexpr size_t INDEX_FROM = 8;

    // The first child named `childName`, or null.
    Param* find_child(std::string_view childName) const;
    // Appends to `children` and keeps the index up to date.
    void append_child(Param* child);
    // Records `child` unless a child of its name is already there; false when
    // the table had to grow and no memory was left for it.
    bool index_insert(Param* child);
    void index_drop();

    // The first child of each name, in an open-addressing table hashed by name
    // (linear probing; a power of two in size and at most half full). Null
    // while the set is small, and for good once a table could not be
    // allocated: the set is then searched in order.
    Param** index = nullptr;
    uint32_t indexSize = 0;
    uint32_t indexCount = 0;
};

class ParamManager : public ParamSet {
public:
    ParamManager();

    // Parses a parameter file into the tree. False when it cannot be opened
    // (nothing read, nothing printed); true once parsing has ended. Reads the
    // whole file, then parses it as LoadText does.
    bool Load(const std::string& fileName);
    // Parses `length` bytes of `text` as the contents of the file `fileName`:
    // the diagnostics name that file and count its lines. A CR LF pair reads
    // as a line feed and the last line needs no end. Lines are read 127
    // characters at a time (a longer one reads as several), and a zero byte
    // ends such a read: what follows it up to the read's end is skipped.
    // Always true.
    bool LoadText(const std::string& fileName, const char* text, size_t length);
};

// The parsed parameter tree, global as the described script interface has
// it: the builder and the routines' parameters are read through it.
extern ParamManager* g_param_root;
