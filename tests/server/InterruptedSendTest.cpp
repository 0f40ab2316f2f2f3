// The send journal in the upload: a sale whose answer never came is sent again only when the
// seller says so.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "base/Windows1252.h"
#include "server/SendJournal.h"
#include "tables/Rows.h"
#include "tests/common/DiskFullAbove.h"
#include "tests/server/ShortTimeouts.h"
#include "tests/server/UploadFixture.h"

using offrel::SendJournal;
using offrel::W;
using offrel::testing::DiskFullAbove;
using End = RawServer::Reply::End;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

class InterruptedSendTest : public UploadFixture {
protected:
    std::string JournalPath() const { return offrel::SendJournalPath(tables.cdsVente.FileName()); }
    offrel::JournalNotes Notes() const { return SendJournal(JournalPath()).Pending(); }
    offrel::NoteKey KeyOf(int row) const { return offrel::SaleNoteKey(tables.cdsVente, row); }
    // The next run starts with a fresh view that answers the questions so.
    void Answer(std::vector<bool> answers) {
        view = RecordingUploadView();
        view.answers = std::move(answers);
    }
};

// Whether a request holds all the body its head announced.
bool Whole(const std::string& request) {
    const std::size_t head = request.find("\r\n\r\n");
    const std::size_t length = request.find("Content-Length: ");
    if (head == std::string::npos || length == std::string::npos) return false;
    return request.size() == head + 4 + std::stoull(request.substr(length + 16));
}

TEST_F(InterruptedSendTest, ASiteThatKeepsTheSaleAndNeverAnswersLeavesItToTheSeller) {
    AddSale("A");
    AddSale("B");
    {
        RawServer silent;  // reads the whole request, stores it, never answers
        silent.Push({"", End::Hang});
        ScopedServerUrl there(silent.Url());
        ShortTimeouts timeouts;
        EXPECT_EQ(Run(), "");
        EXPECT_EQ(silent.Requests().size(), 1u);
    }
    // The site was reached: no word of a connection to the Internet.
    EXPECT_THAT(view.messages,
                ElementsAre(W("0 vente envoyée sur 2. L'envoi de la vente « A » a échoué : Le "
                              "site ne répond pas (aucune réponse depuis 1 secondes). Le site "
                              "l'a peut-être reçue : le prochain envoi vous demandera s'il faut "
                              "l'envoyer à nouveau.")));
    ASSERT_EQ(Notes().size(), 1u);
    const std::int64_t when = Notes().begin()->second;
    EXPECT_EQ(Notes().begin()->first, KeyOf(0));

    // "Non": A stays, noted, and the run goes on with B.
    Answer({false});
    EXPECT_EQ(Run(), "");
    EXPECT_THAT(view.questions, ElementsAre(offrel::InterruptedSendQuestion("A", when)));
    EXPECT_THAT(view.events,
                ElementsAre("start off", "max 2", "label Envoi de la vente : A...", "step",
                            "repaint", "question", "label Envoi de la vente : B...", "step",
                            "repaint", "events", "message", "start on", "close"));
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_THAT(Titles(), ElementsAre("A"));
    EXPECT_THAT(view.messages,
                ElementsAre(W("1 vente envoyée sur 2. La vente « A » n'a pas été envoyée.")));
    EXPECT_EQ(Notes(), (offrel::JournalNotes{{KeyOf(0), when}}));

    // "Oui": A goes, and once the site took it, nothing is noted any more.
    Answer({true});
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_TRUE(Titles().empty());
    EXPECT_THAT(view.messages, ElementsAre(W("L'envoi de vos ventes est réussi !")));
    EXPECT_TRUE(Notes().empty());
}

