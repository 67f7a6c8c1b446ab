// The window, GL context, display modes, events and message boxes on SDL2.
// SDL key codes are translated to the virtual-key codes of the key table.
#include "platform/dialog.h"
#include "platform/window.h"

#include "assets/content_names.h"
#include "assets/embedded.h"
#include "assets/image.h"
#include "core/keys.h"
#include "platform/gl.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

const char* const DEFAULT_CAPTION = "This window is for sale";

namespace {

struct Mode {
    int32_t width, height, bits, refresh;
};

SDL_Window* s_window = nullptr;
SDL_GLContext s_context = nullptr;
Mode s_saved{};           // the mode believed to be in force
bool s_desktop = true;    // the user's own mode is in force
int32_t s_width = 0, s_height = 0, s_bits = 0;
bool s_fullscreen = false;
SDL_Surface* s_icon = nullptr;
SDL_Cursor* s_cursor = nullptr;

// The window's cursor: the black-and-white picture, shown where its mask is
// white, with its hot spot at the top-left corner.
SDL_Cursor* make_cursor()
{
    const EmbeddedFile* picture = embedded_find(content::CURSOR);
    const EmbeddedFile* mask = embedded_find(content::CURSOR_MASK);
    if (!picture || !mask)
        return nullptr;
    int32_t w = 0, h = 0, mw = 0, mh = 0;
    uint8_t* pixels = DecodeImage(picture->data, picture->length, &w, &h);
    uint8_t* alpha = DecodeAlphaImage(mask->data, mask->length, &mw, &mh);
    if (!pixels || !alpha || w != mw || h != mh)
        return nullptr;
    for (int32_t i = 0; i < w * h; ++i)
        pixels[i * 4 + 3] = alpha[i];
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels, w, h, 32, w * 4, SDL_PIXELFORMAT_RGBA32);
    if (!surface)
        return nullptr;
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, 0, 0);
    SDL_FreeSurface(surface);
    return cursor;
}

void destroy_everything()
{
    if (s_context) {
        SDL_GL_MakeCurrent(s_window, nullptr);
        SDL_GL_DeleteContext(s_context);
    }
    if (s_window)
        SDL_DestroyWindow(s_window);
    s_context = nullptr;
    s_window = nullptr;
}

void windowed_restyle(int32_t width, int32_t height)
{
    restore_display_mode();
    SDL_SetWindowBordered(s_window, SDL_TRUE);
    SDL_SetWindowAlwaysOnTop(s_window, SDL_FALSE);
    SDL_SetWindowSize(s_window, width, height);
    SDL_SetWindowPosition(s_window, 0, 0);
    SDL_ShowWindow(s_window);
}

bool fullscreen_restyle(int32_t width, int32_t height)
{
    if (!change_display_mode(width, height, 32))
        return false;
    SDL_SetWindowBordered(s_window, SDL_FALSE);
    SDL_SetWindowAlwaysOnTop(s_window, SDL_TRUE);
    SDL_ShowWindow(s_window);
    SDL_ShowCursor(SDL_DISABLE);
    return true;
}

// An exact display mode of that size, or the desktop's own size. SDL's
// "closest mode" must never stand in for a size the display does not offer.
bool find_exact_mode(int32_t width, int32_t height, SDL_DisplayMode* found)
{
    int display = s_window ? SDL_GetWindowDisplayIndex(s_window) : 0;
    if (display < 0)
        display = 0;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(display, &desktop) == 0 && desktop.w == width && desktop.h == height) {
        *found = desktop;
        return true;
    }
    int count = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) == 0 && mode.w == width && mode.h == height &&
            SDL_BITSPERPIXEL(mode.format) >= 24) {
            *found = mode;
            return true;
        }
    }
    return false;
}

// Windows virtual-key code for an SDL key, or 0.
int32_t virtual_key(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return 0x41 + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return 0x30 + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return 0x70 + (key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F16)
        return 0x7C + (key - SDLK_F13);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return 0x61 + (key - SDLK_KP_1);
    switch (key) {
    case SDLK_ESCAPE: return 0x1B;
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_RETURN: return 0x0D;
    case SDLK_SPACE: return 0x20;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_PRINTSCREEN: return 0x2C;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 0x10;
    case SDLK_LCTRL: case SDLK_RCTRL: return 0x11;
    case SDLK_LALT: case SDLK_RALT: return 0x12;
    case SDLK_PAUSE: return 0x13;
    case SDLK_CAPSLOCK: return 0x14;
    case SDLK_KP_0: return 0x60;
    case SDLK_KP_MULTIPLY: return 0x6A;
    case SDLK_KP_PLUS: return 0x6B;
    case SDLK_KP_MINUS: return 0x6D;
    case SDLK_KP_PERIOD: return 0x6E;
    case SDLK_KP_DIVIDE: return 0x6F;
    case SDLK_NUMLOCKCLEAR: return 0x90;
    case SDLK_SCROLLLOCK: return 0x91;
    default: return 0;
    }
}

} // namespace

bool register_window_class()
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "vigil: cannot open a display: %s\n", SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) {
        std::fprintf(stderr,
                     "vigil: no display to show the demo on (SDL video driver \"%s\").\n"
                     "vigil: render it offline instead, for example: vigil-capture --video demo.mp4\n",
                     driver ? driver : "none");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    // The icon and cursor are decoded before the arena exists, so their
    // pixels come from the heap; they live until the program ends.
    if (const EmbeddedFile* icon = embedded_find(content::ICON)) {
        int32_t w = 0, h = 0;
        if (uint8_t* pixels = DecodeImage(icon->data, icon->length, &w, &h))
            s_icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels, w, h, 32, w * 4, SDL_PIXELFORMAT_RGBA32);
    }
    s_cursor = make_cursor();
    if (s_cursor)
        SDL_SetCursor(s_cursor);
    return true;
}

