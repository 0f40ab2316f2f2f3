#include "sale/BulkChange.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/Error.h"
#include "tables/Rows.h"
#include "tests/sale/SaleTables.h"
#include "tests/tables/TableTestSupport.h"

namespace offrel {
namespace {

using ::testing::HasSubstr;

Money Amount(const char* text) {
    return StrToCurr(text);
}

class PriceChangeTest : public ::testing::Test {
protected:
    std::string Changed(const char* price, PriceRule rule, const char* value) {
        return CurrToStrTwoDecimals(ChangedPrice(Amount(price), ReadPriceChange(rule, value)));
    }
    testing::SaleTables separator;  // the decimal point of a run
};

TEST_F(PriceChangeTest, EachRuleRoundsToTheCentHalfAwayFromZero) {
    EXPECT_EQ(Changed("10", PriceRule::SetTo, "12.345"), "12.35");
    EXPECT_EQ(Changed("10.01", PriceRule::RaiseByPercent, "5"), "10.51");    // 10.5105
    EXPECT_EQ(Changed("0.10", PriceRule::RaiseByPercent, "5"), "0.11");      // 0.105
    EXPECT_EQ(Changed("0.10", PriceRule::LowerByPercent, "5"), "0.10");      // 0.095
    EXPECT_EQ(Changed("0.30", PriceRule::LowerByPercent, "5"), "0.29");      // 0.285
    EXPECT_EQ(Changed("19.99", PriceRule::RaiseByPercent, "0.5"), "20.09");  // 20.08995
    EXPECT_EQ(Changed("12.5", PriceRule::RaiseByAmount, "2.255"), "14.76");
    EXPECT_EQ(Changed("12.5", PriceRule::LowerByAmount, "0.125"), "12.38");
    // Below zero, half away from zero goes down: the editor's check then refuses the price.
    EXPECT_EQ(Changed("0.10", PriceRule::LowerByAmount, "0.125"), "-0.03");
    EXPECT_EQ(Changed("1", PriceRule::LowerByPercent, "150"), "-0.50");
    // An empty price counts as 0.
    EXPECT_EQ(
        CurrToStrTwoDecimals(ChangedPrice(std::nullopt, {PriceRule::RaiseByAmount, Amount("3")})),
        "3.00");
}

TEST_F(PriceChangeTest, ValuesThatAreNoAmountOrNegativeOrTooLargeAreRefused) {
    EXPECT_THAT(testing::ErrorOf([] { ReadPriceChange(PriceRule::SetTo, "12,50"); }),
                HasSubstr(W("'12,50' n'est pas une valeur en virgule flottante correcte")));
    EXPECT_EQ(testing::ErrorOf([] { ReadPriceChange(PriceRule::RaiseByPercent, "-5"); }),
              W("'-5' : indiquez un nombre positif"));
    const PriceChange doubled = ReadPriceChange(PriceRule::RaiseByPercent, "100");
    EXPECT_EQ(testing::ErrorOf([&] { ChangedPrice(Money::Largest(), doubled); }),
              W("Le nouveau prix dépasserait le plus grand montant possible"));
}

TEST_F(PriceChangeTest, RangeOfThePrices) {
    EXPECT_EQ(RangeOf({}), std::nullopt);
    EXPECT_EQ(RangeOf({Amount("5"), Amount("2.5"), Amount("9")}),
              (PriceRange{Amount("2.5"), Amount("9")}));
}

class BulkChangeTest : public ::testing::Test {
protected:
    // A sale that the editor would save.
    Sale Valid(const char* libelle, const char* prix) {
        Sale sale;
        sale.libelle = W(libelle);
        sale.description = "Une description";
        sale.prix = Amount(prix);
        sale.typeVente = SaleType::Auction;
        sale.quantite = 1;
        sale.dureeTypeVente = Duration::SevenDays;
        sale.renouvelable = true;
        sale.categorie[0] = 12;
        sale.photo[0] = "/photos/a.jpg";
        for (int box = 0; box < 7; ++box) sale.option[box] = false;
        return sale;
    }
    void Add(const Sale& sale) {
        tables.cdsVente.Append();
        WriteSale(tables.cdsVente, sale);
        tables.cdsVente.Post();
    }
    Sale At(int position) { return ReadSale(tables.cdsVente, position); }

