// Files and time for the authors' preview (app/preview.cpp) and nothing
// else: file stamps for live reload, and a monotonic wall clock for the file
// watch and for timing seeks and reloads. Kept apart from the player's
// interfaces so that a platform without a preview can leave them out.
// Implementations: platform/posix/process.cpp, platform/win32/process.cpp.
#pragma once
#include <cstdint>

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

// Seconds on a monotonic clock: never set back, and unaffected by the
// demo's own clock and its pauses.
double monotonic_seconds();
