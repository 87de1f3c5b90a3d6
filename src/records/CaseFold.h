// Letter-case-blind comparison of Windows-1252 text, and the trimming of
// blanks around it, for names and numbers in the tally file and for section
// and key names in the settings file.
//
//     equalsIgnoringCase("BOB", "bob")          // true
//     equalsIgnoringCase("\xC9mile", "\xE9mile") // true: É and é
//     trimBlanks(" Top\t")                      // "Top"
#pragma once

#include <string_view>

namespace zk {

// The lower-case form of one Windows-1252 byte (ASCII and the accented
// letters of the code page; every other byte is its own lower case).
unsigned char foldCase(unsigned char c);

bool equalsIgnoringCase(std::string_view a, std::string_view b);

// The text without the spaces and tabs at either end.
std::string_view trimBlanks(std::string_view s);

} // namespace zk
