// Colour text: how chat lines and the settings file write a colour.
//
// A colour is a 32-bit value laid out 0x00BBGGRR. It is written as its name
// ("clRed") when it has one, otherwise as "$" and eight upper-case hex digits
// ("$00123456"). Reading accepts a name in any letter case, a decimal number
// or a "$" hexadecimal number. What an unreadable text gives is the caller's
// choice (red in chat, black in the settings), so the reader returns nullopt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zk {

using ColourValue = std::uint32_t;

namespace colour {
inline constexpr ColourValue clBlack = 0x000000;
inline constexpr ColourValue clMaroon = 0x000080;
inline constexpr ColourValue clGreen = 0x008000;
inline constexpr ColourValue clOlive = 0x008080;
inline constexpr ColourValue clNavy = 0x800000;
inline constexpr ColourValue clPurple = 0x800080;
inline constexpr ColourValue clTeal = 0x808000;
inline constexpr ColourValue clGray = 0x808080;
inline constexpr ColourValue clSilver = 0xC0C0C0;
inline constexpr ColourValue clRed = 0x0000FF;
inline constexpr ColourValue clLime = 0x00FF00;
inline constexpr ColourValue clYellow = 0x00FFFF;
inline constexpr ColourValue clBlue = 0xFF0000;
inline constexpr ColourValue clFuchsia = 0xFF00FF;
inline constexpr ColourValue clAqua = 0xFFFF00;
inline constexpr ColourValue clWhite = 0xFFFFFF;
inline constexpr ColourValue clNone = 0x1FFFFFFF;
// System colours are 0x80000000 plus the index of the platform colour.
inline constexpr ColourValue kSystemBase = 0x80000000;
inline constexpr int kSystemCount = 25;
} // namespace colour

// The name of a named colour, or "$" and eight upper-case hex digits.
std::string colourToText(ColourValue value);
// A name (any letter case), a decimal number or "$" hex; nullopt otherwise.
std::optional<ColourValue> colourFromText(std::string_view text);

// The names of all 42 named colours, for menus and tests.
struct NamedColour {
    std::string_view name;
    ColourValue value;
};
extern const NamedColour kNamedColours[42];

// True for the 25 system colours (0x80000000 to 0x80000018).
inline bool isSystemColour(ColourValue v)
{
    return v >= colour::kSystemBase && v < colour::kSystemBase + colour::kSystemCount;
}

// Red, green and blue of a plain colour (not a system colour or clNone).
struct Rgb {
    int r, g, b;
};
inline Rgb toRgb(ColourValue v)
{
    return {static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
            static_cast<int>((v >> 16) & 0xFF)};
}
inline ColourValue fromRgb(int r, int g, int b)
{
    return static_cast<ColourValue>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

} // namespace zk
