#include "server/CatalogueRefresh.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tables/Error.h"
#include "tests/server/RawServer.h"
#include "tests/server/RecordingViews.h"
#include "tests/server/TempDir.h"
#include "tests/server/WireFormat.h"

using End = RawServer::Reply::End;
using testing::ElementsAre;

namespace {

const std::string kOptions = "1;0.50;0.40;Gras\r\n2;1;0.8;Photo en t\xeate";  // no final break
const std::string kCategories = "1;0;0;0;Maison\n2;1;0;0;Jardin\n";
const std::string kNoNetwork =
    "Vous devez \xeatre connect\xe9 \xe0 Internet pour mettre le Offrel Brivax \xe0 jour !!!";

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
    std::string File(const char* name) const { return ReadWholeFile((dir.Path() / name).string()); }
    bool Exists(const char* name) const { return std::filesystem::exists(dir.Path() / name); }

    TempDir dir;
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
    EXPECT_THAT(view.events,
                ElementsAre("show",
                            "label T\xe9l\xe9"
                            "chargement des options...",
                            "repaint", "events", "events", "step", "repaint",
                            "label Mise \xe0 jour des options...", "repaint", "step", "repaint",
                            "label T\xe9l\xe9"
                            "chargement des cat\xe9gories...",
                            "repaint", "events", "step", "repaint",
                            "label Mise \xe0 jour des cat\xe9gories...", "repaint", "step",
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
    EXPECT_EQ(failure, "'x' n'est pas une valeur enti\xe8re correcte");
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_FALSE(Exists("Categories.csv"));
}
