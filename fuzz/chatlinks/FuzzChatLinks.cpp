// Feeds the chat display's link finder any text and asks for the link at
// every character (at most 512 of them, spread over the text). A link found
// is those very characters of the text, lies in the word under the pointer,
// starts with one of the prefixes (in any letter case), is longer than it
// and ends in a letter, digit or "/"; and every character of one word gives
// the same answer. Nothing is found beyond the text or on a blank or break.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "table/ChatLinks.h"

namespace {

using namespace zk;

bool isBreak(char c)
{
    return c == ' ' || c == '\r' || c == '\n';
}

bool startsWithPrefix(std::string_view link, std::string_view prefix)
{
    if (link.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = link[i] >= 'A' && link[i] <= 'Z' ? static_cast<char>(link[i] - 'A' + 'a') : link[i];
        if (c != prefix[i])
            return false;
    }
    return true;
}

bool sameAnswer(const std::optional<ChatLink>& a, const std::optional<ChatLink>& b)
{
    return a.has_value() == b.has_value() && (!a || (a->start == b->start && a->text == b->text));
}

void checkLink(std::string_view text, std::size_t index, const ChatLink& link)
{
    CHECK(index < text.size() && !isBreak(text[index]));
    CHECK(link.start + link.text.size() <= text.size());
    CHECK(text.substr(link.start, link.text.size()) == link.text);
    // One word holds the pointer and the link.
    const std::size_t from = std::min(index, link.start);
    const std::size_t to = std::max(index + 1, link.start + link.text.size());
    for (std::size_t i = from; i < to; ++i)
        CHECK(!isBreak(text[i]));
    bool prefixed = false;
    for (std::string_view prefix : kLinkPrefixes)
        prefixed = prefixed || (startsWithPrefix(link.text, prefix) && link.text.size() > prefix.size());
    CHECK(prefixed);
    const char last = link.text.back();
    CHECK((last >= 'a' && last <= 'z') || (last >= 'A' && last <= 'Z') || (last >= '0' && last <= '9') ||
          last == '/');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t step = std::max<std::size_t>(1, size / 512);
    std::optional<ChatLink> previous;
    for (std::size_t i = 0; i < size; i += step) {
        const auto link = findLink(text, i);
        if (isBreak(text[i]))
            CHECK(!link);
        if (link)
            checkLink(text, i, *link);
        // The neighbour in the same word gets the same answer.
        if (step == 1 && i > 0 && !isBreak(text[i]) && !isBreak(text[i - 1]))
            CHECK(sameAnswer(link, previous));
        previous = link;
    }
    CHECK(!findLink(text, size));
    CHECK(!findLink(text, size + 1000));
    return 0;
}
