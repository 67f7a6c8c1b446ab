// Parameter tree: Param values, ParamSet look-ups and assignments.
#include "params/param.h"

#include <cmath>
#include <functional>
#include <new>
#include <sstream>

ParamManager* g_param_root = nullptr;

Param::Param(const std::string& givenName)
    : name(givenName), kind(PARAM_NUMBER), text(), number(0.0f), vector{0.0f, 0.0f, 0.0f}
{
}

void Param::SetString(const std::string& value)
{
    kind = PARAM_TEXT;
    text = value;
}

void Param::SetFloat(float value)
{
    kind = PARAM_NUMBER;
    number = value;
}

static std::string format_number(float value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string Param::ToString() const
{
    switch (kind) {
    case PARAM_NUMBER:
        return format_number(number);
    case PARAM_VECTOR: {
        // Appended piece by piece into one string: the chain of operator+
        // starting from "(" makes GCC 12 at -O3 warn (-Wrestrict) about an
        // overlap that cannot happen.
        std::string out = "(";
        for (int i = 0; i < 3; ++i) {
            out += format_number(vector[i]);
            out += i < 2 ? ',' : ')';
        }
        return out;
    }
    case PARAM_TEXT:
    default:
        return text;
    }
}

int32_t Param::GetInt() const
{
    // A plain cast is undefined outside the int range (a scene length of
    // 3e38 in a file), so saturate instead.
    if (std::isnan(number))
        return 0;
    if (number >= 2147483648.0f)
        return INT32_MAX;
    if (number <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<int32_t>(number);
}

ParamSet::ParamSet() : Param("empty") {}

ParamSet::ParamSet(const std::string& givenName) : Param(givenName) {}

static size_t name_hash(std::string_view name)
{
    return std::hash<std::string_view>{}(name);
}

ParamSet::~ParamSet()
{
    delete[] index;
}

Param* ParamSet::find_child(std::string_view childName) const
{
    if (!index) {
        for (Param* child : children)
            if (child->name == childName)
                return child;
        return nullptr;
    }
    const size_t mask = indexSize - 1;
    for (size_t slot = name_hash(childName) & mask;; slot = (slot + 1) & mask) {
        Param* entry = index[slot];
        if (!entry || entry->name == childName)
            return entry;
    }
}

bool ParamSet::index_insert(Param* child)
{
    if (index && find_child(child->name))
        return true; // the first child of a name stays the one found
    if ((indexCount + 1) * 2 > indexSize) {
        const uint32_t grownSize = indexSize ? indexSize * 2 : 2 * INDEX_FROM;
        Param** grown = new (std::nothrow) Param*[grownSize]();
        if (!grown)
            return false;
        const size_t mask = grownSize - 1;
        for (uint32_t i = 0; i < indexSize; ++i) {
            if (!index[i])
                continue;
            size_t slot = name_hash(index[i]->name) & mask;
            while (grown[slot])
                slot = (slot + 1) & mask;
            grown[slot] = index[i];
        }
        delete[] index;
        index = grown;
        indexSize = grownSize;
    }
    const size_t mask = indexSize - 1;
    size_t slot = name_hash(child->name) & mask;
    while (index[slot])
        slot = (slot + 1) & mask;
    index[slot] = child;
    ++indexCount;
    return true;
}

void ParamSet::index_drop()
{
    delete[] index;
    index = nullptr;
    indexSize = 0;
    indexCount = 0;
}

void ParamSet::append_child(Param* child)
{
    children.push_back(child);
    if (index) {
        if (!index_insert(child))
            index_drop();
        return;
    }
    if (children.size() != INDEX_FROM)
        return;
    // The set has just become large enough: index what it holds, in order, so
    // that the first child of each name is the one recorded.
    for (Param* held : children)
        if (!index_insert(held)) {
            index_drop();
            return;
        }
}

Param* ParamSet::Find(const std::string& path)
{
    size_t dot = path.find('.');
    if (dot != std::string::npos) {
        ParamSet* child = GetSet(path.substr(0, dot));
        return child ? child->Find(path.substr(dot + 1)) : nullptr;
    }
    return find_child(path);
}

ParamSet* ParamSet::GetSet(const std::string& path)
{
    Param* found = Find(path);
    return found && found->IsSet() ? static_cast<ParamSet*>(found) : nullptr;
}

int32_t ParamSet::GetSetCount() const
{
    int32_t count = 0;
    for (const Param* child : children)
        if (child->IsSet())
            ++count;
    return count;
}

ParamSet* ParamSet::GetSetByIndex(uint32_t index)
{
    uint32_t seen = 0;
    for (Param* child : children) {
        if (!child->IsSet())
            continue;
        if (seen == index)
            return static_cast<ParamSet*>(child);
        ++seen;
    }
    return nullptr;
}

std::string ParamSet::GetString(const std::string& path, const std::string& fallback)
{
    Param* found = Find(path);
    return found ? found->ToString() : fallback;
}

Param* ParamSet::FindOrAppend(const std::string& path)
{
    Param* found = Find(path);
    if (found)
        return found;
    Param* created = new (std::nothrow) Param(path);
    if (created)
        append_child(created);
    return created;
}

void ParamSet::SetString(const std::string& path, const std::string& value)
{
    if (Param* target = FindOrAppend(path))
        target->SetString(value);
}

void ParamSet::SetFloat(const std::string& path, float value)
{
    if (Param* target = FindOrAppend(path))
        target->SetFloat(value);
}

ParamSet* ParamSet::AddSet(const std::string& setName, bool forceNew)
{
    if (!forceNew) {
        if (ParamSet* existing = GetSet(setName))
            return existing;
    }
    ParamSet* created = new (std::nothrow) ParamSet(setName);
    if (created)
        append_child(created);
    return created;
}

ParamManager::ParamManager() : ParamSet()
{
    g_param_root = this;
    SetName("root");
}
