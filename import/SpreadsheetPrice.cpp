#include "import/SpreadsheetPrice.h"

#include <algorithm>
#include <string>

#include "base/Conversions.h"
#include "base/Error.h"

namespace offrel {

namespace {

constexpr char16_t kEuro = u'\u20AC';

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\u202F' || c == u'\u2009';
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

std::optional<Money> AsMoney(const std::string& text) {
    try {
        return StrToCurr(text);
    } catch (const Error&) {
        return std::nullopt;
    }
}

// The cell without blanks around it and without one euro sign at its start or end.
std::u16string_view WithoutCurrency(std::u16string_view cell) {
    const auto trim = [](std::u16string_view text) {
        while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
        while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
        return text;
    };
    cell = trim(cell);
    if (!cell.empty() && cell.back() == kEuro) {
        cell.remove_suffix(1);
    } else if (!cell.empty() && cell.front() == kEuro) {
        cell.remove_prefix(1);
    }
    return trim(cell);
}

// Digits in groups of three after a first group of one to three, each group after a separator.
bool GroupsOfThousands(std::u16string_view digits, std::u16string_view separators) {
    std::size_t group = 0;
    bool first = true;
    for (const char16_t c : digits) {
        if (IsDigit(c)) {
            ++group;
            continue;
        }
        if (separators.find(c) == std::u16string_view::npos) return false;
        if (group == 0 || group > 3 || (!first && group != 3)) return false;
        first = false;
        group = 0;
    }
    return group > 0 && (first ? true : group == 3);
}

}  // namespace

std::optional<Money> SpreadsheetPrice(std::u16string_view cell) {
    // The designed reading: plain ASCII, every comma a point.
    if (std::all_of(cell.begin(), cell.end(), [](char16_t c) { return c < 0x80; })) {
        std::string designed(cell.begin(), cell.end());
        std::replace(designed.begin(), designed.end(), ',', '.');
        if (const std::optional<Money> amount = AsMoney(designed)) return amount;
    }
    std::u16string_view number = WithoutCurrency(cell);
    std::string sign;
    if (!number.empty() && (number.front() == u'-' || number.front() == u'+')) {
        sign = static_cast<char>(number.front());
        number.remove_prefix(1);
    }
    // The decimal separator: the last "," or "." when the other kind is there too or when it
    // comes only once.
    const std::size_t comma = number.find_last_of(u',');
    const std::size_t point = number.find_last_of(u'.');
    std::size_t decimal = std::u16string_view::npos;
    if (comma != std::u16string_view::npos && point != std::u16string_view::npos) {
        decimal = std::max(comma, point);
    } else if (const std::size_t lone = std::min(comma, point);
               lone != std::u16string_view::npos && number.find(number[lone]) == lone) {
        decimal = lone;
    }
    const std::u16string_view whole = number.substr(0, decimal);
    const std::u16string_view cents =
        decimal == std::u16string_view::npos ? std::u16string_view() : number.substr(decimal + 1);
    std::u16string grouping = u" \t\u00A0\u202F\u2009";
    if (decimal == std::u16string_view::npos || number[decimal] == u',') grouping += u'.';
    if (decimal == std::u16string_view::npos || number[decimal] == u'.') grouping += u',';
    if (!GroupsOfThousands(whole, grouping) || !std::all_of(cents.begin(), cents.end(), IsDigit))
        return std::nullopt;
    std::string text = sign;
    for (const char16_t c : whole)
        if (IsDigit(c)) text.push_back(static_cast<char>(c));
    if (!cents.empty()) text += "." + std::string(cents.begin(), cents.end());
    return AsMoney(text);
}

}  // namespace offrel
