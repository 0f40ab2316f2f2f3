#include <gtest/gtest.h>

#include "base/Windows1252.h"
#include "sale/SaleEntry.h"

namespace offrel {
namespace {

TEST(SaleEntryTest, PriceTexts) {
    EditorState state;
    state.CatChoisies = {5, -1, -1};
    state.FichiersPhoto[0] = "p.jpg";
    SaleEntry entry;
    entry.libelle = "t";
    entry.description = "d";
    for (const char* good : {"12.5", "  12.5  ", "1e2", "+3"}) {
        entry.prix = good;
        EXPECT_EQ(SaleEntryErrors(entry, state), "") << good;
    }
    for (const char* bad : {"0", "-3", "12,50", ""}) {
        entry.prix = bad;
        EXPECT_EQ(
            SaleEntryErrors(entry, state),
            W("- Indiquer le prix de départ - Utiliser le point comme délimiteur décimal\r\n"))
            << bad;
    }
    entry.prix = "1";
    entry.libelle = "   ";  // blanks pass the title check
    EXPECT_EQ(SaleEntryErrors(entry, state), "");
}

}  // namespace
}  // namespace offrel
