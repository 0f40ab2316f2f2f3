#include "server/TransferAmounts.h"

#include <gtest/gtest.h>

using offrel::TransferAmounts;

namespace {

constexpr std::uint64_t kKo = 1024;
constexpr std::uint64_t kMo = 1024 * kKo;

}  // namespace

TEST(TransferAmounts, MegabytesWithOneDecimalAndAComma) {
    EXPECT_EQ(TransferAmounts(0, 31 * kMo), "0,0 Mo / 31,0 Mo");
    EXPECT_EQ(TransferAmounts(124 * kMo / 10 + 1, 31 * kMo), "12,4 Mo / 31,0 Mo");
    EXPECT_EQ(TransferAmounts(kMo, kMo), "1,0 Mo / 1,0 Mo");
    EXPECT_EQ(TransferAmounts(512 * kMo, 512 * kMo), "512,0 Mo / 512,0 Mo");
}

TEST(TransferAmounts, UnfinishedNeverLooksFinished) {
    // The part sent is rounded down, the total up: they meet only at the last byte.
    EXPECT_EQ(TransferAmounts(10 * kMo - 1, 10 * kMo), "9,9 Mo / 10,0 Mo");
    EXPECT_EQ(TransferAmounts(10 * kMo, 10 * kMo), "10,0 Mo / 10,0 Mo");
    EXPECT_EQ(TransferAmounts(kMo + 1, kMo + 1), "1,1 Mo / 1,1 Mo");
    EXPECT_EQ(TransferAmounts(kMo, kMo + 1), "1,0 Mo / 1,1 Mo");
    EXPECT_EQ(TransferAmounts(99, 100), "0 Ko / 1 Ko");
    EXPECT_EQ(TransferAmounts(100, 100), "1 Ko / 1 Ko");
}

TEST(TransferAmounts, WholeKilobytesBelowOneMegabyte) {
    EXPECT_EQ(TransferAmounts(0, 0), "0 Ko / 0 Ko");
    EXPECT_EQ(TransferAmounts(180 * kKo, 412 * kKo + 5), "180 Ko / 413 Ko");
    EXPECT_EQ(TransferAmounts(kMo - 1, kMo - 1), "1024 Ko / 1024 Ko");
}
