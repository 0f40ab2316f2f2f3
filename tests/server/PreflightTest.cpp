#include "server/Preflight.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/Windows1252.h"
#include "tables/ApplicationTables.h"
#include "tables/Rows.h"
#include "tests/common/TempFolder.h"

using offrel::W;
using testing::ElementsAre;

namespace {

class PreflightTest : public ::testing::Test {
protected:
    PreflightTest() {
        tables.cdsVente.Open();
        tables.cdsCategorie.Open();
    }

    void AddCategory(std::int32_t id) {
        offrel::Table& t = tables.cdsCategorie;
        t.Append();
        offrel::CategoryRow row;
        row.id = id;
        row.parentId = 0;
        row.libelle = "Rubrique " + std::to_string(id);
        offrel::WriteCategory(t, row);
        t.Post();
    }

    void AddSale(const std::string& libelle, std::array<std::optional<std::int32_t>, 3> categories,
                 const std::string& photo) {
        offrel::Table& t = tables.cdsVente;
        t.Append();
        offrel::Sale sale;
        sale.libelle = libelle;
        sale.categorie = categories;
        sale.photo[0] = photo;
        offrel::WriteSale(t, sale);
        t.Post();
    }

    std::vector<std::string> Categories() {
        std::vector<std::string> found;
        for (const offrel::CategoryProblem& problem :
             offrel::CheckSaleCategories(tables.cdsVente, tables.cdsCategorie))
            found.push_back(std::to_string(problem.sale) + " " + std::to_string(problem.slot) +
                            " " + std::to_string(problem.id));
        return found;
    }

    offrel::testing::TempFolder dir;
    offrel::ApplicationTables tables;
    const std::string good = dir.Write("bonne.jpg", "\xff\xd8\xff\xd9");
};

}  // namespace

TEST_F(PreflightTest, CategoriesTheCatalogueDoesNotHoldAreFound) {
    AddCategory(12);
    AddCategory(31);
    AddSale("A", {12, std::nullopt, 31}, good);
    AddSale("B", {99999, 12, 0}, good);  // 0: a slot freed in the editor
    AddSale("C", {std::nullopt, 44, 31}, good);
    tables.cdsVente.MoveTo(1);
    EXPECT_THAT(Categories(), ElementsAre("1 1 99999", "2 2 44"));
    EXPECT_EQ(tables.cdsVente.RecNo(), 1);
    EXPECT_EQ(tables.cdsCategorie.RecNo(), 1);
}

// A catalogue that did not come tells nothing about the sales' categories.
TEST_F(PreflightTest, AnEmptyCatalogueFindsNothing) {
    AddSale("A", {99999, std::nullopt, std::nullopt}, good);
    EXPECT_TRUE(Categories().empty());
}

TEST_F(PreflightTest, TheListNamesEachSaleOnceWithItsCategoriesAndPhotos) {
    AddCategory(12);
    const std::string missing = (dir.Path() / "absente.jpg").string();
    AddSale("A", {12, std::nullopt, std::nullopt}, good);
    AddSale(W("Vélo"), {12, 77, std::nullopt}, missing);
    AddSale("C", {88, std::nullopt, std::nullopt}, good);
    AddSale("D", {12, std::nullopt, std::nullopt}, missing);
    const offrel::PreflightProblems problems =
        offrel::CheckBeforeSending(tables.cdsVente, tables.cdsCategorie);
    EXPECT_FALSE(problems.Empty());
    EXPECT_EQ(problems.SalesConcerned(4), (std::vector<bool>{false, true, true, true}));
    EXPECT_EQ(offrel::PreflightList(problems), W("« Vélo »\n"
                                                 "    catégorie 2 : 77 — inconnue du site\n"
                                                 "    photo 1 : ") +
                                                   missing +
                                                   W(" — fichier introuvable\n"
                                                     "\n"
                                                     "« C »\n"
                                                     "    catégorie 1 : 88 — inconnue du site\n"
                                                     "\n"
                                                     "« D »\n"
                                                     "    photo 1 : ") +
                                                   missing + W(" — fichier introuvable\n"));
}
