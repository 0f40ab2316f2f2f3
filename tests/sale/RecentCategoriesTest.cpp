#include "sale/RecentCategories.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/common/TempFolder.h"

using offrel::KeepRecentCategories;
using offrel::LoadRecentCategories;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

std::string FileText(const offrel::testing::TempFolder& folder) {
    std::ifstream in(folder / offrel::kRecentCategoriesFile, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST(RecentCategories, LatestSaleFirstInSlotOrderTenAtMost) {
    offrel::testing::TempFolder folder;
    const std::string dir = folder.Path().string();
    EXPECT_THAT(LoadRecentCategories(dir), IsEmpty());
    KeepRecentCategories(dir, {5, -1, 7});
    KeepRecentCategories(dir, {0, 9, 5});  // a freed slot holds nothing; 5 moves to the head
    EXPECT_THAT(LoadRecentCategories(dir + "/"), ElementsAre(9, 5, 7));
    EXPECT_EQ(FileText(folder), "9\n5\n7\n");
    KeepRecentCategories(dir, {-1, -1, -1});  // no category: the list stays
    for (int id = 100; id < 110; ++id) KeepRecentCategories(dir, {id, -1, -1});
    EXPECT_THAT(LoadRecentCategories(dir),
                ElementsAre(109, 108, 107, 106, 105, 104, 103, 102, 101, 100));
    KeepRecentCategories(dir, {21, 21, 22});  // the same category twice in one sale
    EXPECT_THAT(LoadRecentCategories(dir),
                ElementsAre(21, 22, 109, 108, 107, 106, 105, 104, 103, 102));
}

TEST(RecentCategories, DamagedFileGivesNoneAndIsReplaced) {
    offrel::testing::TempFolder folder;
    const std::string dir = folder.Path().string();
    for (const char* damaged :
         {"12\nabc\n", "12\n12\n", "12", "0\n", "-3\n", "+3\n", "012\n", " 12\n", "12\r\n",
          "2147483648\n", "\n", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n", "\xff\xfe"}) {
        folder.Write(offrel::kRecentCategoriesFile, damaged);
        EXPECT_THAT(LoadRecentCategories(dir), IsEmpty()) << damaged;
    }
    KeepRecentCategories(dir, {4, -1, -1});
    EXPECT_EQ(FileText(folder), "4\n");
    folder.Write(offrel::kRecentCategoriesFile, "2147483647\n1\n");
    EXPECT_THAT(LoadRecentCategories(dir), ElementsAre(2147483647, 1));
}

TEST(RecentCategories, FolderThatCannotBeWrittenIsNoError) {
    offrel::testing::TempFolder folder;
    const std::string missing = folder / "absent";
    EXPECT_NO_THROW(KeepRecentCategories(missing, {4, -1, -1}));
    EXPECT_THAT(LoadRecentCategories(missing), IsEmpty());
    // A folder standing where the file should be: unreadable, and never replaced.
    std::filesystem::create_directory(folder / offrel::kRecentCategoriesFile);
    EXPECT_NO_THROW(KeepRecentCategories(folder.Path().string(), {4, -1, -1}));
    EXPECT_THAT(LoadRecentCategories(folder.Path().string()), IsEmpty());
}
