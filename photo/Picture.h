#pragma once

#include <cstdint>
#include <vector>

namespace offrel {

// A decoded picture: 32-bit pixels stored blue, green, red, unused (the layout of a 32-bit
// RGB image on a little-endian machine), rows packed one after the other.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

struct PictureSize {
    int width;
    int height;
};

}  // namespace offrel
