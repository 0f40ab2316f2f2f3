#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "photo/JpegPreview.h"
#include "tests/common/TempFolder.h"

using offrel::testing::FileContents;

namespace offrel {
namespace {

// Writes a blue JPEG picture of that size; path in file-system bytes.
void WriteBlueJpeg(const std::string& path, int width, int height, bool progressive = false) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    for (std::size_t x = 0; x < row.size(); x += 3) row[x + 2] = 255;
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

std::string LoadError(const std::string& path) {
    try {
        DecodeJpegPreview(path, 75, 75);
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

TEST(JpegPreviewTest, DecoderProducesOnlyWhatThePreviewNeeds) {
    testing::TempFolder folder;
    const std::string path = folder / "grande.jpg";
    WriteBlueJpeg(path, 800, 600);
    const RgbImage scaled = DecodeJpegPreview(path, 75, 75);
    EXPECT_EQ(scaled.width, 100);  // 1/8: still covers the 75 x 56 preview
    EXPECT_EQ(scaled.height, 75);
    const RgbImage full = DecodeJpegPreview(path, 800, 600);
    EXPECT_EQ(full.width, 800);
    EXPECT_EQ(full.pixels.size(), 800u * 600u * 4u);
    const RgbImage half = DecodeJpegPreview(path, 400, 400);
    EXPECT_EQ(half.width, 400);
    EXPECT_GT(half.pixels[0], 200);  // blue stays blue
    EXPECT_LT(half.pixels[2], 20);
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
    const std::string broken = folder.Write("cassee.jpg", "pas une image");
    EXPECT_EQ(LoadError(broken), W("Le fichier \"") + broken + W("\" n'est pas une image JPEG."));
    const std::string empty = folder.Write("vide.jpg", "");
    EXPECT_NE(LoadError(empty), "");
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
