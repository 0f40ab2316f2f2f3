#include "sale/PhotoOrder.h"

#include <gtest/gtest.h>

#include <string>

namespace offrel {
namespace {

using Slots = std::array<std::string, 8>;

const Slots kEight{"a", "b", "c", "d", "e", "f", "g", "h"};

Slots Moved(Slots slots, int from, int to) {
    MoveToSlot(slots, from, to);
    return slots;
}

TEST(PhotoOrderTest, MovedPhotoTakesItsPlaceAndTheOthersShift) {
    EXPECT_EQ(Moved(kEight, 3, 1), (Slots{"c", "a", "b", "d", "e", "f", "g", "h"}));
    EXPECT_EQ(Moved(kEight, 1, 3), (Slots{"b", "c", "a", "d", "e", "f", "g", "h"}));
    EXPECT_EQ(Moved(kEight, 1, 8), (Slots{"b", "c", "d", "e", "f", "g", "h", "a"}));
    EXPECT_EQ(Moved(kEight, 8, 1), (Slots{"h", "a", "b", "c", "d", "e", "f", "g"}));
    // A neighbour: the two exchange places, as Ctrl+Left and Ctrl+Right do.
    EXPECT_EQ(Moved(kEight, 5, 4), (Slots{"a", "b", "c", "e", "d", "f", "g", "h"}));
}

// Free slots shift like the others: moving a photo past them empties its slot, and the path
// left there is empty rather than a copy of a photo still in the sale.
TEST(PhotoOrderTest, FreeSlotsShiftAndNoPathIsDoubled) {
    const Slots three{"a", "b", "c", "", "", "", "", ""};
    EXPECT_EQ(Moved(three, 1, 5), (Slots{"b", "c", "", "", "a", "", "", ""}));
    EXPECT_EQ(Moved(three, 6, 1), (Slots{"", "a", "b", "c", "", "", "", ""}));
}

TEST(PhotoOrderTest, NoMoveOutsideTheEightSlots) {
    for (const auto& [from, to] : {std::pair{0, 1}, {1, 9}, {9, 1}, {4, 4}, {-1, 2}})
        EXPECT_EQ(Moved(kEight, from, to), kEight) << from << " " << to;
}

}  // namespace
}  // namespace offrel
