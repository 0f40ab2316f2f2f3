#include "photo/AreaScaler.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace offrel {
namespace {

// Scales a grey picture given as one level per pixel; gives the blue level of each result pixel.
std::vector<int> Scaled(PictureSize from, PictureSize to, const std::vector<int>& levels) {
    AreaScaler scaler(from, to);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(from.width) * 4);
    for (int y = 0; y < from.height; ++y) {
        for (int x = 0; x < from.width; ++x) {
            const auto level = static_cast<std::uint8_t>(levels[y * from.width + x]);
            row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = level;
            row[4 * x + 3] = 0xFF;
        }
        scaler.AddRow(row.data());
    }
    const RgbImage result = scaler.Take();
    EXPECT_EQ(result.width, to.width);
    EXPECT_EQ(result.height, to.height);
    std::vector<int> blue;
    for (std::size_t at = 0; at < result.pixels.size(); at += 4) blue.push_back(result.pixels[at]);
    return blue;
}

TEST(AreaScalerTest, EachPixelIsTheMeanOfTheAreaItCovers) {
    // Halving: the mean of each 2 x 2 block.
    EXPECT_EQ(Scaled({4, 2}, {2, 1},
                     {0, 100, 200, 200,  //
                      100, 0, 40, 0}),
              (std::vector<int>{50, 110}));
    // Three pixels into two: the middle one counts half for each side, (0 + 45) / 1.5 and
    // (45 + 180) / 1.5.
    EXPECT_EQ(Scaled({3, 1}, {2, 1}, {0, 90, 180}), (std::vector<int>{30, 150}));
    // The same down the rows.
    EXPECT_EQ(Scaled({1, 3}, {1, 2}, {0, 90, 180}), (std::vector<int>{30, 150}));
    // One pixel from everything.
    EXPECT_EQ(Scaled({3, 2}, {1, 1}, {10, 20, 30, 40, 50, 60}), (std::vector<int>{35}));
    // The same size changes nothing.
    EXPECT_EQ(Scaled({2, 2}, {2, 2}, {1, 2, 254, 255}), (std::vector<int>{1, 2, 254, 255}));
}

// Weights that do not add up to one, at any ratio, would show as a level off or a stripe.
TEST(AreaScalerTest, AnEvenColourStaysEvenAtAnyRatio) {
    for (const PictureSize to : {PictureSize{333, 3}, PictureSize{999, 7}, PictureSize{1, 1},
                                 PictureSize{500, 2}, PictureSize{7, 6}}) {
        const std::vector<int> result = Scaled({1000, 7}, to, std::vector<int>(7000, 255));
        EXPECT_EQ(result, std::vector<int>(result.size(), 255)) << to.width << " x " << to.height;
        const std::vector<int> grey = Scaled({1000, 7}, to, std::vector<int>(7000, 97));
        EXPECT_EQ(grey, std::vector<int>(grey.size(), 97)) << to.width << " x " << to.height;
    }
}

TEST(AreaScalerTest, OnlyReductionsAreTaken) {
    EXPECT_THROW(AreaScaler({10, 10}, {11, 10}), std::invalid_argument);
    EXPECT_THROW(AreaScaler({10, 10}, {10, 11}), std::invalid_argument);
    EXPECT_THROW(AreaScaler({10, 10}, {0, 5}), std::invalid_argument);
}

}  // namespace
}  // namespace offrel
