#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "base/Windows1252.h"

// The widgets speak Unicode, the core Windows-1252: every window converts here.
inline QString FromW1252(std::string_view text) {
    const std::u16string utf16 = offrel::Windows1252ToUtf16(text);
    return QString::fromUtf16(utf16.data(), static_cast<qsizetype>(utf16.size()));
}

// The characters of the text that Windows-1252 lacks, which ToW1252 turns into "?": UTF-8,
// each once, separated by a space.
inline std::string UnsendableCharacters(const QString& text) {
    return offrel::CharactersBeyondWindows1252(std::u16string_view(
        reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
}

inline std::string ToW1252(const QString& text) {
    return offrel::Utf16ToWindows1252(std::u16string_view(
        reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
}
