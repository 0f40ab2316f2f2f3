#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "photo/Picture.h"

namespace offrel {

// The bytes of a baseline JPEG file of the picture at the quality (1 to 100), colour sampled as
// cameras do (half the colour resolution each way), its codes fitted to the picture, with the
// colour profile embedded when one is given. Nothing when the encoder fails, which only a lack of
// memory makes it do.
std::optional<std::string> EncodeJpeg(const RgbImage& picture, int quality,
                                      const std::vector<std::uint8_t>& colourProfile);

}  // namespace offrel
