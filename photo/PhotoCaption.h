#pragma once

#include <cstdint>
#include <string>

#include "photo/Picture.h"

namespace offrel {

// The line under a photo seen large, in Windows-1252: "4032 × 3024 pixels — 3,8 Mo". Bytes in
// Mo with one decimal from one Mo, whole Ko below, octets below one Ko (1 Ko is 1,024 bytes, as
// the upload's amounts count it).
std::string PhotoSizeCaption(PictureSize upright, std::uint64_t bytes);

}  // namespace offrel
