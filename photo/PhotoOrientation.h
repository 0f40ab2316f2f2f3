#pragma once

#include <cstddef>
#include <cstdint>

#include "photo/Picture.h"

namespace offrel {

// A phone stores its photos as the sensor reads them and records in the Exif block how they are
// to be turned and mirrored to show upright: the orientation 1 (as stored) to 8.

// The orientation of an APP1 segment's contents (from its "Exif" signature on); 1 when it is no
// Exif block, has no orientation, or cannot be read.
int ExifOrientation(const std::uint8_t* segment, std::size_t size);

// Whether the orientation exchanges the picture's width and height (5 to 8).
bool SwapsSides(int orientation);

// The picture as it shows upright.
RgbImage Oriented(RgbImage image, int orientation);

}  // namespace offrel
