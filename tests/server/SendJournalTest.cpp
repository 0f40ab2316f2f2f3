#include "server/SendJournal.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "tables/ApplicationTables.h"
#include "tests/common/TempFolder.h"
#include "tests/tables/TableTestSupport.h"

namespace fs = std::filesystem;
using offrel::JournalNotes;
using offrel::ParseSendJournal;
using offrel::SendJournal;
using offrel::W;

namespace {

const std::string kA = "00000000000000aa";
const std::string kB = "0123456789abcdef";

std::string ParseError(const std::string& bytes) {
    return offrel::testing::ErrorOf([&] { ParseSendJournal(bytes); });
}

TEST(ParseSendJournal, ReadsNotesAndIgnoresALastLineCutShort) {
    const std::string bytes = "envoi " + kA + " 1700000000\nenvoi " + kB + " 5\nfin " + kA +
                              "\nenvoi " + kB + " 9\nfin " + kA + "\nenvoi " + kA + " 12";
    const offrel::JournalText text = ParseSendJournal(bytes);
    // A note done is gone, a second send keeps the first time, a "fin" of nothing is harmless.
    EXPECT_EQ(text.pending, (JournalNotes{{kB, 5}}));
    EXPECT_EQ(text.complete, bytes.rfind('\n') + 1);
    EXPECT_EQ(ParseSendJournal("").complete, 0u);
    EXPECT_TRUE(ParseSendJournal("envoi 00").pending.empty());
}

TEST(ParseSendJournal, AnyOtherLineIsDamage) {
    for (const std::string& line : std::vector<std::string>{
             "", "envoi " + kA, "envoi " + kA + " ", "envoi " + kA + " -5", "envoi " + kA + " 5 6",
             "envoi " + kA + " 99999999999999999999", "envoi 00AA 5", "envoi 0123456789ABCDEF 5",
             "envoi " + kA + "0 5", "fin " + kA + " 5", "fin", "envoi  " + kA + " 5",
             "ENVOI " + kA + " 5", "envoi " + kA + " 5\r", "fin " + kA + " "}) {
        EXPECT_EQ(ParseError("fin " + kB + "\n" + line + "\n"),
                  "la ligne 2 n'est pas une ligne du journal")
            << line;
    }
}

// A fresh folder with a sales file name in it, and the journal beside it.
class SendJournalTest : public ::testing::Test {
protected:
    SendJournalTest() { tables.cdsVente.Open(); }

    std::string Journal() const { return offrel::SendJournalPath(SalesFile()); }
    std::string SalesFile() const { return (dir.Path() / "Ventes.cds").string(); }
    void AddSale(const std::string& libelle, const std::string& description = "") {
        offrel::Table& t = tables.cdsVente;
        t.Append();
        t.FieldByName("Libelle").SetAsString(libelle);
        t.FieldByName("Description").SetAsString(description);
        t.Post();
    }
    std::string Digest(int row) const { return offrel::SaleDigest(tables.cdsVente, row); }

