// The file stamp and the monotonic clock of platform/process.h on Windows:
// a handle opened for its attributes only (so it blocks no editor's rename
// or delete) gives the volume serial number and file index, the size, and
// the last write and change times; the performance counter gives the clock.
#include <windows.h>

#include "platform/process.h"

namespace {

// FILETIME counts 100 ns from 1601; the stamp counts nanoseconds from 1970.
constexpr int64_t FILETIME_1970 = 116444736000000000;

int64_t nanoseconds(LARGE_INTEGER time)
{
    return (time.QuadPart - FILETIME_1970) * 100;
}

} // namespace

FileStamp file_stamp(const char* path)
{
    FileStamp stamp;
    // Backup semantics: a folder opens too, as stat finds one.
    HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return stamp;
    BY_HANDLE_FILE_INFORMATION identity;
    FILE_BASIC_INFO times;
    if (GetFileInformationByHandle(file, &identity) &&
        GetFileInformationByHandleEx(file, FileBasicInfo, &times, sizeof times)) {
        stamp.exists = true;
        stamp.device = identity.dwVolumeSerialNumber;
        stamp.inode = uint64_t{identity.nFileIndexHigh} << 32 | identity.nFileIndexLow;
        stamp.size = static_cast<int64_t>(uint64_t{identity.nFileSizeHigh} << 32 | identity.nFileSizeLow);
        stamp.modifiedNs = nanoseconds(times.LastWriteTime);
        stamp.changedNs = nanoseconds(times.ChangeTime);
    }
    CloseHandle(file);
    return stamp;
}

double monotonic_seconds()
{
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}
