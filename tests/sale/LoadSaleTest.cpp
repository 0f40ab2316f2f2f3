#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sale/LoadSale.h"
#include "tests/sale/SaleTables.h"

namespace offrel {
namespace {

using ::testing::ElementsAre;

// A sale with every field set; options 2 and 5 ticked, categories 50 then 10.
void FillSale(Table& t) {
    t.FieldByName("Libelle").SetAsString("Lampe");
    t.FieldByName("Description").SetAsString("Ligne 1\r\nLigne 2");
    t.FieldByName("Reference").SetAsString("REF-7");
    t.FieldByName("TypeVente").SetAsInteger(2);
    t.FieldByName("Quantite").SetAsInteger(4);
    t.FieldByName("Prix").SetAsCurrency(StrToCurr("12.5"));
    t.FieldByName("Renouvelable").SetAsBoolean(false);
    t.FieldByName("DureeTypeVente").SetAsInteger(2);
    t.FieldByName("Categorie1").SetAsInteger(50);
    t.FieldByName("Categorie2").SetAsInteger(10);
    t.FieldByName("Option2").SetAsBoolean(true);
    t.FieldByName("Option5").SetAsBoolean(true);
    t.FieldByName("Photo3").SetAsString("/photos/lampe.jpg");
}

std::vector<std::string> SelectedTexts(const CategoryCascade& cascade) {
    std::vector<std::string> texts;
    for (const CategoryCascade::Selected& entry : cascade.selected()) texts.push_back(entry.text);
    return texts;
}

class LoadSaleTest : public ::testing::Test {
protected:
    LoadSaleTest() : cascade(f.tables.cdsCategorie, f.state) {
        f.AddCategoryTree();
        for (const char* price : {"0.1", "0.25", "1", "2", "0.5", "3", "4"})
            f.AddOption("Option", price);
        // What a previous opening left behind.
        f.state.FichiersPhoto[0] = "ancienne.jpg";
        f.state.CatChoisies = {10, 0, 20};
    }

    LoadedSale Load(bool modification) {
        f.state.ModeModification = modification;
        return LoadSale(f.tables, cascade, f.state);
    }

