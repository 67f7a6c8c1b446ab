// Where a script diagnostic points. The parser publishes the file and line it
// is reading; the script builder names the set or parameter it is checking;
// and, while tracking is on, the parser records the line where each set was
// opened and each parameter last assigned. Only the capture tool's script
// check turns tracking on: the player never pays for it.
#pragma once
#include <cstdint>
#include <string>

class Param;

struct SourceLocation {
    const char* file; // null when unknown
    int32_t line;
};

// Global because the described parser and builder log through one printf-like
// call with no place for a position; the diagnostic sink reads these two.
extern SourceLocation g_parse_position;  // the line being parsed, or {null, 0}
extern const Param* g_diag_subject;      // what the current check is about, or null

void location_tracking(bool on);
// Starts the locations of a new build: forgets those recorded so far and
// turns tracking on or off. The old tables are dropped untouched, since a
// build that was thrown away may have had them in arena memory given back.
void location_begin(bool on);
bool location_tracking_enabled();
void location_record(const Param* node, const std::string& file, int32_t line);
// Where `node` was written, or {null, 0}.
SourceLocation location_of(const Param* node);
// The location of the subject if known, else the parse position.
SourceLocation diagnostic_location();

// Names the subject of the diagnostics logged while it is alive.
class DiagSubject {
public:
    explicit DiagSubject(const Param* subject) : previous(g_diag_subject) { g_diag_subject = subject; }
    ~DiagSubject() { g_diag_subject = previous; }
    DiagSubject(const DiagSubject&) = delete;
    DiagSubject& operator=(const DiagSubject&) = delete;

private:
    const Param* previous;
};
