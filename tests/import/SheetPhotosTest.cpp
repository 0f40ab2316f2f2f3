#include "import/SheetPhotos.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "base/FileNames.h"
#include "base/Windows1252.h"
#include "tests/common/TempFolder.h"

using offrel::SheetPhotos;

namespace {

// The stored path as the import always made it: the folder joined, then the normal form.
std::optional<std::string> NormalPath(const std::string& folder, const std::string& utf8) {
    std::filesystem::path path(utf8);
    if (path.is_relative()) path = std::filesystem::path(folder) / path;
    return offrel::PathFromFileSystemName(path.lexically_normal().string());
}

std::string RandomPath(std::mt19937& random) {
    static const std::vector<std::string> kParts = {
        "a", "photos", ".", "..", "", "\xC3\xA9t\xC3\xA9", "vente 1.jpg", "\xE2\x9C\x93"};
    std::string path = random() % 3 == 0 ? "/" : "";
    const int count = 1 + static_cast<int>(random() % 5);
    for (int k = 0; k < count; ++k) {
        if (k > 0) path += "/";
        path += kParts[random() % kParts.size()];
    }
    if (random() % 6 == 0) path += "/";
    return path;
}

}  // namespace

TEST(SheetPhotos, APathIsTheNormalFormOfThePathInTheSheetsFolder) {
    std::mt19937 random(8);
    for (const std::string folder :
         {"/home/vendeur/Ventes", "/home/vendeur/./Ventes/../Ventes2/", "/", "/tmp//x/"}) {
        const SheetPhotos photos(folder);
        for (int round = 0; round < 5000; ++round) {
            const std::string path = RandomPath(random);
            EXPECT_EQ(photos.Path(path), NormalPath(folder, path)) << folder << " " << path;
        }
    }
}

TEST(SheetPhotos, OnlyAFileExistsAndAnAccentedNameIsFound) {
    offrel::testing::TempFolder folder;
    SheetPhotos photos(folder.Path().string());
    folder.Write("\xC3\xA9t\xC3\xA9.jpg", "JPEG");
    std::filesystem::create_directory(folder.Path() / "dossier.jpg");
    const std::optional<std::string> accented = photos.Path("\xC3\xA9t\xC3\xA9.jpg");
    ASSERT_TRUE(accented);
    EXPECT_EQ(*accented, offrel::W(folder / "été.jpg"));
    EXPECT_TRUE(photos.Exists(*accented));
    EXPECT_FALSE(photos.Exists(*photos.Path("dossier.jpg")));
    EXPECT_FALSE(photos.Exists(*photos.Path("absente.jpg")));
    EXPECT_EQ(photos.Path("\xE2\x9C\x93.jpg"), std::nullopt);  // no Windows-1252 form
}
