#include "server/PhotoWeights.h"

#include <gtest/gtest.h>

#include <stop_token>

#include "base/Windows1252.h"
#include "tests/common/TempFolder.h"

namespace offrel {
namespace {

TEST(PhotoWeights, FilesCountEachTimeTheyGoAndMissingOnesForNothing) {
    testing::TempFolder folder;
    const std::string photo = folder.Write("photo.jpg", std::string(3000, 'x'));
    EXPECT_EQ(PhotoBytes({photo, photo, folder / "absente.jpg", folder.Path().string()}), 6000u);
    EXPECT_EQ(PhotoBytes({}), 0u);
}

TEST(PhotoWeights, NoPictureToReduceWeighsItsFileAndAStopGivesNothing) {
    testing::TempFolder folder;
    const std::string damaged = folder.Write(
        "abimee.jpg", std::string("\xFF\xD8\xFF\xE0", 4) + std::string(3 << 20, '\x5A'));
    EXPECT_EQ(ReducedPhotoBytes({damaged, folder / "absente.jpg"}, std::stop_token()),
              std::optional<std::uint64_t>(4u + (3u << 20)));
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(ReducedPhotoBytes({damaged}, stop.get_token()), std::nullopt);
}

TEST(PhotoWeights, WholeMoOrKoBelowOneMoNeverZeroForAPhoto) {
    const struct {
        std::uint64_t bytes;
        std::optional<std::uint64_t> reduced;
        const char* text;
    } kCases[] = {
        {0, std::nullopt, "photos : 0 Ko"},
        {1, std::nullopt, "photos : 1 Ko"},
        {1024 * 1024 - 1, std::nullopt, "photos : 1024 Ko"},
        {1024 * 1024, 0, "photos : 1 Mo (réduites : 0 Ko)"},
        {187u * 1024 * 1024 + 512 * 1024, 21u * 1024 * 1024 + 512 * 1024 - 1,
         "photos : 188 Mo (réduites : 21 Mo)"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(PhotoWeightText(c.bytes, c.reduced), W(c.text)) << c.bytes;
}

}  // namespace
}  // namespace offrel
