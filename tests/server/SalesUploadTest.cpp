#include "server/SalesUpload.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "tests/server/UploadFixture.h"
#include "tests/server/WireFormat.h"

using offrel::W;
using End = RawServer::Reply::End;
using testing::ElementsAre;

namespace {

const std::string kConnection =
    W("Vous devez être connecté à Internet pour envoyer vos ventes !!!");

class SalesUploadTest : public UploadFixture {};

}  // namespace

TEST_F(SalesUploadTest, SaleIsSentWithItsPartsInOrder) {
    setlocale(LC_ALL, "C");
    const std::string photo2 = dir.Write("a.jpg", "\xff\xd8\xff-A\xff\xd9");
    const std::string photo5 = dir.Write("b.jpg", "\xff\xd8\xff-B\r\n\xff\xd9");
    offrel::Table& t = tables.cdsVente;
    t.Append();
    t.FieldByName("Libelle").SetAsString(W("Vélo"));
    t.FieldByName("Description").SetAsString("Ligne 1\r\nLigne 2");
    t.FieldByName("Prix").SetAsCurrency(offrel::Money::FromTicks(125000));
    t.FieldByName("Quantite").SetAsInteger(-2);
    t.FieldByName("Renouvelable").SetAsBoolean(true);
    t.FieldByName("DureeTypeVente").SetAsInteger(3);
    t.FieldByName("TypeVente").SetAsInteger(2);
    t.FieldByName("Option2").SetAsBoolean(true);
    t.FieldByName("Option3").SetAsBoolean(false);
    t.FieldByName("Option8").SetAsBoolean(true);
    t.FieldByName("Categorie2").SetAsInteger(1042);
    t.FieldByName("Photo2").SetAsString(photo2);
    t.FieldByName("Photo5").SetAsString(photo5);
    t.Post();
    EXPECT_EQ(Run(), "");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::size_t at = requests[0].find("boundary=") + 9;
    const std::string b = requests[0].substr(at, 23);
    const std::string body =
        wire::TextPart(b, "action", "putVente") + wire::TextPart(b, "login", "vendeur") +
        wire::TextPart(b, "password", "secret") + wire::TextPart(b, "libelle", W("Vélo")) +
        wire::TextPart(b, "description", "Ligne 1\r\nLigne 2") + wire::TextPart(b, "prix", "12.5") +
        wire::TextPart(b, "quantite", "-2") + wire::TextPart(b, "renouvelable", "1") +
        wire::TextPart(b, "dureetypevente", "3") + wire::TextPart(b, "typevente", "2") +
        wire::TextPart(b, "option2", "true") + wire::TextPart(b, "option8", "true") +
        wire::TextPart(b, "reference", "") + wire::TextPart(b, "categorie2", "1042") +
        wire::FilePart(b, "photo2", photo2, "\xff\xd8\xff-A\xff\xd9") +
        wire::FilePart(b, "photo5", photo5, "\xff\xd8\xff-B\r\n\xff\xd9") + wire::Closing(b);
    EXPECT_EQ(requests[0], wire::Request("127.0.0.1:" + std::to_string(server.Port()), b, body));
}

TEST_F(SalesUploadTest, AllAcceptedAreDeletedAndSaved) {
    AddSale("A");
    AddSale("B");
    AddSale("C");
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(server.Requests().size(), 3u);
    EXPECT_TRUE(Titles().empty());
    EXPECT_THAT(view.messages, ElementsAre(W("L'envoi de vos ventes est réussi !")));
    EXPECT_THAT(view.events,
                ElementsAre("start off", "max 3", "label Envoi de la vente : A...", "step",
                            "repaint", "events", "label Envoi de la vente : B...", "step",
                            "repaint", "events", "label Envoi de la vente : C...", "step",
                            "repaint", "events", "message", "start on", "close"));
    // The file was written after the sales went: reading it back finds none.
    offrel::ApplicationTables reread;
    reread.cdsVente.SetFileName(tables.cdsVente.FileName());
    reread.cdsVente.Open();
    EXPECT_EQ(reread.cdsVente.RecordCount(), 0);
}

