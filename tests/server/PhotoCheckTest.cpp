#include "server/PhotoCheck.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/Windows1252.h"
#include "tables/ApplicationTables.h"
#include "tests/common/TempFolder.h"

using offrel::W;

namespace {

// The smallest picture that the check takes as whole: a JFIF segment and the end marker.
const std::string kJpeg = std::string("\xff\xd8\xff\xe0\x00\x06JFIF\xff\xd9", 12);

class PhotoCheckTest : public ::testing::Test {
protected:
    PhotoCheckTest() { tables.cdsVente.Open(); }

    void AddSale(const std::string& libelle,
                 std::initializer_list<std::pair<int, std::string>> photos) {
        offrel::Table& t = tables.cdsVente;
        t.Append();
        t.FieldByName("Libelle").SetAsString(libelle);
        for (const auto& [slot, path] : photos)
            t.FieldByName("Photo" + std::to_string(slot)).SetAsString(path);
        t.Post();
    }

    // Each problem as "sale slot reason".
    std::vector<std::string> Problems() {
        std::vector<std::string> found;
        for (const offrel::PhotoProblem& problem : offrel::CheckSalePhotos(tables.cdsVente))
            found.push_back(std::to_string(problem.sale) + " " + std::to_string(problem.slot) +
                            " " + offrel::Windows1252ToUtf8(problem.reason));
        return found;
    }

    offrel::testing::TempFolder dir;
    offrel::ApplicationTables tables;
};

}  // namespace

TEST_F(PhotoCheckTest, MissingFolderNotJpegAndEmptyAreFound) {
    const std::string good = dir.Write("bonne.jpg", kJpeg);
    const std::string folder = (dir.Path() / "dossier.jpg").string();
    std::filesystem::create_directory(folder);
    AddSale("A", {{1, good}, {8, good}});
    AddSale("B", {{2, (dir.Path() / "absente.jpg").string()},
                  {3, dir.Write("image.png", "\x89PNG\r\n")},
                  {5, dir.Write("vide.jpg", "")},
                  {6, dir.Write("courte.jpg", "\xff\xd8")},
                  {7, folder}});
    AddSale("C", {{1, good + "/dessous.jpg"}});
    tables.cdsVente.MoveTo(1);
    EXPECT_THAT(
        Problems(),
        testing::ElementsAre("1 2 fichier introuvable", "1 3 ce n'est pas une image JPEG",
                             "1 5 ce n'est pas une image JPEG", "1 6 ce n'est pas une image JPEG",
                             "1 7 ce n'est pas un fichier", "2 1 fichier introuvable"));
    EXPECT_EQ(tables.cdsVente.RecNo(), 1);
}

// The first half of a photo, as an interrupted copy leaves it: it begins as a JPEG picture does.
TEST_F(PhotoCheckTest, APhotoCutShortIsFound) {
    const std::string whole = kJpeg.substr(0, 10) +
                              std::string(
                                  "\xff\xda\x00\x04"
                                  "ab",
                                  6) +
                              std::string(5000, '\x11') + "\xff\xd9";
    AddSale("A", {{1, dir.Write("entiere.jpg", whole)},
                  {2, dir.Write("moitie.jpg", whole.substr(0, whole.size() / 2))},
                  {3, dir.Write("video.jpg", whole + "ftypmp42 une video")}});
    EXPECT_THAT(Problems(), testing::ElementsAre("0 2 la photo est incomplète ou abîmée"));
}

TEST_F(PhotoCheckTest, PathsAreWindows1252AndFilesUtf8) {
    const std::string onDisk = dir.Write("vélo d'été.jpg", kJpeg);
    AddSale("A", {{1, W(onDisk)}});
    EXPECT_TRUE(Problems().empty());
}

TEST_F(PhotoCheckTest, UnreadableFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const std::string locked = dir.Write("fermee.jpg", kJpeg);
    ::chmod(locked.c_str(), 0);
    AddSale("A", {{4, locked}});
    EXPECT_THAT(Problems(), testing::ElementsAre("0 4 lecture non autorisée"));
}
