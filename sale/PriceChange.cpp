#include "sale/PriceChange.h"

#include <algorithm>
#include <limits>

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/Windows1252.h"

namespace offrel {

namespace {

constexpr std::int64_t kTicksPerCent = Money::kScale / 100;
// A percentage in ticks: 100 % is 100 times the scale.
constexpr std::int64_t kWhole = 100 * Money::kScale;

// numerator / denominator (above 0) in cents, half away from zero, as ticks.
Money ToCents(__int128 numerator, __int128 denominator) {
    const __int128 scaled = denominator * kTicksPerCent;
    __int128 cents = numerator / scaled;
    const __int128 remainder = numerator % scaled;
    if (2 * (remainder < 0 ? -remainder : remainder) >= scaled) cents += numerator < 0 ? -1 : 1;
    const __int128 ticks = cents * kTicksPerCent;
    if (ticks > Money::Largest().Ticks() || ticks < -Money::Largest().Ticks())
        throw Error(W("Le nouveau prix dépasserait le plus grand montant possible"));
    return Money::FromTicks(static_cast<std::int64_t>(ticks));
}

}  // namespace

PriceChange ReadPriceChange(PriceRule rule, std::string_view typed) {
    const Money value = StrToCurr(typed);
    if (value < Money())
        throw Error(FormatMessage(W("'%s' : indiquez un nombre positif"), {typed}));
    return {rule, value};
}

Money ChangedPrice(std::optional<Money> price, const PriceChange& change) {
    const __int128 ticks = price.value_or(Money()).Ticks();
    const __int128 value = change.value.Ticks();
    switch (change.rule) {
        case PriceRule::SetTo:
            return ToCents(value, 1);
        case PriceRule::RaiseByPercent:
            return ToCents(ticks * (kWhole + value), kWhole);
        case PriceRule::LowerByPercent:
            return ToCents(ticks * (kWhole - value), kWhole);
        case PriceRule::RaiseByAmount:
            return ToCents(ticks + value, 1);
        case PriceRule::LowerByAmount:
            return ToCents(ticks - value, 1);
    }
    return price.value_or(Money());
}

std::optional<PriceRange> RangeOf(const std::vector<Money>& prices) {
    if (prices.empty()) return std::nullopt;
    const auto [lowest, highest] = std::minmax_element(prices.begin(), prices.end());
    return PriceRange{*lowest, *highest};
}

}  // namespace offrel
