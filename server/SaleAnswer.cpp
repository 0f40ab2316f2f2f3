#include "server/SaleAnswer.h"

#include <vector>

#include "base/Windows1252.h"

namespace offrel {

namespace {

constexpr std::size_t kShownLines = 6;
constexpr std::size_t kShownLineLength = 160;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view TrimEnd(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view Trim(std::string_view text) {
    text = TrimEnd(text);
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A tag or a declaration: "<" and a letter, "/", "!" or "?".
bool HasMarkup(std::string_view text) {
    for (std::size_t at = text.find('<'); at != std::string_view::npos && at + 1 < text.size();
         at = text.find('<', at + 1)) {
        const char next = text[at + 1];
        if (IsLetter(next) || next == '/' || next == '!' || next == '?') return true;
    }
    return false;
}

bool HasControlBytes(std::string_view text) {
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if ((code < 0x20 && c != '\t' && c != '\r' && c != '\n') || code == 0x7F) return true;
    }
    return false;
}

bool IsOkInAnyCase(std::string_view text) {
    return text.size() == 2 && (text[0] == 'O' || text[0] == 'o') &&
           (text[1] == 'K' || text[1] == 'k');
}

}  // namespace

SaleAnswer ReadSaleAnswer(std::string_view answer) {
    if (answer.size() <= kSaleAnswerLimit && TrimEnd(answer) == "OK") return SaleAnswer::Accepted;
    const std::string_view text = Trim(answer);
    if (answer.size() > kSaleAnswerLimit || text.empty() || IsOkInAnyCase(text) ||
        HasMarkup(text) || HasControlBytes(text))
        return SaleAnswer::NotUnderstood;
    return SaleAnswer::Refused;
}

std::string ShownSiteText(std::string_view text) {
    const std::string ellipsis = W("…");
    std::vector<std::string_view> lines;
    text = Trim(text);
    while (!text.empty() && lines.size() <= kShownLines) {
        const std::size_t end = text.find('\n');
        lines.push_back(TrimEnd(text.substr(0, end)));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    std::string shown;
    for (std::size_t i = 0; i < lines.size() && i < kShownLines; ++i) {
        if (i > 0) shown += '\n';
        shown += lines[i].substr(0, kShownLineLength);
        if (lines[i].size() > kShownLineLength) shown += ellipsis;
    }
    if (lines.size() > kShownLines) shown += '\n' + ellipsis;
    return shown;
}

}  // namespace offrel
