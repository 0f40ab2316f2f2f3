#pragma once

#include <cstdint>
#include <vector>

namespace offrel {

// Makes room for size bytes in buffer. A large buffer is backed by huge pages where the system
// offers them: filling fresh memory otherwise costs one page fault per 4 KiB, which takes longer
// than copying the bytes themselves.
void ReserveLarge(std::vector<std::uint8_t>& buffer, std::size_t size);

}  // namespace offrel
