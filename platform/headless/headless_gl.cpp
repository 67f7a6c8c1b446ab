// Headless GL on SDL's offscreen video driver.
#include "platform/headless/headless_gl.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cstring>

static SDL_Window* s_window = nullptr;
static SDL_GLContext s_context = nullptr;

bool headless_gl_open(int width, int height, std::string* error)
{
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *error = std::string("cannot start SDL's offscreen video driver: ") + SDL_GetError();
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    s_window = SDL_CreateWindow("vigil", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!s_window) {
        *error = std::string("cannot create an offscreen window: ") + SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    s_context = SDL_GL_CreateContext(s_window);
    if (!s_context) {
        *error = std::string("cannot create an OpenGL context: ") + SDL_GetError();
        SDL_DestroyWindow(s_window);
        s_window = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    SDL_GL_MakeCurrent(s_window, s_context);
    glViewport(0, 0, width, height);
    return true;
}

void headless_gl_close()
{
    if (s_context)
        SDL_GL_DeleteContext(s_context);
    if (s_window)
        SDL_DestroyWindow(s_window);
    s_context = nullptr;
    s_window = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void headless_gl_read_rgba_into(uint8_t* out, int width, int height)
{
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, out);
    glPopClientAttrib();
    // GL's rows run bottom-up; callers want the top row first.
    size_t row = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height / 2; ++y)
        std::swap_ranges(out + y * row, out + (y + 1) * row, out + (height - 1 - y) * row);
}

std::vector<uint8_t> headless_gl_read_rgba(int width, int height)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    headless_gl_read_rgba_into(pixels.data(), width, height);
    return pixels;
}
