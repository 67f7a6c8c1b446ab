// PNG pictures for the end-to-end tests: read as RGB, top row first.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    std::array<int, 3> at(int x, int y) const
    {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return {p[0], p[1], p[2]};
    }
};

// An empty picture (width 0) when the file cannot be read.
Picture read_png(const std::string& path);
bool write_png(const std::string& path, const Picture& picture);
// Averages each factor x factor block into one pixel.
Picture shrink(const Picture& picture, int factor);
