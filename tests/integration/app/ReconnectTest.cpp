// A real table whose connection is reset (a relay between it and a real
// zonkards-host breaks it) reconnects, and the host gives it its seat, its
// scores and its turn back: in the middle of its own turn and of another's.
#include <gtest/gtest.h>

#include <cstdio>

#include "HostProcess.h"
#include "TcpProxy.h"
#include "ZonkardsProcess.h"

namespace zk::test {
namespace {

int countLines(const QJsonObject& board, const std::string& line)
{
    int n = 0;
    for (const auto& t : chatTexts(board))
        n += t == line;
    return n;
}

TEST(Reconnect, AResetTableIsBackInItsSeatWithItsScoresInItsOwnTurnAndInAnother)
{
    HostProcess host({"--port", "0", "--bot-speed", "150", "--turn-clock", "0", "--no-announce"});
    ASSERT_GT(host.port(), 0);
    TcpProxy relay(host.port());
    ASSERT_TRUE(relay.ok());
    Sandbox box;
    ZonkardsProcess ann(box, {"Ann", "127.0.0.1", "false"}, relay.port());
    ASSERT_TRUE(ann.connect()) << ann.stderrText();
    ASSERT_TRUE(ann.waitForBoard(seated({"Ann"})));
    EXPECT_EQ(ann.command("click start"), "ok");
    EXPECT_EQ(ann.command("press gamestart Image1"), "ok");

    const auto back = [](int times) {
        return [times](const QJsonObject& b) {
            return countLines(b, "Reconnected.") == times && b["loggedIn"].toBool() &&
                   b["ownSeat"].toInt() == 1 && name(b, 1) == "Ann";
        };
    };
    const auto reconnectsWithin5s = [&](int times) {
        const auto started = Clock::now();
        relay.reset();
        QJsonObject b;
        const bool ok = ann.waitForBoard(back(times), 5000, &b);
        std::printf(
            "reconnected in %lld ms\n",
            static_cast<long long>(
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count()));
        EXPECT_TRUE(chatHas(b, "Connection to the host lost. Reconnecting..."));
        return ok;
    };

    // Her own turn, after its first roll.
    ASSERT_TRUE(ann.waitForBoard([](const QJsonObject& b) {
        return b["currentSeat"].toInt() == 1 && b["rollButton"].toBool();
    })) << ann.stderrText();
    EXPECT_EQ(ann.command("click roll"), "ok");
    ASSERT_TRUE(ann.waitForBoard([](const QJsonObject& b) { return b["rollCount"].toInt() == 1; }));
    ASSERT_TRUE(reconnectsWithin5s(1)) << ann.stderrText();

    // The computer's turn: her card is the same after the return.
    QJsonObject before;
    ASSERT_TRUE(ann.waitForBoard(
        [](const QJsonObject& b) { return b["currentSeat"].toInt() == 2 && !cells(b)[0][7].empty(); }, 60000,
        &before))
        << "her first turn was scored";
    ASSERT_TRUE(reconnectsWithin5s(2)) << ann.stderrText();
    QJsonObject after = ann.board();
    EXPECT_EQ(cells(after)[0], cells(before)[0]);
    // And the game goes on with her: her next turn comes to her table.
    EXPECT_TRUE(ann.waitForBoard(
        [](const QJsonObject& b) { return b["currentSeat"].toInt() == 1 && b["rollButton"].toBool(); },
        60000));
    EXPECT_EQ(ann.quit(), 0);
}

} // namespace
} // namespace zk::test
