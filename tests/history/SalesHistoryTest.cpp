#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <set>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "history/SalesHistory.h"
#include "tests/common/DiskFullAbove.h"
#include "tests/common/RandomSales.h"
#include "tests/common/TempFolder.h"

namespace offrel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "(no error)";
}

class SalesHistoryTest : public ::testing::Test {
protected:
    // The damaged files set aside in the folder.
    std::vector<fs::path> SetAside() const {
        std::vector<fs::path> aside;
        for (const auto& entry : fs::directory_iterator(folder.Path()))
            if (entry.path().filename().string().starts_with("Historique-abime-"))
                aside.push_back(entry.path());
        return aside;
    }

    std::vector<std::int64_t> Ids(SalesHistory& history) {
        const SentSalesList list = history.List();
        std::vector<std::int64_t> ids;
        for (std::size_t k = 0; k < list.size(); ++k) ids.push_back(list[k].id);
        return ids;
    }

    testing::TempFolder folder;
    const std::string path = SalesHistoryPath(folder / "Ventes.cds");
    const std::vector<Sale> sales = testing::RandomSales(3, 5, {"/p/1.jpg", W("/p/é;.jpg")});
};

TEST_F(SalesHistoryTest, EverySaleComesBackWholeLatestFirstAcrossAReopening) {
    Sale nothing;  // every field empty
    Sale blank;    // every text set but empty, every number and mark 0
    blank.libelle = blank.description = blank.reference = "";
    blank.quantite = 0;
    blank.prix = Money();
    blank.option.fill(false);
    blank.photo.fill("");
    {
        SalesHistory history(path);
        history.Add(sales[0], 1000, "vendeur");
        history.Add(nothing, 3000, W("é"));
        history.Add(blank, 2000, "");
        history.Add(sales[0], 3000, "vendeur");  // sent again: kept twice
    }
    EXPECT_EQ(path, (folder.Path() / "Historique.sqlite").string());
    SalesHistory history(path);
    EXPECT_EQ(history.TakeDamage(), std::nullopt);
    EXPECT_THAT(Ids(history), ElementsAre(4, 2, 3, 1));
    const std::vector<SentSale> read = history.Read({1, 2, 3, 4, 99});
    ASSERT_EQ(read.size(), 4u);
    EXPECT_EQ(read[0].sale, sales[0]);
    EXPECT_EQ(read[1].sale, nothing);
    EXPECT_EQ(read[2].sale, blank);
    EXPECT_EQ(read[3].sale, sales[0]);
    EXPECT_EQ(read[1].login, W("é"));
    EXPECT_EQ(read[1].answeredAt, 3000);

    const SentSalesList list = history.List();
    EXPECT_EQ(list[0].libelle, *sales[0].libelle);
    EXPECT_EQ(list[0].reference, *sales[0].reference);
    EXPECT_EQ(list[0].prix, sales[0].prix);
    EXPECT_EQ(list[0].login, "vendeur");
    EXPECT_EQ(list[1].prix, std::nullopt);

    history.Remove({2, 4, 99});
    EXPECT_THAT(Ids(history), ElementsAre(3, 1));
    EXPECT_TRUE(history.Read({2}).empty());
}

// The file as other programs read it: a write-ahead log, and the columns of the sales table.
TEST_F(SalesHistoryTest, TheFileHoldsTheSalesTablesColumnsByName) {
    SalesHistory history(path);
    history.Add(sales[1], 1234, "vendeur");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* query = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "SELECT DateReponse, Identifiant, Libelle, Reference, Prix, "
                                 "Categorie2, Option8, Photo8, DureeTypeVente FROM VentesEnvoyees",
                                 -1, &query, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(query), SQLITE_ROW);
    const auto text = [&](int column) {
        return std::string(static_cast<const char*>(sqlite3_column_blob(query, column)),
                           static_cast<std::size_t>(sqlite3_column_bytes(query, column)));
    };
    const Sale& sale = sales[1];
    EXPECT_EQ(sqlite3_column_int64(query, 0), 1234);
    EXPECT_EQ(text(1), "vendeur");
    EXPECT_EQ(text(2), *sale.libelle);
    EXPECT_EQ(text(3), *sale.reference);
    EXPECT_EQ(sqlite3_column_int64(query, 4), sale.prix->Ticks());
    EXPECT_EQ(sqlite3_column_int64(query, 5), *sale.categorie[1]);
    EXPECT_EQ(sqlite3_column_int64(query, 6), *sale.option[7] ? 1 : 0);
    EXPECT_EQ(text(7), *sale.photo[7]);
    EXPECT_EQ(sqlite3_column_int64(query, 8), static_cast<int>(*sale.dureeTypeVente));
    sqlite3_finalize(query);
    EXPECT_EQ(sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &query, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(query), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(query, 0)), "wal");
    sqlite3_finalize(query);
    sqlite3_close(db);
}

