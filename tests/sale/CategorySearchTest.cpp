#include "sale/CategorySearch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "base/Windows1252.h"
#include "sale/SearchText.h"
#include "tables/CatalogueGenerator.h"
#include "tables/CatalogueImport.h"
#include "tests/common/TempFolder.h"
#include "tests/sale/SaleTables.h"

using offrel::W;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

class CategorySearchTest : public ::testing::Test {
protected:
    void Add(int id, int parentId, const char* libelle) { sale.AddCategory(id, parentId, libelle); }

    // The shown texts of what typed finds, in UTF-8.
    std::vector<std::string> Found(const char* typed) {
        std::vector<std::string> texts;
        for (const auto& category : offrel::CategorySearch(table).Find(W(typed)))
            texts.push_back(offrel::Windows1252ToUtf8(offrel::ResultText(category)));
        return texts;
    }

    offrel::testing::SaleTables sale;
    offrel::Table& table = sale.tables.cdsCategorie;
};

}  // namespace

TEST(SearchText, FoldsCaseAccentsAndLigatures) {
    EXPECT_EQ(offrel::FoldForSearch(W("Vélos ÉCOLE Cœur Ærø Straße Ÿ 2€")),
              W("velos ecole coeur aero strasse y 2€"));
    EXPECT_THAT(offrel::SearchWords(W(" Vélo\troute  de\u00A0course ")),
                ElementsAre("velo", "route", "de", "course"));
    EXPECT_THAT(offrel::SearchWords("   "), IsEmpty());
}

TEST_F(CategorySearchTest, EveryWordOfThePathIgnoringCaseAndAccents) {
    Add(1, 0, "Sport");
    Add(2, 1, "Cyclisme");
    Add(3, 2, "Vélos de route");
    Add(4, 2, "VTT");
    Add(5, 1, "Randonnée");
    EXPECT_THAT(Found("velo route"), ElementsAre("Sport > Cyclisme > Vélos de route (#3)"));
    EXPECT_THAT(Found("ROUTE VÉLO"), ElementsAre("Sport > Cyclisme > Vélos de route (#3)"));
    // A word of an ancestor's name counts; every word must be somewhere.
    EXPECT_THAT(Found("cyclisme"), ElementsAre("Sport > Cyclisme > Vélos de route (#3)",
                                               "Sport > Cyclisme > VTT (#4)"));
    EXPECT_THAT(Found("cyclisme randonnee"), IsEmpty());
    // A word never spans two names of the path.
    EXPECT_THAT(Found("sportcyclisme"), IsEmpty());
    EXPECT_THAT(Found("  "), IsEmpty());
}

TEST(SearchText, FoldsTypographicApostrophesAndQuotesLikeAccents) {
    EXPECT_EQ(offrel::FoldForSearch(W("Jeux d’éveil ‘bébé’ l‚a ´x « Noël » “Hiver” „z")),
              W("jeux d'eveil 'bebe' l'a 'x \" noel \" \"hiver\" \"z"));
}

TEST_F(CategorySearchTest, ANumberFindsItsCategoryAsTheResultsShowIt) {
    Add(1, 0, "Loisirs");
    Add(11095, 1, "Jeux d'éveil");
    Add(2, 1, "Modèles 11095 et suivants");
    Add(110, 1, "Puzzles");
    EXPECT_THAT(Found("#11095"), ElementsAre("Loisirs > Jeux d'éveil (#11095)"));
    // Plain digits find the category of that number first, then the names that hold them.
    EXPECT_THAT(Found("11095"), ElementsAre("Loisirs > Jeux d'éveil (#11095)",
                                            "Loisirs > Modèles 11095 et suivants (#2)"));
    EXPECT_THAT(Found("#110"), ElementsAre("Loisirs > Puzzles (#110)"));
    EXPECT_THAT(Found("loisirs #110"), ElementsAre("Loisirs > Puzzles (#110)"));
    EXPECT_THAT(Found("#1109"), IsEmpty());
    EXPECT_THAT(Found("#"), IsEmpty());
    EXPECT_THAT(Found("#-5"), IsEmpty());
    EXPECT_THAT(Found("99999999999"), IsEmpty());
    // A typographic apostrophe finds the catalogue's typewriter one.
    EXPECT_THAT(Found("jeux d’éveil"), ElementsAre("Loisirs > Jeux d'éveil (#11095)"));
}

TEST_F(CategorySearchTest, OwnNameFirstThenTheTreesOrder) {
    Add(1, 0, "Maison");
    Add(30, 0, "Jardin");
    Add(11, 1, "Lampes de jardin");  // a child before its sibling's children and before Jardin's
    Add(12, 1, "Meubles");
    Add(31, 30, "Outils");
    Add(20, 12, "Tables");
    Add(21, 12, "Chaises de jardin");
    EXPECT_THAT(Found("jardin"),
                ElementsAre("Maison > Lampes de jardin (#11)",
                            "Maison > Meubles > Chaises de jardin (#21)", "Jardin > Outils (#31)"));
    EXPECT_THAT(Found("maison"),
                ElementsAre("Maison > Lampes de jardin (#11)", "Maison > Meubles > Tables (#20)",
                            "Maison > Meubles > Chaises de jardin (#21)"));
}

