#include "server/CatalogueRefresh.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "tests/common/TempFolder.h"
#include "tests/server/RawServer.h"
#include "tests/server/RecordingViews.h"
#include "tests/server/WireFormat.h"

using offrel::W;
using End = RawServer::Reply::End;
using testing::ElementsAre;

namespace {

const std::string kOptions = W("1;0.50;0.40;Gras\r\n2;1;0.8;Photo en tête");  // no final break
const std::string kCategories = "1;0;0;0;Maison\n2;1;0;0;Jardin\n";
const std::string kNoNetwork =
    W("Vous devez être connecté à Internet pour mettre le Offrel Brivax à jour !!!");

class CatalogueRefreshTest : public ::testing::Test {
protected:
    CatalogueRefreshTest() {
        for (offrel::Table* t : {&tables.cdsVente, &tables.cdsOption, &tables.cdsCategorie})
            t->Open();
        tables.cdsVente.Append();
        tables.cdsVente.FieldByName("Libelle").SetAsString("Ma vente");
        tables.cdsVente.Post();
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
        return offrel::testing::FileContents((dir.Path() / name).string());
    }
    bool Exists(const char* name) const { return std::filesystem::exists(dir.Path() / name); }

    offrel::testing::TempFolder dir;
    RawServer server;
    ScopedServerUrl url{server.Url()};
    offrel::ApplicationTables tables;
    RecordingRefreshView view;
};

}  // namespace

TEST_F(CatalogueRefreshTest, WorkingSiteFillsBothCatalogues) {
    dir.Write("Options.csv", "old contents that must go");
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
    EXPECT_EQ(tables.cdsOption.RecordCount(), 2);
    EXPECT_EQ(tables.cdsCategorie.RecordCount(), 2);
    EXPECT_EQ(tables.cdsVente.RecordCount(), 1);
    EXPECT_EQ(tables.cdsVente.FileName(), (dir.Path() / "Ventes.cds").string());
    EXPECT_EQ(tables.cdsOption.FileName(), (dir.Path() / "Options.cds").string());
    EXPECT_EQ(tables.cdsCategorie.FileName(), (dir.Path() / "Categories.cds").string());
    EXPECT_TRUE(view.messages.empty());
    EXPECT_THAT(
        view.events,
        ElementsAre("show", W("label Téléchargement des options..."), "repaint", "events", "events",
                    "step", "repaint", W("label Mise à jour des options..."), "repaint", "step",
                    "repaint", W("label Téléchargement des catégories..."), "repaint", "events",
                    "step", "repaint", W("label Mise à jour des catégories..."), "repaint", "step",
                    "repaint", "hide"));
}

TEST_F(CatalogueRefreshTest, FailedConnectionTestClosesTheMainWindowAndGoesOn) {
    server.Push({"HTTP/1.1 503 Service Unavailable\r\n\r\n"});
    server.PushAnswer("");  // an empty option list
    server.PushAnswer(kCategories);
    EXPECT_EQ(Run(), "");
    EXPECT_THAT(view.messages, ElementsAre(kNoNetwork));
    EXPECT_EQ(view.events[3], "message");
    EXPECT_EQ(view.events[4], "close main");
    EXPECT_EQ(server.Requests().size(), 3u);
    EXPECT_EQ(File("Options.csv"), "");
    EXPECT_EQ(tables.cdsOption.RecordCount(), 0);
    EXPECT_EQ(tables.cdsCategorie.RecordCount(), 2);
    EXPECT_EQ(view.events.back(), "hide");
}

TEST_F(CatalogueRefreshTest, NoNetworkLeavesTheOptionsFileEmptyAndStops) {
    dir.Write("Options.csv", "old");
    ScopedServerUrl nowhere("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/offrel.php");
    const std::string failure = Run();
    EXPECT_EQ(failure.rfind("Erreur de communication avec le site : ", 0), 0u) << failure;
    EXPECT_THAT(view.messages, ElementsAre(kNoNetwork));
    EXPECT_EQ(File("Options.csv"), "");
    EXPECT_FALSE(Exists("Categories.csv"));
    EXPECT_EQ(tables.cdsOption.RecordCount(), 0);
    EXPECT_EQ(tables.cdsCategorie.RecordCount(), 0);
    EXPECT_EQ(tables.cdsVente.RecordCount(), 1);
    EXPECT_NE(view.events.back(), "hide");
}

TEST_F(CatalogueRefreshTest, FailedCategoriesLeaveTheirFileEmptyAndTheOptionsIn) {
    server.PushAnswer("");
    server.PushAnswer(kOptions);
    server.Push({"", End::Reset});
    const std::string failure = Run();
    EXPECT_EQ(failure.rfind("Erreur de communication avec le site : ", 0), 0u) << failure;
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(Exists("Categories.csv"));
    EXPECT_EQ(File("Categories.csv"), "");
    EXPECT_EQ(tables.cdsOption.RecordCount(), 2);
    EXPECT_EQ(tables.cdsCategorie.RecordCount(), 0);
    EXPECT_NE(view.events.back(), "hide");
}

TEST_F(CatalogueRefreshTest, BadCatalogueStopsAtItsImport) {
    server.PushAnswer("");
    server.PushAnswer("x;1;1;Gras\n");
    const std::string failure = Run();
    EXPECT_EQ(failure, W("'x' n'est pas une valeur entière correcte"));
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_FALSE(Exists("Categories.csv"));
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
