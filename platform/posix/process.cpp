// The preview's file and process services on POSIX (see platform/process.h):
// stat for file stamps (device, inode, size, modification and change
// times), CLOCK_MONOTONIC for the clock.
#include "platform/process.h"

#include <ctime>
#include <sys/stat.h>

static int64_t nanoseconds(const timespec& time)
{
    return int64_t{time.tv_sec} * 1000000000 + time.tv_nsec;
}

FileStamp file_stamp(const char* path)
{
    FileStamp stamp;
    struct stat info;
    if (stat(path, &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = static_cast<uint64_t>(info.st_dev);
    stamp.inode = static_cast<uint64_t>(info.st_ino);
    stamp.size = static_cast<int64_t>(info.st_size);
    stamp.modifiedNs = nanoseconds(info.st_mtim);
    stamp.changedNs = nanoseconds(info.st_ctim);
    return stamp;
}

double monotonic_seconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}