void unregister_window_class()
{
    if (s_icon)
        SDL_FreeSurface(s_icon);
    if (s_cursor)
        SDL_FreeCursor(s_cursor);
    s_icon = nullptr;
    s_cursor = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool create_gl_window(int32_t width, int32_t height, int32_t bits)
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    s_window = SDL_CreateWindow(DEFAULT_CAPTION, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!s_window) {
        std::fputs("CreateWindow() failed.\n", stderr);
        return false;
    }
    if (s_icon)
        SDL_SetWindowIcon(s_window, s_icon);
    s_context = SDL_GL_CreateContext(s_window);
    if (!s_context) {
        std::fputs("wglCreateContext() failed.\n", stderr);
        destroy_everything();
        return false;
    }
    if (SDL_GL_MakeCurrent(s_window, s_context) != 0) {
        std::fputs("wglMakeCurrent() failed.\n", stderr);
        destroy_everything();
        return false;
    }
    SDL_GL_SetSwapInterval(1);
    s_desktop = true;
    SDL_DisplayMode current;
    int display = SDL_GetWindowDisplayIndex(s_window);
    if (SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &current) != 0) {
        std::fputs("EnumDisplaySettings() failed.\n", stderr);
        destroy_everything();
        return false;
    }
    s_saved = {current.w, current.h, static_cast<int32_t>(SDL_BITSPERPIXEL(current.format)), current.refresh_rate};
    s_width = width;
    s_height = height;
    s_bits = bits;
    s_fullscreen = false;
    windowed_restyle(width, height);
    return true;
}

bool destroy_gl_window()
{
    if (s_window)
        restore_display_mode();
    destroy_everything();
    return true;
}

bool set_fullscreen(bool on)
{
    if (!s_window)
        return false;
    if (on) {
        if (!s_fullscreen)
            s_fullscreen = fullscreen_restyle(s_width, s_height);
        return s_fullscreen;
    }
    if (s_fullscreen) {
        windowed_restyle(s_width, s_height);
        s_fullscreen = false;
    }
    return false;
}

bool change_display_mode(int32_t width, int32_t height, int32_t bits)
{
    Mode request{width, height, bits, 0};
    // The desktop already has this resolution (a mode read from the system
    // carries its real refresh rate): nothing to change.
    if (s_saved.bits == request.bits && s_saved.width == request.width && s_saved.height == request.height &&
        s_saved.refresh != request.refresh)
        return true;
    std::fputs("*** calling ChangeDisplaySettings!\n", stderr);
    SDL_DisplayMode mode;
    if (!s_window || !find_exact_mode(width, height, &mode))
        return false;
    if (SDL_SetWindowDisplayMode(s_window, &mode) != 0 || SDL_SetWindowFullscreen(s_window, SDL_WINDOW_FULLSCREEN) != 0)
        return false;
    SDL_Delay(500);
    s_saved = request;
    s_desktop = false;
    return true;
}

bool restore_display_mode()
{
    if (s_desktop)
        return true;
    std::fputs("*** calling ChangeDisplaySettings to restore!\n", stderr);
    if (!s_window || SDL_SetWindowFullscreen(s_window, 0) != 0)
        return false;
    SDL_Delay(500);
    s_desktop = true;
    return true;
}

int32_t get_refresh_rate()
{
    SDL_DisplayMode mode;
    int display = s_window ? SDL_GetWindowDisplayIndex(s_window) : 0;
    int32_t rate = 0;
    if (SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) == 0)
        rate = mode.refresh_rate;
    return rate <= 50 ? 60 : rate;
}

void swap_buffers()
{
    if (s_window)
        SDL_GL_SwapWindow(s_window);
}

int32_t pump_messages()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT:
            request_quit();
            return 0;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                request_quit();
            else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                glViewport(0, 0, event.window.data1, event.window.data2);
            break;
        case SDL_KEYDOWN:
            if (!event.key.repeat)
                on_key(1, map_key(virtual_key(event.key.keysym.sym)));
            break;
        case SDL_KEYUP:
            on_key(0, map_key(virtual_key(event.key.keysym.sym)));
            break;
        default:
            break;
        }
    }
    return 0;
}

Answer ask_yes_no(const char* text, const char* caption)
{
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
    };
    SDL_MessageBoxData box{SDL_MESSAGEBOX_INFORMATION, nullptr, caption ? caption : DEFAULT_CAPTION, text,
                           2, buttons, nullptr};
    // A box that fails is asked again; one that keeps failing never will
    // show, and asking for ever would hang the program.
    for (int attempt = 0; attempt < 50; ++attempt) {
        int pressed = -1;
        if (SDL_ShowMessageBox(&box, &pressed) == 0 && (pressed == 0 || pressed == 1))
            return pressed == 1 ? Answer::Yes : Answer::No;
        SDL_Delay(1);
    }
    std::fprintf(stderr, "vigil: cannot ask \"%s\": %s\n", text, SDL_GetError());
    return Answer::CannotAsk;
}

void show_error(const char* text, const char* caption)
{
    std::fprintf(stderr, "vigil: %s%s", text, text[0] && text[std::strlen(text) - 1] == '\n' ? "" : "\n");
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption ? caption : DEFAULT_CAPTION, text, nullptr);
}
