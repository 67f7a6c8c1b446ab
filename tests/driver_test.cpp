// The player's own driver (run_player) on this test's window layer: headless GL, every call logged, what each swap
// presents read back; "Fullscreen?" answered Yes on a display offering only the 1024x768 letterbox mode.
#include "app/driver.h"
#include "core/music.h"
#include "platform/dialog.h"
#include "platform/gl.h"
#include "platform/headless/headless_gl.h"
#include "platform/window.h"
#include "script/functable.h"
#include "tests/test_support.h"
#include "tools/common/mp3_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

namespace {

std::vector<std::string> s_log;
int s_height = 0;
std::array<GLint, 4> s_init_viewport{}, s_routine_viewport{};
// What each swap presented: a pixel of the top bar and one of the picture.
struct Presented {
    std::array<uint8_t, 4> bar, picture;
};
std::vector<Presented> s_presented;
std::vector<uint8_t> s_tone;

int32_t logged_music_init()
{
    s_log.push_back("init");
    glGetIntegerv(GL_VIEWPORT, s_init_viewport.data());
    const std::vector<int16_t> pcm(2 * 44100); // a second of stereo silence
    if (!encode_mp3(pcm.data(), 44100, Mp3Options{}, &s_tone))
        return 0;
    music_set_source(s_tone.data(), static_cast<int32_t>(s_tone.size()));
    return music_init();
}

void logged_red(int32_t, int32_t, double, double)
{
    s_log.push_back("draw");
    glGetIntegerv(GL_VIEWPORT, s_routine_viewport.data());
    // A clear ignores the viewport: the bars must be drawn over it.
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

VIGIL_REGISTER_ROUTINE(logged_music_init);
VIGIL_REGISTER_ROUTINE(logged_red);

std::array<uint8_t, 4> pixel(const std::vector<uint8_t>& rgba, int x, int y)
{
    const uint8_t* p = &rgba[(static_cast<size_t>(y) * 1024 + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

} // namespace

// The window layer and message boxes of this test.
const char* const DEFAULT_CAPTION = "This window is for sale";
void set_window_pictures(const WindowPicture& icon, const WindowPicture& cursor)
{
    // What the window layer is handed: both pictures, the cursor with its mask as alpha (some pixels shown,
    // some not).
    bool shown = false, hidden = false;
    for (int32_t i = 0; cursor.rgba && i < cursor.width * cursor.height; ++i)
        (cursor.rgba[i * 4 + 3] ? shown : hidden) = true;
    s_log.push_back(std::string("pictures") + (icon.rgba && icon.width > 0 ? " icon" : "") +
                    (shown && hidden ? " cursor" : ""));
}
bool register_window_class() { return true; }
void unregister_window_class() {}
Answer ask_yes_no(const char*, const char*) { return Answer::Yes; }
void show_error(const char* text, const char*) { s_log.push_back(std::string("error ") + text); }
bool create_gl_window(int32_t width, int32_t height, int32_t)
{
    s_log.push_back("window " + std::to_string(width) + "x" + std::to_string(height));
    s_height = height;
    std::string error;
    return headless_gl_open(width, height, &error);
}
bool destroy_gl_window()
{
    headless_gl_close();
    return true;
}
const char* gl_window_failure() { return nullptr; }
bool set_fullscreen(bool on) { return on && s_height == 768; }
bool change_display_mode(int32_t, int32_t, int32_t) { return false; }
bool restore_display_mode() { return true; }
int32_t get_refresh_rate() { return 60; }
void swap_buffers()
{
    s_log.push_back("swap");
    std::vector<uint8_t> rgba = headless_gl_read_rgba(1024, s_height);
    // Row 20 from the top lies in the upper bar; row 384 in the picture.
    s_presented.push_back({pixel(rgba, 512, 20), pixel(rgba, 512, 384)});
}
int32_t pump_messages()
{
    s_log.push_back("pump");
    return 0;
}

TEST(Driver, LetterboxedPlayerPresentsEveryInitAndFrameInItsOrder)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ScratchDir dir;
    dir.write("data/init.conf", "<init1>\nfunc = logged_music_init\n</init1>\n");
    dir.write("data/demo.conf", "<scenes>\n<a>\ntime_length = 300\n<routine>\nfunc = logged_red\n</routine>\n</a>\n"
                                "</scenes>\n<order>\n<scene>\nscene_name = a\n</scene>\n</order>\n");
    ASSERT_EQ(run_player(), 0);

    // The icon and cursor are handed down first. The 1024x640 window cannot go full screen, the 1024x768 one
    // can; the init routine's loading screen is
    // presented and the messages pumped; then each frame draws, pumps, waits and presents, and the frame that
    // meets the timeline's end only presents.
    std::string log;
    for (const std::string& call : s_log)
        log += call + " ";
    EXPECT_TRUE(std::regex_match(
        log, std::regex("pictures icon cursor window 1024x640 window 1024x768 init swap pump (pump )*"
                        "(draw pump swap )+(pump swap )?")))
        << log;
    size_t drawn = static_cast<size_t>(std::count(s_log.begin(), s_log.end(), "draw"));
    // Init and frame routines draw between the bars; the loading screen has black bars and a picture.
    EXPECT_EQ(s_init_viewport, (std::array<GLint, 4>{0, 64, 1024, 640}));
    EXPECT_EQ(s_routine_viewport, (std::array<GLint, 4>{0, 64, 1024, 640}));
    ASSERT_GE(s_presented.size(), drawn + 1);
    EXPECT_EQ(s_presented[0].bar, (std::array<uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_NE(s_presented[0].picture, s_presented[0].bar) << "no loading picture";
    for (size_t i = 1; i <= drawn; ++i) {
        EXPECT_EQ(s_presented[i].bar[0] + s_presented[i].bar[1] + s_presented[i].bar[2], 0) << "frame " << i;
        EXPECT_EQ(s_presented[i].picture[0], 255) << "frame " << i;
    }
}
