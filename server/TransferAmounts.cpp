#include "server/TransferAmounts.h"

namespace offrel {

namespace {

constexpr std::uint64_t kKo = 1024;
constexpr std::uint64_t kMo = 1024 * kKo;

// bytes in units of unit / scale, rounded up or down.
std::uint64_t Count(std::uint64_t bytes, std::uint64_t unit, std::uint64_t scale, bool up) {
    return (bytes * scale + (up ? unit - 1 : 0)) / unit;
}

std::string Figure(std::uint64_t bytes, std::uint64_t total, bool up) {
    if (total < kMo) return std::to_string(Count(bytes, kKo, 1, up)) + " Ko";
    const std::uint64_t tenths = Count(bytes, kMo, 10, up);
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " Mo";
}

}  // namespace

std::string TransferAmounts(std::uint64_t sent, std::uint64_t total) {
    // The total is rounded up and the part sent down, so that a transfer that is not finished
    // never looks finished.
    return Figure(sent, total, sent >= total) + " / " + Figure(total, total, true);
}

}  // namespace offrel