// The texts folded for the search follow a change of the folding, made by an older program.
TEST_F(SalesHistoryTest, TheSearchTextsAreFoldedAgainWhenTheFoldingChanged) {
    SalesHistory(path).Add(sales[0], 1, "vendeur");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "UPDATE VentesEnvoyees SET Recherche = x'';"
                           "UPDATE Reglages SET Valeur = x'00' WHERE Nom = 'pliage'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    SalesHistory history(path);
    SentSalesList list = history.List();
    list.SetSearchTexts(SalesHistory::ReadSearchTexts(path));
    EXPECT_THAT(list.Find(*sales[0].reference), ElementsAre(0));
}

// A history written before the list had its index gets it, and so does one whose index another
// program dropped; both keep their sales.
TEST_F(SalesHistoryTest, AFileWithoutTheListsIndexGetsIt) {
    SalesHistory(path).Add(sales[0], 1, "vendeur");
    for (const char* version : {"1", "2"}) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(
            sqlite3_exec(
                db,
                (std::string("DROP INDEX ListeVentesEnvoyees; PRAGMA user_version = ") + version)
                    .c_str(),
                nullptr, nullptr, nullptr),
            SQLITE_OK)
            << version;
        sqlite3_close(db);
        SalesHistory history(path);
        EXPECT_THAT(Ids(history), ElementsAre(1)) << version;
    }
    SalesHistory history(path);
    history.Add(sales[1], 2, "vendeur");
    EXPECT_THAT(Ids(history), ElementsAre(2, 1));
}

// The texts are read through another connection while this one has just added sales that are
// only in the log yet.
TEST_F(SalesHistoryTest, TheSearchTextsIncludeTheSalesJustAdded) {
    SalesHistory history(path);
    history.Add(sales[0], 1, "vendeur");
    history.Add(sales[1], 2, "vendeur");
    SentSalesList list = history.List();
    list.SetSearchTexts(SalesHistory::ReadSearchTexts(path));
    EXPECT_THAT(list.Find(*sales[0].reference), ElementsAre(1));
    EXPECT_THAT(list.Find(*sales[1].reference), ElementsAre(0));
    // A history gone meanwhile is said, and not made again empty.
    EXPECT_THAT(ErrorOf([&] { SalesHistory::ReadSearchTexts(folder / "absent"); }),
                HasSubstr(W("Impossible de lire l'historique des ventes envoyées")));
    EXPECT_FALSE(fs::exists(folder / "absent"));
}

TEST_F(SalesHistoryTest, ADamagedFileIsSetAsideAndANewHistoryStarts) {
    // Not a database at all: found at the opening.
    folder.Write("Historique.sqlite", "pas une base de données");
    {
        SalesHistory history(path);
        const std::optional<std::string> damage = history.TakeDamage();
        ASSERT_TRUE(damage);
        EXPECT_THAT(*damage, HasSubstr(W("L'historique des ventes envoyées \"") + path +
                                       W("\" était abîmé : il a été mis de côté sous le nom \"") +
                                       folder.Path().string() + "/Historique-abime-"));
        EXPECT_EQ(history.TakeDamage(), std::nullopt);
        history.Add(sales[0], 1, "vendeur");
        EXPECT_EQ(history.List().size(), 1u);
    }
    ASSERT_EQ(SetAside().size(), 1u);
    EXPECT_EQ(testing::FileContents(SetAside()[0]), "pas une base de données");

    // A page of sales gone bad: found when the list reads it.
    {
        SalesHistory history(path);
        for (int n = 0; n < 200; ++n) history.Add(sales[n % 3], n, "vendeur");
    }
    std::string bytes = testing::FileContents(path);
    ASSERT_GT(bytes.size(), 4 * 4096u);
    bytes.replace(2 * 4096, 2 * 4096, 2 * 4096, '\xFF');  // the index and the first sales
    folder.Write("Historique.sqlite", bytes);
    SalesHistory history(path);
    EXPECT_EQ(history.List().size(), 0u);
    EXPECT_TRUE(history.TakeDamage());
    history.Add(sales[1], 1, "vendeur");
    EXPECT_EQ(history.List().size(), 1u);
    EXPECT_EQ(SetAside().size(), 2u);
}

