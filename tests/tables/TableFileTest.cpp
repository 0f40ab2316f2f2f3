#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "base/Error.h"
#include "base/Files.h"
#include "base/Windows1252.h"
#include "tables/ApplicationTables.h"
#include "tests/tables/TableTestSupport.h"

namespace offrel {
namespace {

using testing::ErrorOf;
namespace fs = std::filesystem;
using testing::AppendRow;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

ino_t Inode(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_ino;
}

// A fresh folder that is the current directory during the test.
class TableFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "offrel-tables-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        previous = fs::current_path();
        fs::current_path(folder);
    }
    void TearDown() override {
        fs::current_path(previous);
        fs::remove_all(folder);
    }
    std::size_t FilesInFolder() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
    }

    fs::path folder;
    fs::path previous;
    ApplicationTables tables;
};

TEST_F(TableFileTest, AMissingOrEmptyFileGivesTheBuiltInContentsWrittenAtClose) {
    WriteFile("Ventes.cds", {});  // zero bytes count as missing
    tables.cdsOption.Open();
    tables.cdsVente.Open();
    EXPECT_TRUE(tables.cdsVente.Active());
    EXPECT_EQ(tables.cdsVente.RecordCount(), 0);
    EXPECT_EQ(tables.cdsVente.ChangeCount(), 0);
    tables.cdsOption.Open();  // already open: nothing happens

    EXPECT_EQ(ErrorOf([&] { tables.cdsCategorie.Save(); }), W("La table cdsCategorie est fermée"));
    tables.cdsOption.Close();  // no file yet: written although unchanged
    EXPECT_EQ(ReadFile("Options.cds").size(), 139u);
    tables.cdsVente.Close();  // the file exists, nothing changed: left alone
    EXPECT_EQ(ReadFile("Ventes.cds").size(), 0u);
    EXPECT_FALSE(tables.cdsVente.Active());
}

TEST_F(TableFileTest, ARunThatChangesNothingLeavesTheFileAndAChangeRewritesIt) {
    tables.cdsOption.Open();
    AppendRow(tables.cdsOption, 1, "Gras");
    tables.cdsOption.Close();
    const ino_t written = Inode("Options.cds");

    ApplicationTables next;
    next.cdsOption.Open();
    EXPECT_EQ(next.cdsOption.FieldByName("Libelle").AsString(), "Gras");
    next.cdsOption.Close();
    EXPECT_EQ(Inode("Options.cds"), written);

    ApplicationTables third;
    third.cdsOption.Open();
    third.cdsOption.Delete();
    third.cdsOption.Close();
    EXPECT_NE(Inode("Options.cds"), written);  // replaced by a new file, never written in place
    EXPECT_EQ(FilesInFolder(), 1u);            // and no temporary file left behind
    ApplicationTables fourth;
    fourth.cdsOption.Open();
    EXPECT_EQ(fourth.cdsOption.RecordCount(), 0);
}

TEST_F(TableFileTest, AFileThatCannotBeReadIsNeverWrittenOver) {
    Bytes damaged = {0x96, 0x19, 0xE0, 0xBD, 1, 0};
    WriteFile("Ventes.cds", damaged);
    EXPECT_EQ(ErrorOf([&] { tables.cdsVente.Open(); }),
              W("Le paquet de données est tronqué ou incohérent."));
    EXPECT_FALSE(tables.cdsVente.Active());

    // Even when the table is later opened from elsewhere and changed, under a full path.
    tables.cdsVente.SetFileName("Autre.cds");
    tables.cdsVente.Open();
    tables.cdsVente.Append();
    tables.cdsVente.FieldByName("Libelle").SetAsString("Vase");
    tables.cdsVente.Post();
    tables.cdsVente.SetFileName((folder / "Ventes.cds").string());
    const std::string refusal = ErrorOf([&] { tables.cdsVente.Close(); });
    EXPECT_EQ(refusal, "Le fichier \"" + (folder / "Ventes.cds").string() +
                           W("\" n'a pas pu être lu ; il n'est pas remplacé, pour ne rien perdre "
                             "de ce qu'il contient."));
    EXPECT_EQ(ReadFile("Ventes.cds"), damaged);
    EXPECT_TRUE(tables.cdsVente.Active());  // the rows are kept
    tables.cdsVente.SetFileName("Ventes2.cds");
    tables.cdsVente.Close();
    EXPECT_TRUE(fs::exists("Ventes2.cds"));

    fs::create_directory("Options.cds");
    EXPECT_EQ(ErrorOf([&] { tables.cdsOption.Open(); }), "Impossible d'ouvrir le fichier \"" +
                                                             (folder / "Options.cds").string() +
                                                             "\". Is a directory");
}

