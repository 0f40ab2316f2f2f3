#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <filesystem>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "tests/common/TempFolder.h"

using offrel::FormatMessage;

TEST(FormatMessage, ReplacesEachPlaceholderInTurnAndKeepsTheRest) {
    EXPECT_EQ(FormatMessage("Impossible d'ouvrir le fichier \"%s\". %s", {"a.cds", "Permission"}),
              "Impossible d'ouvrir le fichier \"a.cds\". Permission");
    EXPECT_EQ(FormatMessage("100% %s %d", {"x"}), "100% x %d");
    EXPECT_EQ(FormatMessage("%s%s", {"a"}), "a%s");
}

// Under a French locale the C library gives its reasons in UTF-8; the messages carry them in
// Windows-1252 like all their text. The locale is built for the test (package locales).
TEST(SystemReason, ComesInWindows1252UnderAFrenchLocale) {
    offrel::testing::TempFolder folder;
    const std::string command =
        "localedef -i fr_FR -f UTF-8 '" + folder / "fr_FR.UTF-8" + "' >/dev/null 2>&1";
    std::system(command.c_str());
    ASSERT_TRUE(std::filesystem::exists(folder / "fr_FR.UTF-8")) << command;
    ::setenv("LOCPATH", folder.Path().c_str(), 1);
    const bool french = ::setlocale(LC_ALL, "fr_FR.UTF-8") != nullptr;
    const std::string reason = offrel::SystemReason(ENOENT);
    ::setlocale(LC_ALL, "C");
    ::unsetenv("LOCPATH");
    ASSERT_TRUE(french);
    EXPECT_EQ(reason, offrel::W("Aucun fichier ou dossier de ce type"));
    EXPECT_EQ(offrel::SystemReason(ENOENT), "No such file or directory");
}
