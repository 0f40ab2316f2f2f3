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
#include "tests/common/DiskFullAbove.h"
#include "tests/server/ShortTimeouts.h"
#include "tests/server/UploadFixture.h"

using offrel::SendJournal;
using offrel::testing::DiskFullAbove;
using offrel::W;
using End = RawServer::Reply::End;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

class InterruptedSendTest : public UploadFixture {
protected:
    std::string JournalPath() const { return offrel::SendJournalPath(tables.cdsVente.FileName()); }
    offrel::JournalNotes Notes() const { return SendJournal(JournalPath()).Pending(); }
    std::string DigestOf(int row) const { return offrel::SaleDigest(tables.cdsVente, row); }
    // The next run starts with a fresh view that answers the questions so.
    void Answer(std::vector<bool> answers) {
        view = RecordingUploadView();
        view.answers = std::move(answers);
    }
};

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
    EXPECT_THAT(view.messages,
                ElementsAre(W("Vous devez être connecté à Internet pour envoyer vos ventes !!!"),
                            StartsWith(W("0 vente envoyée sur 2. L'envoi de la vente « A » a "
                                         "échoué : Le site ne répond pas"))));
    ASSERT_EQ(Notes().size(), 1u);
    const std::int64_t when = Notes().begin()->second;
    EXPECT_EQ(Notes().begin()->first, DigestOf(0));

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
    EXPECT_EQ(Notes(), (offrel::JournalNotes{{DigestOf(0), when}}));

    // "Oui": A goes, and once the site took it, nothing is noted any more.
    Answer({true});
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_TRUE(Titles().empty());
    EXPECT_THAT(view.messages, ElementsAre(W("L'envoi de vos ventes est réussi !")));
    EXPECT_TRUE(Notes().empty());
}

// The upload runs in a child forked while this process has no thread but its own: in a child
// forked beside other threads, a lock that one of them held stays taken for ever.
TEST(InterruptedSendAcrossAKill, TheSiteHoldingTheSaleOfAKilledApplicationMakesTheNextStartAsk) {
    offrel::testing::TempFolder dir;
    offrel::ApplicationTables tables;
    tables.cdsVente.Open();
    tables.cdsVente.SetFileName((dir.Path() / "Ventes.cds").string());
    AppendSale(tables.cdsVente, "A");
    tables.cdsVente.Save();

    int urlPipe[2];
    ASSERT_EQ(::pipe(urlPipe), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(urlPipe[1]);
        char url[256] = {};
        if (::read(urlPipe[0], url, sizeof url - 1) <= 0) ::_exit(1);
        ScopedServerUrl there(url);
        RecordingUploadView view;
        offrel::RunSalesUpload(tables.cdsVente, "vendeur", "secret", view);
        ::_exit(0);
    }
    ::close(urlPipe[0]);
    RawServer silent;  // reads the whole request, stores it, never answers
    silent.Push({"", End::Hang});
    const std::string url = silent.Url();
    ASSERT_EQ(::write(urlPipe[1], url.data(), url.size()), static_cast<ssize_t>(url.size()));
    ::close(urlPipe[1]);
    for (int i = 0; i < 6000 && silent.Requests().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    int status = 0;
    const bool stillSending = ::waitpid(child, &status, WNOHANG) == 0;
    ::kill(child, SIGKILL);
    if (stillSending) ::waitpid(child, &status, 0);
    ASSERT_TRUE(stillSending) << "the upload ended before it was killed";
    ASSERT_EQ(silent.Requests().size(), 1u);  // the site has the sale

    // The next start reads the table from its file; the sale is still there, and noted.
    RawServer server;
    ScopedServerUrl there(server.Url());
    offrel::ApplicationTables restarted;
    restarted.cdsVente.SetFileName(tables.cdsVente.FileName());
    restarted.cdsVente.Open();
    RecordingUploadView view;
    view.answers = {false};
    offrel::RunSalesUpload(restarted.cdsVente, "vendeur", "secret", view);
    EXPECT_THAT(view.questions, ElementsAre(HasSubstr(W("« A » était en cours d'envoi"))));
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(restarted.cdsVente.RecordCount(), 1);
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
    SendJournal(JournalPath()).Record(DigestOf(0), 1700000000);
    server.PushAnswer("Refus");
    server.PushAnswer("Refus");
    Answer({true});
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(server.Requests().size(), 2u);
    // The refusal says nothing of the send that was cut off: the site may still have that one.
    EXPECT_EQ(Notes(), (offrel::JournalNotes{{DigestOf(0), 1700000000}}));
    {
        ScopedServerUrl nowhere("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/offrel.php");
        Answer({true});
        EXPECT_EQ(Run(), "");
    }
    EXPECT_EQ(Notes(), (offrel::JournalNotes{{DigestOf(0), 1700000000}}));
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
    EXPECT_TRUE(server.Requests().empty());
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
    offrel::RunSalesUpload(restarted.cdsVente, "vendeur", "secret", view);
    EXPECT_THAT(view.questions, ElementsAre(HasSubstr(W("« A »"))));
    EXPECT_EQ(server.Requests().size(), 2u);  // B only
}

TEST_F(InterruptedSendTest, ADamagedJournalIsToldOnceAndTheSalesGoAllTheSame) {
    dir.Write("Envois.journal", "n'importe quoi\n");
    AddSale("A");
    EXPECT_EQ(Run(), "");
    EXPECT_THAT(view.messages,
                ElementsAre(HasSubstr(W("est endommagé : la ligne 1 n'est pas une ligne du "
                                        "journal. Il est mis de côté et l'envoi continue sans "
                                        "lui.")),
                            W("L'envoi de vos ventes est réussi !")));
    AddSale("B");
    Answer({});
    EXPECT_EQ(Run(), "");
    EXPECT_THAT(view.messages, ElementsAre(W("L'envoi de vos ventes est réussi !")));
    EXPECT_EQ(server.Requests().size(), 2u);
}

}  // namespace