// The upload of the tables' sales, run in a child process against a raw server that replies so, and
// killed once the server has read what it reads of the request; the requests that the server read.
// The child is forked while this process has no thread but its own: in a child forked beside other
// threads, a lock that one of them held stays taken for ever.
std::vector<std::string> UploadKilledAtTheSite(offrel::ApplicationTables& tables,
                                               RawServer::Reply reply) {
    int urlPipe[2];
    if (::pipe(urlPipe) != 0) return {};
    const pid_t child = ::fork();
    if (child < 0) return {};
    if (child == 0) {
        ::close(urlPipe[1]);
        char url[256] = {};
        if (::read(urlPipe[0], url, sizeof url - 1) <= 0) ::_exit(1);
        ScopedServerUrl there(url);
        RecordingUploadView view;
        offrel::RunSalesUpload(tables.cdsVente, tables.cdsCategorie, "vendeur", "secret", view);
        ::_exit(0);
    }
    ::close(urlPipe[0]);
    RawServer site;
    site.Push(std::move(reply));
    const std::string url = site.Url();
    const bool told =
        ::write(urlPipe[1], url.data(), url.size()) == static_cast<ssize_t>(url.size());
    ::close(urlPipe[1]);
    for (int i = 0; told && i < 6000 && site.Requests().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // What the application does with the bytes it handed over is done by now.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int status = 0;
    const bool stillSending = ::waitpid(child, &status, WNOHANG) == 0;
    ::kill(child, SIGKILL);
    if (stillSending) ::waitpid(child, &status, 0);
    EXPECT_TRUE(stillSending) << "the upload ended before it was killed";
    return site.Requests();
}

// The next start reads the table from its file, with the sale still in it.
class AfterAKill : public ::testing::Test {
protected:
    AfterAKill() {
        tables.cdsVente.Open();
        tables.cdsVente.SetFileName((dir.Path() / "Ventes.cds").string());
    }
    void Restart() {
        restarted.cdsVente.SetFileName(tables.cdsVente.FileName());
        restarted.cdsVente.Open();
    }

    offrel::testing::TempFolder dir;
    offrel::ApplicationTables tables;
    offrel::ApplicationTables restarted;
};

TEST_F(AfterAKill, TheSiteHoldingTheSaleOfAKilledApplicationMakesTheNextStartAsk) {
    AppendSale(tables.cdsVente, "A");
    tables.cdsVente.Save();
    // The site reads the whole request, stores it, never answers.
    const auto requests = UploadKilledAtTheSite(tables, {"", End::Hang});
    ASSERT_EQ(requests.size(), 1u);

    Restart();
    RawServer server;
    ScopedServerUrl there(server.Url());
    RecordingUploadView view;
    view.answers = {false};
    offrel::RunSalesUpload(restarted.cdsVente, restarted.cdsCategorie, "vendeur", "secret", view);
    EXPECT_THAT(view.questions, ElementsAre(HasSubstr(W("« A » était en cours d'envoi"))));
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(restarted.cdsVente.RecordCount(), 1);
}

// Killed after 64 KB of a 35 MB body: the site cannot have the sale, and nobody is asked.
TEST_F(AfterAKill, ASaleKilledEarlyInItsBodyGoesAgainWithoutAQuestion) {
    AppendSale(
        tables.cdsVente, "A",
        dir.Write("grande.jpg", "\xff\xd8\xff\xe0" + std::string(35 << 20, 'p') + "\xff\xd9"));
    tables.cdsVente.Save();
    RawServer::Reply stalled{"", End::Hang};
    stalled.readAtMost = 64 << 10;
    const auto requests = UploadKilledAtTheSite(tables, stalled);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].size(), std::size_t{64 << 10});
    EXPECT_TRUE(SendJournal(offrel::SendJournalPath(tables.cdsVente.FileName())).Pending().empty());

    Restart();
    RawServer server;
    ScopedServerUrl there(server.Url());
    RecordingUploadView view;
    offrel::RunSalesUpload(restarted.cdsVente, restarted.cdsCategorie, "vendeur", "secret", view);
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(restarted.cdsVente.RecordCount(), 0);
}

