#pragma once

#include <cstdint>
#include <string>

#include "photo/Picture.h"

namespace offrel {

// The size at which a picture shows in a preview box: scaled down with its proportions kept when
// it is larger than the box (the cut side rounded down, at least 1 pixel), its own size otherwise.
PictureSize FitInBox(PictureSize picture, PictureSize box);

// Decodes a JPEG file to exactly the size at which it shows upright in a box of boxWidth x
// boxHeight (FitInBox): a preview, or the large view in a box the size of the screen. The
// decoder's DCT scaling produces only the smallest of 1/8 to 4/8 of the picture that covers that
// size, or the whole picture, and area averaging brings it to the size; memory stays bounded by the
// box, whatever the picture, but for the coefficients of a progressive one (kDecodingMemoryLimit).
// The picture comes upright as its Exif orientation says; colour, grey and CMYK pictures, baseline
// or progressive, all come as light. Holds no shared state: safe on any thread. path:
// Windows-1252, as stored. Throws Error with the French message when the file cannot be opened,
// is no JPEG picture, is a damaged one, was cut short (the decoder would show its missing part
// grey), or is a progressive one too large.
RgbImage DecodeJpegPreview(const std::string& path, int boxWidth, int boxHeight);

// A photo decoded for the large view, with what it tells of the photo itself.
struct ShownPhoto {
    RgbImage picture;     // as DecodeJpegPreview gives it
    PictureSize upright;  // the whole photo's size, its sides exchanged when it is turned
    std::uint64_t bytes;  // the file's size
};
ShownPhoto DecodeJpegToBox(const std::string& path, int boxWidth, int boxHeight);

}  // namespace offrel
