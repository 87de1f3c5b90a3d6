// The headless host's command line.
#include <gtest/gtest.h>

#include "host/HostOptions.h"

namespace zk::test {
namespace {

using Action = HostOptions::Action;

TEST(HostOptions, DefaultsAreTheGivenPortAndNormalBotSpeed)
{
    const HostOptions o = parseHostOptions({}, 7772);
    EXPECT_EQ(o.action, Action::Run);
    EXPECT_EQ(o.port, 7772);
    EXPECT_EQ(o.botSpeedMs, 650);
}

TEST(HostOptions, PortAndBotSpeedInBothSpellings)
{
    HostOptions o = parseHostOptions({"--port", "0", "--bot-speed=350"}, 7772);
    EXPECT_EQ(o.action, Action::Run);
    EXPECT_EQ(o.port, 0);
    EXPECT_EQ(o.botSpeedMs, 350);
    o = parseHostOptions({"--port=65535", "--bot-speed", "1"}, 7772);
    EXPECT_EQ(o.port, 65535);
    EXPECT_EQ(o.botSpeedMs, 1);
}

TEST(HostOptions, HelpWinsOverVersion)
{
    EXPECT_EQ(parseHostOptions({"--version"}, 1).action, Action::Version);
    EXPECT_EQ(parseHostOptions({"--version", "--help"}, 1).action, Action::Help);
    EXPECT_EQ(parseHostOptions({"-h"}, 1).action, Action::Help);
}

TEST(HostOptions, BadArgumentsAskForUsage)
{
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--port"},
                                               {"--port", "x"},
                                               {"--port", "65536"},
                                               {"--port", "-1"},
                                               {"--bot-speed", "0"},
                                               {"--bot-speed", "60001"},
                                               {"--bot-speed", "5ms"},
                                               {"--colour"},
                                               {"7772"},
                                               {"--help=yes"},
                                               {"--port="}}) {
        const HostOptions o = parseHostOptions(args, 7772);
        EXPECT_EQ(o.action, Action::Usage) << args.front();
        EXPECT_FALSE(o.error.empty());
    }
}

} // namespace
} // namespace zk::test
