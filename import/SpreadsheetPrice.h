#pragma once

#include <optional>
#include <string_view>

#include "base/Money.h"

namespace offrel {

// The amount of a price cell as a French spreadsheet shows it when the sheet is saved "as
// shown": "12,50", "12,50 €", "1 200,00 €" (a blank, a no-break space or a narrow no-break space
// between the thousands), "1.200,00", "1,200.00", "€ 12.50". When both "," and "." are there,
// the last one is the decimal separator and the other separates thousands; a lone separator
// is the decimal one, unless it comes more than once, between groups of three digits. The
// designed reading (every "," read as "." then the text as money, exponent and all) comes first,
// so that every price it read still reads the same. Nothing when the cell reads as no amount.
// Needs the decimal separator ".".
std::optional<Money> SpreadsheetPrice(std::u16string_view cell);

}  // namespace offrel
