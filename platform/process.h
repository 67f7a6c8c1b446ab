// Files and processes, for the authors' preview (app/preview.cpp) and
// nothing else: file stamps for live reload, running a check in a throwaway copy of
// the process, and restarting the program with other arguments. Kept apart
// from the player's interfaces so that a platform without a preview can
// leave these out or stub them.
// Implementations: platform/posix/process.cpp; platform/win32/process.cpp
// has the file stamp and the clock only.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What the file system says about a file, to tell whether it was saved.
// Any write changes the change time (which no program can set back), and a
// file put in its place by a rename, or removed and made again, is another
// file (device and inode) or is changed later; so two stamps of a path
// differ whenever it was saved in between, even when its size and
// modification time were kept (cp -p, rsync -a, tar x). The one blind spot
// is a save that keeps them and comes within one tick of the file system's
// clock (milliseconds) of the change before it, on systems that stamp
// changes at the tick's resolution. Times are nanoseconds since 1970.
struct FileStamp {
    bool exists = false; // all else is zero when the file is missing
    uint64_t device = 0; // the volume
    uint64_t inode = 0;  // the file on it
    int64_t size = 0;
    int64_t modifiedNs = 0;
    int64_t changedNs = 0; // of the contents or the file's own record
    bool operator==(const FileStamp&) const = default;
};

FileStamp file_stamp(const char* path);

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
