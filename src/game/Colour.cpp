#include "game/Colour.h"

#include <cctype>
#include <cstdio>
#include <limits>

namespace zk {

using namespace colour;

const NamedColour kNamedColours[42] = {
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clScrollBar", kSystemBase + 0},
    {"clBackground", kSystemBase + 1},
    {"clActiveCaption", kSystemBase + 2},
    {"clInactiveCaption", kSystemBase + 3},
    {"clMenu", kSystemBase + 4},
    {"clWindow", kSystemBase + 5},
    {"clWindowFrame", kSystemBase + 6},
    {"clMenuText", kSystemBase + 7},
    {"clWindowText", kSystemBase + 8},
    {"clCaptionText", kSystemBase + 9},
    {"clActiveBorder", kSystemBase + 10},
    {"clInactiveBorder", kSystemBase + 11},
    {"clAppWorkSpace", kSystemBase + 12},
    {"clHighlight", kSystemBase + 13},
    {"clHighlightText", kSystemBase + 14},
    {"clBtnFace", kSystemBase + 15},
    {"clBtnShadow", kSystemBase + 16},
    {"clGrayText", kSystemBase + 17},
    {"clBtnText", kSystemBase + 18},
    {"clInactiveCaptionText", kSystemBase + 19},
    {"clBtnHighlight", kSystemBase + 20},
    {"cl3DDkShadow", kSystemBase + 21},
    {"cl3DLight", kSystemBase + 22},
    {"clInfoText", kSystemBase + 23},
    {"clInfoBk", kSystemBase + 24},
    {"clNone", clNone},
};

std::string colourToText(ColourValue value)
{
    for (const auto& c : kNamedColours) {
        if (c.value == value)
            return std::string(c.name);
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(value));
    return buf;
}

namespace {

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A 32-bit number in the forms a Pascal-style integer reader takes: optional
// blanks, an optional sign, then decimal digits or "$"/"0x" and hex digits.
std::optional<ColourValue> parseNumber(std::string_view t)
{
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    bool negative = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    bool hex = false;
    if (!t.empty() && t.front() == '$') {
        hex = true;
        t.remove_prefix(1);
    } else if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        hex = true;
        t.remove_prefix(2);
    }
    if (t.empty())
        return std::nullopt;
    unsigned long long v = 0;
    for (char c : t) {
        const int d = hex ? hexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (d < 0)
            return std::nullopt;
        v = v * (hex ? 16 : 10) + static_cast<unsigned>(d);
        if (v > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (!hex &&
        v > static_cast<unsigned long long>(std::numeric_limits<std::int32_t>::max()) + (negative ? 1 : 0))
        return std::nullopt;
    auto u = static_cast<std::uint32_t>(v);
    return negative ? static_cast<ColourValue>(0u - u) : u;
}

} // namespace

std::optional<ColourValue> colourFromText(std::string_view text)
{
    for (const auto& c : kNamedColours) {
        if (equalsNoCase(c.name, text))
            return c.value;
    }
    return parseNumber(text);
}

} // namespace zk
