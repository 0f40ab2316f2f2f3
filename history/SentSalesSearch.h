#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "history/SentSalesList.h"

namespace offrel {

// The search of the list of sent sales as the seller types, a keystroke at a time. A text that
// only adds to words typed before finds among the sales those words found, and a text typed a
// moment ago (a key rubbed out) is found again at once. The answers are those of
// SentSalesList::Find.
class SentSalesSearch {
public:
    // The list outlives the search; Forget when it changes.
    explicit SentSalesSearch(const SentSalesList& list) : list_(list) {}

    std::vector<std::size_t> Find(std::string_view typed);
    void Forget() { recent_.clear(); }

private:
    struct Searched {
        std::vector<std::string> words;
        std::vector<std::size_t> found;
    };
    static constexpr std::size_t kRemembered = 32;

    const SentSalesList& list_;
    std::deque<Searched> recent_;  // the latest at the front
};

}  // namespace offrel
