#include "import/SpreadsheetPrice.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/Conversions.h"

using offrel::Money;

namespace {

class SpreadsheetPrice : public ::testing::Test {
protected:
    void SetUp() override { offrel::SetDecimalSeparator('.'); }
};

std::optional<std::int64_t> Ticks(std::u16string_view cell) {
    const std::optional<Money> amount = offrel::SpreadsheetPrice(cell);
    if (!amount) return std::nullopt;
    return amount->Ticks();
}

}  // namespace

TEST_F(SpreadsheetPrice, ReadsWhatTheDesignedReadingReadAsBefore) {
    EXPECT_EQ(Ticks(u"12,50"), 125000);
    EXPECT_EQ(Ticks(u" 12.50 "), 125000);
    EXPECT_EQ(Ticks(u"1e2"), 1000000);
    EXPECT_EQ(Ticks(u"+3"), 30000);
    EXPECT_EQ(Ticks(u"-5"), -50000);
    // A lone point stays a decimal point, as it always was: 1.200 is one and a fifth.
    EXPECT_EQ(Ticks(u"1.200"), 12000);
    EXPECT_EQ(Ticks(u"0,00005"), 0);  // rounded to four decimals, half to even
}

TEST_F(SpreadsheetPrice, ReadsTheFormsOfAFrenchSpreadsheet) {
    EXPECT_EQ(Ticks(u"12,50 €"), 125000);
    EXPECT_EQ(Ticks(u"12,50\u00A0€"), 125000);
    EXPECT_EQ(Ticks(u"€ 12.50"), 125000);
    EXPECT_EQ(Ticks(u"1 200,00 €"), 12000000);
    EXPECT_EQ(Ticks(u"1\u00A0200,00\u00A0€"), 12000000);
    EXPECT_EQ(Ticks(u"1\u202F200,00\u202F€"), 12000000);
    EXPECT_EQ(Ticks(u"1.200,00"), 12000000);
    EXPECT_EQ(Ticks(u"1,200.00"), 12000000);
    EXPECT_EQ(Ticks(u"1.234.567,8"), 12345678000);
    EXPECT_EQ(Ticks(u"1 234 567"), 12345670000);
    EXPECT_EQ(Ticks(u"1.200.000"), 12000000000);
    EXPECT_EQ(Ticks(u"-1 200,50 €"), -12005000);
    EXPECT_EQ(Ticks(u"  €\u00A0 7 "), 70000);
}

TEST_F(SpreadsheetPrice, ReadsNothingThatIsNotPlainlyAnAmount) {
    for (const std::u16string cell :
         {u"", u"€", u"abc", u"douze €", u"12,50 $", u"1 2,5", u"12 00,00", u"1 2000", u"12,5,0",
          u"1,2.3,4", u"1.2.3,5", u"12,50 € €", u"- 12", u"12,5a", u"1 200,00 EUR", u"€12€"}) {
        EXPECT_EQ(Ticks(cell), std::nullopt) << std::string(cell.begin(), cell.end());
    }
}