    testing::SaleTables sale;
    ApplicationTables& tables = sale.tables;
};

TEST_F(BulkChangeTest, EachFieldChangesOnlyWhenAsked) {
    const Sale before = Valid("Lampe", "10");
    EXPECT_EQ(ChangedSale(before, BulkChange{}), before);

    BulkChange change;
    change.typeVente = SaleType::FixedPrice;
    change.quantite = 4;
    change.dureeTypeVente = Duration::ThreeDays;
    change.renouvelable = false;
    change.options[1] = true;
    change.options[3] = false;
    change.categories = {30, 31};
    const Sale after = ChangedSale(before, change);
    Sale expected = before;
    expected.typeVente = SaleType::FixedPrice;
    expected.quantite = 4;
    expected.dureeTypeVente = Duration::ThreeDays;
    expected.renouvelable = false;
    expected.option[1] = true;
    expected.option[3] = false;
    expected.categorie = {30, 31, std::nullopt};
    EXPECT_EQ(after, expected);

    // Back to an auction: one article, whatever quantity the window held.
    BulkChange auction;
    auction.typeVente = SaleType::Auction;
    auction.quantite = 9;
    EXPECT_EQ(ChangedSale(after, auction).quantite, 1);
}

TEST_F(BulkChangeTest, AShippingLineAddedAndTakenAwayLeavesEachDescriptionAsItWas) {
    BulkChange add;
    add.description = DescriptionChange{true, W("Livraison : 5 €")};
    BulkChange remove;
    remove.description = DescriptionChange{false, W("Livraison : 5 €")};
    for (const char* text : {"Une lampe", "Deux lignes\r\n", ""}) {
        Sale sale = Valid("Lampe", "10");
        sale.description = text;
        const Sale added = ChangedSale(sale, add);
        EXPECT_TRUE(added.description->ends_with(W("Livraison : 5 €")));
        EXPECT_EQ(ChangedSale(added, remove), sale) << text;
    }
    EXPECT_EQ(*ChangedSale(Valid("Lampe", "10"), add).description,
              W("Une description\r\nLivraison : 5 €"));
    // A description that does not end with the line stays as it is.
    EXPECT_EQ(ChangedSale(Valid("Lampe", "10"), remove), Valid("Lampe", "10"));
    // No description at all stays none when there is nothing to take away.
    Sale none = Valid("Lampe", "10");
    none.description.reset();
    EXPECT_EQ(ChangedSale(none, remove), none);
}

TEST_F(BulkChangeTest, AppliesToEverySaleAsOneBulkChangeAndLeavesTheOthers) {
    Add(Valid("A", "10"));
    Add(Valid("B", "20"));
    Add(Valid("C", "30"));
    Add(Valid("D", "19.99"));
    BulkChange change;
    change.price = ReadPriceChange(PriceRule::RaiseByPercent, "5");
    const int changesBefore = tables.cdsVente.ChangeCount();
    const BulkOutcome outcome = ApplyBulkChange(tables.cdsVente, {0, 1, 3}, change);
    EXPECT_EQ(outcome.changed, 3);
    EXPECT_EQ(outcome.report, "");
    EXPECT_EQ(At(0).prix, Amount("10.5"));
    EXPECT_EQ(At(1).prix, Amount("21"));
    EXPECT_EQ(At(2).prix, Amount("30"));
    EXPECT_EQ(At(3).prix, Amount("20.99"));
    EXPECT_EQ(tables.cdsVente.ChangeCount(), changesBefore + 3);
    EXPECT_FALSE(tables.cdsVente.ControlsDisabled());

    // A sale that the change leaves as it was is not written again.
    BulkChange same;
    same.renouvelable = true;
    EXPECT_EQ(ApplyBulkChange(tables.cdsVente, {0, 1}, same).changed, 0);
    EXPECT_EQ(tables.cdsVente.ChangeCount(), changesBefore + 3);
}

TEST_F(BulkChangeTest, OneFailingSaleChangesNothingAndTheReportNamesEachAndWhy) {
    Add(Valid("Lampe", "10"));
    Sale noPhoto = Valid("Vase", "1");
    noPhoto.photo[0].reset();
    noPhoto.reference = "R7";
    Add(noPhoto);
    Add(Valid("Livre", "0.50"));
    BulkChange change;
    change.price = ReadPriceChange(PriceRule::LowerByAmount, "1");
    const std::vector<std::uint8_t> before = tables.cdsVente.SaveToPacket();

    const BulkOutcome outcome = ApplyBulkChange(tables.cdsVente, {0, 1, 2}, change);

    EXPECT_EQ(outcome.changed, 0);
    EXPECT_EQ(outcome.failed, 2);
    EXPECT_EQ(outcome.report,
              W("Aucune vente n'a été modifiée : 2 ventes ne passeraient pas les contrôles de la "
                "saisie.\n"
                "\n« Vase » (réf. R7) :\n"
                "- Indiquer le prix de départ - Utiliser le point comme délimiteur décimal\r\n"
                "- Au moins une image est requise\r\n"
                "\n« Livre » :\n"
                "- Indiquer le prix de départ - Utiliser le point comme délimiteur décimal\r\n"));
    EXPECT_EQ(tables.cdsVente.SaveToPacket(), before);
}

TEST_F(BulkChangeTest, ADescriptionBeyondItsFieldFailsRatherThanBeingCut) {
    Sale longer = Valid("Lampe", "10");
    longer.description = std::string(4090, 'x');
    Add(longer);
    BulkChange change;
    change.description = DescriptionChange{true, "Livraison"};
    const BulkOutcome outcome = ApplyBulkChange(tables.cdsVente, {0}, change);
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_THAT(
        outcome.report,
        HasSubstr(W("- La description a 4101 caractères : 4096 au plus sont possibles\r\n")));
    EXPECT_EQ(At(0).description->size(), 4090u);
}

TEST_F(BulkChangeTest, AQuantityThatIsNoNumberIsReportedAlone) {
    Sale fixed = Valid("Lampe", "10");
    fixed.typeVente = SaleType::FixedPrice;
    fixed.quantite.reset();
    Add(fixed);
    BulkChange change;
    change.renouvelable = false;
    const BulkOutcome outcome = ApplyBulkChange(tables.cdsVente, {0}, change);
    EXPECT_THAT(outcome.report,
                HasSubstr(W("« Lampe » :\n'' n'est pas une valeur entière correcte\r\n")));
}

}  // namespace
}  // namespace offrel
