// The window, WGL context, display modes, window messages and message boxes
// on Win32 (platform/window.h, platform/dialog.h): the window class
// "QOLWINDOW" with the icon and cursor made from the embedded pictures, a
// double-buffered 32-bit RGBA pixel format with a 16-bit depth buffer and a
// legacy context through opengl32, ChangeDisplaySettings for full screen,
// MessageBox for the question and every error.
// Whatever ends the program after a display-mode change (the normal end,
// exit(), abort(), an unhandled exception) puts the desktop mode back first.
// What runs none of the program's code is not covered here: a fail-fast
// (__fastfail, which skips every handler), a stack overflow whose filter
// has no stack left to run on, TerminateProcess. The Linux player has a
// guardian process for these; here it would be vigil.exe started again as
// a guardian that waits on the player's process handle and then calls
// ChangeDisplaySettings(NULL, 0), which Microsoft documents as the way to
// return to the registry's mode after a dynamic change. It is not built:
// Microsoft documents CDS_FULLSCREEN as "temporary in nature" without
// saying, in what we could check, whether the system undoes it when the
// process that made it ends, so the need is unproven on Windows itself.
// State (file-scope): the window, its device and GL contexts, the mode
// believed to be in force, the stored size, the icon and cursor.
#include <windows.h>

#include "platform/dialog.h"
#include "platform/window.h"

#include "platform/gl.h"
#include "platform/gl_proc.h"
#include "platform/input.h"
#include "platform/shared/display.h"
#include "platform/shared/refresh_rate.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char* const DEFAULT_CAPTION = "This window is for sale";

namespace {

constexpr const char* CLASS_NAME = "QOLWINDOW";

HWND s_window = nullptr;
HDC s_dc = nullptr;
HGLRC s_context = nullptr;
HICON s_icon = nullptr;
HCURSOR s_cursor = nullptr;
// The restore from exit(), abort() or a crash has begun.
volatile LONG s_last_restore_begun = 0;

// Keeps the failed call and the system's text for it.
void note_failure(const char* call)
{
    DWORD error = GetLastError();
    char text[160] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                   nullptr);
    for (char* end = text + std::strlen(text); end > text && (end[-1] == '\n' || end[-1] == '\r' || end[-1] == ' ');)
        *--end = '\0';
    std::snprintf(g_display.failure, sizeof g_display.failure, "%s failed (error %lu%s%s)", call, static_cast<unsigned long>(error),
                  text[0] ? ": " : "", text);
}

// A colour bitmap (32-bit, alpha as given) and the matching AND mask (1 where
// alpha is 0) made into an icon or a cursor.
HICON make_icon(const uint8_t* rgba, int32_t w, int32_t h, bool icon)
{
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = w;
    header.bV5Height = -h; // top row first
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                      nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!colour || !bits)
        return nullptr;
    auto* out = static_cast<uint8_t*>(bits);
    int32_t stride = ((w + 15) / 16) * 2; // a monochrome row is a whole number of 16-bit words
    auto* mask = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(stride) * h, 1));
    if (!mask) {
        DeleteObject(colour);
        return nullptr;
    }
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t* p = rgba + (static_cast<size_t>(y) * w + x) * 4;
            uint8_t* q = out + (static_cast<size_t>(y) * w + x) * 4;
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
            q[3] = p[3];
            if (p[3] == 0)
                mask[y * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    HBITMAP andMask = CreateBitmap(w, h, 1, 1, mask);
    std::free(mask);
    ICONINFO info{};
    info.fIcon = icon ? TRUE : FALSE;
    info.xHotspot = 0; // the cursor's hot spot is its top-left corner
    info.yHotspot = 0;
    info.hbmMask = andMask;
    info.hbmColor = colour;
    HICON result = andMask ? CreateIconIndirect(&info) : nullptr;
    if (andMask)
        DeleteObject(andMask);
    DeleteObject(colour);
    return result;
}

WindowPicture s_icon_picture;
WindowPicture s_cursor_picture;

HICON load_icon()
{
    return s_icon_picture.rgba ? make_icon(s_icon_picture.rgba, s_icon_picture.width, s_icon_picture.height, true)
                               : nullptr;
}

// The cursor is black and white: shown where its alpha is at least half.
HCURSOR load_cursor()
{
    const WindowPicture& picture = s_cursor_picture;
    if (!picture.rgba)
        return nullptr;
    size_t count = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    auto* pixels = static_cast<uint8_t*>(std::malloc(count * 4));
    if (!pixels)
        return nullptr;
    std::memcpy(pixels, picture.rgba, count * 4);
    for (size_t i = 0; i < count; ++i)
        pixels[i * 4 + 3] = pixels[i * 4 + 3] >= 128 ? 255 : 0;
    HCURSOR cursor = make_icon(pixels, picture.width, picture.height, false);
    std::free(pixels);
    return cursor;
}

