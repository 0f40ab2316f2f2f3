#include <gtest/gtest.h>

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/Windows1252.h"
#include "sale/OptionCost.h"
#include "tests/sale/SaleTables.h"

namespace offrel {
namespace {

// The total after the step, as the page shows it.
std::string Sum(const char* total, const char* amount) {
    return CurrToStrTwoDecimals(OptionCost::MajCoutTotal(StrToCurr(total), amount));
}

TEST(OptionCostTest, StepTextsAndTheirSums) {
    testing::SaleTables f;
    f.AddOption("A", "0.2");
    f.AddOption("B", "1");
    f.AddOption("C", "");
    EXPECT_EQ(OptionCost::Step(f.tables.cdsOption, 1, true), "+0.2");
    EXPECT_EQ(OptionCost::Step(f.tables.cdsOption, 2, false), "-1");
    EXPECT_EQ(OptionCost::Step(f.tables.cdsOption, 3, true), "+");
    // Past the last row the last one stands for the box.
    EXPECT_EQ(OptionCost::Step(f.tables.cdsOption, 7, true), "+");
    EXPECT_EQ(Sum("0.00", "-0.004"), "0.00");
    EXPECT_EQ(Sum("0.10", "-0.3"), "-0.20");
    EXPECT_EQ(Sum("0.00", "+0.125"), "0.12");
    EXPECT_THROW(Sum("0.00", "+"), Error);
    // Options priced at the top of the money range: the total says it cannot be shown.
    EXPECT_EQ(Sum("500000000000000.00", "+410000000000000"), "910000000000000.00");
    for (const char* amount : {"+922337203685477", "-922337203685477"}) {
        try {
            Sum(amount[0] == '+' ? "1.00" : "-1.00", amount);
            ADD_FAILURE() << "no error for " << amount;
        } catch (const Error& error) {
            EXPECT_EQ(error.what(), W("Le coût total dépasse le plus grand montant possible"));
        }
    }
}

TEST(OptionCostTest, CaptionsWithoutAnyOptionRow) {
    testing::SaleTables f;
    EXPECT_EQ(OptionCost::Caption(f.tables.cdsOption, 3), W(" : 0.00 € (0.00 € **)"));
    EXPECT_EQ(OptionCost::Step(f.tables.cdsOption, 1, true), "+");
}

}  // namespace
}  // namespace offrel