// At start: the catalogue is downloaded again a moment later, so a damaged catalogue file gives
// way to the built-in contents and is written over; the seller's sales are never given up.
TEST_F(TableFileTest, OpeningTheTablesGivesUpOnlyADamagedCatalogue) {
    const Bytes damaged = {0x96, 0x19, 0xE0, 0xBD, 1, 0};
    WriteFile("Options.cds", damaged);
    WriteFile("Categories.cds", damaged);
    ApplicationTables opened;
    OpenTables(opened, folder.string());
    EXPECT_TRUE(opened.cdsOption.Active());
    EXPECT_EQ(opened.cdsCategorie.RecordCount(), 0);
    AppendRow(opened.cdsOption, 1, "Gras");
    opened.cdsOption.Close();
    opened.cdsCategorie.Close();
    ApplicationTables reread;
    reread.cdsOption.SetFileName("Options.cds");
    reread.cdsOption.Open();
    EXPECT_EQ(reread.cdsOption.RecordCount(), 1);
    EXPECT_NE(ReadFile("Categories.cds"), damaged);

    WriteFile("Ventes.cds", damaged);
    ApplicationTables refused;
    EXPECT_EQ(ErrorOf([&] { OpenTables(refused, folder.string()); }),
              W("Les ventes enregistrées ne peuvent pas être lues : Le paquet de données est "
                "tronqué ou incohérent.\n\nLe fichier a été laissé intact, sans aucune "
                "modification. Vous pouvez l'envoyer au support ; il se trouve ici :\n") +
                  (folder / "Ventes.cds").string() + W("\n\nLe programme va s'arrêter."));
    EXPECT_EQ(ReadFile("Ventes.cds"), damaged);
}