// Puts the desktop mode back when the process ends without the normal
// shutdown; at most once.
void last_restore()
{
    if (g_display.desktop || InterlockedExchange(&s_last_restore_begun, 1) != 0)
        return;
    ChangeDisplaySettingsA(nullptr, 0);
    g_display.desktop = 1;
}

// Restores first, then says so: the line may fail or take a while.
void restore_at_exit()
{
    if (g_display.desktop)
        return;
    last_restore();
    std::fputs("*** calling ChangeDisplaySettings to restore!\n", stderr);
}

LONG WINAPI on_unhandled_exception(EXCEPTION_POINTERS*)
{
    last_restore();
    return EXCEPTION_CONTINUE_SEARCH;
}

void on_abort(int)
{
    last_restore();
    std::signal(SIGABRT, SIG_DFL);
    std::_Exit(3);
}

void install_exit_guard()
{
    static bool s_installed = false;
    if (s_installed)
        return;
    s_installed = std::atexit(&restore_at_exit) == 0;
    SetUnhandledExceptionFilter(&on_unhandled_exception);
    std::signal(SIGABRT, &on_abort);
}

// Flags in the low 32 bits of a key message's lParam, tested as unsigned
// bits: 1L << 31 overflows the 32-bit signed long of Windows.
constexpr DWORD KEY_WAS_DOWN = 1u << 30;
constexpr DWORD KEY_GOING_UP = 1u << 31;

bool key_flag(LPARAM lParam, DWORD flag)
{
    return (static_cast<DWORD>(lParam) & flag) != 0;
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        glViewport(0, 0, LOWORD(lParam), HIWORD(lParam));
        return 1;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 1;
    case WM_KEYDOWN:
        // Bit 30: the key was already down (auto-repeat).
        if (!key_flag(lParam, KEY_WAS_DOWN))
            input_key(static_cast<int32_t>(wParam), !key_flag(lParam, KEY_GOING_UP));
        return 1;
    case WM_KEYUP:
        input_key(static_cast<int32_t>(wParam), !key_flag(lParam, KEY_GOING_UP));
        return 1;
    case WM_SYSKEYDOWN:
        // Alt and F10 never reach the default procedure: Alt+F4 does not
        // close the window; its close button does.
        return 1;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void destroy_everything()
{
    if (s_context) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(s_context);
    }
    if (s_dc)
        ReleaseDC(s_window, s_dc);
    if (s_window)
        DestroyWindow(s_window);
    s_context = nullptr;
    s_dc = nullptr;
    s_window = nullptr;
}

// Presents at most once per refresh where the driver offers it, as the Linux
// player does.
void ask_for_vsync()
{
    using SwapInterval = BOOL(WINAPI*)(int);
    // WGL extensions are listed through their own query, not GL's list: the
    // entry point is what counts.
    auto set = reinterpret_cast<SwapInterval>(gl_get_proc_address("wglSwapIntervalEXT"));
    if (set)
        set(1);
}

} // namespace

void set_window_pictures(const WindowPicture& icon, const WindowPicture& cursor)
{
    s_icon_picture = icon;
    s_cursor_picture = cursor;
}

bool register_window_class()
{
    install_exit_guard();
    s_icon = load_icon();
    s_cursor = load_cursor();
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = &window_proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = s_icon;
    windowClass.hCursor = s_cursor ? s_cursor : LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = CLASS_NAME;
    if (!RegisterClassA(&windowClass)) {
        note_failure("RegisterClass()");
        std::fprintf(stderr, "vigil: cannot register the window class: %s\n", g_display.failure);
        return false;
    }
    return true;
}

void unregister_window_class()
{
    UnregisterClassA(CLASS_NAME, GetModuleHandleA(nullptr));
    if (s_icon)
        DestroyIcon(s_icon);
    if (s_cursor)
        DestroyCursor(s_cursor);
    s_icon = nullptr;
    s_cursor = nullptr;
}

