#include "server/CatalogueRefresh.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/Windows1252.h"
#include "tables/CatalogueImport.h"
#include "tests/common/DecimalSeparator.h"
#include "tests/common/TempFolder.h"
#include "tests/server/RawServer.h"
#include "tests/server/RecordingViews.h"
#include "tests/server/WireFormat.h"

using offrel::W;
using End = RawServer::Reply::End;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

const std::string kOptions = W("1;0.50;0.40;Gras\r\n2;1;0.8;Photo en tête");  // no final break
const std::string kCategories = "1;0;0;0;Maison\n2;1;0;0;Jardin\n";
const std::string kNoNetwork =
    W("Vous devez être connecté à Internet pour mettre le Offrel Brivax à jour !!!");
const std::string kNotUpdated =
    W("La liste des catégories et des options n'a pas pu être mise à jour. ");
const std::string kKept = W("\n\nLe programme garde celle de sa dernière mise à jour.");
const std::string kEnds =
    W("\n\nSans elle, le programme ne peut pas s'ouvrir : réessayez plus tard.");

RawServer::Reply Answer(const std::string& body) {
    return {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
            body};
}

class CatalogueRefreshTest : public ::testing::Test {
protected:
    CatalogueRefreshTest() {
        for (offrel::Table* t : {&tables.cdsVente, &tables.cdsOption, &tables.cdsCategorie})
            t->Open();
        tables.cdsVente.Append();
        tables.cdsVente.FieldByName("Libelle").SetAsString("Ma vente");
        tables.cdsVente.Post();
    }

    // The catalogue of an earlier start: in the tables, and its answers in their files.
    void HaveLastGoodCatalogue() {
        offrel::ReadOptionsFromCSV(tables.cdsOption, dir.Write("Options.csv", "9;1;1;Ancienne\n"));
        offrel::ReadCategoriesFromCSV(tables.cdsCategorie,
                                      dir.Write("Categories.csv", "5;0;0;0;Ancienne\n"));
    }
    // What the last good catalogue is made of: the tables' packets and the two files.
    std::vector<std::string> Catalogue() const {
        const auto packet = [](const offrel::Table& t) {
            const std::vector<std::uint8_t> bytes = t.SaveToPacket();
            return std::string(bytes.begin(), bytes.end());
        };
        return {packet(tables.cdsOption), packet(tables.cdsCategorie), File("Options.csv"),
                File("Categories.csv")};
    }

    std::string Run() {
        try {
            offrel::RunCatalogueRefresh(tables, dir.Path().string(), view);
        } catch (const offrel::Error& error) {
            return error.what();
        }
        return "";
    }
    std::string File(const char* name) const {
        if (!Exists(name)) return "<missing>";
        return offrel::testing::FileContents((dir.Path() / name).string());
    }
    bool Exists(const char* name) const { return std::filesystem::exists(dir.Path() / name); }
    std::vector<std::string> FolderContents() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    offrel::testing::TempFolder dir;
    RawServer server;
    ScopedServerUrl url{server.Url()};
    offrel::ApplicationTables tables;
    RecordingRefreshView view;
};

}  // namespace

TEST_F(CatalogueRefreshTest, WorkingSiteFillsBothCatalogues) {
    HaveLastGoodCatalogue();
    server.PushAnswer("test answer, not used");
    server.PushAnswer(kOptions);
    server.PushAnswer(kCategories);
    EXPECT_EQ(Run(), "");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0], requests[1]);
    EXPECT_NE(requests[0].find("Content-Length: 117\r\n"), std::string::npos);
    EXPECT_NE(requests[2].find("name=\"action\"\r\n\r\ngetCategories\r\n"), std::string::npos);
    EXPECT_NE(requests[2].find("Content-Length: 120\r\n"), std::string::npos);

    EXPECT_EQ(File("Options.csv"), kOptions);
    EXPECT_EQ(File("Categories.csv"), kCategories);
    EXPECT_THAT(FolderContents(), ElementsAre("Categories.csv", "Options.csv"));
    EXPECT_EQ(tables.cdsOption.RecordCount(), 2);
    EXPECT_EQ(tables.cdsCategorie.RecordCount(), 2);
    EXPECT_EQ(tables.cdsVente.RecordCount(), 1);
    EXPECT_EQ(tables.cdsVente.FileName(), (dir.Path() / "Ventes.cds").string());
    EXPECT_EQ(tables.cdsOption.FileName(), (dir.Path() / "Options.cds").string());
    EXPECT_EQ(tables.cdsCategorie.FileName(), (dir.Path() / "Categories.cds").string());
    // Replaced, the catalogue tables are written at the end of the run.
    EXPECT_GT(tables.cdsOption.ChangeCount(), 0);
    EXPECT_GT(tables.cdsCategorie.ChangeCount(), 0);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_THAT(
        view.events,
        ElementsAre("show", W("label Téléchargement des options..."), "repaint", "events", "events",
                    "step", "repaint", W("label Mise à jour des options..."), "repaint", "step",
                    "repaint", W("label Téléchargement des catégories..."), "repaint", "events",
                    "step", "repaint", W("label Mise à jour des catégories..."), "repaint", "step",
                    "repaint", "hide"));
}