TEST_F(InterruptedSendTest, ASiteKnownNotToHaveTheSaleLeavesNoNote) {
    AddSale("A");
    {
        ScopedServerUrl nowhere("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/offrel.php");
        EXPECT_EQ(Run(), "");
    }
    EXPECT_TRUE(Notes().empty());
    server.PushAnswer("Refus");
    server.PushAnswer("Refus");
    Answer({});
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_TRUE(Notes().empty());
    EXPECT_EQ(std::filesystem::file_size(JournalPath()), 0u);
    Answer({});
    EXPECT_EQ(Run(), "");
    EXPECT_TRUE(view.questions.empty());
    EXPECT_TRUE(Titles().empty());
}

TEST_F(InterruptedSendTest, AnEarlierInterruptedSendStaysNotedUntilTheSiteTakesTheSale) {
    AddSale("A");
    SendJournal(JournalPath()).Record(KeyOf(0), 1700000000);
    server.PushAnswer("Refus");
    server.PushAnswer("Refus");
    Answer({true});
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(server.Requests().size(), 2u);
    // The refusal says nothing of the send that was cut off: the site may still have that one.
    EXPECT_EQ(Notes(), (offrel::JournalNotes{{KeyOf(0), 1700000000}}));
    {
        ScopedServerUrl nowhere("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/offrel.php");
        Answer({true});
        EXPECT_EQ(Run(), "");
    }
    EXPECT_EQ(Notes(), (offrel::JournalNotes{{KeyOf(0), 1700000000}}));
    Answer({true});
    EXPECT_EQ(Run(), "");
    EXPECT_TRUE(Titles().empty());
    EXPECT_TRUE(Notes().empty());
}

