#include "sale/BatchCost.h"

#include <gtest/gtest.h>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "tables/ApplicationTables.h"
#include "tests/sale/SaleTables.h"

using offrel::W;

namespace {

class BatchCostTest : public ::testing::Test {
protected:
    void AddOption(const char* prix) { sale.AddOption("Option", prix); }

    void AddSale(std::initializer_list<int> options) {
        sale.AddSale([&](offrel::Table& t) {
            t.FieldByName("Libelle").SetAsString("Vente");
            for (int k : options) t.FieldByName("Option" + std::to_string(k)).SetAsBoolean(true);
        });
    }

    std::string Line() {
        return offrel::BatchLine(offrel::BatchOf(tables.cdsVente, tables.cdsOption));
    }

    offrel::testing::SaleTables sale;
    offrel::ApplicationTables& tables = sale.tables;
};

}  // namespace

TEST_F(BatchCostTest, CountAndStandardTariffOfTheOptions) {
    for (const char* prix : {"0.20", "1.50", "2", "0.006", "0.006"}) AddOption(prix);
    EXPECT_EQ(Line(), W("0 vente — options : 0.00 €"));
    AddSale({});
    EXPECT_EQ(Line(), W("1 vente — options : 0.00 €"));
    AddSale({1, 3});
    EXPECT_EQ(Line(), W("2 ventes — options : 2.20 €"));
    // Each sale's total is rounded at each step as page 5 shows it: 0.006 twice gives 0.02.
    AddSale({4, 5});
    // Boxes 6 and 7 stand for the last option row; Option8 is no box of the editor.
    AddSale({6, 7, 8});
    EXPECT_EQ(Line(), W("4 ventes — options : 2.24 €"));
    // The current sale stays where it was.
    tables.cdsVente.MoveTo(1);
    Line();
    EXPECT_EQ(tables.cdsVente.RecNo(), 1);
}

TEST_F(BatchCostTest, OptionWithoutPriceStopsAsTickingItsBoxDoes) {
    AddOption("1");
    AddOption("");
    AddSale({1});
    EXPECT_EQ(Line(), W("1 vente — options : 1.00 €"));
    AddSale({2});
    try {
        Line();
        FAIL() << "no error";
    } catch (const offrel::Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  W("'+' n'est pas une valeur en virgule flottante correcte"));
    }
}

TEST_F(BatchCostTest, TheSelectedSalesOnly) {
    for (const char* prix : {"0.20", "1.50"}) AddOption(prix);
    AddSale({1});
    AddSale({2});
    AddSale({1, 2});
    const auto line = [this](const std::vector<int>& positions) {
        return offrel::BatchLine(
            offrel::BatchOfSelection(tables.cdsVente, tables.cdsOption, positions));
    };
    EXPECT_EQ(line({1, 2}), W("2 ventes sélectionnées — options : 3.20 €"));
    EXPECT_EQ(line({0}), W("1 vente sélectionnée — options : 0.20 €"));
}
