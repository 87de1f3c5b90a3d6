// Feeds the colour reader (chat lines and the settings file) any text, and
// the writer every 32-bit value the input holds. A text that reads gives a
// colour whose written form reads as the same colour; the written form is a
// colour name or "$" and eight upper-case hex digits; reading does not care
// for the letter case of a text; and a colour written in the settings as a
// decimal number ("clRed" is 255) reads as that colour.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "game/Colour.h"

namespace {

using namespace zk;

bool isNamed(std::string_view text)
{
    for (const NamedColour& c : kNamedColours) {
        if (c.name == text)
            return true;
    }
    return false;
}

bool isHexForm(std::string_view text)
{
    if (text.size() != 9 || text[0] != '$')
        return false;
    for (char c : text.substr(1)) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

void checkWritten(ColourValue value)
{
    const std::string text = colourToText(value);
    CHECK(isNamed(text) || isHexForm(text));
    CHECK(colourFromText(text) == value);
    // Decimal as a signed 32-bit number, as the settings of other programs hold it.
    CHECK(colourFromText(std::to_string(static_cast<std::int32_t>(value))) == value);
}

std::string swappedCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto read = colourFromText(text);
    if (read)
        checkWritten(*read);
    CHECK(colourFromText(swappedCase(text)) == read);
    for (std::size_t i = 0; i + 4 <= size && i < 64; i += 4) {
        std::uint32_t value;
        std::memcpy(&value, data + i, 4);
        checkWritten(value);
    }
    return 0;
}
