#include "history/SentSalesSearch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/Windows1252.h"
#include "history/SentSalesList.h"

namespace offrel {
namespace {

// Typed a key at a time, rubbed out, changed in the middle, pasted whole: each text finds what
// the whole search finds.
TEST(SentSalesSearch, EveryKeystrokeFindsWhatTheWholeSearchFinds) {
    const std::vector<std::string> words = {W("vélo"), "noel", "velours", "lampe",
                                            "rouge",   "vel",  W("Noël")};
    std::mt19937 random(5);
    SentSalesList list;
    FoldedTexts texts;
    for (int n = 0; n < 400; ++n) {
        std::string title, description;
        for (int k = 0; k < 3; ++k) title += words[random() % words.size()] + " ";
        for (int k = 0; k < 5; ++k) description += words[random() % words.size()] + " ";
        SentSaleLine line;
        line.id = n;
        line.libelle = title;
        list.Append(line);
        texts.Append(line.id, FoldedSearchText(title, "", description));
    }
    list.SetSearchTexts(std::move(texts));
    SentSalesSearch search(list);
    std::vector<std::string> typed;
    const std::string sentence = W("vélo noël rouge");
    for (std::size_t k = 0; k <= sentence.size(); ++k) typed.push_back(sentence.substr(0, k));
    for (std::size_t k = sentence.size(); k-- > 0;) typed.push_back(sentence.substr(0, k));
    for (const char* other : {"vel", "velo", "velours", "ve", "lampe vel", "lampe velo", "lampe",
                              "lampe velo", "rouge velo noel", "x", ""})
        typed.push_back(other);
    for (int k = 0; k < 200; ++k)
        typed.push_back(words[random() % words.size()].substr(0, 1 + random() % 4) + " " +
                        words[random() % words.size()].substr(0, random() % 5));
    for (const std::string& text : typed) EXPECT_EQ(search.Find(text), list.Find(text)) << text;
}

TEST(SentSalesSearch, AForgottenSearchFindsInTheNewList) {
    SentSalesList list;
    SentSaleLine line;
    line.libelle = "lampe";
    list.Append(line);
    FoldedTexts texts;
    texts.Append(line.id, FoldedSearchText("lampe", "", ""));
    list.SetSearchTexts(std::move(texts));
    SentSalesSearch search(list);
    EXPECT_EQ(search.Find("lampe").size(), 1u);
    list = SentSalesList();
    search.Forget();
    EXPECT_TRUE(search.Find("lampe").empty());
}

}  // namespace
}  // namespace offrel
