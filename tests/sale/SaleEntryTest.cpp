#include <gtest/gtest.h>

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
        EXPECT_EQ(SaleEntryErrors(entry, state),
                  "- Indiquer le prix de départ - Utiliser le point comme délimiteur décimal\r\n")
            << bad;
    }
    entry.prix = "1";
    entry.libelle = "   ";  // blanks pass the title check
    EXPECT_EQ(SaleEntryErrors(entry, state), "");
}

// The texts come from the widgets, which report the characters that Windows-1252 lacks; a
// description longer than its column is refused rather than cut.
TEST(SaleEntryTest, TextsTheSiteCannotTakeWhole) {
    EditorState state;
    state.CatChoisies = {5, -1, -1};
    state.FichiersPhoto[0] = "p.jpg";
    SaleEntry entry;
    entry.libelle = "V?lo";
    entry.unsendable.libelle = "🚲";
    entry.description = std::string(4097, 'd');
    entry.prix = "1";
    EXPECT_EQ(SaleEntryErrors(entry, state),
              "- Le titre contient des caractères que le site ne peut pas recevoir : 🚲\r\n"
              "- La description a 4097 caractères : 4096 au plus sont possibles\r\n");
    entry.unsendable.libelle.clear();
    entry.description.pop_back();
    EXPECT_EQ(SaleEntryErrors(entry, state), "");
}

}  // namespace
}  // namespace offrel
