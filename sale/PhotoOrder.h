#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

namespace offrel {

// Moves what slot `from` holds to slot `to` (slots 1 to 8), the slots between shifting by one
// towards the place it left: the order in which the site shows the photos. The same rule moves
// the paths and their previews, so that they never part. Slots out of range change nothing.
template <typename Item>
void MoveToSlot(std::array<Item, 8>& items, int from, int to) {
    if (from < 1 || from > 8 || to < 1 || to > 8 || from == to) return;
    const auto at = [&items](int slot) { return items.begin() + (slot - 1); };
    if (from < to)
        std::rotate(at(from), at(from) + 1, at(to) + 1);
    else
        std::rotate(at(to), at(from), at(from) + 1);
}

}  // namespace offrel
