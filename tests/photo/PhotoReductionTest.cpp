#include "photo/PhotoReduction.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/Error.h"
#include "photo/JpegPreview.h"
#include "tests/common/TempFolder.h"
#include "tests/photo/TestPhotos.h"

namespace offrel {
namespace {

using testing::JpegOptions;
using testing::Rgb;

// ImageMagick's word on JPEG files, one line each: "width height quality".
std::string Identify(const std::vector<std::string>& paths) {
    testing::TempFolder folder;
    const std::string answer = folder / "identify.txt";
    std::string command = "identify -format '%w %h %Q\\n'";
    for (const std::string& path : paths) command += " '" + path + "'";
    testing::RunTool(command + " > '" + answer + "'");
    return testing::FileContents(answer);
}

// The reduced bytes, written beside the photo to be looked at; "" when it goes as it is.
std::string Sent(const testing::TempFolder& folder, const std::string& path) {
    const std::optional<std::string> reduced = ReducedPhoto(path);
    if (!reduced) return "";
    return folder.Write("envoyee-" + std::filesystem::path(path).filename().string(), *reduced);
}

// Noise is what a file holds most bytes for: a small picture over 2 MB.
Rgb Noise(int x, int y) {
    const unsigned hash =
        static_cast<unsigned>(x) * 2654435761u ^ static_cast<unsigned>(y) * 40503u;
    return {static_cast<int>(hash >> 24), static_cast<int>((hash >> 16) & 0xFF),
            static_cast<int>((hash >> 8) & 0xFF)};
}

TEST(PhotoReductionTest, LargePhotosGoAt2048PixelsSmallOnesAsTheyAre) {
    testing::TempFolder folder;
    JpegOptions phone;
    phone.quality = 92;
    JpegOptions heavy;  // every detail kept: noise of 1600 x 1200 pixels takes over 2 MB
    heavy.quality = 100;
    heavy.fullColour = true;
    const struct {
        const char* name;
        int width, height;
        bool noise;
        bool overTwoMegabytes;
        const char* sent;  // "" when the file goes as it is
    } kPhotos[] = {
        {"limite.jpg", 2048, 1536, false, false, ""},
        {"paysage.jpg", 2049, 1000, false, false, "2048 1000 90"},
        {"portrait.jpg", 1000, 3000, false, false, "683 2048 90"},
        {"telephone.jpg", 4032, 3024, false, true, "2048 1536 90"},
        {"lourde.jpg", 1600, 1200, true, true, "1600 1200 90"},  // re-encoded, never enlarged
    };
    for (const auto& photo : kPhotos) {
        SCOPED_TRACE(photo.name);
        const std::string path = folder / photo.name;
        testing::WriteJpeg(path, photo.width, photo.height,
                           photo.noise ? Noise : testing::PhotoLike, photo.noise ? heavy : phone);
        const PhotoFacts facts = ReadPhotoFacts(path);
        const std::uint64_t bytes = testing::FileContents(path).size();
        EXPECT_EQ(facts.bytes, bytes);
        ASSERT_TRUE(facts.pixels);
        EXPECT_EQ(facts.pixels->width, photo.width);
        EXPECT_EQ(facts.pixels->height, photo.height);
        EXPECT_EQ(photo.overTwoMegabytes, bytes > kReducedFileSize);
        EXPECT_EQ(NeedsReduction(facts), *photo.sent != '\0');
        const std::string sent = Sent(folder, path);
        if (*photo.sent == '\0') {
            EXPECT_EQ(sent, "");
        } else {
            ASSERT_NE(sent, "");
            EXPECT_EQ(Identify({sent}), std::string(photo.sent) + "\n");
            EXPECT_LT(testing::FileContents(sent).size(), bytes);
        }
    }
}

// The sent picture is held to ImageMagick's own reduction of the same photo to 2048 pixels.
TEST(PhotoReductionTest, ReducedPictureMatchesImageMagicksReduction) {
    testing::TempFolder folder;
    const std::string path = folder / "photo.jpg";
    testing::WriteJpeg(path, 4032, 3024, testing::PhotoLike);
    const std::string sent = Sent(folder, path);
    ASSERT_NE(sent, "");
    const testing::Pixels reference = testing::ImageMagickView(path, "-resize 2048x2048");
    const testing::Pixels reduced = testing::ImageMagickView(sent, "");
    ASSERT_EQ(reduced.width, reference.width);
    ASSERT_EQ(reduced.height, reference.height);
    EXPECT_LT(testing::MeanDifference(reduced, reference), 2.5);
}

// Whatever the orientation a phone recorded, the site receives the picture upright with no
// orientation left to apply again, and the large view shows it upright: both as ImageMagick
// shows the photo.
TEST(PhotoReductionTest, EveryExifOrientationIsSentAndShownUpright) {
    testing::TempFolder folder;
    std::vector<std::pair<std::string, int>> photos;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        photos.emplace_back(folder / ("o" + std::to_string(orientation) + ".jpg"), orientation);
        testing::WriteJpeg(photos.back().first, 2400, 1600, testing::Quadrants(2400, 1600));
    }
    testing::SetExifOrientations(photos);
    std::vector<std::string> originals, sent;
    std::string sentSizes;
    for (const auto& [path, orientation] : photos) {
        originals.push_back(path);
        sent.push_back(Sent(folder, path));
        ASSERT_NE(sent.back(), "") << path;
        sentSizes += orientation >= 5 ? "1365 2048 90\n" : "2048 1365 90\n";
    }
    EXPECT_EQ(Identify(sent), sentSizes);
    // Small views are enough to tell the quarters apart.
    const std::vector<testing::Pixels> upright =
        testing::ImageMagickViews(originals, "-auto-orient -sample 10%");
    const std::vector<testing::Pixels> received =
        testing::ImageMagickViews(sent, "-auto-orient -sample 10%");
    for (const auto& [path, orientation] : photos) {
        SCOPED_TRACE("orientation " + std::to_string(orientation));
        const bool turned = orientation >= 5;
        const PhotoFacts facts = ReadPhotoFacts(path);
        ASSERT_TRUE(facts.pixels);
        EXPECT_EQ(facts.pixels->width, turned ? 1600 : 2400);
        const testing::Pixels shown = testing::FromRgbImage(DecodeJpegPreview(path, 1920, 1080));
        EXPECT_EQ(shown.width, turned ? 720 : 1620);
        EXPECT_EQ(shown.height, 1080);
        const std::vector<Rgb> expected = testing::QuarterCentres(upright[orientation - 1]);
        const std::vector<Rgb> sentQuarters = testing::QuarterCentres(received[orientation - 1]);
        const std::vector<Rgb> shownQuarters = testing::QuarterCentres(shown);
        for (int k = 0; k < 4; ++k) {
            EXPECT_TRUE(testing::Near(sentQuarters[k], expected[k])) << "sent, quarter " << k;
            EXPECT_TRUE(testing::Near(shownQuarters[k], expected[k])) << "shown, quarter " << k;
        }
    }
}

// The colours of a phone's wide-gamut photo stay as they were: its profile goes with it.
TEST(PhotoReductionTest, ColourProfileGoesWithThePicture) {
    testing::TempFolder folder;
    const std::string path = folder / "profil.jpg";
    JpegOptions options;
    // A profile's first four bytes give its length, and its table of tags, empty here, starts
    // after a header of 128 bytes; the rest only has to come back the same.
    options.colourProfile.assign(132, 0);
    options.colourProfile[2] = 0x0B;  // 3000 bytes
    options.colourProfile[3] = 0xB8;
    for (int k = 132; k < 3000; ++k) options.colourProfile.push_back(static_cast<std::uint8_t>(k));
    testing::WriteJpeg(path, 3000, 2000, testing::PhotoLike, options);
    const std::string sent = Sent(folder, path);
    ASSERT_NE(sent, "");
    const std::string profile = folder / "profil.icc";
    testing::RunTool("exiftool -q -q -b -ICC_Profile '" + sent + "' > '" + profile + "'");
    const std::string expected(options.colourProfile.begin(), options.colourProfile.end());
    EXPECT_EQ(testing::FileContents(profile), expected);
}

// What cannot be decoded whole goes as it is, and the site decides; the upload itself reports a
// file it cannot open.
TEST(PhotoReductionTest, FilesThatCannotBeDecodedGoAsTheyAre) {
    testing::TempFolder folder;
    const std::string whole = folder / "entiere.jpg";
    testing::WriteJpeg(whole, 3000, 2000, testing::PhotoLike);
    const std::string bytes = testing::FileContents(whole);
    const std::string cut = folder.Write("coupee.jpg", bytes.substr(0, bytes.size() / 2));
    const std::string noJpeg = folder.Write("texte.jpg", std::string(3 << 20, 'x'));
    const std::string missing = folder / "absente.jpg";

    EXPECT_EQ(ReducedPhoto(cut), std::nullopt);
    EXPECT_EQ(ReducedPhoto(noJpeg), std::nullopt);
    EXPECT_EQ(ReducedPhoto(missing), std::nullopt);

    const PhotoFacts cutFacts = ReadPhotoFacts(cut);  // its head is whole
    ASSERT_TRUE(cutFacts.pixels);
    EXPECT_EQ(cutFacts.pixels->width, 3000);
    const PhotoFacts textFacts = ReadPhotoFacts(noJpeg);
    EXPECT_EQ(textFacts.bytes, 3u << 20);
    EXPECT_FALSE(textFacts.pixels);
    EXPECT_FALSE(NeedsReduction(textFacts));
    EXPECT_THROW(ReadPhotoFacts(missing), Error);
}

}  // namespace
}  // namespace offrel