// No way to the site: the designed message and no second request; the last good catalogue stays
// and the run goes on with it, or, without one, the program ends.
TEST_F(CatalogueRefreshTest, NoNetworkKeepsTheLastGoodCatalogueOrEnds) {
    const std::string nowhere = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/offrel.php";
    {
        ScopedServerUrl there(nowhere);
        EXPECT_EQ(Run(), "");
    }
    EXPECT_THAT(view.messages, ElementsAre(kNoNetwork));
    EXPECT_EQ(view.events.back(), "close main");
    EXPECT_THAT(FolderContents(), ElementsAre());

    HaveLastGoodCatalogue();
    const auto before = Catalogue();
    const int changes = tables.cdsOption.ChangeCount();
    view = RecordingRefreshView();
    {
        offrel::testing::DecimalSeparatorSet comma(',');
        ScopedServerUrl there(nowhere);
        EXPECT_EQ(Run(), "");
        // As after an import, amounts are written with "." from now on.
        EXPECT_EQ(offrel::DecimalSeparator(), '.');
    }
    EXPECT_THAT(view.messages, ElementsAre(kNoNetwork));
    EXPECT_EQ(view.events.back(), "hide");
    EXPECT_EQ(std::count(view.events.begin(), view.events.end(), "close main"), 0);
    EXPECT_EQ(Catalogue(), before);
    EXPECT_EQ(tables.cdsOption.ChangeCount(), changes);  // not even written again at the end
    EXPECT_EQ(tables.cdsVente.RecordCount(), 1);
}

// A site that answers, but not a catalogue: one message, and the last good catalogue, files and
// tables, is left as it was.
TEST_F(CatalogueRefreshTest, ABadAnswerNeverTouchesTheLastGoodCatalogue) {
    HaveLastGoodCatalogue();
    const auto before = Catalogue();
    struct Case {
        std::vector<RawServer::Reply> replies;
        std::string reason;
        std::size_t requests;
    };
    std::string noise;
    for (int i = 0; i < 3000; ++i) noise.push_back(static_cast<char>((i * 7919 + 13) % 256));
    const std::string html = "<!DOCTYPE html>\n<html><body><b>Maintenance</b></body></html>\n";
    const std::vector<Case> cases = {
        {{{"HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n\r\n"}},
         W("Le site a répondu par l'erreur 503 (Service Unavailable)."),
         1},
        {{Answer(""), {"", End::Reset}},
         W("La réponse du site n'a pas pu être reçue : la connexion a été coupée, ou la réponse "
           "est abîmée."),
         2},
        {{Answer(""), Answer("")}, W("La liste des options reçue du site est vide."), 2},
        {{Answer(""), Answer(html)},
         W("La liste des options reçue du site ne peut pas être lue : '<!DOCTYPE html>' n'est "
           "pas une valeur entière correcte"),
         2},
        {{Answer(""), Answer(kOptions), {"HTTP/1.1 500 Internal Server Error\r\n\r\n<html>"}},
         W("Le site a répondu par l'erreur 500 (Internal Server Error)."),
         3},
        {{Answer(""), Answer(kOptions), Answer("")},
         W("La liste des catégories reçue du site est vide."),
         3},
        {{Answer(""), Answer(kOptions), Answer(noise)},
         W("La liste des catégories reçue du site "),
         3},
        {{Answer(""),
          Answer(kOptions),
          {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n1;0;0;0;Mai", End::Close}},
         W("La réponse du site s'est arrêtée avant sa fin."),
         3},
        {{Answer(""), Answer(kOptions), Answer("2;1;0;0;Jardin\n")},
         W("La liste des catégories reçue du site n'a aucune catégorie principale."),
         3},
    };
    for (const Case& c : cases) {
        view = RecordingRefreshView();
        const std::size_t sent = server.Requests().size();
        for (const RawServer::Reply& reply : c.replies) server.Push(reply);
        EXPECT_EQ(Run(), "") << c.reason;
        EXPECT_EQ(server.Requests().size() - sent, c.requests) << c.reason;
        ASSERT_EQ(view.messages.size(), 1u) << c.reason;
        EXPECT_THAT(view.messages.front(), StartsWith(kNotUpdated + c.reason));
        EXPECT_THAT(view.messages.front(), testing::EndsWith(kKept));
        EXPECT_LT(view.messages.front().size(), 1200u);
        EXPECT_EQ(view.events.back(), "hide") << c.reason;
        EXPECT_EQ(Catalogue(), before) << c.reason;
        EXPECT_THAT(FolderContents(), ElementsAre("Categories.csv", "Options.csv")) << c.reason;
    }
}

TEST_F(CatalogueRefreshTest, ABadAnswerWithoutACatalogueEndsTheProgram) {
    server.PushAnswer("");
    server.PushAnswer("");
    EXPECT_EQ(Run(), "");
    EXPECT_THAT(
        view.messages,
        ElementsAre(kNotUpdated + W("La liste des options reçue du site est vide.") + kEnds));
    EXPECT_EQ(view.events.back(), "close main");
    EXPECT_EQ(tables.cdsOption.RecordCount(), 0);
    EXPECT_EQ(tables.cdsCategorie.RecordCount(), 0);
    EXPECT_THAT(FolderContents(), ElementsAre());
}

TEST_F(CatalogueRefreshTest, DownloadsAreFollowedToTheirEnd) {
    server.PushAnswer("");
    server.PushAnswer(kOptions);
    server.PushAnswer(kCategories);
    EXPECT_EQ(Run(), "");
    ASSERT_FALSE(view.downloads.empty());
    EXPECT_EQ(view.downloads.back(),
              std::make_pair(std::uint64_t{kCategories.size()}, std::uint64_t{kCategories.size()}));
}
