#include "photo/JpegPreview.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "photo/JpegDecoder.h"
#include "tests/common/TempFolder.h"
#include "tests/photo/TestPhotos.h"

using offrel::testing::FileContents;

namespace offrel {
namespace {

using testing::JpegOptions;
using testing::Rgb;

constexpr Rgb kBlue{0, 0, 255};

void WriteBlueJpeg(const std::string& path, int width, int height, bool progressive = false) {
    JpegOptions options;
    options.progressive = progressive;
    testing::WriteJpeg(
        path, width, height, [](int, int) { return kBlue; }, options);
}

std::string LoadError(const std::string& path, int box = 75) {
    try {
        DecodeJpegPreview(path, box, box);
    } catch (const Error& error) {
        return error.what();
    }
    return "";
}

TEST(JpegPreviewTest, PicturesFitTheirBoxes) {
    auto fit = [](int width, int height, int boxWidth, int boxHeight) {
        const PictureSize size = FitInBox({width, height}, {boxWidth, boxHeight});
        return std::make_pair(size.width, size.height);
    };
    EXPECT_EQ(fit(800, 600, 75, 75), std::make_pair(75, 56));
    EXPECT_EQ(fit(50, 40, 75, 75), std::make_pair(50, 40));  // never scaled up
    EXPECT_EQ(fit(300, 600, 75, 75), std::make_pair(37, 75));
    EXPECT_EQ(fit(800, 600, 75, 73), std::make_pair(75, 56));
    EXPECT_EQ(fit(10000, 10, 75, 75), std::make_pair(75, 1));  // at least one pixel
}

TEST(JpegPreviewTest, PictureComesAtExactlyItsSizeInTheBox) {
    testing::TempFolder folder;
    const std::string path = folder / "grande.jpg";
    WriteBlueJpeg(path, 800, 600);
    const RgbImage preview = DecodeJpegPreview(path, 75, 75);
    EXPECT_EQ(preview.width, 75);
    EXPECT_EQ(preview.height, 56);
    EXPECT_EQ(preview.pixels.size(), 75u * 56u * 4u);
    const RgbImage full = DecodeJpegPreview(path, 800, 600);
    EXPECT_EQ(full.width, 800);
    EXPECT_EQ(full.pixels.size(), 800u * 600u * 4u);
    const RgbImage screen = DecodeJpegPreview(path, 400, 1000);
    EXPECT_EQ(screen.width, 400);
    EXPECT_EQ(screen.height, 300);
    EXPECT_GT(screen.pixels[0], 200);  // blue stays blue
    EXPECT_LT(screen.pixels[2], 20);
    EXPECT_EQ(DecodeJpegPreview(path, 0, 0).width, 1);  // a box of nothing still shows a dot
}

// The decoder's scaled transform and the area averaging after it are held to ImageMagick's own
// reduction of the same file, at a scale between two of the decoder's (5/8 here).
TEST(JpegPreviewTest, LargeViewMatchesImageMagicksReduction) {
    testing::TempFolder folder;
    const std::string path = folder / "photo.jpg";
    testing::WriteJpeg(path, 3000, 2000, testing::PhotoLike);
    const testing::Pixels shown = testing::FromRgbImage(DecodeJpegPreview(path, 1800, 1800));
    const testing::Pixels reference = testing::ImageMagickView(path, "-resize 1800x1800");
    ASSERT_EQ(shown.width, reference.width);
    ASSERT_EQ(shown.height, reference.height);
    EXPECT_LT(testing::MeanDifference(shown, reference), 1.5);
}

// A progressive photo previewed at 1/8 is shown from the first scans alone, which bring the
// mean of every block: the same picture as from all of them.
TEST(JpegPreviewTest, ProgressivePreviewMatchesImageMagicksReduction) {
    testing::TempFolder folder;
    const std::string path = folder / "progressive.jpg";
    JpegOptions progressive;
    progressive.progressive = true;
    testing::WriteJpeg(path, 2400, 1600, testing::PhotoLike, progressive);
    const testing::Pixels shown = testing::FromRgbImage(DecodeJpegPreview(path, 300, 300));
    const testing::Pixels reference = testing::ImageMagickView(path, "-resize 300x300");
    ASSERT_EQ(shown.width, 300);
    ASSERT_EQ(shown.height, 200);
    EXPECT_LT(testing::MeanDifference(shown, reference), 1.5);
}

// The path comes from the tables in Windows-1252; the file system names the file in UTF-8.
TEST(JpegPreviewTest, AccentedPathIsConvertedAtTheFileSystem) {
    testing::TempFolder folder;
    WriteBlueJpeg(folder / "été.jpg", 20, 10);
    const RgbImage image = DecodeJpegPreview(Utf8ToWindows1252(folder / "été.jpg"), 75, 75);
    EXPECT_EQ(image.width, 20);
    EXPECT_EQ(image.height, 10);
}

TEST(JpegPreviewTest, FilesThatCannotBeShownGiveTheSellersMessage) {
    testing::TempFolder folder;
    const std::string missing = folder / "absente.jpg";
    EXPECT_EQ(LoadError(missing),
              W("Impossible d'ouvrir le fichier \"") + missing + "\". " + std::strerror(ENOENT));
    const std::string directory = folder / "dossier.jpg";
    std::filesystem::create_directory(directory);
    EXPECT_EQ(LoadError(directory),
              W("Impossible d'ouvrir le fichier \"") + directory + "\". " + std::strerror(EISDIR));
    const std::string broken = folder.Write("cassee.jpg", "pas une image");
    EXPECT_EQ(LoadError(broken), W("Le fichier \"") + broken + W("\" n'est pas une image JPEG."));
    const std::string empty = folder.Write("vide.jpg", "");
    EXPECT_EQ(LoadError(empty), W("Le fichier \"") + empty + W("\" n'est pas une image JPEG."));
    const std::string head = folder.Write("entete.jpg", "\xFF\xD8\xFF\xE0 pas la suite");
    EXPECT_EQ(LoadError(head), W("Le fichier \"") + head +
                                   W("\" est une image JPEG abîmée, qui ne peut pas être lue."));
}

// A progressive picture's decoder holds the coefficients of the whole picture until its last
// scan, 3 bytes a pixel in the sampling of phones: for 12000 x 9000 it would take 324 MB. Such a
// picture is refused before that memory is taken; a 24-megapixel one still shows.
TEST(JpegPreviewTest, ProgressivePictureTooLargeForMemoryIsRefused) {
    testing::TempFolder folder;
    const std::string huge = folder / "immense.jpg";
    JpegOptions progressive;
    progressive.progressive = true;
    testing::WriteJpeg(huge, 12000, 9000, testing::Quadrants(12000, 9000), progressive);
    const std::string allowed = folder / "grande.jpg";
    testing::WriteJpeg(allowed, 6000, 4000, testing::Quadrants(6000, 4000), progressive);

    testing::ResetPeakMemory();
    const std::uint64_t idle = testing::PeakMemory();
    EXPECT_EQ(LoadError(huge, 1920),
              W("L'image \"") + huge +
                  W("\" est trop grande pour être affichée : en JPEG progressif, ses 12000 × "
                    "9000 pixels demandent plus de 192 Mo de mémoire."));
    EXPECT_LT(testing::PeakMemory() - idle, 16u << 20);

    const RgbImage shown = DecodeJpegPreview(allowed, 75, 75);
    EXPECT_EQ(shown.width, 75);
    EXPECT_EQ(shown.height, 50);
    EXPECT_LT(testing::PeakMemory() - idle, kDecodingMemoryLimit);
}

// Decoders keep no shared state: two threads decoding at once get what one thread gets.
TEST(JpegPreviewTest, DecodersOnTwoThreadsGiveWhatOneGives) {
    testing::TempFolder folder;
    const std::string first = folder / "premiere.jpg";
    const std::string second = folder / "seconde.jpg";
    testing::WriteJpeg(first, 1200, 900, testing::PhotoLike);
    JpegOptions progressive;
    progressive.progressive = true;
    testing::WriteJpeg(second, 900, 1200, testing::PhotoLike, progressive);
    const std::vector<std::uint8_t> alone[] = {DecodeJpegPreview(first, 300, 300).pixels,
                                               DecodeJpegPreview(second, 300, 300).pixels};
    bool same[2] = {true, true};
    auto decodeOften = [&](int k, const std::string& path) {
        for (int round = 0; round < 10; ++round)
            same[k] = same[k] && DecodeJpegPreview(path, 300, 300).pixels == alone[k];
    };
    std::thread one(decodeOften, 0, first);
    std::thread other(decodeOften, 1, second);
    one.join();
    other.join();
    EXPECT_TRUE(same[0]);
    EXPECT_TRUE(same[1]);
}

// A photo whose second half a copy lost: the decoder would show it grey below the cut.
TEST(JpegPreviewTest, APictureCutShortIsToldNotShownHalfGrey) {
    testing::TempFolder folder;
    for (const bool progressive : {false, true}) {
        const std::string whole = folder / "entiere.jpg";
        WriteBlueJpeg(whole, 640, 480, progressive);
        const std::string bytes = FileContents(whole);
        EXPECT_EQ(LoadError(whole), "");
        // Cut in its middle, or only its end marker lost: the check before sending finds both.
        for (const std::size_t kept : {bytes.size() / 2, bytes.size() - 2}) {
            const std::string cut = folder.Write("coupee.jpg", bytes.substr(0, kept));
            EXPECT_EQ(LoadError(cut), W("Le fichier \"") + cut +
                                          W("\" ne peut pas être montré : la photo est "
                                            "incomplète ou abîmée."))
                << progressive << " " << kept;
        }
    }
}

}  // namespace
}  // namespace offrel
