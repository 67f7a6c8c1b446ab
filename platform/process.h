// Files and processes, for the authors' preview (app/preview.cpp) and
// nothing else: file stamps for live reload, running a check in a throwaway copy of
// the process, and restarting the program with other arguments. Kept apart
// from the player's interfaces so that a platform without a preview can
// leave these out or stub them.
// Implementations: platform/posix/process.cpp (Windows has no preview).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Changes whenever the file is written, replaced or removed: its
// modification time and size folded into one number; -1 when it is missing.
int64_t file_stamp(const char* path);

// Runs `check` in a copy of the process that ends when it returns, so that
// nothing it allocates or changes reaches this process. Returns what `check`
// returned (0 or 1) with the text it wrote into its argument in `output`; -1
// with the reason in `output` when no copy could be made or it died.
int run_isolated(int (*check)(std::string& output), std::string& output);

// Replaces the process by a new run of the same program with `args` (argv[1]
// on). Returns only on failure, with the reason in `error`.
void restart_program(const std::vector<std::string>& args, std::string& error);

// Seconds on a monotonic clock that keeps counting across restart_program,
// for measuring how long a seek or a reload took.
double monotonic_seconds();