TEST_F(CategorySearchTest, OnlyWhatTheSellerMayAdd) {
    // The first row is at the top whatever its ParentID; a top-level category is never added.
    Add(100, 7, "Premier");
    Add(101, 100, "Sous premier");
    Add(2, 0, "Seul");
    // A chain nine levels deep: the seventh list's category holds a sub-category and may be added
    // all the same; below it only the categories without sub-categories may.
    const char* names[] = {"N1", "N2", "N3", "N4", "N5", "N6", "N7", "N8", "N9"};
    for (int level = 0; level < 9; ++level)
        Add(10 + level, level == 0 ? 0 : 9 + level, names[level]);
    Add(40, 16, "Feuille sept");
    Add(41, 17, "Feuille huit");
    Add(50, 999, "Orpheline");
    Add(60, 61, "Boucle A");
    Add(61, 60, "Boucle B");
    Add(0, 2, "Zero");
    const offrel::CategorySearch search(table);
    std::set<std::int32_t> ids;
    for (const char* typed : {"e", "n", "o"})
        for (const auto& category : search.Find(typed)) ids.insert(category.id);
    EXPECT_THAT(ids, ElementsAre(16, 18, 40, 41, 101));
    EXPECT_EQ(search.size(), 5u);
    const auto deepest = search.ById(18);
    ASSERT_TRUE(deepest);
    EXPECT_EQ(deepest->libelle, "N9");
    EXPECT_EQ(deepest->path, "N1 > N2 > N3 > N4 > N5 > N6 > N7 > N8 > N9");
    EXPECT_FALSE(search.ById(17));
    EXPECT_FALSE(search.ById(2));
}

TEST_F(CategorySearchTest, AtMostFiftyOwnNamesFirst) {
    Add(1, 0, "Tout");
    for (int id = 2; id < 62; ++id) Add(id, 1, "Autre");
    for (int id = 100; id < 160; ++id) Add(id, 1, "Boutons");
    const auto found = offrel::CategorySearch(table).Find("bout");
    ASSERT_EQ(found.size(), offrel::CategorySearch::kMaxResults);
    for (const auto& category : found) EXPECT_EQ(category.libelle, "Boutons");
    EXPECT_EQ(found.front().id, 100);
}

TEST_F(CategorySearchTest, DamagedChainIsWalkedOnlySoDeep) {
    // A chain of 5,000 with a leaf at every level: leaf 10000 + k lies at depth k.
    for (int k = 1; k <= 5000; ++k) Add(k, k - 1, "Chaine");
    for (int k = 1; k <= 5000; ++k) Add(10000 + k, k, "Feuille");
    const offrel::CategorySearch search(table);
    EXPECT_EQ(search.size(), 65u);  // the leaves down to depth 64 and the seventh list's category
    EXPECT_TRUE(search.ById(10064));
    EXPECT_FALSE(search.ById(10065));
    EXPECT_TRUE(search.ById(7));
}

// Over the built-in tree, each category found has the path that its parents give, and the
// deepest ones, out of reach of the drop-down lists, are found by their names.
TEST_F(CategorySearchTest, TheBuiltInTreeToItsNinthLevel) {
    offrel::testing::TempFolder folder;
    offrel::WriteCatalogueFiles(folder.Path().string());
    offrel::ReadCategoriesFromCSV(table, folder / "Categories.csv");
    std::map<int, std::pair<int, std::string>> rows;  // ID: parent, name
    std::set<int> parents;
    for (int row = 0; row < table.RecordCount(); ++row) {
        table.MoveTo(row);
        const int id = table.FieldByName("ID").AsInteger();
        const int parent = table.FieldByName("ParentID").AsInteger();
        rows[id] = {parent, table.FieldByName("Libelle").AsString()};
        if (row > 0) parents.insert(parent);
    }
    const offrel::CategorySearch search(table);
    int ninth = 0;
    for (const auto& [id, row] : rows) {
        std::string path = row.second;
        int depth = 0;
        for (int up = row.first; up != 0; up = rows.at(up).first, ++depth)
            path = rows.at(up).second + " > " + path;
        const auto found = search.ById(id);
        const bool addable = depth >= 1 && (depth == 6 || !parents.contains(id));
        ASSERT_EQ(found.has_value(), addable) << id;
        if (!found) continue;
        EXPECT_EQ(found->path, path);
        if (depth == 8) {
            ++ninth;
            const auto byName = search.Find(row.second);
            EXPECT_TRUE(std::any_of(byName.begin(), byName.end(), [id](const auto& category) {
                return category.id == id;
            })) << id;
        }
    }
    EXPECT_EQ(ninth, 3);
}
