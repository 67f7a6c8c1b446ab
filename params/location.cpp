// Source locations of parameters, kept only while tracking is on.
#include "params/location.h"

#include <set>
#include <unordered_map>

SourceLocation g_parse_position = {nullptr, 0};
const Param* g_diag_subject = nullptr;

static bool s_tracking = false;

// File names live here so locations can point at them for good.
static std::set<std::string>& file_names()
{
    static std::set<std::string>* names = new std::set<std::string>();
    return *names;
}

static std::unordered_map<const Param*, SourceLocation>& locations()
{
    static auto* map = new std::unordered_map<const Param*, SourceLocation>();
    return *map;
}

void location_tracking(bool on)
{
    s_tracking = on;
}

bool location_tracking_enabled()
{
    return s_tracking;
}

void location_record(const Param* node, const std::string& file, int32_t line)
{
    if (!s_tracking || !node)
        return;
    const std::string& stored = *file_names().insert(file).first;
    locations()[node] = SourceLocation{stored.c_str(), line};
}

SourceLocation location_of(const Param* node)
{
    if (!s_tracking || !node)
        return {nullptr, 0};
    auto found = locations().find(node);
    return found == locations().end() ? SourceLocation{nullptr, 0} : found->second;
}

SourceLocation diagnostic_location()
{
    SourceLocation subject = location_of(g_diag_subject);
    return subject.file ? subject : g_parse_position;
}