// Each accepted sale is handed over whole while the table still holds it, and a refused one
// never; a keeper that fails neither stops the run nor keeps a sale in the table, and is told
// once.
TEST_F(SalesUploadTest, AcceptedSalesAreKeptBeforeTheyLeaveTheTable) {
    AddSale("A");
    AddSale("B");
    AddSale("C");
    server.PushAnswer("OK");
    server.PushAnswer("OK");
    server.PushAnswer("Refus");
    server.PushAnswer("Refus");
    std::vector<std::string> kept;
    const std::int64_t before = std::time(nullptr);
    EXPECT_EQ(Run([&](const offrel::Sale& sale, std::int64_t answeredAt, const std::string& login) {
                  EXPECT_EQ(Titles().front(), sale.libelle.value_or(""));
                  EXPECT_EQ(sale.prix, offrel::Money::FromTicks(125000));
                  EXPECT_GE(answeredAt, before);
                  EXPECT_LE(answeredAt, std::time(nullptr));
                  EXPECT_EQ(login, "vendeur");
                  kept.push_back(*sale.libelle);
              }),
              "");
    EXPECT_THAT(kept, ElementsAre("A", "B"));
    EXPECT_THAT(Titles(), ElementsAre("C"));

    view = RecordingUploadView();
    AddSale("D");
    server.PushAnswer("OK");
    server.PushAnswer("OK");
    EXPECT_EQ(Run([](const offrel::Sale&, std::int64_t, const std::string&) {
                  throw offrel::Error("Disque plein");
              }),
              "");
    EXPECT_TRUE(Titles().empty());
    EXPECT_THAT(view.messages,
                ElementsAre(W("L'envoi de vos ventes est réussi !"),
                            W("Les ventes acceptées par le site ont quitté la liste, mais elles "
                              "ne sont pas toutes dans les ventes envoyées : Disque plein")));
}

TEST_F(SalesUploadTest, RefusalsAndSecondAttempts) {
    AddSale("A");
    AddSale("B");
    AddSale("C");
    server.PushAnswer("OK");
    server.PushAnswer("Refus");
    server.PushAnswer("Titre trop court");
    EXPECT_EQ(Run(), "");
    // One request for the first sale, two for the second, none for the third.
    ASSERT_EQ(server.Requests().size(), 3u);
    EXPECT_EQ(server.Requests()[1], server.Requests()[2]);
    EXPECT_THAT(Titles(), ElementsAre("B", "C"));
    EXPECT_THAT(view.messages,
                ElementsAre(W(
                    "1 vente envoyée sur 3. Le site a refusé la vente « B » : Titre trop court")));

    // The second attempt's "OK" is an acceptance.
    view = RecordingUploadView();
    server.PushAnswer("Refus");
    server.PushAnswer("OK");
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(server.Requests().size(), 6u);
    EXPECT_TRUE(Titles().empty());
    EXPECT_THAT(view.messages, ElementsAre(W("L'envoi de vos ventes est réussi !")));
}

