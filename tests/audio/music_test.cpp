// The music module: the start-up wait, playing out, closing after the end,
// and the failures and missing calls that must stay harmless.
#include "core/music.h"

#include "assets/embedded.h"
#include "platform/fsound.h"
#include "platform/time.h"
#include "tests/audio/audio_support.h"

#include <gtest/gtest.h>

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

TEST_F(Music, PlaysOutOnceAndClosesAfterTheEnd)
{
    std::vector<uint8_t> mp3 = make_test_mp3(13230); // 300 ms
    music_set_source(mp3.data(), static_cast<int32_t>(mp3.size()));
    ASSERT_EQ(music_init(), 1);
    EXPECT_TRUE(fsound_has_device());
    EXPECT_EQ(music_time_ms(), 0) << "opened, not playing";

    EXPECT_EQ(music_play(), 1);
    // The start-up wait: 1 ms sleeps until the position is non-zero.
    double start = monotonic_ms();
    while (music_time_ms() == 0 && monotonic_ms() - start < 10000)
        platform_sleep_ms(1);
    int first = music_time_ms();
    EXPECT_GT(first, 0);
    EXPECT_LT(first, 200) << "the wait ends near the beginning";
    while (music_time_ms() < 300 && monotonic_ms() - start < 10000)
        platform_sleep_ms(5);
    platform_sleep_ms(50);
    EXPECT_EQ(music_time_ms(), 300) << "played out once";

    EXPECT_EQ(music_close(), 1);
    EXPECT_FALSE(fsound_has_device()) << "the sound library is closed";
    EXPECT_EQ(music_time_ms(), 0);
}

TEST_F(Music, FailuresAndMissingCallsAreHarmless)
{
    // A script without music_init: nothing opened, nothing breaks.
    EXPECT_EQ(music_play(), 1);
    platform_sleep_ms(10);
    EXPECT_EQ(music_time_ms(), 0);
    EXPECT_EQ(music_stop(), 1);
    EXPECT_EQ(music_close(), 1);

    static const uint8_t junk[] = "ID3? no: a few bytes that are not an MP3 stream at all";
    music_set_source(junk, sizeof junk);
    EXPECT_EQ(music_init(), 0) << "a stream that does not decode";
    EXPECT_EQ(music_play(), 1);
    EXPECT_EQ(music_time_ms(), 0);
    EXPECT_EQ(music_close(), 1);

    music_set_source(nullptr, 0);
    if (!embedded_find("soundtrack.mp3")) {
        EXPECT_EQ(music_init(), 0) << "no soundtrack embedded and none set";
    }
}
