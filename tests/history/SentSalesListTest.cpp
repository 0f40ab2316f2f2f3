#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/Windows1252.h"
#include "history/SentSalesList.h"
#include "tables/ApplicationTables.h"
#include "tables/Rows.h"

namespace offrel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SentSalesListTest : public ::testing::Test {
protected:
    SentSalesListTest() {
        const std::string texts[][3] = {
            {W("Vélo de course"), "REF-12", W("Cadre acier.\r\nPneus neufs, état parfait")},
            {W("Lampe ŒIL"), W("réf-13"), "Abat-jour en tissu"},
            {"Table basse", "", ""},
        };
        FoldedTexts folded;
        for (int n = 0; n < 3; ++n) {
            SentSaleLine line;
            line.id = 10 + n;
            line.answeredAt = 1000 - n;
            line.login = "vendeur";
            line.libelle = texts[n][0];
            line.reference = texts[n][1];
            line.prix = Money::FromTicks(10000 * n);
            line.categorie = {100 + n, std::nullopt, 200};
            list.Append(line);
            folded.Append(line.id, FoldedSearchText(texts[n][0], texts[n][1], texts[n][2]));
        }
        list.SetSearchTexts(std::move(folded));
    }
    SentSalesList list;
};

TEST_F(SentSalesListTest, ALineShowsWhatWasAddedLatestFirst) {
    ASSERT_EQ(list.size(), 3u);
    const SentSaleLine line = list[1];
    EXPECT_EQ(line.id, 11);
    EXPECT_EQ(line.answeredAt, 999);
    EXPECT_EQ(line.login, "vendeur");
    EXPECT_EQ(line.libelle, W("Lampe ŒIL"));
    EXPECT_EQ(line.reference, W("réf-13"));
    EXPECT_EQ(line.prix, Money::FromTicks(10000));
    EXPECT_EQ(line.categorie, (std::array<std::optional<std::int32_t>, 3>{101, std::nullopt, 200}));
}

TEST_F(SentSalesListTest, EveryWordTypedIsFoundInTheTextsOrTheCategoriesWithoutCaseOrAccents) {
    EXPECT_THAT(list.Find(""), ElementsAre(0, 1, 2));
    EXPECT_THAT(list.Find(W(" VELO ")), ElementsAre(0));
    EXPECT_THAT(list.Find(W("ref-1")), ElementsAre(0, 1));
    EXPECT_THAT(list.Find(W("oeil abat-jour")), ElementsAre(1));
    EXPECT_THAT(list.Find(W("état vélo")), ElementsAre(0));  // description and title
    EXPECT_THAT(list.Find(W("parfait lampe")), IsEmpty());   // every word must be found
    EXPECT_THAT(list.Find("course REF"), ElementsAre(0));
    EXPECT_THAT(list.Find("courseref"), IsEmpty());  // never across two fields

    ApplicationTables tables;
    Table& cdsCategorie = tables.cdsCategorie;
    cdsCategorie.Open();
    cdsCategorie.EmptyDataSet();
    const std::pair<int, std::string> categories[] = {
        {100, W("Cyclisme")}, {102, W("Mobilier d'intérieur")}, {200, W("Occasions")}};
    for (const auto& [id, name] : categories) {
        cdsCategorie.Append();
        WriteCategory(cdsCategorie, {id, 0, name, {}, {}, {}});
        cdsCategorie.Post();
    }
    EXPECT_THAT(list.Find("cyclisme"), IsEmpty());  // no names until they are given
    list.SetCategoryNames(cdsCategorie);
    EXPECT_THAT(list.Find("cyclisme"), ElementsAre(0));
    EXPECT_THAT(list.Find(W("INTERIEUR table")), ElementsAre(2));
    EXPECT_THAT(list.Find("occasions"), ElementsAre(0, 1, 2));  // the third slot counts too
}

// The texts come apart from the lines, in the file's order, maybe for a list that has changed
// since: each goes to the sale of its number, and a sale without one is found by nothing else.
TEST(SentSalesListTexts, EachTextGoesToTheSaleOfItsNumber) {
    SentSalesList list;
    for (const std::int64_t id : {7, 30, 5, 12}) {
        SentSaleLine line;
        line.id = id;
        list.Append(line);
    }
    EXPECT_THAT(list.Find("lampe"), IsEmpty());  // no texts yet
    FoldedTexts texts;
    for (const auto& [id, text] : std::initializer_list<std::pair<std::int64_t, const char*>>{
             {5, "lampe rouge"}, {6, "lampe d'une vente supprimee"}, {7, "lampe"}, {12, "vase"}})
        texts.Append(id, FoldedSearchText(text, "", ""));
    list.SetSearchTexts(std::move(texts));
    const SentSalesList moved = std::move(list);  // the texts move with the list
    EXPECT_THAT(moved.Find("lampe"), ElementsAre(0, 2));
    EXPECT_THAT(moved.Find("rouge"), ElementsAre(2));
    EXPECT_THAT(moved.Find("vase"), ElementsAre(3));
    EXPECT_THAT(moved.Find("supprimee"), IsEmpty());
    EXPECT_THAT(moved.Find(""), ElementsAre(0, 1, 2, 3));
}

}  // namespace
}  // namespace offrel