bool backend_create_window(int32_t, int32_t, int32_t bits, DisplayMode* current)
{
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = static_cast<BYTE>(bits);
    pfd.cRedBits = pfd.cGreenBits = pfd.cBlueBits = pfd.cAlphaBits = 8;
    pfd.cDepthBits = 16;
    pfd.cStencilBits = 0;
    pfd.iLayerType = PFD_MAIN_PLANE;

    s_window = CreateWindowExA(0, CLASS_NAME, DEFAULT_CAPTION, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!s_window) {
        note_failure("CreateWindow()");
        std::fputs("CreateWindow() failed.\n", stderr);
        return false;
    }
    s_dc = GetDC(s_window);
    if (!s_dc) {
        note_failure("GetDC()");
        std::fputs("GetDC() failed.\n", stderr);
        destroy_everything();
        return false;
    }
    int format = ChoosePixelFormat(s_dc, &pfd);
    if (format == 0 || SetPixelFormat(s_dc, format, &pfd) != TRUE) {
        note_failure("SetPixelFormat()");
        std::fputs("SetPixelFormat() failed.\n", stderr);
        destroy_everything();
        return false;
    }
    s_context = wglCreateContext(s_dc);
    if (!s_context) {
        note_failure("wglCreateContext()");
        std::fputs("wglCreateContext() failed.\n", stderr);
        destroy_everything();
        return false;
    }
    if (wglMakeCurrent(s_dc, s_context) != TRUE) {
        note_failure("wglMakeCurrent()");
        std::fputs("wglMakeCurrent() failed.\n", stderr);
        destroy_everything();
        return false;
    }
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmDriverExtra = 0;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        note_failure("EnumDisplaySettings()");
        std::fputs("EnumDisplaySettings() failed.\n", stderr);
        destroy_everything();
        return false;
    }
    *current = {static_cast<int32_t>(mode.dmPelsWidth), static_cast<int32_t>(mode.dmPelsHeight),
                static_cast<int32_t>(mode.dmBitsPerPel), static_cast<int32_t>(mode.dmDisplayFrequency),
                static_cast<int32_t>(mode.dmDisplayFlags)};
    ask_for_vsync();
    return true;
}

void backend_destroy_window()
{
    destroy_everything();
}

bool backend_set_display_mode(const DisplayMode& mode)
{
    DEVMODEA request{};
    request.dmSize = sizeof request;
    request.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    request.dmBitsPerPel = static_cast<DWORD>(mode.bits);
    request.dmPelsWidth = static_cast<DWORD>(mode.width);
    request.dmPelsHeight = static_cast<DWORD>(mode.height);
    return ChangeDisplaySettingsA(&request, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

bool backend_restore_display_mode()
{
    return ChangeDisplaySettingsA(nullptr, 0) == DISP_CHANGE_SUCCESSFUL;
}

void backend_mode_changed()
{
    InterlockedExchange(&s_last_restore_begun, 0);
}

void backend_windowed_style(int32_t width, int32_t height)
{
    RECT rect{0, 0, width, height};
    AdjustWindowRect(&rect, WS_CAPTION | WS_SYSMENU, FALSE);
    SetWindowLongA(s_window, GWL_STYLE, WS_CAPTION | WS_SYSMENU);
    SetWindowLongA(s_window, GWL_EXSTYLE, 0);
    SetWindowPos(s_window, HWND_NOTOPMOST, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    ShowWindow(s_window, SW_SHOW);
}

void backend_fullscreen_style(int32_t width, int32_t height, bool)
{
    RECT rect{0, 0, width, height};
    AdjustWindowRect(&rect, 0, FALSE);
    SetWindowLongA(s_window, GWL_STYLE, 0);
    SetWindowLongA(s_window, GWL_EXSTYLE, WS_EX_TOPMOST);
    SetWindowPos(s_window, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    ShowWindow(s_window, SW_SHOW);
    ShowCursor(FALSE);
}

int32_t get_refresh_rate()
{
    HDC dc = s_dc ? s_dc : GetDC(nullptr);
    int32_t rate = dc ? GetDeviceCaps(dc, VREFRESH) : 0;
    if (dc && !s_dc)
        ReleaseDC(nullptr, dc);
    return refresh_rate_from_reported(rate);
}

void swap_buffers()
{
    if (s_dc)
        SwapBuffers(s_dc);
}

int32_t pump_messages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            input_quit();
            return static_cast<int32_t>(message.wParam);
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

Answer ask_yes_no(const char* text, const char* caption)
{
    // A box that fails is asked again; one that keeps failing never will
    // show, and asking for ever would hang the program.
    for (int attempt = 0; attempt < 50; ++attempt) {
        int pressed = MessageBoxA(nullptr, text, caption ? caption : DEFAULT_CAPTION, MB_YESNO | MB_ICONQUESTION);
        if (pressed == IDYES || pressed == IDNO)
            return pressed == IDYES ? Answer::Yes : Answer::No;
        Sleep(1);
    }
    std::fprintf(stderr, "vigil: cannot ask \"%s\": MessageBox fails (error %lu)\n", text,
                 static_cast<unsigned long>(GetLastError()));
    return Answer::CannotAsk;
}

void show_error(const char* text, const char* caption)
{
    std::fprintf(stderr, "vigil: %s%s", text, text[0] && text[std::strlen(text) - 1] == '\n' ? "" : "\n");
    MessageBoxA(nullptr, text, caption ? caption : DEFAULT_CAPTION, MB_OK);
}
