#include <gtest/gtest.h>

#include <string>

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/Windows1252.h"

using offrel::CurrToStr;
using offrel::CurrToStrTwoDecimals;
using offrel::Money;
using offrel::StrToCurr;
using offrel::StrToInt;
using offrel::W;

namespace {

// Every test runs with the point, as the application does after its first catalogue import.
class Conversions : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = offrel::DecimalSeparator();
        offrel::SetDecimalSeparator('.');
    }
    void TearDown() override { offrel::SetDecimalSeparator(saved_); }

private:
    char saved_ = '.';
};

Money Ticks(std::int64_t ticks) {
    return Money::FromTicks(ticks);
}

std::string IntegerMessage(const char* text) {
    try {
        StrToInt(text);
    } catch (const offrel::Error& error) {
        return error.what();
    }
    return "no error";
}

std::string MoneyMessage(const char* text) {
    try {
        StrToCurr(text);
    } catch (const offrel::Error& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace

TEST_F(Conversions, WholeNumbersAcceptBlanksInFrontSignsAndHexadecimalForms) {
    EXPECT_EQ(StrToInt("12"), 12);
    EXPECT_EQ(StrToInt("   12"), 12);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("-3"), -3);
    EXPECT_EQ(StrToInt("007"), 7);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("x1f"), 31);
    EXPECT_EQ(StrToInt("X10"), 16);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("0XfF"), 255);
    EXPECT_EQ(StrToInt("-$10"), -16);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(StrToInt("$7FFFFFFF"), 2147483647);
}

TEST_F(Conversions, WholeNumbersRejectEverythingElseNamingTheText) {
    EXPECT_EQ(IntegerMessage("abc"), W("'abc' n'est pas une valeur entière correcte"));
    for (const char* text : {"", " ", "+", "-", "12 ", "1 2", "1.0", "1e3", "$", "0x", "$G",
                             "0x1FG", "2147483648", "-2147483649", "$80000000", "99999999999999",
                             "\xEF\xBB\xBF"
                             "1",
                             "\t1", "0b1"}) {
        EXPECT_EQ(IntegerMessage(text),
                  std::string("'") + text + W("' n'est pas une valeur entière correcte"))
            << '[' << text << ']';
    }
}

TEST_F(Conversions, MoneyReadsExactlyAndRoundsHalfToEven) {
    EXPECT_EQ(StrToCurr("12.50"), Ticks(125000));
    EXPECT_EQ(StrToCurr("  12.5  "), Ticks(125000));
    EXPECT_EQ(StrToCurr("-3"), Ticks(-30000));
    EXPECT_EQ(StrToCurr("+.5"), Ticks(5000));
    EXPECT_EQ(StrToCurr("5."), Ticks(50000));
    EXPECT_EQ(StrToCurr("."), Ticks(0));
    EXPECT_EQ(StrToCurr("-.E7"), Ticks(0));
    EXPECT_EQ(StrToCurr("1E2"), Ticks(1000000));
    EXPECT_EQ(StrToCurr("1.5e+1"), Ticks(150000));
    EXPECT_EQ(StrToCurr("25e-1"), Ticks(25000));
    EXPECT_EQ(StrToCurr("0e99999999999"), Ticks(0));
    EXPECT_EQ(StrToCurr("1e-99999999999"), Ticks(0));
    // Half a tick goes to the even neighbour; anything past half goes up.
    EXPECT_EQ(StrToCurr("0.00005"), Ticks(0));
    EXPECT_EQ(StrToCurr("0.00015"), Ticks(2));
    EXPECT_EQ(StrToCurr("0.000050000000000000000001"), Ticks(1));
    EXPECT_EQ(StrToCurr("-1.23456"), Ticks(-12346));
    EXPECT_EQ(StrToCurr("-0.00025"), Ticks(-2));
    EXPECT_EQ(StrToCurr("0.000049999"), Ticks(0));
    // A double would not hold these exactly.
    EXPECT_EQ(StrToCurr("0.30005"), Ticks(3000));
    EXPECT_EQ(StrToCurr("922337203685477.5807"), Ticks(9223372036854775807));
    EXPECT_EQ(StrToCurr("-922337203685477.5807"), Ticks(-9223372036854775807));
    EXPECT_EQ(StrToCurr("910000000000000"), Ticks(9100000000000000000));
    EXPECT_EQ(StrToCurr("000000000000000000000001.5"), Ticks(15000));
}

