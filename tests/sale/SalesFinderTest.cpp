#include "sale/SalesFinder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "sale/SearchText.h"
#include "tables/Rows.h"
#include "tests/sale/SaleTables.h"

namespace offrel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SalesFinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        sale.AddCategoryTree();
        sale.AddOption("Gras", "1.50");
        sale.AddOption("Couleur", "2");
    }
    // Texts in UTF-8.
    void Add(const char* libelle, const char* reference, const char* description,
             std::int32_t category, const char* prix) {
        Sale row;
        row.libelle = W(libelle);
        row.reference = W(reference);
        row.description = W(description);
        if (category) row.categorie[0] = category;
        if (*prix) row.prix = StrToCurr(prix);
        tables.cdsVente.Append();
        WriteSale(tables.cdsVente, row);
        tables.cdsVente.Post();
    }
    std::vector<int> Shown(const char* typed, std::optional<ListSort> sort = std::nullopt) {
        return finder.Shown(W(typed), sort);
    }

    testing::SaleTables sale;
    ApplicationTables& tables = sale.tables;
    SaleListCells cells{tables.cdsCategorie, tables.cdsOption};
    SalesFinder finder{tables.cdsVente, cells};
};

TEST_F(SalesFinderTest, FindsEveryWordInTheTitleReferenceDescriptionOrCategoryNames) {
    Add("Vélo de course", "R-12", "Cadre en aluminium", 60, "120");
    Add("Canapé d'angle", "C7", "Tissu ÉCRU, livraison possible", 20, "300");
    Add("Table basse", "T1", "Chêne massif", 21, "80");
    EXPECT_THAT(Shown(""), ElementsAre(0, 1, 2));
    EXPECT_THAT(Shown("  "), ElementsAre(0, 1, 2));
    EXPECT_THAT(Shown("VELO"), ElementsAre(0));
    EXPECT_THAT(Shown("r-12"), ElementsAre(0));
    EXPECT_THAT(Shown("ecru"), ElementsAre(1));
    EXPECT_THAT(Shown("arbres"), ElementsAre(0));   // its category
    EXPECT_THAT(Shown("canapés"), ElementsAre(1));  // the title and the category both hold it
    EXPECT_THAT(Shown("chene table"), ElementsAre(2));
    EXPECT_THAT(Shown("chene velo"), IsEmpty());  // every word, not any
    EXPECT_THAT(Shown("a"), ElementsAre(0, 1, 2));
}

TEST_F(SalesFinderTest, SortsByEachColumnUpAndDownWithTiesInTheTablesOrder) {
    Add("b", "R2", "", 60, "10");
    Add("A", "R1", "", 20, "");
    Add("c", "R3", "", 0, "5");
    Add("a", "R0", "", 21, "10");
    const auto up = [](ListColumn column) { return ListSort{column, false}; };
    const auto down = [](ListColumn column) { return ListSort{column, true}; };
    // "A" and "a" are the same title to the sort: they keep the table's order both ways.
    EXPECT_THAT(Shown("", up(ListColumn::Libelle)), ElementsAre(1, 3, 0, 2));
    EXPECT_THAT(Shown("", down(ListColumn::Libelle)), ElementsAre(2, 0, 1, 3));
    // No price comes first.
    EXPECT_THAT(Shown("", up(ListColumn::Prix)), ElementsAre(1, 2, 0, 3));
    EXPECT_THAT(Shown("", down(ListColumn::Prix)), ElementsAre(0, 3, 2, 1));
    EXPECT_THAT(Shown("", up(ListColumn::Reference)), ElementsAre(3, 1, 0, 2));
    // By the name of the first category: none, Arbres, Canapés, Tables.
    EXPECT_THAT(Shown("", up(ListColumn::Categorie)), ElementsAre(2, 0, 1, 3));
    // Sorted and searched together.
    EXPECT_THAT(Shown("r", down(ListColumn::Reference)), ElementsAre(2, 0, 1, 3));
    EXPECT_THAT(Shown("r1 ", up(ListColumn::Prix)), ElementsAre(1));
}

TEST_F(SalesFinderTest, ForgetsWhatItReadWhenTheSalesChange) {
    Add("Lampe", "", "", 0, "1");
    EXPECT_THAT(Shown("lampe"), ElementsAre(0));
    EXPECT_THAT(Shown("", ListSort{ListColumn::Prix, false}), ElementsAre(0));
    Add("Lampe rouge", "", "", 0, "0.5");
    finder.Forget();
    EXPECT_THAT(Shown("lampe"), ElementsAre(0, 1));
    EXPECT_THAT(Shown("", ListSort{ListColumn::Prix, false}), ElementsAre(1, 0));
}

// A search typed key by key, with words added, changed and taken away, finds what a search from
// scratch finds.
TEST_F(SalesFinderTest, KeystrokesFindWhatAFreshSearchFinds) {
    std::mt19937 random(7);
    const char* words[] = {"lampe", "rouge", "verte", "bureau", "vélo", "été", "table"};
    for (int n = 0; n < 300; ++n) {
        std::string description;
        for (int k = 0; k < 3; ++k) description += std::string(words[random() % 7]) + " ";
        Add(words[random() % 7], "", description.c_str(), 0, "1");
    }
    std::string typed;
    for (int key = 0; key < 400; ++key) {
        if (random() % 4 == 0 && !typed.empty())
            typed.pop_back();
        else
            typed += "abcdeloprtuv é"[random() % 14];
        if (typed.size() > 12) typed.clear();
        const std::vector<int> shown = Shown(typed.c_str());
        SalesFinder fresh(tables.cdsVente, cells);
        ASSERT_EQ(shown, fresh.Shown(W(typed), std::nullopt)) << typed;
    }
}

TEST(SaleListCellsTest, TheColumnsBeyondTitleAndPrice) {
    testing::SaleTables sale;
    sale.AddCategoryTree();
    sale.AddOption("Gras", "1.50");
    sale.AddOption("Couleur", "2");
    sale.AddOption("Vitrine", "");  // a price that cannot be added counts for nothing
    SaleListCells cells(sale.tables.cdsCategorie, sale.tables.cdsOption);
    Sale row;
    row.reference = "R1";
    row.categorie = {0, 21, 20};
    row.photo[0] = "/a.jpg";
    row.photo[4] = "/b.jpg";
    row.photo[5] = "";
    row.option[0] = true;
    row.option[1] = true;
    row.option[2] = true;
    row.typeVente = SaleType::FixedPrice;
    row.dureeTypeVente = Duration::ThreeDays;
    EXPECT_EQ(cells.Text(row, ListColumn::Reference), "R1");
    EXPECT_EQ(cells.Text(row, ListColumn::Categorie), "Tables");
    EXPECT_EQ(cells.Text(row, ListColumn::Photos), "2");
    EXPECT_EQ(cells.Text(row, ListColumn::Options), W("3.50 €"));
    EXPECT_EQ(cells.Text(row, ListColumn::Type), W("Vente à prix net"));
    EXPECT_EQ(cells.Text(row, ListColumn::Duree), "3 jours");
    row.categorie = {999, std::nullopt, std::nullopt};
    row.typeVente = static_cast<SaleType>(7);
    row.dureeTypeVente = Duration::None;
    EXPECT_EQ(cells.Text(row, ListColumn::Categorie), "#999");
    EXPECT_EQ(cells.Text(row, ListColumn::Type), "7");
    EXPECT_EQ(cells.Text(row, ListColumn::Duree), "");
    EXPECT_EQ(ListColumnTitle(ListColumn::Duree), W("Durée"));
}

}  // namespace
}  // namespace offrel
