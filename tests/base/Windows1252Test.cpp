#include <gtest/gtest.h>

#include <string>

#include "base/FileNames.h"
#include "base/Windows1252.h"

using offrel::DecodeLaxUtf8;
using offrel::Utf16ToWindows1252;
using offrel::Utf8ToWindows1252;
using offrel::Windows1252ToUtf16;
using offrel::Windows1252ToUtf8;

TEST(Windows1252, EveryByteGoesToUnicodeAndBackUnchanged) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
    EXPECT_EQ(Utf16ToWindows1252(Windows1252ToUtf16(all)), all);
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
}

TEST(Windows1252, TheHighControlBlockMapsToItsCharacters) {
    EXPECT_EQ(Windows1252ToUtf16("\x80\x8A\x92\x9C\x9F"), u"\u20AC\u0160\u2019\u0153\u0178");
    EXPECT_EQ(Windows1252ToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(Windows1252ToUtf8("entt\xE8re"), "entt\xC3\xA8re");
    // The five unassigned bytes keep the control of the same value.
    EXPECT_EQ(Windows1252ToUtf16("\x81\x8D\x8F\x90\x9D"), u"\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(Utf16ToWindows1252(u"\u0081\u009D"), "\x81\x9D");
}

TEST(Windows1252, CharactersItLacksBecomeQuestionMarks) {
    // U+0080 is a control that Windows-1252 replaced by the euro sign.
    EXPECT_EQ(Utf16ToWindows1252(u"a\u0080b\u0100c\u4E2Dd"), "a?b?c?d");
    // A character outside the 16-bit plane is one question mark, pair or no pair.
    EXPECT_EQ(Utf16ToWindows1252(u"x\U0001F600y"), "x?y");
    EXPECT_EQ(Utf16ToWindows1252(std::u16string{u'a', char16_t(0xD800), u'b'}), "a?b");
    EXPECT_EQ(Utf8ToWindows1252("\xF0\x9F\x98\x80!"), "?!");
    EXPECT_EQ(Utf8ToWindows1252("\xE4\xB8\xAD"), "?");
}

TEST(Windows1252, LiteralsWrittenInUtf8AndBrokenUtf8) {
    EXPECT_EQ(offrel::W("entière €"), "enti\xE8re \x80");
    EXPECT_EQ(offrel::W("Accès"), "Acc\xE8s");
    // A malformed byte is one unknown character; what follows it is read afresh.
    EXPECT_EQ(Utf8ToWindows1252("a\xC3"
                                "b"),
              "a?b");
    EXPECT_EQ(Utf8ToWindows1252("\xC3"), "?");
    EXPECT_EQ(Utf8ToWindows1252("\xC0\xA9"), "?");  // an overlong form is not a character
    EXPECT_EQ(Utf8ToWindows1252("\xE9t\xE9"), "?t?");
}

TEST(Windows1252, LaxUtf8DecodesTwoAndThreeByteSequences) {
    EXPECT_EQ(DecodeLaxUtf8(""), std::u16string());
    EXPECT_EQ(DecodeLaxUtf8("abc"), u"abc");
    EXPECT_EQ(DecodeLaxUtf8("caf\xC3\xA9"), u"caf\u00E9");
    EXPECT_EQ(DecodeLaxUtf8("\xE2\x82\xAC"
                            "5"),
              u"\u20AC5");
    EXPECT_EQ(DecodeLaxUtf8("\xC5\x93"), u"\u0153");
    // The lead byte alone decides the length: a four-byte lead opens a character beyond 16 bits,
    // which a title with an emoji holds; 0xF8 and above open three bytes.
    EXPECT_EQ(DecodeLaxUtf8("V\xC3\xA9lo \xF0\x9F\x9A\xB2 neuf"), u"V\u00E9lo \U0001F6B2 neuf");
    EXPECT_EQ(DecodeLaxUtf8("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
    EXPECT_EQ(DecodeLaxUtf8("\xF7\xBF\xBF\xBF"), u"\uFFFD");  // beyond Unicode
    EXPECT_EQ(DecodeLaxUtf8("\xF8\x80\x81"), std::u16string(1, char16_t(0x8001)));
    // A stray continuation byte opens a sequence too.
    EXPECT_EQ(DecodeLaxUtf8("\x82\x81"), std::u16string(1, char16_t(0x81)));
}

TEST(Windows1252, LaxUtf8FailsOnAMissingOrWrongFollowingByte) {
    EXPECT_FALSE(DecodeLaxUtf8("caf\xE9"));    // Windows-1252 accent at the end
    EXPECT_FALSE(DecodeLaxUtf8("\xE9t\xE9"));  // accent followed by an ASCII letter
    EXPECT_FALSE(DecodeLaxUtf8("\xC3"));
    EXPECT_FALSE(DecodeLaxUtf8("\xE2\x82"));
    EXPECT_FALSE(DecodeLaxUtf8("\xE2\x82\xC0"));
    EXPECT_FALSE(DecodeLaxUtf8("\xC3\xC3\xA9"));
    EXPECT_FALSE(DecodeLaxUtf8("\xF0\x9F\x9A"));  // a four-byte sequence cut short
    EXPECT_FALSE(DecodeLaxUtf8("\xF0\x9F\x9A!"));
}

TEST(Windows1252, CharactersBeyondItAreNamedOnceEach) {
    EXPECT_EQ(offrel::CharactersBeyondWindows1252(u"V\u00E9lo \U0001F6B2 \u2713 \U0001F6B2 \u20AC"),
              "\xF0\x9F\x9A\xB2 \xE2\x9C\x93");
    EXPECT_EQ(offrel::CharactersBeyondWindows1252(u"Cœur à 20 € « ok » \u0081"), "");
    EXPECT_EQ(offrel::CharactersBeyondWindows1252(u""), "");
    // A lone surrogate, as a broken paste may leave, is named by the replacement character.
    EXPECT_EQ(offrel::CharactersBeyondWindows1252(std::u16string{u'a', char16_t(0xDC00)}),
              "\xEF\xBF\xBD");
}

TEST(Windows1252, ExactConversionRefusesWhatItCannotWrite) {
    EXPECT_EQ(offrel::Utf8ToWindows1252Exactly("Images/Été 2026/vélo €.jpg"),
              offrel::W("Images/Été 2026/vélo €.jpg"));
    EXPECT_EQ(offrel::Utf8ToWindows1252Exactly(""), "");
    for (const char* refused :
         {"фото.jpg", "a\xE2\x80\x8B", "\xF0\x9F\x98\x80", "caf\xE9", "\xC0\xA9", "\xEF\xBF\xBD"}) {
        EXPECT_FALSE(offrel::Utf8ToWindows1252Exactly(refused)) << refused;
    }
}

// A stored path names its file again through the file system; the reverse refuses a name that
// no stored path could give back.
TEST(FileNames, AStoredPathAndItsFileSystemNameGoBothWays) {
    const std::string stored = offrel::W("C:\\Photos\\Été\\cœur.jpg");
    EXPECT_EQ(offrel::FileSystemName(stored), "C:\\Photos\\Été\\cœur.jpg");
    EXPECT_EQ(offrel::PathFromFileSystemName(offrel::FileSystemName(stored)), stored);
    EXPECT_FALSE(offrel::PathFromFileSystemName("/home/Ελλάδα/a.jpg"));
    EXPECT_FALSE(offrel::PathFromFileSystemName("/home/\xE9t\xE9.jpg"));  // not UTF-8
    EXPECT_EQ(offrel::ShownFileSystemName("/home/Ελλάδα/\xE9.jpg"),
              "/home/" + std::string(6, '?') + "/?.jpg");
}