    testing::SaleTables f;
    CategoryCascade cascade;
};

TEST_F(LoadSaleTest, NewSaleOnAnEmptyTableIsTheInitialState) {
    const LoadedSale sale = Load(false);
    const SaleEntry initial;
    EXPECT_EQ(sale.entry.libelle, "");
    EXPECT_EQ(sale.entry.description, "");
    EXPECT_EQ(sale.entry.typeVente, 0);
    EXPECT_EQ(sale.entry.quantite, "1");
    EXPECT_EQ(sale.entry.duree, 2);
    EXPECT_TRUE(sale.entry.renouvelable);
    EXPECT_EQ(sale.entry.options, initial.options);
    EXPECT_EQ(CurrToStrTwoDecimals(sale.cout), "0.00");
    EXPECT_TRUE(sale.problems.empty());
    EXPECT_EQ(f.state.FichiersPhoto, (std::array<std::string, 8>{}));
    EXPECT_EQ(f.state.CatChoisies, (std::array<std::int32_t, 3>{-1, -1, -1}));
    EXPECT_TRUE(cascade.selected().empty());
    EXPECT_EQ(cascade.level(0).labels.size(), 3u);  // the cascade is reset
}

TEST_F(LoadSaleTest, NewSaleCopiesTheFirstRowButNotItsTitlePriceOptionsOrPhotos) {
    f.AddSale(FillSale);
    f.AddSale([](Table& t) { t.FieldByName("Reference").SetAsString("AUTRE"); });
    f.tables.cdsVente.Last();
    const LoadedSale sale = Load(false);
    EXPECT_EQ(f.tables.cdsVente.RecNo(), 0);
    EXPECT_EQ(sale.entry.reference, "REF-7");
    EXPECT_EQ(sale.entry.description, "Ligne 1\r\nLigne 2");
    EXPECT_EQ(sale.entry.typeVente, 1);
    EXPECT_EQ(sale.entry.quantite, "4");
    EXPECT_FALSE(sale.entry.renouvelable);
    EXPECT_EQ(sale.entry.duree, 1);
    EXPECT_EQ(sale.entry.libelle, "");
    EXPECT_EQ(sale.entry.prix, "");
    EXPECT_EQ(sale.entry.options, SaleEntry().options);
    EXPECT_EQ(CurrToStrTwoDecimals(sale.cout), "0.00");
    EXPECT_EQ(f.state.FichiersPhoto, (std::array<std::string, 8>{}));
    // Three passes: the field order.
    EXPECT_THAT(SelectedTexts(cascade), ElementsAre("Outils (#50)", "Cuisine (#10)"));
    EXPECT_EQ(f.state.CatChoisies, (std::array<std::int32_t, 3>{50, 10, -1}));
}

TEST_F(LoadSaleTest, ChangeReadsTheCurrentRowWhole) {
    f.AddSale([](Table& t) { t.FieldByName("Libelle").SetAsString("Autre"); });
    f.AddSale(FillSale);
    const LoadedSale sale = Load(true);
    EXPECT_EQ(f.tables.cdsVente.RecNo(), 1);
    EXPECT_EQ(sale.entry.libelle, "Lampe");
    EXPECT_EQ(sale.entry.prix, "12.5");
    EXPECT_EQ(sale.entry.quantite, "4");
    EXPECT_EQ(sale.entry.options, (std::array<bool, 7>{false, true, false, false, true}));
    EXPECT_EQ(CurrToStrTwoDecimals(sale.cout), "0.75");
    EXPECT_TRUE(sale.problems.empty());
    EXPECT_EQ(f.state.FichiersPhoto[2], "/photos/lampe.jpg");
    EXPECT_EQ(f.state.FichiersPhoto[0], "");
    // One pass: the order of cdsCategorie.
    EXPECT_THAT(SelectedTexts(cascade), ElementsAre("Cuisine (#10)", "Outils (#50)"));
    EXPECT_EQ(f.state.CatChoisies, (std::array<std::int32_t, 3>{50, 10, -1}));
}

TEST_F(LoadSaleTest, ChangeOfASaleWithCodesOutsideTheirRanges) {
    f.AddSale([](Table& t) {
        t.FieldByName("Prix").SetAsCurrency(StrToCurr("10"));
        t.FieldByName("DureeTypeVente").SetAsInteger(4);
    });
    const LoadedSale sale = Load(true);
    EXPECT_EQ(sale.entry.typeVente, 1);  // no type: a fixed-price sale
    EXPECT_EQ(sale.entry.quantite, "");
    EXPECT_EQ(sale.entry.duree, -1);
    EXPECT_EQ(sale.entry.prix, "10");
    EXPECT_FALSE(sale.entry.renouvelable);
}

TEST_F(LoadSaleTest, AnOptionPriceThatCannotBeReadIsReportedAndTheLoadGoesOn) {
    f.tables.cdsOption.MoveTo(1);
    f.tables.cdsOption.Edit();
    f.tables.cdsOption.FieldByName("Prix").Clear();
    f.tables.cdsOption.Post();
    f.AddSale([](Table& t) {
        for (const char* option : {"Option1", "Option2", "Option4"})
            t.FieldByName(option).SetAsBoolean(true);
        t.FieldByName("Reference").SetAsString("R1");
        t.FieldByName("Categorie1").SetAsInteger(21);
    });
    const LoadedSale sale = Load(true);
    EXPECT_THAT(sale.problems,
                ElementsAre(W("'+' n'est pas une valeur en virgule flottante correcte")));
    EXPECT_TRUE(sale.entry.options[1]);  // the box stays ticked, as after a click
    EXPECT_EQ(CurrToStrTwoDecimals(sale.cout),
              "2.10");  // the options before and after it still count
    EXPECT_EQ(sale.entry.reference, "R1");
    EXPECT_THAT(SelectedTexts(cascade), ElementsAre("Tables (#21)"));
    EXPECT_EQ(cascade.level(0).labels.size(), 3u);
}

}  // namespace
}  // namespace offrel
