#include "sale/SearchText.h"

#include <array>

#include "base/Windows1252.h"

namespace offrel {

namespace {

// The folded spelling of each byte from 0x80 up; an empty entry keeps the byte.
using HighFolds = std::array<std::string, 128>;

HighFolds MakeHighFolds() {
    HighFolds folds;
    auto fold = [&folds](std::string_view utf8, const char* folded) {
        for (char byte : W(utf8)) folds[static_cast<unsigned char>(byte) - 0x80] = folded;
    };
    fold("ÀÁÂÃÄÅàáâãäå", "a");
    fold("Ææ", "ae");
    fold("Çç", "c");
    fold("Ðð", "d");
    fold("ÈÉÊËèéêë", "e");
    fold("ÌÍÎÏìíîï", "i");
    fold("Ññ", "n");
    fold("ÒÓÔÕÖØòóôõöø", "o");
    fold("Œœ", "oe");
    fold("Šš", "s");
    fold("ß", "ss");
    fold("Þþ", "th");
    fold("ÙÚÛÜùúûü", "u");
    fold("ŸÝýÿ", "y");
    fold("Žž", "z");
    // Typographic apostrophes and quotes, as a keyboard or a word processor writes them.
    fold("‘’‚´", "'");
    fold("“”„«»", "\"");
    return folds;
}

bool IsBlank(char byte) {
    return byte == ' ' || byte == '\t' || byte == '\xA0';
}

}  // namespace

std::string FoldForSearch(std::string_view text) {
    static const HighFolds highFolds = MakeHighFolds();
    std::string folded;
    folded.reserve(text.size());
    for (char byte : text) {
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x80) {
            folded += code >= 'A' && code <= 'Z' ? static_cast<char>(code + ('a' - 'A')) : byte;
        } else if (const std::string& spelt = highFolds[code - 0x80]; !spelt.empty()) {
            folded += spelt;
        } else {
            folded += byte;
        }
    }
    return folded;
}

std::vector<std::string> SearchWords(std::string_view typed) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < typed.size()) {
        while (at < typed.size() && IsBlank(typed[at])) ++at;
        std::size_t end = at;
        while (end < typed.size() && !IsBlank(typed[end])) ++end;
        if (end > at) words.push_back(FoldForSearch(typed.substr(at, end - at)));
        at = end;
    }
    return words;
}

}  // namespace offrel
