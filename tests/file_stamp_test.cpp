// File stamps: each way an editor or a copy tool saves a file gives a new stamp, also when the size and the
// modification time are kept as they were; an untouched file, and a missing one, give the same stamp each time.
#include "platform/process.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void write_file(const char* path, const std::string& content)
{
    FILE* file = std::fopen(path, "wb");
    ASSERT_NE(file, nullptr) << path;
    ASSERT_EQ(std::fwrite(content.data(), 1, content.size(), file), content.size());
    ASSERT_EQ(std::fclose(file), 0);
}

// Sets the modification time of `path` back to `modifiedNs`, as cp -p, rsync -a and tar x do.
void keep_modified(const char* path, int64_t modifiedNs)
{
    const timespec time{static_cast<time_t>(modifiedNs / 1000000000), static_cast<long>(modifiedNs % 1000000000)};
    const timespec times[2] = {time, time};
    ASSERT_EQ(utimensat(AT_FDCWD, path, times, 0), 0) << path;
}

// Waits until the clock that stamps changes has passed the change `stamp` saw, so that a change made next is
// stamped later also where changes are stamped at the clock's tick (milliseconds), not to the nanosecond.
void wait_past_change(const FileStamp& stamp)
{
    for (int waited = 0; waited < 5000; ++waited) {
        timespec now;
        clock_gettime(CLOCK_REALTIME_COARSE, &now);
        if (int64_t{now.tv_sec} * 1000000000 + now.tv_nsec > stamp.changedNs)
            return;
        usleep(1000);
    }
}

// The save kept what the old stamp (modification time and size) looked at: only the new stamp can see it.
::testing::AssertionResult looks_unsaved(const FileStamp& before, const FileStamp& after)
{
    if (after.exists && after.size == before.size && after.modifiedNs == before.modifiedNs)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the save changed the size or the modification time";
}

} // namespace

TEST(FileStamp, EverySaveShowsAlsoWithSizeAndModificationTimeKept)
{
    ScratchDir dir;
    write_file("demo.conf", "time_length = 100\n");

    // An editor's save: a new file written beside it and renamed over it.
    FileStamp before = file_stamp("demo.conf");
    wait_past_change(before);
    write_file("demo.conf.tmp", "time_length = 200\n");
    keep_modified("demo.conf.tmp", before.modifiedNs);
    ASSERT_EQ(std::rename("demo.conf.tmp", "demo.conf"), 0);
    FileStamp after = file_stamp("demo.conf");
    EXPECT_TRUE(looks_unsaved(before, after));
    EXPECT_NE(after, before) << "rename over the file";

    // Removed and made again with the same contents and modification time (the inode number may be reused).
    before = after;
    wait_past_change(before);
    ASSERT_EQ(unlink("demo.conf"), 0);
    write_file("demo.conf", "time_length = 200\n");
    keep_modified("demo.conf", before.modifiedNs);
    after = file_stamp("demo.conf");
    EXPECT_TRUE(looks_unsaved(before, after));
    EXPECT_NE(after, before) << "removed and made again";

    // Written in place, same size, modification time set back.
    before = after;
    wait_past_change(before);
    write_file("demo.conf", "time_length = 300\n");
    keep_modified("demo.conf", before.modifiedNs);
    after = file_stamp("demo.conf");
    EXPECT_TRUE(looks_unsaved(before, after));
    EXPECT_EQ(after.inode, before.inode) << "the same file, written in place";
    EXPECT_NE(after, before) << "written in place";
}

TEST(FileStamp, UntouchedAndMissingFilesKeepTheirStamp)
{
    ScratchDir dir;
    const FileStamp missing = file_stamp("absent.conf");
    EXPECT_FALSE(missing.exists);
    EXPECT_EQ(missing, file_stamp("data/absent.conf")) << "any missing file stamps alike";
    EXPECT_EQ(missing, FileStamp{});

    write_file("demo.conf", "<scenes>\n</scenes>\n");
    const FileStamp first = file_stamp("demo.conf");
    EXPECT_TRUE(first.exists && first.size == 19 && first.inode != 0 && first.modifiedNs > 0);
    wait_past_change(first);
    FILE* file = std::fopen("demo.conf", "rb"); // reading may change the access time, which is no save
    ASSERT_NE(file, nullptr);
    char buffer[64];
    EXPECT_EQ(std::fread(buffer, 1, sizeof buffer, file), 19u);
    std::fclose(file);
    EXPECT_EQ(file_stamp("demo.conf"), first);

    ASSERT_EQ(unlink("demo.conf"), 0);
    EXPECT_EQ(file_stamp("demo.conf"), missing);
}
