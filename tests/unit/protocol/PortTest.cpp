// The game port, its ZONKARDS_PORT override, and a host address with its port.
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

TEST(GamePort, AnAddressCarriesItsPortOrNone)
{
    const struct {
        const char* text;
        std::optional<HostPort> split;
    } cases[] = {
        {"192.0.2.2", HostPort{"192.0.2.2", 0}},
        {"192.0.2.2:23456", HostPort{"192.0.2.2", 23456}},
        {"game.example.org:1", HostPort{"game.example.org", 1}},
        {"2001:db8::7", HostPort{"2001:db8::7", 0}}, // a bare IPv6 address has no port
        {"[2001:db8::7]:65535", HostPort{"2001:db8::7", 65535}},
        {"[::1]", HostPort{"::1", 0}},
        {"", std::nullopt},
        {":7772", std::nullopt},
        {"host:", std::nullopt},
        {"host:0", std::nullopt},
        {"host:65536", std::nullopt},
        {"host:-1", std::nullopt},
        {"host:77x", std::nullopt},
        {"[]:7772", std::nullopt},
        {"[::1", std::nullopt},
        {"[::1]7772", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitHostPort(c.text), c.split) << '"' << c.text << '"';
    for (const auto& [host, port] : {std::pair{"192.0.2.2", 23456}, std::pair{"2001:db8::7", 7773}})
        EXPECT_EQ(splitHostPort(joinHostPort(host, port)), (HostPort{host, port})) << host;
    EXPECT_EQ(joinHostPort("2001:db8::7", 7773), "[2001:db8::7]:7773");
}

} // namespace
} // namespace zk::test
