#include "tables/LargeBuffer.h"

#include <sys/mman.h>

namespace offrel {

namespace {

constexpr std::uintptr_t kHugePage = 2 * 1024 * 1024;

}  // namespace

void ReserveLarge(std::vector<std::uint8_t>& buffer, std::size_t size) {
    const bool fresh = size > buffer.capacity();
    buffer.reserve(size);
    if (!fresh || size < 4 * kHugePage) return;
    // Only the untouched part past the current bytes, in whole huge pages.
    const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data() + buffer.size());
    const auto end = reinterpret_cast<std::uintptr_t>(buffer.data() + buffer.capacity());
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = end & ~(kHugePage - 1);
    // Only a hint: without huge pages the buffer works the same, only slower to fill.
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace offrel
