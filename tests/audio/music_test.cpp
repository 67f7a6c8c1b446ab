// The music module: the init routine's results, the start-up wait on the
// position, and closing after the stream has played out.
#include "core/music.h"

#include "assets/embedded.h"
#include "platform/fsound.h"
#include "platform/time.h"
#include "tests/audio/audio_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class Music : public ::testing::Test {
protected:
    void TearDown() override
    {
        music_close();
        music_set_source(nullptr, 0);
    }
    ScopedEnv m_driver{"SDL_AUDIODRIVER", "dummy"};
};

} // namespace

TEST_F(Music, PlaysOutAndClosesAfterTheEnd)
{
    std::vector<uint8_t> mp3 = make_test_mp3(44100);
    ASSERT_FALSE(mp3.empty());
    music_set_source(mp3.data(), static_cast<int32_t>(mp3.size()));
    ASSERT_EQ(music_init(), 1);
    EXPECT_TRUE(fsound_has_device());
    EXPECT_EQ(music_time_ms(), 0) << "opened, not yet playing";

    EXPECT_EQ(music_play(), 1);
    // The start-up wait: 1 ms sleeps until the position is non-zero.
    double start = monotonic_ms();
    while (music_time_ms() == 0 && monotonic_ms() - start < 10000)
        platform_sleep_ms(1);
    int first = music_time_ms();
    EXPECT_GT(first, 0);
    EXPECT_LT(first, 500) << "the wait should end near the beginning";

    int last = first;
    while (last < 1000 && monotonic_ms() - start < 10000) {
        platform_sleep_ms(5);
        int now = music_time_ms();
        ASSERT_GE(now, last);
        last = now;
    }
    ASSERT_EQ(last, 1000) << "did not play out";
    platform_sleep_ms(50);
    EXPECT_EQ(music_time_ms(), 1000) << "not looped";

    EXPECT_EQ(music_close(), 1);
    EXPECT_FALSE(fsound_has_device()) << "the sound library is closed";
    EXPECT_EQ(music_time_ms(), 0) << "no stream after close";
}

TEST_F(Music, InitFailsWhenTheStreamDoesNotDecode)
{
    static const uint8_t junk[] = "ID3? no: a few bytes that are not an MP3 stream at all";
    music_set_source(junk, sizeof junk);
    EXPECT_EQ(music_init(), 0);
    // The driver then reports the failed routine and closes down.
    EXPECT_EQ(music_play(), 1);
    EXPECT_EQ(music_time_ms(), 0);
    EXPECT_EQ(music_close(), 1);
}

TEST_F(Music, CallsWithoutInitAreHarmless)
{
    // A script that never lists music_init.
    EXPECT_EQ(music_play(), 1);
    EXPECT_EQ(music_time_ms(), 0);
    platform_sleep_ms(20);
    EXPECT_EQ(music_time_ms(), 0);
    EXPECT_EQ(music_stop(), 1);
    EXPECT_EQ(music_close(), 1);
}

TEST_F(Music, InitFailsWithoutASoundtrack)
{
    if (embedded_find("soundtrack.mp3"))
        GTEST_SKIP() << "a soundtrack is embedded";
    EXPECT_EQ(music_init(), 0);

    // A source set and then cleared goes back to the (missing) soundtrack.
    std::vector<uint8_t> mp3 = make_test_mp3(5000);
    music_set_source(mp3.data(), static_cast<int32_t>(mp3.size()));
    music_set_source(nullptr, 0);
    EXPECT_EQ(music_init(), 0);
}
