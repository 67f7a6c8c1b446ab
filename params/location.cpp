// Source locations of parameters, kept only while tracking is on.
#include "params/location.h"

#include <set>
#include <unordered_map>

SourceLocation g_parse_position = {nullptr, 0};
const Param* g_diag_subject = nullptr;

static bool s_tracking = false;
// The tables of the current build, made on first use. Where a build's memory
// can be given back (the preview throws failed builds away), location_begin
// drops them without touching them.
static std::set<std::string>* s_file_names = nullptr;
static std::unordered_map<const Param*, SourceLocation>* s_locations = nullptr;

void location_tracking(bool on)
{
    s_tracking = on;
}

void location_begin(bool on)
{
    s_file_names = nullptr;
    s_locations = nullptr;
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
    if (!s_file_names)
        s_file_names = new std::set<std::string>();
    if (!s_locations)
        s_locations = new std::unordered_map<const Param*, SourceLocation>();
    // File names live in the set so locations can point at them.
    const std::string& stored = *s_file_names->insert(file).first;
    (*s_locations)[node] = SourceLocation{stored.c_str(), line};
}

SourceLocation location_of(const Param* node)
{
    if (!s_tracking || !node || !s_locations)
        return {nullptr, 0};
    auto found = s_locations->find(node);
    return found == s_locations->end() ? SourceLocation{nullptr, 0} : found->second;
}

SourceLocation diagnostic_location()
{
    SourceLocation subject = location_of(g_diag_subject);
    return subject.file ? subject : g_parse_position;
}
