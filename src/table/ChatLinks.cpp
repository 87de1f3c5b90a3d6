#include "table/ChatLinks.h"

namespace zk {

namespace {

bool isWordBreak(char c)
{
    return c == ' ' || c == '\r' || c == '\n';
}

bool keepsAtEnd(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/';
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::optional<ChatLink> findLink(std::string_view text, std::size_t index)
{
    if (index >= text.size() || isWordBreak(text[index]))
        return std::nullopt;
    std::size_t begin = index;
    while (begin > 0 && !isWordBreak(text[begin - 1]))
        --begin;
    std::size_t end = index + 1;
    while (end < text.size() && !isWordBreak(text[end]))
        ++end;
    const std::string_view word = text.substr(begin, end - begin);

    std::string lowered(word);
    for (char& c : lowered)
        c = lower(c);
    for (std::string_view prefix : kLinkPrefixes) {
        const auto at = lowered.find(prefix);
        if (at == std::string::npos)
            continue;
        std::string_view link = word.substr(at);
        while (!link.empty() && !keepsAtEnd(link.back()))
            link.remove_suffix(1);
        if (link.size() <= prefix.size())
            return std::nullopt;
        return ChatLink{begin + at, std::string(link)};
    }
    return std::nullopt;
}

} // namespace zk
