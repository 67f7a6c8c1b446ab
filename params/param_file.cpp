// Parameter files: reading a file's text line by line into the parameter
// tree. Lines are read at most 127 characters at a time, with CR LF read as
// LF (files written on Windows parse the same), reduced (comment and outer
// blanks removed) and classified as end tag, begin tag, parameter or
// malformed. Diagnostics go to the diagnostic log.
#include "params/param.h"

#include "base/log.h"
#include "params/location.h"

#include <cstdio>
#include <sstream>

namespace {

constexpr int LINE_BUFFER = 128; // 127 characters and the terminating zero

// The text being parsed and how far it has been read.
struct TextCursor {
    const char* text;
    size_t length;
    size_t at;
};

// Reads up to 127 characters, stopping after a line feed. A CR LF pair counts
// as one line feed. Returns false when nothing could be read (end of text).
bool read_line(TextCursor& in, std::string& line)
{
    char buffer[LINE_BUFFER];
    int length = 0;
    while (length < LINE_BUFFER - 1 && in.at < in.length) {
        char c = in.text[in.at++];
        if (c == '\r' && in.at < in.length && in.text[in.at] == '\n') {
            c = '\n';
            ++in.at;
        }
        buffer[length++] = c;
        if (c == '\n')
            break;
    }
    if (length == 0)
        return false;
    buffer[length] = '\0';
    // The line is a C string from here on: a zero byte ends it early.
    line.assign(buffer);
    return true;
}

// Removes the comment and the blanks (space, tab, line feed) around the rest.
void reduce_line(std::string& line)
{
    size_t hash = line.find('#');
    if (hash != std::string::npos)
        line.erase(hash);
    const char* blanks = " \t\n";
    size_t first = line.find_first_not_of(blanks);
    if (first == std::string::npos) {
        line.clear();
        return;
    }
    size_t last = line.find_last_not_of(blanks);
    line = line.substr(first, last - first + 1);
}

// The first whitespace-delimited word of `text`, or "".
std::string first_word(const std::string& text)
{
    std::istringstream in(text);
    std::string word;
    in >> word;
    return word;
}

void assign_parameter(ParamSet* set, const std::string& line, const std::string& fileName, int32_t lineNumber)
{
    size_t equals = line.find('=');
    std::string name = first_word(line.substr(0, equals));
    std::string value = first_word(line.substr(equals + 1));
    // Standard extraction decides the type: a leading number ("12abc") is a
    // number, anything it cannot read ("abc", "-", "inf", "") is a text.
    std::istringstream in(value);
    float number = 0.0f;
    if (in >> number)
        set->SetFloat(name, number);
    else
        set->SetString(name, value);
    if (location_tracking_enabled())
        location_record(set->Find(name), fileName, lineNumber);
}

} // namespace

bool ParamManager::Load(const std::string& fileName)
{
    // Binary mode: the CR LF translation is done by read_line.
    FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file)
        return false;
    // Read to the end in chunks rather than sized by seeking: a directory
    // opens too, and seeks to an end near 2^63.
    std::string text;
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        text.append(chunk, got);
    std::fclose(file);
    return LoadText(fileName, text.data(), text.size());
}

// Each open set is one level. A begin tag opens a level for the new set; an
// end tag naming the set closes its level; a mismatched end tag is consumed
// and ends the level; the end of the file ends every open level, innermost
// first. A level that ends without its end tag warns unless its set is named
// "root". The levels are kept on an explicit stack rather than the call stack
// so that a file nesting sets millions deep cannot overflow it.
bool ParamManager::LoadText(const std::string& fileName, const char* text, size_t length)
{
    TextCursor in{text, length, 0};
    int32_t counter = 0;
    std::vector<ParamSet*> levels{this};
    auto end_level = [&]() {
        ParamSet* closing = levels.back();
        if (!closing->HasName("root")) {
            DiagSubject subject(closing); // points at the line that opened it
            diag_log("ParamManager: Warning: Expected an end set tag but didn't find one for set %s of %s\n",
                     closing->GetName().c_str(), fileName.c_str());
        }
        levels.pop_back();
    };

    std::string line;
    while (!levels.empty()) {
        ParamSet* current = levels.back();
        if (!read_line(in, line)) {
            end_level();
            continue;
        }
        ++counter;
        g_parse_position = {fileName.c_str(), counter};
        reduce_line(line);
        if (line.empty())
            continue;

        bool is_tag = line.front() == '<' && line.back() == '>' && line.size() >= 2;
        if (is_tag && line[1] == '/') {
            // At least "</>": a line "</" does not end in ">".
            std::string tag = line.substr(2, line.size() - 3);
            if (current->HasName(tag)) {
                levels.pop_back();
                continue;
            }
            diag_log("ParamManager: Error: Mismatched end tag for current set (set is %s, end tag was %s)\n",
                     current->GetName().c_str(), tag.c_str());
            end_level();
            continue;
        }
        if (is_tag) {
            ParamSet* child = current->AddSet(line.substr(1, line.size() - 2), true);
            if (!child) {
                diag_log("ParamManager: Error: Out of memory in set %s on line %i of %s\n",
                         current->GetName().c_str(), counter, fileName.c_str());
                g_parse_position = {nullptr, 0};
                return true;
            }
            location_record(child, fileName, counter);
            levels.push_back(child);
            continue;
        }
        if (line.find('=') == std::string::npos) {
            diag_log("ParamManager: Warning: Ignoring malformed parameter in set %s on line %i of %s\n",
                     current->GetName().c_str(), counter, fileName.c_str());
            continue;
        }
        assign_parameter(current, line, fileName, counter);
    }
    g_parse_position = {nullptr, 0};
    return true;
}