TEST_F(InterruptedSendTest, ANoteThatCannotBeWrittenSendsNothing) {
    AddSale("A");
    std::string failure;
    {
        DiskFullAbove full(10);
        failure = Run();
    }
    EXPECT_EQ(failure, W("La vente « A » n'est pas envoyée : Impossible d'écrire dans le "
                         "fichier \"") +
                           JournalPath() + "\". File too large");
    // The request stopped before its last bytes: the site never had it whole.
    for (int i = 0; i < 500 && server.Requests().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    for (const std::string& request : server.Requests()) EXPECT_FALSE(Whole(request));
    EXPECT_THAT(Titles(), ElementsAre("A"));
    EXPECT_THAT(view.messages,
                ElementsAre(W("0 vente envoyée sur 1. L'envoi s'est arrêté à la vente « A ».")));
}

TEST_F(InterruptedSendTest, AnAcceptedSaleThatCannotBeSavedStaysNotedForTheNextStart) {
    AddSale("A");
    AddSale("B");
    tables.cdsVente.Save();
    std::string failure;
    {
        DiskFullAbove full(100);  // room for the note, not for the table
        failure = Run();
    }
    EXPECT_THAT(failure, StartsWith(W("La vente « A » a été acceptée par le site, mais la table "
                                      "des ventes n'a pas pu être enregistrée : ne l'envoyez pas "
                                      "une seconde fois. Impossible de créer le fichier \"")));
    EXPECT_THAT(view.messages,
                ElementsAre(W("1 vente envoyée sur 2. La vente « A » a été acceptée, mais la "
                              "table des ventes n'a pas pu être enregistrée.")));
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(Notes().size(), 1u);

    offrel::ApplicationTables restarted;
    restarted.cdsVente.SetFileName(tables.cdsVente.FileName());
    restarted.cdsVente.Open();
    ASSERT_EQ(restarted.cdsVente.RecordCount(), 2);  // the file still holds A
    Answer({false});
    offrel::RunSalesUpload(restarted.cdsVente, restarted.cdsCategorie, "vendeur", "secret", view);
    EXPECT_THAT(view.questions, ElementsAre(HasSubstr(W("« A »"))));
    EXPECT_EQ(server.Requests().size(), 2u);  // B only
}

// A damaged line costs only its own note: the others still make the upload ask.
TEST_F(InterruptedSendTest, ADamagedJournalLineIsPassedOverAndTheOtherNotesKept) {
    AddSale("A");
    AddSale("B");
    dir.Write("Envois.journal",
              offrel::JournalSendLine(KeyOf(0), 1700000000) + std::string("\0\0\0\0", 4) + "\n");
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(view.messages.front(),
              W("Dans le journal des envois \"") + JournalPath() +
                  W("\", la ligne 2 est endommagée : elle est écartée, les autres notes sont "
                    "gardées. Le journal tel qu'il était est conservé dans \"") +
                  JournalPath() + ".illisible\".");
    EXPECT_THAT(view.questions, ElementsAre(HasSubstr(W("« A »"))));
    EXPECT_EQ(server.Requests().size(), 1u);  // B only
    EXPECT_THAT(Titles(), ElementsAre("A"));
    EXPECT_EQ(Notes(), (offrel::JournalNotes{{KeyOf(0), 1700000000}}));

    // Told once: the journal was written again without the damaged line.
    Answer({false});
    EXPECT_EQ(Run(), "");
    EXPECT_THAT(view.messages,
                ElementsAre(W("0 vente envoyée sur 1. La vente « A » n'a pas été envoyée.")));
}

// Without its notes, a sale cut off while it went would go again without a question.
TEST_F(InterruptedSendTest, AJournalThatCannotBeReadSendsNothing) {
    AddSale("A");
    std::filesystem::create_directory(JournalPath());
    EXPECT_EQ(Run(), W("Aucune vente n'est envoyée : le journal des envois ne peut pas être lu, et "
                       "sans lui une vente dont l'envoi a été interrompu pourrait partir une "
                       "seconde fois. Impossible d'ouvrir le fichier \"") +
                         JournalPath() + "\". Is a directory");
    EXPECT_THAT(view.events, ElementsAre("error"));
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_THAT(Titles(), ElementsAre("A"));
}

// The note is the sale's, not its fields': it follows a change, a save and a reading of the
// file, and a sale put back after a deletion; a copy is another sale.
TEST_F(InterruptedSendTest, TheNoteFollowsTheSaleThroughChangesAndNotToItsCopies) {
    AddSale("A");
    AddSale("B");
    {
        RawServer silent;
        silent.Push({"", End::Hang});
        ScopedServerUrl there(silent.Url());
        ShortTimeouts timeouts;
        Run();
    }
    ASSERT_EQ(Notes().size(), 1u);
    offrel::Table& t = tables.cdsVente;
    t.First();
    t.Edit();
    t.FieldByName("Libelle").SetAsString(W("A corrigée"));
    t.Post();
    const offrel::Sale corrected = offrel::ReadSale(t, 0);
    t.Append();
    offrel::WriteSale(t, corrected);  // the copy stands after B
    t.Post();
    t.Save();

    Answer({false});
    EXPECT_EQ(Run(), "");
    EXPECT_THAT(view.questions, ElementsAre(HasSubstr(W("« A corrigée »"))));
    EXPECT_EQ(server.Requests().size(), 2u);  // B and the copy
    EXPECT_THAT(Titles(), ElementsAre(W("A corrigée")));

    // Read back from its file, the sale still has its note.
    offrel::ApplicationTables restarted;
    restarted.cdsVente.SetFileName(tables.cdsVente.FileName());
    restarted.cdsVente.Open();
    Answer({false});
    offrel::RunSalesUpload(restarted.cdsVente, restarted.cdsCategorie, "vendeur", "secret", view);
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(server.Requests().size(), 2u);

    // Deleted and put back, it is found by its fields.
    t.First();
    t.Delete();
    t.Append();
    offrel::WriteSale(t, corrected);
    t.Post();
    Answer({false});
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(server.Requests().size(), 2u);
}

// A sale whose answer was not understood stays noted: the next upload asks.
TEST_F(InterruptedSendTest, AnAnswerNotUnderstoodKeepsTheNote) {
    AddSale("A");
    server.PushAnswer("<html>Maintenance</html>");
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(Notes().size(), 1u);
    Answer({false});
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(Notes().size(), 1u);
}

}  // namespace
