#include "history/SentSalesSearch.h"

#include <algorithm>

#include "sale/SearchText.h"

namespace offrel {

namespace {

// A sale that holds every word of words holds every word of earlier: each of those is part of
// one of words, in its text or in a category's name alike.
bool Narrows(const std::vector<std::string>& words, const std::vector<std::string>& earlier) {
    return std::all_of(earlier.begin(), earlier.end(), [&](const std::string& part) {
        return std::any_of(words.begin(), words.end(), [&](const std::string& word) {
            return word.find(part) != std::string::npos;
        });
    });
}

}  // namespace

std::vector<std::size_t> SentSalesSearch::Find(std::string_view typed) {
    std::vector<std::string> words = SearchWords(typed);
    const Searched* narrowest = nullptr;
    for (auto searched = recent_.begin(); searched != recent_.end(); ++searched) {
        if (searched->words == words) {
            std::rotate(recent_.begin(), searched, searched + 1);
            return recent_.front().found;
        }
        if (Narrows(words, searched->words) &&
            (!narrowest || searched->found.size() < narrowest->found.size()))
            narrowest = &*searched;
    }
    std::vector<std::size_t> found =
        narrowest ? list_.FindAmong(typed, narrowest->found) : list_.Find(typed);
    recent_.push_front({std::move(words), found});
    if (recent_.size() > kRemembered) recent_.pop_back();
    return found;
}

}  // namespace offrel
