#include "photo/PhotoCaption.h"

#include <gtest/gtest.h>

#include "base/Windows1252.h"

namespace offrel {
namespace {

std::string Weight(std::uint64_t bytes) {
    const std::string caption = PhotoSizeCaption({4032, 3024}, bytes);
    return caption.substr(caption.find(W("— ")) + W("— ").size());
}

TEST(PhotoCaptionTest, SizeInPixelsThenWeight) {
    EXPECT_EQ(PhotoSizeCaption({4032, 3024}, 3984588), W("4032 × 3024 pixels — 3,8 Mo"));
}

// Each unit from its first whole one, rounded to the nearest; no "1024 Ko" nor "0,0 Mo".
TEST(PhotoCaptionTest, WeightsAtTheUnitsEdges) {
    EXPECT_EQ(Weight(0), "0 octets");
    EXPECT_EQ(Weight(1023), "1023 octets");
    EXPECT_EQ(Weight(1024), "1 Ko");
    EXPECT_EQ(Weight(1535), "1 Ko");
    EXPECT_EQ(Weight(1536), "2 Ko");
    EXPECT_EQ(Weight(1048575), "1,0 Mo");
    EXPECT_EQ(Weight(1048576 - 513), "1023 Ko");
    EXPECT_EQ(Weight(1048576 * 10 - 1), "10,0 Mo");
    EXPECT_EQ(Weight(1048576 + 104857), "1,1 Mo");
}

}  // namespace
}  // namespace offrel
