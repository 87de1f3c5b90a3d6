// The game port and its ZONKARDS_PORT override.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "protocol/Port.h"

namespace zk::test {
namespace {

TEST(GamePort, DefaultAndOverride)
{
    std::optional<std::string> saved;
    if (const char* v = std::getenv("ZONKARDS_PORT"))
        saved = v;

    ::unsetenv("ZONKARDS_PORT");
    EXPECT_EQ(gamePort(), 7772);
    for (const char* good : {"40123", "1", "65535"}) {
        ::setenv("ZONKARDS_PORT", good, 1);
        EXPECT_EQ(gamePort(), std::stoi(good));
    }
    // An unusable value falls back to the default rather than to port 0.
    for (const char* bad : {"", "0", "65536", "-5", "abc", "80x", " 8080"}) {
        ::setenv("ZONKARDS_PORT", bad, 1);
        EXPECT_EQ(gamePort(), 7772) << '"' << bad << '"';
    }

    if (saved)
        ::setenv("ZONKARDS_PORT", saved->c_str(), 1);
    else
        ::unsetenv("ZONKARDS_PORT");
}

} // namespace
} // namespace zk::test
