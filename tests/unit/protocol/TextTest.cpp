// Windows-1252 on the wire, UTF-8 inside the program.
#include <gtest/gtest.h>

#include <string>

#include "protocol/Text.h"

namespace zk::test {
namespace {

using namespace std::string_literals;

// UTF-8 of one code point, built independently of the code under test.
std::string utf8(char32_t cp)
{
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (cp >> 18));
        s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

TEST(Cp1252, KnownCharactersBothWays)
{
    EXPECT_EQ(toCp1252("Bob"), "Bob");
    EXPECT_EQ(toCp1252("\u20AC 5"), "\x80 5"s);       // euro sign
    EXPECT_EQ(toCp1252("Jos\u00E9"), "Jos\xE9"s);     // é
    EXPECT_EQ(toCp1252("\u0178"), "\x9F"s);           // Ÿ
    EXPECT_EQ(toCp1252("\u2019\u2122"), "\x92\x99"s); // ’ ™
    EXPECT_EQ(fromCp1252("\x80\xE9\x9F"s), "\u20AC\u00E9\u0178");
    EXPECT_EQ(fromCp1252("\x81\x8D\x8F\x90\x9D"s), "\u0081\u008D\u008F\u0090\u009D");
}

TEST(Cp1252, EveryByteButTheTerminatorRoundTrips)
{
    for (int b = 0; b < 0xFF; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(toCp1252(fromCp1252(one)), one) << "byte " << b;
    }
    // 0xFF is "ÿ" when read, but "ÿ" is never written as 0xFF.
    EXPECT_EQ(fromCp1252("\xFF"s), "\u00FF");
    EXPECT_EQ(toCp1252("\u00FF"), "y");
}

TEST(Cp1252, NoCodePointEverBecomesTheTerminator)
{
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        const std::string out = toCp1252(utf8(cp));
        ASSERT_EQ(out.size(), 1u) << "code point " << static_cast<unsigned>(cp);
        ASSERT_NE(out[0], '\xFF') << "code point " << static_cast<unsigned>(cp);
    }
}

TEST(Cp1252, UnmappableAndMalformedBecomeQuestionMarks)
{
    EXPECT_EQ(toCp1252("\u65E5\u672C."), "??.");   // one "?" per character
    EXPECT_EQ(toCp1252("a\U0001F600b"), "a?b");    // four-byte sequence
    EXPECT_EQ(toCp1252("\u0100"), "?");            // Ā is not in the code page
    EXPECT_EQ(toCp1252("\u0085"), "?");            // a C1 control with a printable slot
    EXPECT_EQ(toCp1252("\x80x"s), "?x");           // stray continuation byte
    EXPECT_EQ(toCp1252("\xE2\x82"s), "?");         // cut at the end
    EXPECT_EQ(toCp1252("\xE2(z"s), "?(z");         // cut, then plain text again
    EXPECT_EQ(toCp1252("\xC0\xAF"s), "?");         // overlong "/"
    EXPECT_EQ(toCp1252("\xED\xA0\x80"s), "?");     // surrogate
    EXPECT_EQ(toCp1252("\xFF\xFE"s), "??");        // never valid UTF-8
    EXPECT_EQ(toCp1252("\xF4\x90\x80\x80"s), "?"); // beyond U+10FFFF
}

} // namespace
} // namespace zk::test
