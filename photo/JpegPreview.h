#pragma once

#include <cstdint>
#include <string>
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

// The size at which a picture shows in a preview box: scaled down with its proportions kept when
// it is larger than the box (the cut side rounded down, at least 1 pixel), its own size otherwise.
PictureSize FitInBox(PictureSize picture, PictureSize box);

// Decodes a JPEG file with the DCT scaling of the decoder, so that only as many pixels are
// produced as a preview of boxWidth x boxHeight needs: the smallest scale of 1/1 to 1/8 whose
// result still covers the picture's fitted size in the box. A box larger than the picture gives
// the full decode. The picture comes upright as its Exif orientation says; colour, grey and CMYK
// pictures, baseline or progressive, all come as light. path: Windows-1252, as stored. Throws
// Error with the French message when the file cannot be opened, is no JPEG picture, is a
// damaged one, or was cut short (the decoder would show its missing part grey).
RgbImage DecodeJpegPreview(const std::string& path, int boxWidth, int boxHeight);

}  // namespace offrel
