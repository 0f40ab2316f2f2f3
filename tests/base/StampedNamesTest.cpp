#include "base/StampedNames.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include "tests/common/TempFolder.h"

namespace offrel {
namespace {

// 2023-11-14 21:13:20, read in UTC.
constexpr std::int64_t kTime = 1700000000 - 3600;

class StampedNamesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* zone = ::getenv("TZ");
        if (zone) previousZone_ = zone;
        hadZone_ = zone != nullptr;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    void TearDown() override {
        if (hadZone_)
            ::setenv("TZ", previousZone_.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    testing::TempFolder folder;

private:
    bool hadZone_ = false;
    std::string previousZone_;
};

TEST_F(StampedNamesTest, TheLocalTimeNamesTheFileAndARankFollowsEveryTakenName) {
    const StampedName backup{"Ventes ", "%Y-%m-%d %H-%M-%S", ".cds", " (", ")"};
    const std::string first = FreeStampedName(folder.Path().string(), backup, kTime);
    EXPECT_EQ(first, folder / "Ventes 2023-11-14 21-13-20.cds");
    std::ofstream(first) << "x";
    EXPECT_EQ(FreeStampedName(folder.Path().string(), backup, kTime),
              folder / "Ventes 2023-11-14 21-13-20 (2).cds");
    // A link to nothing takes its name too: writing there would follow it.
    std::filesystem::create_symlink(folder / "absent",
                                    folder / "Ventes 2023-11-14 21-13-20 (2).cds");
    std::filesystem::create_directory(folder / "Ventes 2023-11-14 21-13-20 (3).cds");
    EXPECT_EQ(FreeStampedName(folder.Path().string(), backup, kTime),
              folder / "Ventes 2023-11-14 21-13-20 (4).cds");
    // Another second is another name.
    EXPECT_EQ(FreeStampedName(folder.Path().string(), backup, kTime + 1),
              folder / "Ventes 2023-11-14 21-13-21.cds");
}

TEST_F(StampedNamesTest, ARankMayBeWrittenWithoutAClosingMark) {
    const StampedName aside{"Historique-abime-", "%Y%m%d-%H%M%S", ".sqlite", "-", ""};
    std::ofstream(folder / "Historique-abime-20231114-211320.sqlite") << "x";
    EXPECT_EQ(FreeStampedName(folder.Path().string(), aside, kTime),
              folder / "Historique-abime-20231114-211320-2.sqlite");
}

}  // namespace
}  // namespace offrel