TEST_F(TableFileTest, AFileThatCannotBeWrittenFailsNamingItAndTheReason) {
    tables.cdsVente.SetFileName((folder / "absent" / "Ventes.cds").string());
    tables.cdsVente.Open();
    AppendRow(tables.cdsVente, 0, "Vase");
    EXPECT_EQ(ErrorOf([&] { tables.cdsVente.Close(); }),
              W("Impossible de créer le fichier \"") + (folder / "absent" / "Ventes.cds").string() +
                  "\". No such file or directory");
    EXPECT_EQ(tables.cdsVente.RecordCount(), 1);  // nothing lost: the table stays open

    // A folder where nothing may be created; the superuser may write anywhere.
    if (::geteuid() != 0) {
        fs::create_directory("locked");
        fs::permissions("locked", fs::perms::owner_read | fs::perms::owner_exec);
        tables.cdsVente.SetFileName("locked/Ventes.cds");
        EXPECT_EQ(ErrorOf([&] { tables.cdsVente.Save(); }),
                  W("Impossible de créer le fichier \"") +
                      (folder / "locked" / "Ventes.cds").string() + "\". Permission denied");
        fs::permissions("locked", fs::perms::owner_all);
        fs::remove("locked");
    }

    // A disk that fills up while the file is written: the previous file stays whole.
    tables.cdsVente.SetFileName("Ventes.cds");
    tables.cdsVente.Save();
    const Bytes before = ReadFile("Ventes.cds");
    tables.cdsVente.Edit();
    tables.cdsVente.FieldByName("Description").SetAsString(std::string(4000, 'd'));
    tables.cdsVente.Post();
    struct rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const struct rlimit small = {1024, limit.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const std::string failure = ErrorOf([&] { tables.cdsVente.Save(); });
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(failure, W("Impossible de créer le fichier \"") + (folder / "Ventes.cds").string() +
                           "\". File too large");
    EXPECT_EQ(ReadFile("Ventes.cds"), before);
    EXPECT_EQ(FilesInFolder(), 1u);
    tables.cdsVente.Close();
    EXPECT_GT(ReadFile("Ventes.cds").size(), before.size() + 4000);
}

TEST_F(TableFileTest, ALinkStaysALinkAndItsTargetIsReplaced) {
    // Ventes.cds -> link -> kept/real.cds, the second link relative to its own folder.
    fs::create_directories("kept");
    fs::create_directories("links");
    tables.cdsVente.Open();
    AppendRow(tables.cdsVente, 0, "Vase");
    tables.cdsVente.SetFileName("kept/real.cds");
    tables.cdsVente.Save();
    const Bytes first = ReadFile("kept/real.cds");
    fs::create_symlink("../kept/real.cds", "links/second");
    fs::create_symlink(folder / "links" / "second", "Ventes.cds");

    tables.cdsVente.SetFileName("Ventes.cds");
    AppendRow(tables.cdsVente, 0, "Lampe");
    tables.cdsVente.Save();
    EXPECT_TRUE(fs::is_symlink("Ventes.cds"));
    EXPECT_TRUE(fs::is_symlink("links/second"));
    EXPECT_GT(ReadFile("kept/real.cds").size(), first.size());
    EXPECT_EQ(ReadFile("Ventes.cds"), ReadFile("kept/real.cds"));
    // The temporary file was made beside the target and renamed away.
    EXPECT_EQ(FilesInFolder(), 3u);
    EXPECT_EQ(std::distance(fs::directory_iterator("kept"), {}), 1);

    // A link to a file not there yet creates it; a loop of links fails instead of being replaced.
    fs::create_symlink("kept/new.cds", "Nouveau.cds");
    tables.cdsVente.SetFileName("Nouveau.cds");
    tables.cdsVente.Save();
    EXPECT_TRUE(fs::is_symlink("Nouveau.cds"));
    EXPECT_EQ(ReadFile("kept/new.cds"), ReadFile("kept/real.cds"));
    fs::create_symlink("Boucle2.cds", "Boucle1.cds");
    fs::create_symlink("Boucle1.cds", "Boucle2.cds");
    tables.cdsVente.SetFileName("Boucle1.cds");
    EXPECT_EQ(ErrorOf([&] { tables.cdsVente.Save(); }),
              W("Impossible de créer le fichier \"") + (folder / "Boucle1.cds").string() +
                  "\". Too many levels of symbolic links");
    EXPECT_TRUE(fs::is_symlink("Boucle1.cds"));
}

TEST_F(TableFileTest, ASaveTellsTheFileItReplacesWhileItIsStillThere) {
    std::vector<std::string> told;
    Bytes contentWhenTold;
    tables.cdsVente.SetFileName("Ventes.cds");
    tables.cdsVente.Open();
    tables.cdsVente.SetBeforeReplace([&](const std::string& replaced) {
        told.push_back(replaced);
        contentWhenTold = ReadFile(replaced);
    });
    tables.cdsVente.Save();  // nothing replaced
    EXPECT_TRUE(told.empty());
    const Bytes first = ReadFile("Ventes.cds");
    AppendRow(tables.cdsVente, 0, "Vase");
    tables.cdsVente.Save();
    EXPECT_EQ(told, std::vector<std::string>{(folder / "Ventes.cds").string()});
    EXPECT_EQ(contentWhenTold, first);

    // What the hook throws stops the save, which leaves the file and no temporary behind.
    const Bytes second = ReadFile("Ventes.cds");
    tables.cdsVente.SetBeforeReplace([](const std::string&) { throw Error("refusé"); });
    AppendRow(tables.cdsVente, 0, "Lampe");
    EXPECT_EQ(ErrorOf([&] { tables.cdsVente.Save(); }), "refusé");
    EXPECT_EQ(ReadFile("Ventes.cds"), second);
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(TableFileTest, AFileTailIsWrittenAtItsOffsetAndCutBackWhenTheDiskIsFull) {
    WriteFileTail("journal", 0, "un\n", true);
    WriteFileTail("journal", 3, "deux\ntro", false);
    WriteFileTail("journal", 8, "trois\n", true);  // what followed the offset is cut off
    const std::string expected = "un\ndeux\ntrois\n";
    EXPECT_EQ(ReadFile("journal"), Bytes(expected.begin(), expected.end()));

    struct rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const struct rlimit small = {20, limit.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const std::string failure =
        ErrorOf([&] { WriteFileTail("journal", expected.size(), std::string(40, 'x'), true); });
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(failure, W("Impossible d'écrire dans le fichier \"") + (folder / "journal").string() +
                           "\". File too large");
    EXPECT_EQ(ReadFile("journal"), Bytes(expected.begin(), expected.end()));

    EXPECT_EQ(ErrorOf([&] { WriteFileTail("absent/journal", 0, "x", true); }),
              W("Impossible d'écrire dans le fichier \"") +
                  (folder / "absent" / "journal").string() + "\". No such file or directory");
}

}  // namespace
}  // namespace offrel
