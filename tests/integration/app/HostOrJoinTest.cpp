// File, "Host or Join a Game...": the dialog starts the program again with
// the lobby's command line and this copy ends; the new copy hosts.
#include <gtest/gtest.h>

#include "ZonkardsProcess.h"

namespace zk::test {
namespace {

TEST(HostOrJoin, TheRelaunchedCopyHostsUnderTheChosenName)
{
    Sandbox box;
    const int port = freeTcpPort();
    ZonkardsProcess first(box, {"Ann"}, port);
    ASSERT_TRUE(first.connect()) << first.stderrText();
    ASSERT_TRUE(first.waitForBoard([](const QJsonObject& b) { return !b["chat"].toArray().isEmpty(); }));

    EXPECT_EQ(first.command("menu Host or Join a Game..."), "ok");
    EXPECT_EQ(first.command("set Thostjoin edit_name Zed"), "ok");
    EXPECT_EQ(first.command("press Thostjoin radio_host"), "ok");
    EXPECT_EQ(first.command("press Thostjoin button_ok"), "ok");
    EXPECT_EQ(first.wait(), 0) << "the first copy ends";

    // The new copy inherits the automation link and calls it.
    const int pid = first.link().accept();
    ASSERT_GT(pid, 0) << first.stderrText();
    EXPECT_NE(pid, first.pid());
    struct Reaper {
        int pid;
        ~Reaper()
        {
            if (!processGone(pid))
                ::kill(pid, SIGKILL);
        }
    } reaper{pid};

    QJsonObject b;
    ASSERT_TRUE(waitForBoardOn(
        first.link(),
        [](const QJsonObject& board) {
            return board["loggedIn"].toBool() && chatHas(board, "You are Connected.");
        },
        kAppDeadlineMs, &b));
    EXPECT_EQ(b["ownName"].toString(), "Zed");
    EXPECT_TRUE(b["hostFlag"].toBool());
    EXPECT_EQ(b["listeningPort"].toInt(), port);
    EXPECT_EQ(name(b, 1), "Zed");
    EXPECT_EQ(chatTexts(b).front(), "Loading Multi-player Game.. Please Wait.");
    EXPECT_TRUE(b["lobbyConnection"].toBool()) << "a three-argument start";

    EXPECT_EQ(first.link().command("quit"), "ok");
    const auto deadline = Clock::now() + std::chrono::milliseconds(kAppDeadlineMs);
    while (!processGone(pid) && msLeft(deadline) > 0)
        ::usleep(10000);
    EXPECT_TRUE(processGone(pid));
}

} // namespace
} // namespace zk::test