// A site's "OK" may end with blanks or a line end; what is neither that nor a plain refusal may
// mean the site stored the sale: it is not sent again, it stays, and the next upload asks.
TEST_F(SalesUploadTest, AnswersThatAreNeitherOKNorARefusalSendNothingTwice) {
    for (const std::string accepted : {"OK\r\n", "OK\n", "OK \t\r\n\r\n"}) {
        view = RecordingUploadView();
        AddSale("A");
        server.PushAnswer(accepted);
        const std::size_t before = server.Requests().size();
        EXPECT_EQ(Run(), "");
        EXPECT_EQ(server.Requests().size(), before + 1);
        EXPECT_TRUE(Titles().empty());
        EXPECT_THAT(view.messages, ElementsAre(W("L'envoi de vos ventes est réussi !")));
    }
    const std::string kept =
        W("0 vente envoyée sur 1. La réponse du site à la vente « A » n'a pas été comprise : la "
          "vente reste dans la liste, et le prochain envoi vous demandera s'il faut l'envoyer à "
          "nouveau. ");
    const std::string html =
        "<!DOCTYPE html>\n<html><body>\n<h1>Maintenance</h1>\n</body></html>\n";
    const std::vector<std::pair<RawServer::Reply, std::string>> answers = {
        {{"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"}, W("Le site a répondu :\nok")},
        {{"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n OK\n"}, W("Le site a répondu :\nOK")},
        {{"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"}, W("Le site n'a rien répondu.")},
        {{"HTTP/1.1 204 No Content\r\n\r\n"}, W("Le site n'a rien répondu.")},
        {{"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(html.size()) + "\r\n\r\n" + html},
         W("Le site a répondu :\n<!DOCTYPE html>\n<html><body>\n<h1>Maintenance</h1>\n"
           "</body></html>")},
        {{"HTTP/1.1 302 Found\r\nLocation: /maintenance.html\r\nContent-Length: 0\r\n\r\n"},
         W("Le site a répondu par une redirection (302 (Found)) au lieu de sa réponse.")},
        {{"HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n"},
         W("Le site a répondu par l'erreur 500 (Internal Server Error).")},
    };
    for (const auto& [reply, detail] : answers) {
        view = RecordingUploadView();
        AddSale("A");
        server.Push(reply);
        const std::size_t before = server.Requests().size();
        EXPECT_EQ(Run(), "");
        EXPECT_EQ(server.Requests().size(), before + 1) << detail;
        EXPECT_THAT(Titles(), ElementsAre("A"));
        EXPECT_THAT(view.messages, ElementsAre(kept + detail));
        EXPECT_TRUE(view.errors.empty());

        // The next upload asks first; "Non" sends nothing.
        view = RecordingUploadView();
        EXPECT_EQ(Run(), "");
        EXPECT_EQ(view.questions.size(), 1u);
        EXPECT_EQ(server.Requests().size(), before + 1);
        // "Oui" sends it once more.
        view = RecordingUploadView();
        view.answers = {true};
        EXPECT_EQ(Run(), "");
        EXPECT_EQ(server.Requests().size(), before + 2);
        EXPECT_TRUE(Titles().empty());
    }
}

// A long answer is read only as far as a refusal could go, and shown in a few lines.
TEST_F(SalesUploadTest, AHugeAnswerIsCutAndShownInAFewLines) {
    std::string huge;
    while (huge.size() < (10u << 20))
        huge += W("Erreur de base de données, ligne ") + std::to_string(huge.size()) + "\n";
    AddSale("A");
    AddSale("B");
    server.PushAnswer(huge);
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_THAT(Titles(), ElementsAre("A", "B"));
    ASSERT_EQ(view.messages.size(), 1u);
    const std::string& message = view.messages.front();
    EXPECT_LT(message.size(), 1500u);
    EXPECT_LE(std::count(message.begin(), message.end(), '\n'), 7);
    EXPECT_NE(message.find(W("Le site a répondu :\nErreur de base de données, ligne 0\n")),
              std::string::npos)
        << message;
    EXPECT_EQ(message.substr(message.size() - 2), "\n" + W("…"));
}

TEST_F(SalesUploadTest, EmptyTableSendsNothing) {
    EXPECT_EQ(Run(), "");
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_THAT(view.events, ElementsAre("start off", "max 0", "message", "start on", "close"));
    EXPECT_THAT(view.messages, ElementsAre("Aucune vente a envoyer..."));
}

// "Vous devez être connecté à Internet" is for a site that cannot be reached; every other
// failure has a sentence of its own, in the closing message.
TEST_F(SalesUploadTest, FailuresStopTheRunAndKeepTheSales) {
    AddSale("A");
    AddSale("B");
    {
        ScopedServerUrl nowhere("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/offrel.php");
        EXPECT_EQ(Run(), "");
    }
    EXPECT_THAT(view.messages,
                ElementsAre(kConnection,
                            W("0 vente envoyée sur 2. L'envoi de la vente « A » a échoué : Le site "
                              "ne répond pas : la connexion a été refusée ou n'a pas pu "
                              "s'établir.")));
    EXPECT_THAT(Titles(), ElementsAre("A", "B"));

    // A connection cut while the answer came: the site may have the sale.
    view = RecordingUploadView();
    server.Push({"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nO", End::Reset});
    EXPECT_EQ(Run(), "");
    EXPECT_THAT(view.messages,
                ElementsAre(W("0 vente envoyée sur 2. L'envoi de la vente « A » a échoué : La "
                              "réponse du site n'a pas pu être reçue : la connexion a été coupée, "
                              "ou la réponse est abîmée. Le site l'a peut-être reçue : le "
                              "prochain envoi vous demandera s'il faut l'envoyer à nouveau.")));
    EXPECT_TRUE(view.errors.empty());
    EXPECT_THAT(Titles(), ElementsAre("A", "B"));

    // A second attempt that fails ends the run the same way.
    view = RecordingUploadView();
    view.answers = {true};
    server.PushAnswer("OK");
    server.PushAnswer("Refus");
    server.Push({"", End::Close});
    EXPECT_EQ(Run(), "");
    EXPECT_THAT(view.messages,
                ElementsAre(W("1 vente envoyée sur 2. L'envoi de la vente « B » a échoué : Le "
                              "site a fermé la connexion sans répondre. Le site l'a peut-être "
                              "reçue : le prochain envoi vous demandera s'il faut l'envoyer à "
                              "nouveau.")));
    EXPECT_THAT(std::vector<std::string>(view.events.end() - 3, view.events.end()),
                ElementsAre("message", "start on", "close"));
    EXPECT_THAT(Titles(), ElementsAre("B"));
    EXPECT_FALSE(tables.cdsVente.ControlsDisabled());
}

TEST_F(SalesUploadTest, PhotoThatWentAwaySinceTheCheckStopsBeforeSending) {
    // The photo goes while the first sale is on its way.
    struct RemovingView : RecordingUploadView {
        std::string photo;
        void ProcessPendingEvents() override { std::filesystem::remove(photo); }
    } removing;
    removing.photo = dir.Write("partie.jpg", "\xff\xd8\xff\xd9");
    AddSale("A");
    AddSale("B", removing.photo);
    offrel::RunSalesUpload(tables.cdsVente, tables.cdsCategorie, "vendeur", "secret", removing);
    EXPECT_THAT(removing.errors, ElementsAre("Impossible d'ouvrir le fichier \"" + removing.photo +
                                             "\". No such file or directory"));
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_THAT(removing.messages,
                ElementsAre(W("1 vente envoyée sur 2. L'envoi s'est arrêté à la vente « B ».")));
    EXPECT_THAT(Titles(), ElementsAre("B"));
}

// The editor stores a path as Windows-1252 text; the file system names the folder in UTF-8. The
// photo goes with its bytes intact, and its part names the path exactly as stored.
TEST_F(SalesUploadTest, PhotosUnderAccentedFoldersGoWithTheirBytesIntact) {
    std::filesystem::create_directories(dir.Path() / "Images" / "Été 2026");
    std::string jpeg = "\xFF\xD8\xFF\xE1";
    for (int i = 0; i < 70000; ++i) jpeg.push_back(static_cast<char>(i * 7 % 256));
    jpeg += "\xFF\xD9";
    dir.Write("Images/Été 2026/vélo.jpg", jpeg);
    const std::string stored = (dir.Path() / W("Images/Été 2026/vélo.jpg")).string();
    AddSale(W("Vélo"), stored);
    EXPECT_EQ(Run(), "");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string b = requests[0].substr(requests[0].find("boundary=") + 9, 23);
    const std::string body =
        wire::TextPart(b, "action", "putVente") + wire::TextPart(b, "login", "vendeur") +
        wire::TextPart(b, "password", "secret") + wire::TextPart(b, "libelle", W("Vélo")) +
        wire::TextPart(b, "description", "") + wire::TextPart(b, "prix", "12.5") +
        wire::TextPart(b, "quantite", "0") + wire::TextPart(b, "renouvelable", "0") +
        wire::TextPart(b, "dureetypevente", "0") + wire::TextPart(b, "typevente", "0") +
        wire::TextPart(b, "reference", "") + wire::FilePart(b, "photo1", stored, jpeg) +
        wire::Closing(b);
    EXPECT_TRUE(requests[0] ==
                wire::Request("127.0.0.1:" + std::to_string(server.Port()), b, body));
    EXPECT_TRUE(Titles().empty());
}

TEST_F(SalesUploadTest, PhotoProblemsAreAskedAboutBeforeAnythingIsSent) {
    const std::string good = dir.Write("bonne.jpg", "\xff\xd8\xff\xd9");
    const std::string missing = (dir.Path() / "absente.jpg").string();
    AddSale("A", good);
    AddSale("B", missing);
    AddSale("C", good);
    const int changes = tables.cdsVente.ChangeCount();

    view.sendOthers = false;  // "Annuler"
    EXPECT_EQ(Run(), "");
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_THAT(view.events, ElementsAre("ask"));
    ASSERT_EQ(view.photoLists.size(), 1u);
    EXPECT_EQ(view.photoLists[0],
              W("« B »\n    photo 1 : ") + missing + W(" — fichier introuvable\n"));
    EXPECT_THAT(Titles(), ElementsAre("A", "B", "C"));
    EXPECT_EQ(tables.cdsVente.ChangeCount(), changes);

    view = RecordingUploadView();  // "Envoyer les autres ventes"
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_THAT(Titles(), ElementsAre("B"));
    EXPECT_THAT(view.events,
                ElementsAre("ask", "start off", "max 2", "label Envoi de la vente : A...", "step",
                            "repaint", "events", "label Envoi de la vente : C...", "step",
                            "repaint", "events", "message", "start on", "close"));
    EXPECT_THAT(view.messages, ElementsAre(W("2 ventes envoyées sur 3. Vente laissée dans la liste "
                                             "pour être corrigée : « B ».")));
}

// The site would refuse a category it does not hold, and the run would stop there: such a sale
// is asked about in the same box as the photos, and passed over like them.
TEST_F(SalesUploadTest, UnknownCategoriesAreAskedAboutWithThePhotos) {
    offrel::Table& categories = tables.cdsCategorie;
    categories.Open();
    categories.Append();
    categories.FieldByName("ID").SetAsInteger(12);
    categories.Post();
    const std::string good = dir.Write("bonne.jpg", "\xff\xd8\xff\xd9");
    const std::string cut = dir.Write("coupee.jpg", "\xff\xd8\xff\xe0");  // cut at a segment
    const auto add = [&](const char* libelle, std::int32_t category, const std::string& photo) {
        AddSale(libelle, photo);
        tables.cdsVente.Edit();
        tables.cdsVente.FieldByName("Categorie1").SetAsInteger(category);
        tables.cdsVente.Post();
    };
    add("A", 12, good);
    add("B", 4242, good);
    add("C", 12, cut);
    add("D", 12, good);
    EXPECT_EQ(Run(), "");
    EXPECT_THAT(view.photoLists,
                ElementsAre(W("« B »\n    catégorie 1 : 4242 — inconnue du site\n\n« C »\n    "
                              "photo 1 : ") +
                            cut + W(" — la photo est incomplète ou abîmée\n")));
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_THAT(Titles(), ElementsAre("B", "C"));
    EXPECT_THAT(view.messages, ElementsAre(W("2 ventes envoyées sur 4. Ventes laissées dans la "
                                             "liste pour être corrigées : « B », « C ».")));
}

TEST_F(SalesUploadTest, PassedOverSalesAndTheRunsEnd) {
    const std::string good = dir.Write("bonne.jpg", "\xff\xd8\xff\xd9");
    const std::string bad = dir.Write("texte.jpg", "pas une photo");
    // The last sale accepted after one passed over: the run ends there.
    AddSale("A", bad);
    AddSale("B", good);
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_THAT(Titles(), ElementsAre("A"));
    EXPECT_THAT(view.messages, ElementsAre(W("1 vente envoyée sur 2. Vente laissée dans la liste "
                                             "pour être corrigée : « A ».")));

    // Passed over, then a refusal: the run stops as before and names both.
    view = RecordingUploadView();
    AddSale("C", good);
    AddSale("D", bad);
    AddSale("E", good);
    server.PushAnswer("OK");
    server.PushAnswer("Refus");
    server.PushAnswer("Prix trop bas");
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(server.Requests().size(), 4u);
    EXPECT_THAT(Titles(), ElementsAre("A", "D", "E"));
    EXPECT_THAT(view.messages,
                ElementsAre(W("1 vente envoyée sur 4. Ventes laissées dans la liste pour être "
                              "corrigées : « A », « D ». Le site a refusé la vente « E » : Prix "
                              "trop bas")));
}

TEST_F(SalesUploadTest, ArreterEndsTheRunAfterTheCurrentSale) {
    AddSale("A");
    AddSale("B");
    AddSale("C");
    view.stopAfterSale = 1;  // pressed while A was going
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_THAT(Titles(), ElementsAre("B", "C"));
    EXPECT_THAT(view.messages, ElementsAre(W("1 vente envoyée sur 3. Vous avez arrêté l'envoi.")));
    EXPECT_FALSE(view.stopOfferedAtMessage);
    offrel::ApplicationTables reread;
    reread.cdsVente.SetFileName(tables.cdsVente.FileName());
    reread.cdsVente.Open();
    EXPECT_EQ(reread.cdsVente.RecordCount(), 2);

    // Pressed during the last sale, it has nothing left to stop: every sale went.
    view = RecordingUploadView();
    view.stopAfterSale = 2;
    EXPECT_EQ(Run(), "");
    EXPECT_TRUE(Titles().empty());
    EXPECT_THAT(view.messages, ElementsAre(W("L'envoi de vos ventes est réussi !")));
}

TEST_F(SalesUploadTest, EachAttemptShowsHowMuchOfTheSaleHasGone) {
    AddSale("A", dir.Write("a.jpg", "\xff\xd8\xff\xe0" + std::string(300000, '\x5a') + "\xff\xd9"));
    server.PushAnswer("Refus");
    EXPECT_EQ(Run(), "");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string size =
        std::to_string((requests[0].size() - requests[0].find("\r\n\r\n") - 4 + 1023) / 1024) +
        " Ko";
    // Each attempt starts from nothing and ends with the whole sale.
    ASSERT_GE(view.amountsShown.size(), 4u);
    EXPECT_EQ(view.amountsShown.front(), "0 Ko / " + size);
    EXPECT_EQ(view.amountsShown.back(), size + " / " + size);
    EXPECT_EQ(std::count(view.amountsShown.begin(), view.amountsShown.end(), "0 Ko / " + size), 2);
}

TEST_F(SalesUploadTest, OnlyTheSelectedSalesGoAndTheOthersStayUntouched) {
    const std::string good = dir.Write("bonne.jpg", "\xff\xd8\xff\xe0\xff\xd9");
    const std::string bad = (dir.Path() / "absente.jpg").string();
    for (const auto& [title, photo] : std::vector<std::pair<std::string, std::string>>{
             {"A", bad}, {"B", good}, {"C", good}, {"D", bad}, {"E", good}})
        AddSale(title, photo);

    // The check and its question name only the selected sales' photos.
    offrel::RunSalesUpload(tables.cdsVente, tables.cdsCategorie, "vendeur", "secret", view,
                           std::vector<int>{1, 3, 4});
    ASSERT_EQ(view.photoLists.size(), 1u);
    EXPECT_EQ(view.photoLists[0], W("« D »\n    photo 1 : ") + bad + W(" — fichier introuvable\n"));
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_THAT(Titles(), ElementsAre("A", "C", "D"));
    EXPECT_THAT(view.events,
                ElementsAre("ask", "start off", "max 2", "label Envoi de la vente : B...", "step",
                            "repaint", "events", "label Envoi de la vente : E...", "step",
                            "repaint", "events", "message", "start on", "close"));
    EXPECT_THAT(view.messages, ElementsAre(W("2 ventes envoyées sur 3. Vente laissée dans la liste "
                                             "pour être corrigée : « D ».")));

    // Every selected sale accepted: the designed message, the others still there.
    view = RecordingUploadView();
    offrel::RunSalesUpload(tables.cdsVente, tables.cdsCategorie, "vendeur", "secret", view,
                           std::vector<int>{1});
    EXPECT_EQ(server.Requests().size(), 3u);
    EXPECT_THAT(Titles(), ElementsAre("A", "D"));
    EXPECT_THAT(view.messages, ElementsAre(W("L'envoi de vos ventes est réussi !")));
}
