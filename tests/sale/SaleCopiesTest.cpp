#include "sale/SaleCopies.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tables/Rows.h"
#include "tests/sale/SaleTables.h"

namespace offrel {
namespace {

using ::testing::ElementsAre;

class SaleCopiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* title : {"A", "B", "C", "D"}) {
            Sale sale;
            sale.libelle = title;
            sale.description = std::string("Description de ") + title;
            sale.reference = std::string("R") + title;
            sale.prix = Money::FromTicks(125000);
            sale.categorie = {12, std::nullopt, 40};
            sale.option[2] = true;
            sale.option[7] = true;
            sale.photo[0] = std::string("/photos/") + title + ".jpg";
            sale.typeVente = SaleType::FixedPrice;
            sale.quantite = 3;
            sale.dureeTypeVente = Duration::FiveDays;
            sale.renouvelable = false;
            tables.cdsVente.Append();
            WriteSale(tables.cdsVente, sale);
            tables.cdsVente.Post();
        }
    }
    std::vector<std::string> Titles() {
        std::vector<std::string> titles;
        for (int row = 0; row < tables.cdsVente.RecordCount(); ++row)
            titles.push_back(ReadSale(tables.cdsVente, row).libelle.value_or(""));
        return titles;
    }

    testing::SaleTables sale;
    ApplicationTables& tables = sale.tables;
};

TEST_F(SaleCopiesTest, EachCopyStandsRightAfterItsOriginalWithEveryField) {
    const Sale b = ReadSale(tables.cdsVente, 1);
    const Sale d = ReadSale(tables.cdsVente, 3);
    EXPECT_THAT(DuplicateSales(tables.cdsVente, {0, 1, 3}), ElementsAre(1, 3, 6));
    EXPECT_THAT(Titles(), ElementsAre("A", "A", "B", "B", "C", "D", "D"));
    EXPECT_EQ(ReadSale(tables.cdsVente, 3), b);
    EXPECT_EQ(ReadSale(tables.cdsVente, 6), d);  // the last sale's copy at the end
    EXPECT_EQ(tables.cdsVente.RecNo(), 1);
    EXPECT_FALSE(tables.cdsVente.ControlsDisabled());
}

TEST_F(SaleCopiesTest, NothingSelectedCopiesNothing) {
    EXPECT_TRUE(DuplicateSales(tables.cdsVente, {}).empty());
    EXPECT_EQ(tables.cdsVente.RecordCount(), 4);
}

}  // namespace
}  // namespace offrel
