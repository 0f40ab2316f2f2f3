#include "server/TransferAmounts.h"

#include <algorithm>

namespace offrel {

namespace {

constexpr std::uint64_t kKo = 1024;
constexpr std::uint64_t kMo = 1024 * kKo;

std::string MoText(std::uint64_t tenths) {
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " Mo";
}

}  // namespace

std::string TransferAmounts(std::uint64_t sent, std::uint64_t total) {
    const bool finished = sent >= total;
    if (total < kMo) {
        // Whole Ko, the total rounded up (a small sale is never "0 Ko") and the part sent down,
        // which keeps it below the total until the last byte.
        const std::uint64_t whole = (total + kKo - 1) / kKo;
        const std::uint64_t part = finished ? whole : sent / kKo;
        return std::to_string(part) + " Ko / " + std::to_string(whole) + " Ko";
    }
    // Tenths of a Mo, the total rounded to the nearest and the part sent down, and kept below
    // the total until the last byte: an unfinished transfer never looks finished.
    const std::uint64_t whole = (total * 10 + kMo / 2) / kMo;
    const std::uint64_t part = finished ? whole : std::min(sent * 10 / kMo, whole - 1);
    return MoText(part) + " / " + MoText(whole);
}

}  // namespace offrel