TEST_F(Conversions, MoneyRejectsMalformedAndOutOfRangeTextNamingIt) {
    EXPECT_EQ(MoneyMessage("12,50"), "'12,50' n'est pas une valeur en virgule flottante correcte");
    for (const char* text :
         {"", "  ", "-", "+", "E5", "-e1", "1e", "1e+", "1.2.3", "1 234.50", "12a", "0x10", "$5",
          "1..", "922337203685477.5808", "-922337203685477.5808", "922337203685477.58075", "1e15",
          "99999999999999999999"}) {
        EXPECT_EQ(MoneyMessage(text),
                  std::string("'") + text + "' n'est pas une valeur en virgule flottante correcte")
            << '[' << text << ']';
    }
}

TEST_F(Conversions, MoneyFollowsTheDecimalSeparator) {
    offrel::SetDecimalSeparator(',');
    EXPECT_EQ(offrel::DecimalSeparator(), ',');
    EXPECT_EQ(StrToCurr("12,5"), Ticks(125000));
    EXPECT_EQ(MoneyMessage("12.5"), "'12.5' n'est pas une valeur en virgule flottante correcte");
    EXPECT_EQ(CurrToStr(Ticks(125000)), "12,5");
    EXPECT_EQ(CurrToStrTwoDecimals(Ticks(125000)), "12,50");
}

TEST_F(Conversions, MoneyToShortestText) {
    EXPECT_EQ(CurrToStr(Ticks(125000)), "12.5");
    EXPECT_EQ(CurrToStr(Ticks(1000000)), "100");
    EXPECT_EQ(CurrToStr(Ticks(9900)), "0.99");
    EXPECT_EQ(CurrToStr(Ticks(-30000)), "-3");
    EXPECT_EQ(CurrToStr(Ticks(0)), "0");
    EXPECT_EQ(CurrToStr(Ticks(1)), "0.0001");
    EXPECT_EQ(CurrToStr(Ticks(-12345)), "-1.2345");
    EXPECT_EQ(CurrToStr(Ticks(123456789012345)), "12345678901.2345");
    // Past 15 significant digits the last decimals are rounded away.
    EXPECT_EQ(CurrToStr(Ticks(1234567890123456)), "123456789012.346");
    EXPECT_EQ(CurrToStr(Ticks(9223372036854775807)), "922337203685478");
    EXPECT_EQ(CurrToStr(Ticks(-9223372036854775807 - 1)), "-922337203685478");
}

TEST_F(Conversions, MoneyToTwoDecimalsRoundsHalfToEven) {
    EXPECT_EQ(CurrToStrTwoDecimals(Ticks(1250)), "0.12");
    EXPECT_EQ(CurrToStrTwoDecimals(Ticks(1350)), "0.14");
    EXPECT_EQ(CurrToStrTwoDecimals(Ticks(1251)), "0.13");
    EXPECT_EQ(CurrToStrTwoDecimals(Ticks(125000)), "12.50");
    EXPECT_EQ(CurrToStrTwoDecimals(Ticks(12345678900000)), "1234567890.00");
    EXPECT_EQ(CurrToStrTwoDecimals(Ticks(-1350)), "-0.14");
    EXPECT_EQ(CurrToStrTwoDecimals(Ticks(-50)), "0.00");
    EXPECT_EQ(CurrToStrTwoDecimals(Ticks(0)), "0.00");
    EXPECT_EQ(CurrToStrTwoDecimals(Ticks(-9223372036854775807 - 1)), "-922337203685477.58");
}

TEST_F(Conversions, TextAndMoneyRoundTrip) {
    for (const char* text : {"0.01", "12.5", "-3", "100", "0.9999", "-123456.789"}) {
        EXPECT_EQ(CurrToStr(StrToCurr(text)), text);
    }
}
