#include "records/CaseFold.h"

namespace zk {

unsigned char foldCase(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    // Latin capitals 0xC0-0xDE pair with 0xE0-0xFE; 0xD7 is the
    // multiplication sign and has no lower case.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 32);
    switch (c) {
    case 0x8A: return 0x9A; // Š š
    case 0x8C: return 0x9C; // Œ œ
    case 0x8E: return 0x9E; // Ž ž
    case 0x9F: return 0xFF; // Ÿ ÿ
    default: return c;
    }
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(static_cast<unsigned char>(a[i])) != foldCase(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace zk
