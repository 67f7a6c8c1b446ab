// Headless GL: an invisible SDL window (the "offscreen" video driver, EGL on
// Mesa) with an OpenGL compatibility context of the requested size, for the
// capture tool and the GL tests. It renders the same pixels as a visible
// window; pixels are read back from the back buffer before any swap.
// State: the one window and context of the process.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Opens the window and makes its context current. False with a reason in
// `error` when no context can be made.
bool headless_gl_open(int width, int height, std::string* error);
void headless_gl_close();
// The back buffer's pixels as RGBA bytes, top row first.
std::vector<uint8_t> headless_gl_read_rgba(int width, int height);
// The same into `out` (width * height * 4 bytes), allocating nothing.
void headless_gl_read_rgba_into(uint8_t* out, int width, int height);