    offrel::testing::TempFolder dir;
    offrel::ApplicationTables tables;
};

TEST_F(SendJournalTest, ASaleIsKnownByItsFieldsWhereverItStands) {
    AddSale("A");
    AddSale("B");
    AddSale("A");
    const std::string a = Digest(0);
    EXPECT_EQ(a.size(), 16u);
    EXPECT_EQ(Digest(2), a);  // the same fields
    EXPECT_NE(Digest(1), a);
    tables.cdsVente.First();
    tables.cdsVente.Delete();
    EXPECT_EQ(Digest(1), a);  // moved up, still the same sale
    // Every part counts, and where a value ends: no shift of bytes between parts goes unseen.
    tables.cdsVente.First();
    const std::string b = Digest(0);
    tables.cdsVente.Edit();
    tables.cdsVente.FieldByName("Categorie2").SetAsInteger(7);
    tables.cdsVente.Post();
    EXPECT_NE(Digest(0), b);
    AddSale("AB", "");
    AddSale("A", "B");
    EXPECT_NE(Digest(2), Digest(3));
}

TEST_F(SendJournalTest, NotesSurviveInTheFileUntilCleared) {
    EXPECT_EQ(Journal(), (dir.Path() / "Envois.journal").string());
    {
        SendJournal journal(Journal());
        EXPECT_TRUE(journal.Pending().empty());
        EXPECT_FALSE(journal.TakeDamage());
        journal.Record(kA, 1700000000);
        journal.Record(kB, 1700000100);
        journal.Clear(kA);
        journal.Clear(kA);  // twice: nothing more happens
    }
    SendJournal reread(Journal());
    EXPECT_EQ(reread.Pending(), (JournalNotes{{kB, 1700000100}}));
    EXPECT_EQ(reread.SentAt(kB), 1700000100);
    EXPECT_FALSE(reread.SentAt(kA));
    reread.Clear(kB);
    // Nothing left to remember: the file is empty again rather than growing with every sale.
    EXPECT_EQ(fs::file_size(Journal()), 0u);
    EXPECT_TRUE(SendJournal(Journal()).Pending().empty());

    // Without a file name, the notes live in memory only.
    SendJournal memory("");
    memory.Record(kA, 1);
    EXPECT_EQ(memory.SentAt(kA), 1);
}

TEST_F(SendJournalTest, ALineCutShortByACrashIsDroppedBeforeTheNextNote) {
    dir.Write("Envois.journal", "envoi " + kA + " 10\nenvoi " + kB + " 2");
    SendJournal journal(Journal());
    EXPECT_EQ(journal.Pending(), (JournalNotes{{kA, 10}}));
    EXPECT_FALSE(journal.TakeDamage());
    journal.Record(kB, 20);
    EXPECT_EQ(offrel::testing::FileContents(Journal()),
              "envoi " + kA + " 10\nenvoi " + kB + " 20\n");
}

TEST_F(SendJournalTest, ADamagedJournalIsToldOnceSetAsideAndCountsAsEmpty) {
    dir.Write("Envois.journal", "envoi " + kA + " 10\n\x01\x02garbage\n");
    SendJournal journal(Journal());
    EXPECT_TRUE(journal.Pending().empty());
    EXPECT_EQ(journal.TakeDamage(),
              W("Le journal des envois \"") + Journal() +
                  W("\" est endommagé : la ligne 2 n'est pas une ligne du journal. Il est mis de "
                    "côté et l'envoi continue sans lui."));
    EXPECT_FALSE(journal.TakeDamage());
    EXPECT_EQ(offrel::testing::FileContents(Journal() + ".illisible"),
              "envoi " + kA + " 10\n\x01\x02garbage\n");
    journal.Record(kB, 5);
    SendJournal next(Journal());
    EXPECT_FALSE(next.TakeDamage());
    EXPECT_EQ(next.Pending(), (JournalNotes{{kB, 5}}));

    // A journal that cannot be read at all is told the same way.
    fs::remove(Journal());
    fs::remove(Journal() + ".illisible");
    fs::create_directory(Journal());
    SendJournal unreadable(Journal());
    EXPECT_EQ(unreadable.TakeDamage(), "Impossible d'ouvrir le fichier \"" + Journal() +
                                           W("\". Is a directory. Il est mis de côté et l'envoi "
                                             "continue sans lui."));
    unreadable.Record(kA, 6);
    EXPECT_EQ(SendJournal(Journal()).Pending(), (JournalNotes{{kA, 6}}));
}

TEST_F(SendJournalTest, ANoteThatCannotBeWrittenThrowsAndLeavesTheFileAsItWas) {
    SendJournal journal(Journal());
    journal.Record(kA, 10);
    struct rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const struct rlimit full = {30, limit.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &full);
    std::string failure;
    try {
        journal.Record(kB, 20);
    } catch (const offrel::Error& error) {
        failure = error.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(failure,
              W("Impossible d'écrire dans le fichier \"") + Journal() + "\". File too large");
    EXPECT_FALSE(journal.SentAt(kB));
    EXPECT_EQ(offrel::testing::FileContents(Journal()), offrel::JournalSendLine(kA, 10));
    journal.Record(kB, 30);  // once there is room again
    EXPECT_EQ(SendJournal(Journal()).Pending(), (JournalNotes{{kA, 10}, {kB, 30}}));
}

TEST_F(SendJournalTest, NotesOfSalesNoLongerInTheTableAreDropped) {
    AddSale("A");
    AddSale("B");
    SendJournal journal(Journal());
    journal.Record(Digest(0), 1);
    journal.Record(Digest(1), 2);
    tables.cdsVente.First();
    tables.cdsVente.Delete();
    journal.KeepOnlySalesOf(tables.cdsVente);
    EXPECT_EQ(SendJournal(Journal()).Pending(), (JournalNotes{{Digest(0), 2}}));
}

TEST(InterruptedSend, TheQuestionAndTheTipGiveTheDateInLocalTime) {
    const char* previous = std::getenv("TZ");
    const std::string saved = previous ? previous : "";
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    EXPECT_EQ(offrel::InterruptedSendQuestion(W("Vélo"), 1700000000),
              W("La vente « Vélo » était en cours d'envoi quand l'envoi s'est interrompu (le "
                "14/11/2023 à 22:13) : le site l'a peut-être déjà reçue. L'envoyer quand même ?"));
    EXPECT_EQ(offrel::InterruptedSendTip(1700000000),
              W("L'envoi de cette vente a été interrompu le 14/11/2023 à 22:13 : le site l'a "
                "peut-être déjà reçue. Vous serez interrogé avant qu'elle soit envoyée à "
                "nouveau."));
    if (previous)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

}  // namespace
