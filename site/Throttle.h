#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace offrel::site {

// Holds one stream of bytes (a request body read, an answer written) to a rate, as a slow line
// would: each Pass waits until the bytes passed so far are due.
class Throttle {
public:
    explicit Throttle(int kilobytesPerSecond);  // 1 KB is 1,024 bytes; 0: no limit
    void Pass(std::size_t bytes);

    // How many bytes to write at a time to keep a steady flow (about 1/50 s worth, at least 1);
    // only for a throttle with a limit.
    std::size_t Slice() const;

private:
    std::uint64_t bytesPerSecond_;
    std::chrono::steady_clock::time_point start_;
    std::uint64_t passed_ = 0;
};

}  // namespace offrel::site