TEST_F(SalesHistoryTest, AFileThatCannotBeWrittenSaysWhyAndKeepsEveryEarlierSaleWhole) {
    folder.Write("fichier", "");
    const std::string unreachable = folder / "fichier/Historique.sqlite";
    EXPECT_EQ(ErrorOf([&] { SalesHistory history(unreachable); }),
              W("Impossible d'ouvrir l'historique des ventes envoyées \"") + unreachable +
                  "\". Not a directory");

    SalesHistory history(path);
    for (int n = 0; n < 10; ++n) history.Add(sales[n % 3], n, "vendeur");
    {
        testing::DiskFullAbove full(1024);
        EXPECT_EQ(ErrorOf([&] { history.Add(sales[0], 10, "vendeur"); }),
                  W("Impossible d'enregistrer la vente dans l'historique des ventes envoyées \"") +
                      path + W("\". Erreur d'écriture sur le disque"));
    }
    const std::vector<SentSale> kept = history.Read(Ids(history));
    ASSERT_EQ(kept.size(), 10u);
    for (const SentSale& sent : kept) EXPECT_EQ(sent.sale, sales[sent.answeredAt % 3]);
    history.Add(sales[0], 10, "vendeur");
    EXPECT_EQ(history.List().size(), 11u);
}

// A child adds sales without a pause and says each one it added; it is killed at some moment of
// an add. Every sale it said is there, whole, none is there twice, and at most the one being
// added when the kill came is there besides.
TEST_F(SalesHistoryTest, AKillInTheMiddleOfAnAddLeavesNoHalfSale) {
    std::vector<Sale> big = testing::RandomSales(4, 9, {"/p/1.jpg"});
    for (Sale& sale : big) sale.description = std::string(4000, 'd');
    std::int64_t next = 0;
    for (int round = 0; round < 5; ++round) {
        int acks[2];
        ASSERT_EQ(::pipe(acks), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(acks[0]);
            SalesHistory history(path);
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            for (std::int64_t n = next; std::chrono::steady_clock::now() < end; ++n) {
                history.Add(big[n % 4], n, "vendeur");
                if (::write(acks[1], &n, sizeof n) != sizeof n) break;
            }
            ::_exit(0);
        }
        ::close(acks[1]);
        std::int64_t said = next - 1;
        const int wanted = 3 + round * 7;
        for (int k = 0; k < wanted && ::read(acks[0], &said, sizeof said) == sizeof said; ++k) {
        }
        ::usleep(static_cast<useconds_t>(round * 1700));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        while (::read(acks[0], &said, sizeof said) == sizeof said) {
        }
        ::close(acks[0]);
        ASSERT_TRUE(WIFSIGNALED(status));

        SalesHistory history(path);
        const std::vector<SentSale> kept = history.Read(Ids(history));
        std::set<std::int64_t> numbers;
        for (const SentSale& sent : kept) {
            EXPECT_TRUE(numbers.insert(sent.answeredAt).second) << sent.answeredAt;
            EXPECT_EQ(sent.sale, big[sent.answeredAt % 4]);
        }
        ASSERT_FALSE(numbers.empty());
        EXPECT_EQ(*numbers.begin(), 0);
        EXPECT_EQ(*numbers.rbegin(), static_cast<std::int64_t>(numbers.size()) - 1);
        EXPECT_GE(*numbers.rbegin(), said);
        EXPECT_LE(*numbers.rbegin(), said + 1);
        next = *numbers.rbegin() + 1;
    }
}

}  // namespace
}  // namespace offrel
