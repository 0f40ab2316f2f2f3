#include "server/TransferAmounts.h"

#include <gtest/gtest.h>

using offrel::TransferAmounts;

namespace {

constexpr std::uint64_t kKo = 1024;
constexpr std::uint64_t kMo = 1024 * kKo;

}  // namespace

TEST(TransferAmounts, MegabytesWithOneDecimalAndAComma) {
    EXPECT_EQ(TransferAmounts(0, 31 * kMo), "0,0 Mo / 31,0 Mo");
    // A photo of 2.5 Mo and the sale's few text fields: the seller sees the photo's size.
    EXPECT_EQ(TransferAmounts(0, 5 * kMo / 2 + 1500), "0,0 Mo / 2,5 Mo");
    EXPECT_EQ(TransferAmounts(124 * kMo / 10 + 1, 31 * kMo), "12,4 Mo / 31,0 Mo");
    EXPECT_EQ(TransferAmounts(kMo, kMo), "1,0 Mo / 1,0 Mo");
    EXPECT_EQ(TransferAmounts(512 * kMo, 512 * kMo), "512,0 Mo / 512,0 Mo");
}

TEST(TransferAmounts, UnfinishedNeverLooksFinished) {
    // The figures meet only at the last byte.
    EXPECT_EQ(TransferAmounts(10 * kMo - 1, 10 * kMo), "9,9 Mo / 10,0 Mo");
    EXPECT_EQ(TransferAmounts(10 * kMo, 10 * kMo), "10,0 Mo / 10,0 Mo");
    EXPECT_EQ(TransferAmounts(kMo + 2000, kMo + 2000), "1,0 Mo / 1,0 Mo");
    EXPECT_EQ(TransferAmounts(kMo + 1000, kMo + 2000), "0,9 Mo / 1,0 Mo");
    EXPECT_EQ(TransferAmounts(99, 100), "0 Ko / 1 Ko");
    EXPECT_EQ(TransferAmounts(100, 100), "1 Ko / 1 Ko");
    EXPECT_EQ(TransferAmounts(2047, 2048), "1 Ko / 2 Ko");
}

TEST(TransferAmounts, WholeKilobytesBelowOneMegabyte) {
    EXPECT_EQ(TransferAmounts(0, 0), "0 Ko / 0 Ko");
    EXPECT_EQ(TransferAmounts(180 * kKo, 412 * kKo + 5), "180 Ko / 413 Ko");
    EXPECT_EQ(TransferAmounts(kMo - 1, kMo - 1), "1024 Ko / 1024 Ko");
}
