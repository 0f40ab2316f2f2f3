#include <gtest/gtest.h>

#include "tables/Error.h"

using offrel::FormatMessage;

TEST(FormatMessage, ReplacesEachPlaceholderInTurnAndKeepsTheRest) {
    EXPECT_EQ(FormatMessage("Impossible d'ouvrir le fichier \"%s\". %s", {"a.cds", "Permission"}),
              "Impossible d'ouvrir le fichier \"a.cds\". Permission");
    EXPECT_EQ(FormatMessage("100% %s %d", {"x"}), "100% x %d");
    EXPECT_EQ(FormatMessage("%s%s", {"a"}), "a%s");
}
