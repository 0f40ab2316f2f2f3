#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "base/Money.h"

namespace offrel {

// How "Modifier en lot" changes the prices: set them to an amount, or raise or lower each by a
// percentage of itself or by an amount.
enum class PriceRule { SetTo, RaiseByPercent, LowerByPercent, RaiseByAmount, LowerByAmount };

struct PriceChange {
    PriceRule rule = PriceRule::SetTo;
    Money value;  // the amount, or the percentage (5 for 5 %)
};

// The rule with the value the seller typed, read as the editor reads a price (the decimal
// separator, four decimals). Throws the conversion message for a text that is no amount, and a
// message for a negative value.
PriceChange ReadPriceChange(PriceRule rule, std::string_view typed);

// The new price, rounded to the cent, half away from zero; an empty price counts as 0. Throws a
// message when the result lies beyond the amounts a price can hold.
Money ChangedPrice(std::optional<Money> price, const PriceChange& change);

struct PriceRange {
    Money lowest;
    Money highest;
    friend bool operator==(const PriceRange&, const PriceRange&) = default;
};
// The lowest and highest of the prices; nothing when there is none.
std::optional<PriceRange> RangeOf(const std::vector<Money>& prices);

}  // namespace offrel
