#include "site/Throttle.h"

#include <algorithm>
#include <thread>

namespace offrel::site {

Throttle::Throttle(int kilobytesPerSecond)
    : bytesPerSecond_(static_cast<std::uint64_t>(kilobytesPerSecond) * 1024),
      start_(std::chrono::steady_clock::now()) {}

void Throttle::Pass(std::size_t bytes) {
    if (bytesPerSecond_ == 0) return;
    passed_ += bytes;
    const auto due = std::chrono::microseconds(passed_ * 1000000 / bytesPerSecond_);
    std::this_thread::sleep_until(start_ + due);
}

std::size_t Throttle::Slice() const {
    return std::max<std::size_t>(1, bytesPerSecond_ / 50);
}

}  // namespace offrel::site
