// Colour text: names, "$" hex and decimal, both ways.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "game/Colour.h"

namespace zk::test {
namespace {

std::string withCase(std::string_view s, int (*f)(int))
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [f](char c) { return static_cast<char>(f(static_cast<unsigned char>(c))); });
    return out;
}

TEST(ColourText, EveryNamedColourRoundTrips)
{
    std::set<std::string_view> names;
    std::set<ColourValue> values;
    for (const NamedColour& c : kNamedColours) {
        names.insert(c.name);
        values.insert(c.value);
        EXPECT_EQ(colourToText(c.value), c.name);
        EXPECT_EQ(colourFromText(c.name), c.value) << c.name;
        EXPECT_EQ(colourFromText(withCase(c.name, ::toupper)), c.value) << c.name;
        EXPECT_EQ(colourFromText(withCase(c.name, ::tolower)), c.value) << c.name;
        // The numeric forms of a named colour read as the same value.
        char hex[16];
        std::snprintf(hex, sizeof hex, "$%08X", static_cast<unsigned>(c.value));
        EXPECT_EQ(colourFromText(hex), c.value) << hex;
    }
    EXPECT_EQ(names.size(), 42u);
    EXPECT_EQ(values.size(), 42u);
}

TEST(ColourText, ValuesAsTheGameLaysThemOut)
{
    // 0x00BBGGRR: red is the low byte.
    EXPECT_EQ(colourFromText("clRed"), 0x0000FFu);
    EXPECT_EQ(colourFromText("clBlue"), 0xFF0000u);
    EXPECT_EQ(colourFromText("clOlive"), 0x008080u);
    EXPECT_EQ(colourFromText("clScrollBar"), 0x80000000u);
    EXPECT_EQ(colourFromText("clBtnFace"), 0x8000000Fu);
    EXPECT_EQ(colourFromText("clInfoBk"), 0x80000018u);
    EXPECT_EQ(colourFromText("clNone"), 0x1FFFFFFFu);
    EXPECT_TRUE(isSystemColour(0x80000018u));
    EXPECT_FALSE(isSystemColour(0x80000019u));
    EXPECT_FALSE(isSystemColour(colour::clNone));
    const Rgb rgb = toRgb(0x00123456u);
    EXPECT_EQ(rgb.r, 0x56);
    EXPECT_EQ(rgb.g, 0x34);
    EXPECT_EQ(rgb.b, 0x12);
    EXPECT_EQ(fromRgb(rgb.r, rgb.g, rgb.b), 0x00123456u);
}

TEST(ColourText, UnnamedValuesAreEightUpperCaseHexDigits)
{
    EXPECT_EQ(colourToText(0x00123456u), "$00123456");
    EXPECT_EQ(colourToText(0x00ABCDEFu), "$00ABCDEF");
    EXPECT_EQ(colourToText(0x80000019u), "$80000019");
    for (ColourValue v : {0x1u, 0x00ABCDEFu, 0x00FF8000u, 0xFFFFFFFFu, 0x20000000u}) {
        EXPECT_EQ(colourFromText(colourToText(v)), v) << colourToText(v);
    }
}

TEST(ColourText, NumericFormsInAnyCase)
{
    EXPECT_EQ(colourFromText("$000000FF"), colour::clRed);
    EXPECT_EQ(colourToText(*colourFromText("$000000FF")), "clRed");
    EXPECT_EQ(colourFromText("$00abcdef"), 0x00ABCDEFu);
    EXPECT_EQ(colourFromText("$ff"), 0xFFu);
    EXPECT_EQ(colourFromText("255"), 0xFFu);
    EXPECT_EQ(colourFromText("16711680"), colour::clBlue);
    EXPECT_EQ(colourFromText("0"), colour::clBlack);
}

TEST(ColourText, UnreadableTextIsReportedAsSuch)
{
    for (const char* bad : {"", "cl", "clBogus", "red", "clRed ", "$", "$GG", "$1234567890", "12a", "1.5",
                            "99999999999", "#FF0000", "clred|x"}) {
        EXPECT_EQ(colourFromText(bad), std::nullopt) << '"' << bad << '"';
    }
}

} // namespace
} // namespace zk::test
