#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "tables/ApplicationTables.h"
#include "tables/SalesBackups.h"
#include "tests/common/TempFolder.h"
#include "tests/tables/TableTestSupport.h"

namespace offrel {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using testing::ErrorOf;
using testing::FileContents;
using ::testing::StartsWith;
namespace fs = std::filesystem;

struct stat StatOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info;
}

class SalesBackupsTest : public ::testing::Test {
protected:
    SalesBackupsTest() {
        sales.SetFileName(file);
        sales.Open();
        backups.Watch(sales);
    }

    // Adds a sale and saves the table, some seconds after the previous save.
    void SaveOneMore(std::int64_t seconds) {
        now += seconds;
        testing::AppendRow(sales, 0, "Vente " + std::to_string(sales.RecordCount() + 1));
        sales.Save();
    }
    // The number of sales of each backup, latest first; -1 for none.
    std::vector<int> Counts() const {
        std::vector<int> counts;
        for (const SalesBackup& backup : backups.List())
            counts.push_back(backup.saleCount ? static_cast<int>(*backup.saleCount) : -1);
        return counts;
    }

    testing::TempFolder dir;
    const std::string file = dir / "Ventes.cds";
    ApplicationTables tables;
    Table& sales = tables.cdsVente;
    std::int64_t now = 1700000000;
    SalesBackups backups{file, [this] { return now; }};
};

TEST_F(SalesBackupsTest, TheFirstSaveOfARunKeepsTheReplacedFileByALinkThenOnceAnHour) {
    SaveOneMore(0);  // nothing to replace yet
    EXPECT_TRUE(backups.List().empty());
    const std::string first = FileContents(file);
    const ino_t firstInode = StatOf(file).st_ino;
    SaveOneMore(60);
    ASSERT_EQ(backups.List().size(), 1u);
    const std::string kept = backups.List()[0].path;
    EXPECT_EQ(kept, backups.Folder() + "/Ventes " + kept.substr(kept.size() - 23));
    EXPECT_EQ(FileContents(kept), first);
    EXPECT_EQ(StatOf(kept).st_ino, firstInode);  // linked, not copied
    EXPECT_EQ(backups.List()[0].savedAt, StatOf(kept).st_mtim.tv_sec);

    SaveOneMore(3000);  // within the hour
    sales.First();
    sales.Edit();
    sales.FieldByName("Libelle").SetAsString("Changée");
    sales.Post();
    sales.Next();
    sales.Delete();
    sales.Save();
    EXPECT_THAT(Counts(), ElementsAre(1));
    SaveOneMore(600);  // an hour after the backup: the file of 3 sales, one changed, one deleted
    EXPECT_THAT(Counts(), ElementsAre(2, 1));

    SalesBackups nextRun(file, [this] { return now; });
    nextRun.Watch(sales);
    SaveOneMore(1);
    EXPECT_THAT(Counts(), ElementsAre(3, 2, 1));
    EXPECT_EQ(backups.TakeFailure(), std::nullopt);
    EXPECT_EQ(nextRun.TakeFailure(), std::nullopt);
}

TEST_F(SalesBackupsTest, TheLastTwentyAreKeptAndTheOldestCanStillBeRestored) {
    for (int save = 0; save < 26; ++save) SaveOneMore(3600);
    EXPECT_THAT(Counts(), ElementsAre(25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14, 13, 12, 11,
                                      10, 9, 8, 7, 6));
    EXPECT_EQ(std::distance(fs::directory_iterator(backups.Folder()), {}), 20);

    // Keeping the current file makes one backup too many: the oldest, the one being restored,
    // goes, and lives on as the sales file, which shares its bytes.
    const SalesBackup oldest = backups.List().back();
    const std::string bytes = FileContents(oldest.path);
    const ino_t inode = StatOf(oldest.path).st_ino;
    backups.Restore(sales, oldest);
    EXPECT_EQ(sales.RecordCount(), 6);
    EXPECT_EQ(FileContents(file), bytes);
    EXPECT_EQ(StatOf(file).st_ino, inode);
    EXPECT_THAT(Counts(), ElementsAre(26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14, 13, 12,
                                      11, 10, 9, 8, 7));
    SaveOneMore(60);  // the restored file is a backup already
    EXPECT_EQ(Counts().size(), 20u);
    EXPECT_EQ(Counts()[0], 26);
}

TEST_F(SalesBackupsTest, ADamagedBackupIsNeitherCountedNorRestored) {
    for (int save = 0; save < 3; ++save) SaveOneMore(3600);
    const SalesBackup damaged = backups.List()[1];
    dir.Write(fs::path(damaged.path).lexically_relative(dir.Path()).string(), "pas une table");
    EXPECT_THAT(Counts(), ElementsAre(2, -1));
    const std::string before = FileContents(file);
    EXPECT_EQ(ErrorOf([&] { backups.Restore(sales, damaged); }),
              W("La sauvegarde \"") + damaged.path +
                  W("\" ne peut pas être lue : Mismatch in datapacket."));
    EXPECT_EQ(sales.RecordCount(), 3);
    EXPECT_EQ(FileContents(file), before);
}

TEST_F(SalesBackupsTest, ABackupThatFailsNeverStopsTheSaveAndIsToldOnce) {
    dir.Write("Sauvegardes", "un fichier, pas un dossier");
    SaveOneMore(0);
    SaveOneMore(3600);
    ApplicationTables reopened;
    reopened.cdsVente.SetFileName(file);
    reopened.cdsVente.Open();
    EXPECT_EQ(reopened.cdsVente.RecordCount(), 2);
    const std::optional<std::string> failure = backups.TakeFailure();
    ASSERT_TRUE(failure);
    EXPECT_THAT(*failure, StartsWith(W("Vos ventes sont enregistrées, mais la copie de sauvegarde "
                                       "du fichier des ventes n'a pas pu être faite : Impossible "
                                       "de créer le fichier \"") +
                                     backups.Folder() + "/Ventes "));
    EXPECT_THAT(*failure, EndsWith(".cds\". Not a directory"));
    SaveOneMore(3600);
    EXPECT_EQ(backups.TakeFailure(), std::nullopt);
}

TEST_F(SalesBackupsTest, WhereLinksFailTheFileIsCopiedWithItsTime) {
    std::string other = "/dev/shm/offrel-backups-XXXXXX";
    if (::mkdtemp(other.data()) == nullptr || StatOf(other).st_dev == StatOf(dir / "").st_dev)
        GTEST_SKIP() << "no second file system to copy to";
    fs::create_directory_symlink(other, backups.Folder());
    SaveOneMore(0);
    const std::string first = FileContents(file);
    const struct stat firstInfo = StatOf(file);
    SaveOneMore(60);
    ASSERT_EQ(backups.List().size(), 1u);
    const std::string kept = backups.List()[0].path;
    EXPECT_EQ(FileContents(kept), first);
    EXPECT_NE(StatOf(kept).st_ino, firstInfo.st_ino);
    EXPECT_EQ(StatOf(kept).st_mtim.tv_sec, firstInfo.st_mtim.tv_sec);
    EXPECT_EQ(StatOf(kept).st_mtim.tv_nsec, firstInfo.st_mtim.tv_nsec);
    // Restored by a copy too.
    backups.Restore(sales, backups.List()[0]);
    EXPECT_EQ(FileContents(file), first);
    EXPECT_EQ(sales.RecordCount(), 1);
    fs::remove_all(other);
}

}  // namespace
}  // namespace offrel
