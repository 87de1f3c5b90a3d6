// Links in the chat display: which characters under the mouse pointer form a
// link, and what opening it opens.
//
//     std::string text = "see www.example.org.\r\n";
//     if (auto link = findLink(text, 6))     // pointer over "example"
//         open(link->text);                   // "www.example.org"
//
// The text is the display's whole text (lines joined by CR LF), one byte per
// character, so an index into it is the display's character position.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zk {

// The prefixes a link starts with, in the order they are searched.
inline constexpr std::array<std::string_view, 8> kLinkPrefixes = {
    "http://", "ftp://", "file://", "gopher://", "telnet://", "news:", "mailto:", "www.",
};

struct ChatLink {
    std::size_t start = 0; // index of the link's first character in the text
    std::string text;      // the link exactly as its characters read
};

// The link at the character with the given index, if that character belongs
// to one. The word around it runs between blanks, CR and LF; the first prefix
// of kLinkPrefixes found in it (in any letter case) starts the link, which
// runs to the word's end less any trailing characters other than letters,
// digits and "/". A link no longer than its prefix ("www.") is none.
std::optional<ChatLink> findLink(std::string_view text, std::size_t index);

} // namespace zk
