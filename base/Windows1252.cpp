#include "base/Windows1252.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace offrel {

namespace {

// The characters of bytes 0x80..0x9F. The five bytes that Windows-1252 leaves unassigned keep
// the C1 control of the same value, so that every byte goes to Unicode and back unchanged.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

char16_t ByteToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
    return byte;
}

constexpr char32_t kNoCharacter = 0xFFFD;

// The byte of a character, or nothing when Windows-1252 lacks it.
std::optional<char> ExactByte(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == code) return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

char UnicodeToByte(char32_t code) {
    return ExactByte(code).value_or('?');
}

// A lone surrogate has no UTF-8 form of its own: it is written as the replacement character.
void AppendUtf8(std::string& out, char32_t code) {
    if (code >= 0xD800 && code < 0xE000) code = kNoCharacter;
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// The character at text[i], a surrogate pair as one; i is left on its last unit.
char32_t NextUtf16(std::u16string_view text, std::size_t& i) {
    const char32_t unit = text[i];
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
        return 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    return unit;
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes one well-formed UTF-8 sequence at text[i], advancing i; a malformed byte is one
// character that Windows-1252 lacks.
char32_t NextUtf8(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) return lead;
    int length = 0;
    char32_t code = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 1, code = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 2, code = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 3, code = lead & 0x07, smallest = 0x10000;
    } else {
        return kNoCharacter;
    }
    for (int k = 0; k < length; ++k) {
        if (i >= text.size() || !IsContinuation(static_cast<unsigned char>(text[i]))) {
            return kNoCharacter;
        }
        code = (code << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    return code < smallest ? kNoCharacter : code;
}

// How many bytes at the start of text are ASCII, looked at eight at a time.
std::size_t AsciiPrefix(std::string_view text) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080;
    std::size_t at = 0;
    for (std::uint64_t eight; at + sizeof eight <= text.size(); at += sizeof eight) {
        std::memcpy(&eight, text.data() + at, sizeof eight);
        if ((eight & kHighBits) != 0) break;
    }
    while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80) ++at;
    return at;
}

// The 16-bit units of the sales import's lax UTF-8 decoding, handed to unit one by one; false as
// soon as a sequence is cut short or broken (the units handed until then mean nothing).
template <typename UnitSink>
bool DecodeLaxUnits(std::string_view bytes, UnitSink&& unit) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i++]);
        if (lead < 0x80) {
            unit(static_cast<char16_t>(lead));
            continue;
        }
        const bool four = lead >= 0xF0 && lead <= 0xF7;
        const bool three = !four && (lead & 0x20) != 0;
        std::uint32_t code = four ? (lead & 0x07) : three ? (lead & 0x0F) : (lead & 0x1F);
        for (int k = four ? 3 : three ? 2 : 1; k > 0; --k) {
            if (i >= bytes.size() || !IsContinuation(static_cast<unsigned char>(bytes[i]))) {
                return false;
            }
            code = (code << 6) | (static_cast<unsigned char>(bytes[i++]) & 0x3F);
        }
        if (code > 0x10FFFF) code = kNoCharacter;
        if (code > 0xFFFF) {
            code -= 0x10000;
            unit(static_cast<char16_t>(0xD800 + (code >> 10)));
            unit(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            unit(static_cast<char16_t>(code));
        }
    }
    return true;
}

}  // namespace

std::string Utf8ToWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) out.push_back(UnicodeToByte(NextUtf8(utf8, i)));
    return out;
}

bool IsAscii(std::string_view text) {
    return AsciiPrefix(text) == text.size();
}

std::optional<std::string> Utf8ToWindows1252Exactly(std::string_view utf8) {
    const std::size_t ascii = AsciiPrefix(utf8);
    std::string out(utf8.substr(0, ascii));
    if (ascii == utf8.size()) return out;
    out.reserve(utf8.size());
    for (std::size_t i = ascii; i < utf8.size();) {
        const std::optional<char> byte = ExactByte(NextUtf8(utf8, i));
        if (!byte) return std::nullopt;
        out.push_back(*byte);
    }
    return out;
}

std::string Windows1252ToUtf8(std::string_view text) {
    std::string out(3 * text.size(), '\0');
    out.resize(static_cast<std::size_t>(Windows1252ToUtf8(text, out.data()) - out.data()));
    return out;
}

char* Windows1252ToUtf8(std::string_view text, char* out) {
    for (std::size_t i = 0; i < text.size();) {
        // Most text is ASCII, which stays as it is.
        if (const std::size_t ascii = AsciiPrefix(text.substr(i)); ascii > 0) {
            std::memcpy(out, text.data() + i, ascii);
            out += ascii;
            i += ascii;
            continue;
        }
        const char16_t code = ByteToUnicode(static_cast<unsigned char>(text[i++]));
        if (code < 0x80) {
            *out++ = static_cast<char>(code);
        } else if (code < 0x800) {
            *out++ = static_cast<char>(0xC0 | (code >> 6));
            *out++ = static_cast<char>(0x80 | (code & 0x3F));
        } else {
            *out++ = static_cast<char>(0xE0 | (code >> 12));
            *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

std::u16string Windows1252ToUtf16(std::string_view text) {
    std::u16string out(text.size(), u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        out[i] = ByteToUnicode(static_cast<unsigned char>(text[i]));
    }
    return out;
}

std::string Utf16ToWindows1252(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    // A surrogate pair is one character, and none of them is in Windows-1252.
    for (std::size_t i = 0; i < utf16.size(); ++i)
        out.push_back(UnicodeToByte(NextUtf16(utf16, i)));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) AppendUtf8(out, NextUtf16(utf16, i));
    return out;
}

std::optional<std::u16string> DecodeLaxUtf8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    if (!DecodeLaxUnits(bytes, [&out](char16_t unit) { out.push_back(unit); })) return std::nullopt;
    return out;
}

std::optional<std::string> LaxUtf8ToWindows1252(std::string_view bytes, bool& lost) {
    lost = false;
    // Every character takes at least one byte and gives one.
    std::string out(bytes.size(), '\0');
    char* end = out.data();
    std::size_t at = 0;
    // A surrogate pair is one character, written as one '?' (as Utf16ToWindows1252 does).
    bool afterHighSurrogate = false;
    while (at < bytes.size()) {
        const std::size_t ascii = AsciiPrefix(bytes.substr(at));
        std::memcpy(end, bytes.data() + at, ascii);
        end += ascii;
        at += ascii;
        if (ascii > 0) afterHighSurrogate = false;
        // The characters up to the next ASCII byte.
        std::size_t stop = at;
        while (stop < bytes.size() && static_cast<unsigned char>(bytes[stop]) >= 0x80) ++stop;
        const bool decoded = DecodeLaxUnits(bytes.substr(at, stop - at), [&](char16_t unit) {
            const bool lowSurrogate = unit >= 0xDC00 && unit < 0xE000;
            if (lowSurrogate && afterHighSurrogate) {
                afterHighSurrogate = false;
                return;
            }
            afterHighSurrogate = unit >= 0xD800 && unit < 0xDC00;
            const std::optional<char> byte = ExactByte(unit);
            lost = lost || !byte;
            *end++ = byte.value_or('?');
        });
        if (!decoded) return std::nullopt;
        at = stop;
    }
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

std::string CharactersBeyondWindows1252(std::u16string_view text) {
    std::u32string seen;
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t code = NextUtf16(text, i);
        if (ExactByte(code) || seen.find(code) != std::u32string::npos) continue;
        seen.push_back(code);
        if (!out.empty()) out.push_back(' ');
        AppendUtf8(out, code);
    }
    return out;
}

}  // namespace offrel
