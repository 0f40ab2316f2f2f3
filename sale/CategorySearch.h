#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tables/Table.h"

namespace offrel {

// The categories that a seller may add to a sale, found by the words typed in the search field
// of page 2. Built once from cdsCategorie; reading it moves no cursor.
//
// The tree is the one the drop-down lists walk: the first row and every later row whose
// ParentID is 0 are at the top, a later row hangs under the (first) row carrying its ParentID.
// A category may be added when it lies below the top and has no sub-category, or lies in the
// seventh list (depth 6) whatever it holds; a row that no list reaches (its parent missing, or
// a loop of parents) is left out, and so is an ID below 1, which a slot cannot hold.
class CategorySearch {
public:
    static constexpr std::size_t kMaxResults = 50;

    struct Category {
        std::int32_t id;
        std::string libelle;  // Windows-1252, as in cdsCategorie
        std::string path;     // the names from the top down to it, joined by " > "
    };

    explicit CategorySearch(const Table& cdsCategorie);

    // The categories whose path holds every word of typed (case, accents and the shape of
    // apostrophes and quotes ignored), a word of digits also finding the category of that number
    // and "#" with digits only that one: first those whose own name or number answers every word,
    // then the others, each group in the tree's order (a category, then its sub-categories,
    // siblings in the order of cdsCategorie); at most kMaxResults. No word typed finds nothing.
    std::vector<Category> Find(std::string_view typed) const;

    // The category of that ID if it may be added; none otherwise.
    std::optional<Category> ById(std::int32_t id) const;

    // How many categories may be added.
    std::size_t size() const { return entries_.size(); }

private:
    // A path ends with the category's own name; the lengths give where it starts.
    struct Entry {
        std::int32_t id;
        std::uint32_t path;  // offset in paths_
        std::uint32_t pathLength;
        std::uint32_t nameLength;
        std::uint32_t folded;  // offset in folded_
        std::uint32_t foldedLength;
        std::uint32_t foldedNameLength;
    };

    Category At(const Entry& entry) const;

    std::vector<Entry> entries_;  // in the tree's order
    std::string paths_;
    std::string folded_;  // the folded names, joined by a line break so that no word spans two
};

// A category as the results list shows it: "Sport > Cyclisme > Vélos de route (#1234)".
std::string ResultText(const CategorySearch::Category& category);

}  // namespace offrel
