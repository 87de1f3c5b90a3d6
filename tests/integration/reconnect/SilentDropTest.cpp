// A player whose network goes silent (the cable between the two machines
// of drop_netns.sh pulled: no reset, no close, nothing): the host's
// keepalive finds him gone and holds his seat, his table's keepalive finds
// the host gone and reconnects once the network is back, and he is in his
// seat again. Run outside drop_netns.sh, the case is skipped.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "HostProcess.h"
#include "ZonkardsProcess.h"

namespace zk::test {
namespace {

std::string env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

long long msSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(SilentDrop, KeepaliveFindsBothEndsGoneAndTheSeatComesBack)
{
    if (env("ZK_DROP_PEER").empty())
        GTEST_SKIP() << "needs the machines of drop_netns.sh";
    HostProcess host({"--port", "0", "--bot-speed", "50", "--turn-clock", "0", "--no-announce"});
    ASSERT_GT(host.port(), 0);
    LineClient ann(host.port());
    ASSERT_EQ(ann.login("Ann"), 1);
    Sandbox box;
    ZonkardsProcess bob(box, {"Bob", env("ZK_DROP_ADDR_A"), "false"}, host.port(), {}, "auto",
                        {env("ZK_DROP_PEER")});
    ASSERT_TRUE(bob.connect()) << bob.stderrText();
    ASSERT_TRUE(bob.waitForBoard(seated({"Ann", "Bob"}))) << bob.stderrText();
    // A game waiting for Ann's roll: nothing goes to Bob, the links are idle.
    ann.send(msg::text(msg::StartGame{"Ann", "0"}));
    ASSERT_TRUE(bob.waitForBoard([](const QJsonObject& b) { return b["round"].toString() == "Round: 1"; }));

    const auto pulled = Clock::now();
    ASSERT_EQ(std::system((env("ZK_DROP_LINK") + " down").c_str()), 0);
    ASSERT_TRUE(ann.waitFor("CMD_playerdisconnected+2+Bob", 30000)) << "the host never noticed";
    const long long hostNoticed = msSince(pulled);
    ASSERT_TRUE(bob.waitForBoard(
        [](const QJsonObject& b) { return chatHas(b, "Connection to the host lost. Reconnecting..."); },
        30000))
        << "the table never noticed";
    const long long tableNoticed = msSince(pulled);
    std::printf("a silent drop was noticed by the host in %lld ms, by the table in %lld ms\n", hostNoticed,
                tableNoticed);

    ASSERT_EQ(std::system((env("ZK_DROP_LINK") + " up").c_str()), 0);
    QJsonObject b;
    EXPECT_TRUE(bob.waitForBoard(
        [](const QJsonObject& board) { return chatHas(board, "Reconnected.") && board["loggedIn"].toBool(); },
        30000, &b))
        << bob.stderrText();
    EXPECT_EQ(b["ownSeat"].toInt(), 2) << "his held seat";
    EXPECT_TRUE(ann.waitFor("CMD_action+Bob is back.|clBlue"));
    EXPECT_EQ(bob.quit(), 0);
}

} // namespace
} // namespace zk::test
