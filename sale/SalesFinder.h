#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sale/SaleListCells.h"
#include "tables/Table.h"

namespace offrel {

// The order of the list: by a column, up or down; sales that compare equal keep the order of
// the table.
struct ListSort {
    ListColumn column = ListColumn::Libelle;
    bool descending = false;
    friend bool operator==(const ListSort&, const ListSort&) = default;
};

// The sales the list shows: found by the words the seller types, sorted by a column. What it
// reads of the sales is kept, for the next keystroke and the next sort, until Forget().
class SalesFinder {
public:
    SalesFinder(const Table& cdsVente, SaleListCells& cells);

    // The sales or the catalogue changed.
    void Forget();

    // The positions of the sales whose title, reference, description or category names hold
    // every word typed, case and accents ignored as the category search ignores them (all of the
    // sales when no word is typed), in the order of the table or sorted.
    std::vector<int> Shown(std::string_view typed, const std::optional<ListSort>& sort);

private:
    // The folded title, reference, description and category names of every sale, one after the
    // other, each sale's between its start and the next one's.
    void ReadTexts();
    bool Matches(int position, const std::vector<std::string>& words) const;
    // The place of every sale in the order of a column, equal sales at the same place.
    const std::vector<std::int32_t>& Ranks(ListColumn column);

    const Table& cdsVente_;
    SaleListCells& cells_;
    bool textsRead_ = false;
    std::string texts_;
    std::vector<std::uint32_t> starts_;
    std::vector<std::uint32_t> titleEnds_;  // where each folded title ends in texts_
    // The last search: a search that only adds to its words looks among the sales it found.
    std::vector<std::string> lastWords_;
    std::vector<int> lastFound_;
    bool lastValid_ = false;
    std::array<std::vector<std::int32_t>, kListColumns> ranks_;
};

}  // namespace offrel
