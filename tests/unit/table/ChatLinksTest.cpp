// Finding a link under the mouse pointer in the chat display's text.
#include <gtest/gtest.h>

#include "table/ChatLinks.h"

namespace zk::test {
namespace {

std::string linkAt(std::string_view text, std::size_t index)
{
    const auto link = findLink(text, index);
    return link ? link->text : std::string("<none>");
}

TEST(ChatLinks, EveryPrefixMakesALinkInAnyLetterCase)
{
    for (const std::string link :
         {"http://a.org", "ftp://a.org/x", "file://c/dir/", "gopher://g", "telnet://t", "news:comp",
          "mailto:bob", "www.a.org", "HTTP://A.ORG", "Www.Example.COM"}) {
        const std::string text = "see " + link + " now";
        EXPECT_EQ(linkAt(text, 5), link) << "kept as its characters read";
        EXPECT_EQ(findLink(text, 5)->start, 4u);
    }
}

TEST(ChatLinks, TrailingPunctuationIsDropped)
{
    const std::string text = "Bob chats: go to www.example.org/path/.\r\nnext";
    EXPECT_EQ(linkAt(text, 20), "www.example.org/path/");
    EXPECT_EQ(linkAt("(http://a.org/?q=1)", 3), "http://a.org/?q=1");
    EXPECT_EQ(linkAt("mailto:bob@a.org!!", 0), "mailto:bob@a.org");
}

TEST(ChatLinks, TheLinkStartsAtThePrefixInsideTheWord)
{
    const std::string text = "x (http://a.org)";
    const auto link = findLink(text, 3); // pointer on the "("
    ASSERT_TRUE(link);
    EXPECT_EQ(link->start, 3u);
    EXPECT_EQ(link->text, "http://a.org");
}

TEST(ChatLinks, PrefixesAreSearchedInTheirOrder)
{
    // "www." stands first in the word, but "http://" is searched first.
    EXPECT_EQ(linkAt("www.x.org/http://y.org", 0), "http://y.org");
    EXPECT_EQ(linkAt("news:mailto:x", 0), "news:mailto:x");
}

TEST(ChatLinks, ALinkMustBeLongerThanItsPrefix)
{
    EXPECT_EQ(linkAt("www.", 1), "<none>");
    EXPECT_EQ(linkAt("see www.!", 5), "<none>");
    EXPECT_EQ(linkAt("http://.", 2), "<none>");
    EXPECT_EQ(linkAt("www.a", 1), "www.a");
}

TEST(ChatLinks, WordsEndAtBlanksAndLineBreaks)
{
    const std::string text = "a\r\nwww.a.org\r\nb www.b.org c";
    EXPECT_EQ(linkAt(text, 3), "www.a.org");
    EXPECT_EQ(linkAt(text, 1), "<none>") << "the CR itself";
    EXPECT_EQ(linkAt(text, 14), "<none>") << "the word b";
    EXPECT_EQ(linkAt(text, 16), "www.b.org");
    EXPECT_EQ(linkAt(text, 15), "<none>") << "a blank";
}

TEST(ChatLinks, NothingBeyondTheText)
{
    EXPECT_EQ(linkAt("www.a.org", 9), "<none>");
    EXPECT_EQ(linkAt("", 0), "<none>");
    EXPECT_EQ(linkAt("plain words only", 3), "<none>");
}

} // namespace
} // namespace zk::test
