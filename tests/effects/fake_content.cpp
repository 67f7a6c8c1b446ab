// content_file for the effects tests: the files they registered.
#include "tests/effects/fake_content.h"

#include "effects/content.h"

#include <deque>

namespace {

struct Entry {
    std::string name;
    std::vector<uint8_t> bytes;
    EmbeddedFile file;
};

// A deque keeps every entry where it is while more are added.
std::deque<Entry>& entries()
{
    static std::deque<Entry> s_entries;
    return s_entries;
}

} // namespace

void fake_content_add(const std::string& name, std::vector<uint8_t> bytes)
{
    for (Entry& entry : entries())
        if (entry.name == name)
            entry.name.clear(); // the newer file wins
    Entry& entry = entries().emplace_back();
    entry.name = name;
    entry.bytes = std::move(bytes);
    entry.file = EmbeddedFile{entry.name.c_str(), entry.bytes.data(), static_cast<uint32_t>(entry.bytes.size())};
}

void fake_content_clear()
{
    entries().clear();
}

const EmbeddedFile* content_file(const char* name)
{
    for (auto it = entries().rbegin(); it != entries().rend(); ++it)
        if (it->name == name)
            return &it->file;
    return nullptr;
}
