#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tables/ApplicationTables.h"
#include "tables/CatalogueGenerator.h"
#include "tables/CatalogueImport.h"
#include "tables/CsvFile.h"
#include "tests/common/TempFolder.h"

namespace {

struct Line {
    int id;
    int parent;
    std::string prix;
    std::string prixBoutique;
    std::string name;
};

// Each line split on its four first ";" and its identifiers read as plain decimal numbers.
std::vector<Line> Parse(const std::string& csv) {
    std::vector<Line> lines;
    std::istringstream in(csv);
    std::string text;
    while (std::getline(in, text)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (int k = 0; k < 4; ++k) {
            const std::size_t end = text.find(';', start);
            if (end == std::string::npos) break;
            fields.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        EXPECT_EQ(fields.size(), 4u) << text;
        if (fields.size() != 4) continue;
        lines.push_back(
            {std::stoi(fields[0]), std::stoi(fields[1]), fields[2], fields[3], text.substr(start)});
    }
    return lines;
}

// Depth of each category from the top (1), following ParentID.
std::map<int, int> Levels(const std::vector<Line>& lines) {
    std::map<int, int> parentOf;
    for (const Line& line : lines) parentOf[line.id] = line.parent;
    std::map<int, int> level;
    for (const Line& line : lines) {
        int depth = 1;
        for (int id = line.id; parentOf.at(id) != 0 && depth <= 20; id = parentOf.at(id)) ++depth;
        level[line.id] = depth;
    }
    return level;
}

}  // namespace

TEST(CatalogueGenerator, CategoriesHaveTheShapeOfTheSiteTree) {
    const std::string csv = offrel::GenerateCategoriesCsv();
    EXPECT_EQ(csv, offrel::GenerateCategoriesCsv());  // the same bytes at every call
    const std::vector<Line> lines = Parse(csv);
    ASSERT_EQ(lines.size(), 11048u);

    std::set<int> ids;
    for (const Line& line : lines) ids.insert(line.id);
    EXPECT_EQ(ids.size(), lines.size());
    EXPECT_EQ(*ids.begin(), 1);
    EXPECT_EQ(*ids.rbegin(), 11097);

    for (const Line& line : lines) {
        ASSERT_TRUE(line.parent == 0 || ids.count(line.parent)) << line.id;
    }
    const std::map<int, int> level = Levels(lines);
    std::vector<int> perLevel(10, 0);
    for (const auto& [id, depth] : level) {
        ASSERT_LE(depth, 9) << id;
        ++perLevel[depth];
    }
    EXPECT_EQ(perLevel, (std::vector<int>{0, 29, 325, 2436, 3999, 2289, 1933, 17, 17, 3}));

    EXPECT_EQ(lines.front().parent, 0);
    EXPECT_FALSE(std::is_sorted(lines.begin(), lines.end(),
                                [](const Line& a, const Line& b) { return a.id < b.id; }));
    std::map<int, std::size_t> lineOf;
    for (std::size_t k = 0; k < lines.size(); ++k) lineOf[lines[k].id] = k;
    const auto childBeforeParent = std::count_if(lines.begin(), lines.end(), [&](const Line& l) {
        return l.parent != 0 && lineOf.at(l.parent) > lineOf.at(l.id);
    });
    EXPECT_GT(childBeforeParent, 0);
}

TEST(CatalogueGenerator, PricesAndNamesLookLikeTheSite) {
    const std::vector<Line> lines = Parse(offrel::GenerateCategoriesCsv());
    const auto priced = std::count_if(lines.begin(), lines.end(), [](const Line& line) {
        return line.prix != "0" || line.prixBoutique != "0";
    });
    EXPECT_EQ(priced, 1);

    std::size_t shortest = 1000;
    std::size_t longest = 0;
    bool accented = false;
    for (const Line& line : lines) {
        shortest = std::min(shortest, line.name.size());
        longest = std::max(longest, line.name.size());
        EXPECT_NE(line.name.back(), ' ') << line.id;
        for (const char c : line.name) {
            const auto byte = static_cast<unsigned char>(c);
            ASSERT_TRUE(byte >= 0x20 && byte != 0x7F && (byte < 0x80 || byte >= 0xC0))
                << line.id << ": " << line.name;
            accented = accented || byte >= 0xC0;
        }
    }
    EXPECT_EQ(shortest, 2u);
    EXPECT_EQ(longest, 46u);
    EXPECT_TRUE(accented);
}

TEST(CatalogueGenerator, AnotherSizeKeepsATreeAndTheFilesImport) {
    const std::vector<Line> small = Parse(offrel::GenerateCategoriesCsv(500));
    ASSERT_EQ(small.size(), 500u);
    EXPECT_EQ(small.front().parent, 0);
    EXPECT_LE(Levels(small).size(), 500u);  // every parent chain ends at the top
    EXPECT_TRUE(offrel::GenerateCategoriesCsv(0).empty());

    offrel::testing::TempFolder folder;
    offrel::WriteCatalogueFiles(folder.Path().string());
    offrel::ApplicationTables tables;
    tables.cdsOption.Open();
    tables.cdsOption.EmptyDataSet();
    tables.cdsCategorie.Open();
    tables.cdsCategorie.EmptyDataSet();
    offrel::ReadOptionsFromCSV(tables.cdsOption, folder / "Options.csv");
    offrel::ReadCategoriesFromCSV(tables.cdsCategorie, folder / "Categories.csv");
    EXPECT_EQ(tables.cdsOption.RecordCount(), 7);
    EXPECT_EQ(tables.cdsCategorie.RecordCount(), 11048);
}
