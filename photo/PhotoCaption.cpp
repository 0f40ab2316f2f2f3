#include "photo/PhotoCaption.h"

#include "base/Windows1252.h"

namespace offrel {

namespace {

std::string Weight(std::uint64_t bytes) {
    constexpr std::uint64_t kKo = 1024;
    constexpr std::uint64_t kMo = kKo * kKo;
    if (bytes < kKo) return std::to_string(bytes) + " octets";
    // Just under one Mo would round to "1024 Ko".
    if (bytes < kMo - kKo / 2) return std::to_string((bytes + kKo / 2) / kKo) + " Ko";
    // Tenths of a Mo, rounded, in whole numbers so that no locale decides the comma.
    const std::uint64_t tenths = (bytes * 10 + kMo / 2) / kMo;
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " Mo";
}

}  // namespace

std::string PhotoSizeCaption(PictureSize upright, std::uint64_t bytes) {
    return std::to_string(upright.width) + W(" × ") + std::to_string(upright.height) +
           W(" pixels — ") + Weight(bytes);
}

}  // namespace offrel
