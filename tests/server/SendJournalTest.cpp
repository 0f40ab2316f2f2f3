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
#include "tables/Rows.h"
#include "tests/common/TempFolder.h"
#include "tests/tables/TableTestSupport.h"

namespace fs = std::filesystem;
using offrel::JournalNotes;
using offrel::NoteKey;
using offrel::ParseSendJournal;
using offrel::SendJournal;
using offrel::W;

namespace {

const std::string kA = "00000000000000aa";
const std::string kB = "0123456789abcdef";
const NoteKey kOldA{0, kA};  // a note written before the journal kept the row
const NoteKey kA7{7, kA};
const NoteKey kB9{9, kB};

TEST(ParseSendJournal, ReadsNotesOldAndNewAndIgnoresALastLineCutShort) {
    const std::string bytes = "envoi " + kA + " 1700000000\nenvoi " + kB + " 5 9\nfin " + kA +
                              "\nenvoi " + kB + " 9 9\nenvoi " + kA + " 6 7\nfin " + kA +
                              " 7\nenvoi " + kA + " 12";
    const offrel::JournalText text = ParseSendJournal(bytes);
    // A note done is gone, a second send keeps the first time, a "fin" of nothing is harmless.
    EXPECT_EQ(text.pending, (JournalNotes{{kB9, 5}}));
    EXPECT_EQ(text.complete, bytes.rfind('\n') + 1);
    EXPECT_TRUE(text.damagedLines.empty());
    EXPECT_EQ(ParseSendJournal("").complete, 0u);
    EXPECT_TRUE(ParseSendJournal("envoi 00").pending.empty());
    // The same digest in two rows is two notes.
    EXPECT_EQ(ParseSendJournal("envoi " + kA + " 1 7\nenvoi " + kA + " 2\n").pending,
              (JournalNotes{{kOldA, 2}, {kA7, 1}}));
}

TEST(ParseSendJournal, ADamagedLineIsPassedOverAndTheOthersRead) {
    for (const std::string& line : std::vector<std::string>{"",
                                                            "envoi " + kA,
                                                            "envoi " + kA + " ",
                                                            "envoi " + kA + " -5",
                                                            "envoi " + kA + " 5 0",
                                                            "envoi " + kA + " 5 6 7",
                                                            "envoi " + kA + " 5 -6",
                                                            "envoi " + kA + " 5 99999999999",
                                                            "envoi " + kA + " 99999999999999999999",
                                                            "envoi 00AA 5",
                                                            "envoi 0123456789ABCDEF 5",
                                                            "envoi " + kA + "0 5",
                                                            "fin " + kA + " x",
                                                            "fin " + kA + " 7 8",
                                                            "fin",
                                                            "envoi  " + kA + " 5",
                                                            "ENVOI " + kA + " 5",
                                                            "envoi " + kA + " 5\r",
                                                            "fin " + kA + " ",
                                                            std::string("\0\0\0\0", 4)}) {
        const offrel::JournalText text =
            ParseSendJournal("envoi " + kB + " 5 9\n" + line + "\nenvoi " + kA + " 6 7\n");
        EXPECT_EQ(text.pending, (JournalNotes{{kB9, 5}, {kA7, 6}})) << line;
        EXPECT_EQ(text.damagedLines, std::vector<int>{2}) << line;
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
    NoteKey Key(int row) const { return offrel::SaleNoteKey(tables.cdsVente, row); }
    // The time of the note of each row, 0 for none.
    std::vector<std::int64_t> NotedRows(const JournalNotes& notes) const {
        const auto rows = offrel::NotesOfRows(notes, tables.cdsVente);
        std::vector<std::int64_t> times;
        for (int row = 0; row < tables.cdsVente.RecordCount(); ++row) {
            const auto noted = rows.find(tables.cdsVente.RowOrigin(row));
            times.push_back(noted == rows.end() ? 0 : noted->second.when);
        }
        return times;
    }

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
    EXPECT_NE(Key(2), Key(0));  // but another row
    tables.cdsVente.First();
    tables.cdsVente.Delete();
    EXPECT_EQ(Digest(1), a);  // moved up, still the same sale
    // Every part counts, and where a value ends: no shift of bytes between parts goes unseen.
    tables.cdsVente.First();
    const NoteKey b = Key(0);
    tables.cdsVente.Edit();
    tables.cdsVente.FieldByName("Categorie2").SetAsInteger(7);
    tables.cdsVente.Post();
    EXPECT_NE(Key(0).digest, b.digest);
    EXPECT_EQ(Key(0).origin, b.origin);
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
        journal.Record(kA7, 1700000000);
        journal.Record(kB9, 1700000100);
        journal.Clear(kA7);
        journal.Clear(kA7);  // twice: nothing more happens
    }
    EXPECT_EQ(offrel::testing::FileContents(Journal()),
              "envoi " + kA + " 1700000000 7\nenvoi " + kB + " 1700000100 9\nfin " + kA + " 7\n");
    SendJournal reread(Journal());
    EXPECT_EQ(reread.Pending(), (JournalNotes{{kB9, 1700000100}}));
    reread.Clear(kB9);
    // Nothing left to remember: the file is empty again rather than growing with every sale.
    EXPECT_EQ(fs::file_size(Journal()), 0u);
    EXPECT_TRUE(SendJournal(Journal()).Pending().empty());

    // Without a file name, the notes live in memory only.
    SendJournal memory("");
    memory.Record(kA7, 1);
    EXPECT_EQ(memory.Pending(), (JournalNotes{{kA7, 1}}));
}

TEST_F(SendJournalTest, ALineCutShortByACrashIsDroppedBeforeTheNextNote) {
    dir.Write("Envois.journal", "envoi " + kA + " 10 7\nenvoi " + kB + " 2");
    SendJournal journal(Journal());
    EXPECT_EQ(journal.Pending(), (JournalNotes{{kA7, 10}}));
    EXPECT_FALSE(journal.TakeDamage());
    journal.Record(kB9, 20);
    EXPECT_EQ(offrel::testing::FileContents(Journal()),
              "envoi " + kA + " 10 7\nenvoi " + kB + " 20 9\n");
}

TEST_F(SendJournalTest, DamagedLinesAreToldOnceAndTheJournalWrittenAgainWithoutThem) {
    const std::string damaged = "envoi " + kA + " 10 7\n\x01\x02garbage\nenvoi " + kB + " 5\n" +
                                std::string(3, '\0') + "\nfin " + kA + " 7 1\n";
    dir.Write("Envois.journal", damaged);
    SendJournal journal(Journal());
    journal.RequireReadable();
    EXPECT_EQ(journal.Pending(), (JournalNotes{{kA7, 10}, {NoteKey{0, kB}, 5}}));
    EXPECT_EQ(journal.TakeDamage(),
              W("Dans le journal des envois \"") + Journal() +
                  W("\", 3 lignes sont endommagées (la première est la ligne 2) : elles sont "
                    "écartées, les autres notes sont gardées. Le journal tel qu'il était est "
                    "conservé dans \"") +
                  Journal() + ".illisible\".");
    EXPECT_FALSE(journal.TakeDamage());
    EXPECT_EQ(offrel::testing::FileContents(Journal() + ".illisible"), damaged);
    journal.Record(kB9, 6);
    SendJournal next(Journal());
    EXPECT_FALSE(next.TakeDamage());
    EXPECT_EQ(next.Pending(), (JournalNotes{{kA7, 10}, {NoteKey{0, kB}, 5}, {kB9, 6}}));
}

TEST_F(SendJournalTest, AJournalThatCannotBeReadIsToldWithItsReason) {
    fs::create_directory(Journal());
    SendJournal unreadable(Journal());
    EXPECT_EQ(offrel::testing::ErrorOf([&] { unreadable.RequireReadable(); }),
              W("Aucune vente n'est envoyée : le journal des envois ne peut pas être lu, et sans "
                "lui une vente dont l'envoi a été interrompu pourrait partir une seconde fois. "
                "Impossible d'ouvrir le fichier \"") +
                  Journal() + "\". Is a directory");
    EXPECT_TRUE(unreadable.Pending().empty());
    fs::remove(Journal());
    SendJournal missing(Journal());
    EXPECT_NO_THROW(missing.RequireReadable());
}

TEST_F(SendJournalTest, ANoteThatCannotBeWrittenThrowsAndLeavesTheFileAsItWas) {
    SendJournal journal(Journal());
    journal.Record(kA7, 10);
    struct rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const struct rlimit full = {30, limit.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &full);
    std::string failure;
    try {
        journal.Record(kB9, 20);
    } catch (const offrel::Error& error) {
        failure = error.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(failure,
              W("Impossible d'écrire dans le fichier \"") + Journal() + "\". File too large");
    EXPECT_EQ(journal.Pending(), (JournalNotes{{kA7, 10}}));
    EXPECT_EQ(offrel::testing::FileContents(Journal()), offrel::JournalSendLine(kA7, 10));
    journal.Record(kB9, 30);  // once there is room again
    EXPECT_EQ(SendJournal(Journal()).Pending(), (JournalNotes{{kA7, 10}, {kB9, 30}}));
}

// A note belongs to its row through changes; a copy is another row; a note whose row is gone
// goes to the first row with the fields it names.
TEST_F(SendJournalTest, NotesBelongToTheirRowsAndOnlyThen) {
    AddSale("A");
    AddSale("B");
    offrel::Table& t = tables.cdsVente;
    const NoteKey a = Key(0);
    t.First();
    t.Edit();
    t.FieldByName("Prix").SetAsCurrency(offrel::Money::FromTicks(50000));
    t.Post();
    const offrel::Sale changed = offrel::ReadSale(t, 0);
    t.Append();  // a copy of the changed sale
    offrel::WriteSale(t, changed);
    t.Post();
    EXPECT_EQ(NotedRows({{a, 10}}), (std::vector<std::int64_t>{10, 0, 0}));

    // A note without a row (an older journal's) goes to the first row with its fields.
    EXPECT_EQ(NotedRows({{NoteKey{0, Digest(1)}, 4}}), (std::vector<std::int64_t>{0, 4, 0}));
    EXPECT_EQ(NotedRows({{NoteKey{0, Digest(2)}, 4}}), (std::vector<std::int64_t>{4, 0, 0}));
    // Both on one row: the earlier time counts.
    EXPECT_EQ(NotedRows({{a, 10}, {NoteKey{0, Digest(0)}, 3}}),
              (std::vector<std::int64_t>{3, 0, 0}));

    // The row deleted, a note of its fields goes to its copy; one of its fields before the change
    // to nobody.
    t.First();
    t.Delete();
    EXPECT_EQ(NotedRows({{a, 10}}), (std::vector<std::int64_t>{0, 0}));
    EXPECT_EQ(NotedRows({{NoteKey{a.origin, offrel::SaleDigest(changed)}, 10}}),
              (std::vector<std::int64_t>{0, 10}));
}

TEST_F(SendJournalTest, ANoteFoundByItsFieldsIsWrittenAgainUnderItsRow) {
    AddSale("A");
    AddSale("B");
    SendJournal journal(Journal());
    const NoteKey gone{500, Digest(1)};  // B's row of an earlier life
    journal.Record(gone, 2);
    journal.Record(Key(0), 1);
    journal.AttachToRows(tables.cdsVente);
    EXPECT_EQ(SendJournal(Journal()).Pending(), (JournalNotes{{Key(0), 1}, {Key(1), 2}}));
    // Changed now, B keeps it.
    offrel::Table& t = tables.cdsVente;
    t.MoveTo(1);
    t.Edit();
    t.FieldByName("Libelle").SetAsString("B2");
    t.Post();
    EXPECT_EQ(NotedRows(SendJournal(Journal()).Pending()), (std::vector<std::int64_t>{1, 2}));
    // Written again under its new digest, it is found once deleted and put back.
    SendJournal(Journal()).AttachToRows(tables.cdsVente);
    const offrel::Sale b2 = offrel::ReadSale(t, 1);
    t.Delete();
    t.Append();
    offrel::WriteSale(t, b2);
    t.Post();
    EXPECT_EQ(NotedRows(SendJournal(Journal()).Pending()), (std::vector<std::int64_t>{1, 2}));
}

TEST_F(SendJournalTest, NotesOfSalesNoLongerInTheTableAreDropped) {
    AddSale("A");
    AddSale("B");
    SendJournal journal(Journal());
    journal.Record(Key(0), 1);
    journal.Record(Key(1), 2);
    const NoteKey stillB = Key(1);
    tables.cdsVente.First();
    tables.cdsVente.Delete();
    journal.FollowSalesOf(tables.cdsVente);
    EXPECT_EQ(SendJournal(Journal()).Pending(), (JournalNotes{{stillB, 2}}));
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
