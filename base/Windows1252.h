#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace offrel {

// The core keeps text as Windows-1252 bytes; these convert at its edges (widgets, JSON, files).
// A character that Windows-1252 lacks becomes '?'.
std::string Utf8ToWindows1252(std::string_view utf8);
std::string Windows1252ToUtf8(std::string_view text);
// Writes the text as UTF-8 at out, which has room for three bytes a character; returns the end.
char* Windows1252ToUtf8(std::string_view text, char* out);
std::u16string Windows1252ToUtf16(std::string_view text);
std::string Utf16ToWindows1252(std::u16string_view utf16);
// A lone surrogate becomes the replacement character.
std::string Utf16ToUtf8(std::u16string_view utf16);
// Every byte below 0x80: the same text in UTF-8 and in Windows-1252.
bool IsAscii(std::string_view text);
// Nothing when the bytes are not well-formed UTF-8 or hold a character that Windows-1252 lacks.
std::optional<std::string> Utf8ToWindows1252Exactly(std::string_view utf8);

// A literal written in UTF-8 in the source, as Windows-1252 bytes: W("entière").
inline std::string W(std::string_view utf8) {
    return Utf8ToWindows1252(utf8);
}

// The lax UTF-8 decoding of the sales import: a byte below 0x80 is one character; a byte of 0x80
// or more opens a sequence of two bytes, of four when it is 0xF0 to 0xF7 (one character beyond
// 16 bits, given as its surrogate pair), or else of three when it has bit 0x20 set; every
// following byte must exist and lie in 0x80..0xBF, otherwise the whole text fails (no value).
std::optional<std::u16string> DecodeLaxUtf8(std::string_view bytes);
// The Windows-1252 form of that decoding, as Utf16ToWindows1252 writes it, without the 16-bit text
// in between; nothing when the decoding fails. lost tells whether a character became '?'.
std::optional<std::string> LaxUtf8ToWindows1252(std::string_view bytes, bool& lost);

// The characters of a text that Windows-1252 lacks, each once and in the order they first come,
// in UTF-8 and separated by a space ("🚲 ✓"); empty when Windows-1252 writes the whole text. They
// are what the seller must be told about: the Windows-1252 form shows each as "?".
std::string CharactersBeyondWindows1252(std::u16string_view text);

}  // namespace offrel
