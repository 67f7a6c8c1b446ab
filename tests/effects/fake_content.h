// The effects tests' content: files the tests make themselves and register
// by name before calling an init routine (content_file serves them), and the
// pictures they are made of.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Shape = std::function<int(int x, int y)>; // a grey level 0..255 at (x, y)

// Serves `bytes` under `name` from now on (replacing an earlier file).
void fake_content_add(const std::string& name, std::vector<uint8_t> bytes);
// Forgets every file: content_file finds none until the next fake_content_add.
void fake_content_clear();

// A colour JPEG (quality 100) painted by `colour`.
std::vector<uint8_t> colour_jpeg(int width, int height, const std::function<std::array<int, 3>(int, int)>& colour);
// A one-colour JPEG.
std::vector<uint8_t> colour_jpeg(int width, int height, std::array<int, 3> colour);
// A grey JPEG (quality 100) painted by `grey`.
std::vector<uint8_t> grey_jpeg(int width, int height, const Shape& grey);
// A two-entry GIF: white where `shape` is not 0, black elsewhere.
std::vector<uint8_t> mask_gif(int width, int height, const Shape& shape);
// A one-colour GIF.
std::vector<uint8_t> solid_gif(int width, int height, std::array<int, 3> colour);

inline const Shape SOLID = [](int, int) { return 255; };
inline const Shape NOTHING = [](int, int) { return 0; };
