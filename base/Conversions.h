#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Money.h"

namespace offrel {

// The process-wide decimal separator of every conversion between text and money. It starts as
// the system's regional setting; the catalogue and sales imports set it to '.'.
char DecimalSeparator();
void SetDecimalSeparator(char separator);

// Text to whole number: optional leading blanks, optional sign, decimal digits ("$", "x", "X",
// "0x" or "0X" before them make them hexadecimal), nothing after; signed 32-bit range.
// Fails with "'%s' n'est pas une valeur entière correcte".
std::int32_t StrToInt(std::string_view text);

// Text to money with the decimal separator: optional blanks around, optional sign, digits with at
// most one separator, optional exponent; rounded to four decimals, half to even.
// Fails with "'%s' n'est pas une valeur en virgule flottante correcte".
Money StrToCurr(std::string_view text);

// The shortest decimal text of an amount with the decimal separator: 12.5, 100, 0.99, -3.
std::string CurrToStr(Money amount);

// The amount rounded to two decimals, half to even, as CurrToStrTwoDecimals shows it.
Money RoundedToCents(Money amount);

// An amount with exactly two decimals, rounded half to even, with the decimal separator and no
// thousands separator; a negative amount that rounds to zero shows as 0.00.
std::string CurrToStrTwoDecimals(Money amount);

}  // namespace offrel
