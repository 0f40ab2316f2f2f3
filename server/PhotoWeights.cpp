#include "server/PhotoWeights.h"

#include "base/Error.h"
#include "base/Windows1252.h"
#include "photo/JpegDecoder.h"
#include "photo/PhotoReduction.h"

namespace offrel {

namespace {

constexpr std::uint64_t kKo = 1024;
constexpr std::uint64_t kMo = 1024 * kKo;

std::uint64_t FileBytes(const std::string& path) {
    try {
        return OpenPhotoFile(path).size;
    } catch (const Error&) {
        return 0;
    }
}

// A photo or two of a few Ko never show as "0 Mo": below one Mo the figure is in Ko, rounded up.
std::string Weight(std::uint64_t bytes) {
    if (bytes < kMo) return std::to_string((bytes + kKo - 1) / kKo) + " Ko";
    return std::to_string((bytes + kMo / 2) / kMo) + " Mo";
}

}  // namespace

std::uint64_t PhotoBytes(const std::vector<std::string>& paths) {
    std::uint64_t bytes = 0;
    for (const std::string& path : paths) bytes += FileBytes(path);
    return bytes;
}

std::optional<std::uint64_t> ReducedPhotoBytes(const std::vector<std::string>& paths,
                                               const std::stop_token& stop) {
    std::uint64_t bytes = 0;
    for (const std::string& path : paths) {
        if (stop.stop_requested()) return std::nullopt;
        const std::optional<std::string> reduced = ReducedPhoto(path);
        bytes += reduced ? reduced->size() : FileBytes(path);
    }
    return bytes;
}

std::string PhotoWeightText(std::uint64_t bytes, std::optional<std::uint64_t> reduced) {
    std::string text = "photos : " + Weight(bytes);
    if (reduced) text += W(" (réduites : ") + Weight(*reduced) + ")";
    return text;
}

}  // namespace offrel
