#include "base/Conversions.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <limits>

#include "base/Error.h"
#include "base/Windows1252.h"

namespace offrel {

namespace {

// The regional setting, read without touching the locale of the process.
char SystemDecimalSeparator() {
    char separator = '.';
    if (const locale_t regional = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0))) {
        const char* radix = nl_langinfo_l(RADIXCHAR, regional);
        if (radix != nullptr && std::strlen(radix) == 1) separator = radix[0];
        freelocale(regional);
    }
    return separator;
}

char& CurrentDecimalSeparator() {
    static char separator = SystemDecimalSeparator();
    return separator;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::size_t SkipBlanks(std::string_view text, std::size_t i) {
    while (i < text.size() && text[i] == ' ') ++i;
    return i;
}

[[noreturn]] void ThrowNotInteger(std::string_view text) {
    throw Error(FormatMessage(W("'%s' n'est pas une valeur entière correcte"), {text}));
}

[[noreturn]] void ThrowNotMoney(std::string_view text) {
    throw Error(
        FormatMessage(W("'%s' n'est pas une valeur en virgule flottante correcte"), {text}));
}

// Ticks rounded, half to even, to a multiple of `step` (a power of ten).
std::int64_t RoundTicks(std::int64_t ticks, std::int64_t step) {
    std::int64_t quotient = ticks / step;
    const std::int64_t remainder = ticks % step;
    const std::int64_t twice = 2 * (remainder < 0 ? -remainder : remainder);
    if (twice > step || (twice == step && quotient % 2 != 0)) quotient += ticks < 0 ? -1 : 1;
    return quotient;
}

std::uint64_t Magnitude(std::int64_t value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

}  // namespace

char DecimalSeparator() {
    return CurrentDecimalSeparator();
}

void SetDecimalSeparator(char separator) {
    CurrentDecimalSeparator() = separator;
}

std::int32_t StrToInt(std::string_view text) {
    std::size_t i = SkipBlanks(text, 0);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16, ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16, i += 2;
    }
    if (i == text.size()) ThrowNotInteger(text);
    // The magnitude of the most negative value is one more than the largest positive one.
    const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + negative;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = base == 16 ? HexValue(text[i]) : (IsDigit(text[i]) ? text[i] - '0' : -1);
        if (digit < 0) ThrowNotInteger(text);
        value = value * base + digit;
        if (value > limit) ThrowNotInteger(text);
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

Money StrToCurr(std::string_view text) {
    const char separator = DecimalSeparator();
    std::size_t i = SkipBlanks(text, 0);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // The significant digits of the mantissa, without leading zeros, and the power of ten that
    // scales them to ticks. Kept as text so that the amount is exact whatever its length.
    std::string digits;
    int scale = 4;
    bool mantissa = false;
    bool fraction = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i])) {
            if (!digits.empty() || text[i] != '0') digits.push_back(text[i]);
            if (fraction) --scale;
        } else if (text[i] == separator && !fraction) {
            fraction = true;
        } else {
            break;
        }
        mantissa = true;
    }
    if (!mantissa) ThrowNotMoney(text);

    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i++] == '-';
        }
        if (i == text.size() || !IsDigit(text[i])) ThrowNotMoney(text);
        int exponent = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            // Beyond this any non-zero amount overflows or vanishes; only the sign matters.
            if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
        }
        scale += negativeExponent ? -exponent : exponent;
    }
    if (SkipBlanks(text, i) != text.size()) ThrowNotMoney(text);
    if (digits.empty()) return Money();

    // Ticks = digits * 10^scale, the digits that fall below one tick only round.
    const long long kept = static_cast<long long>(digits.size()) + scale;
    if (kept > 19) ThrowNotMoney(text);
    // The range of amounts is the same on both sides: ±922 337 203 685 477.5807.
    const auto limit = static_cast<std::uint64_t>(Money::Largest().Ticks());
    std::uint64_t ticks = 0;
    for (long long k = 0; k < kept; ++k) {
        const int digit = k < static_cast<long long>(digits.size()) ? digits[k] - '0' : 0;
        if (ticks > (limit - digit) / 10) ThrowNotMoney(text);
        ticks = ticks * 10 + digit;
    }
    // Digits below one tick: more than half rounds up, exactly half rounds to even. When the
    // first of them lies below a tenth of a tick, the amount rounds down.
    if (kept >= 0 && kept < static_cast<long long>(digits.size())) {
        const auto first = static_cast<std::size_t>(kept);
        const bool restNonZero = digits.find_first_not_of('0', first + 1) != std::string::npos;
        const char dropped = digits[first];
        if (dropped > '5' || (dropped == '5' && (restNonZero || ticks % 2 != 0))) {
            if (ticks == limit) ThrowNotMoney(text);
            ++ticks;
        }
    }
    return Money::FromTicks(negative ? static_cast<std::int64_t>(0 - ticks)
                                     : static_cast<std::int64_t>(ticks));
}

std::string CurrToStr(Money amount) {
    // At most 15 significant digits: an amount with more is rounded at its last decimals.
    std::int64_t ticks = amount.Ticks();
    std::int64_t step = 1;
    while (std::to_string(Magnitude(ticks / step)).size() > 15) step *= 10;
    const std::uint64_t rounded =
        Magnitude(RoundTicks(ticks, step)) * static_cast<std::uint64_t>(step);

    std::string text = std::to_string(rounded / Money::kScale);
    std::string decimals = std::to_string(rounded % Money::kScale);
    decimals.insert(0, 4 - decimals.size(), '0');
    decimals.erase(decimals.find_last_not_of('0') + 1);
    if (!decimals.empty()) text += DecimalSeparator() + decimals;
    if (ticks < 0 && rounded != 0) text.insert(0, 1, '-');
    return text;
}

Money RoundedToCents(Money amount) {
    // The largest amounts end in .5807: rounding never leaves the range.
    return Money::FromTicks(RoundTicks(amount.Ticks(), Money::kScale / 100) *
                            (Money::kScale / 100));
}

std::string CurrToStrTwoDecimals(Money amount) {
    const std::int64_t cents = RoundedToCents(amount).Ticks() / (Money::kScale / 100);
    std::string decimals = std::to_string(Magnitude(cents) % 100);
    decimals.insert(0, 2 - decimals.size(), '0');
    std::string text = std::to_string(Magnitude(cents) / 100) + DecimalSeparator() + decimals;
    if (cents < 0) text.insert(0, 1, '-');
    return text;
}

}  // namespace offrel
