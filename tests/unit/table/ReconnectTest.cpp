// A table whose connection broke tries again and is seated anew; the own
// turn's clock; the host powers passed to this table.
#include "TableTestSupport.h"

namespace zk::test {
namespace {

using std::chrono::milliseconds;

class Reconnect : public TableTest {
protected:
    void lose()
    {
        logic.socketInfo(SockInfoKind::Broken);
        logic.socketInfo(SockInfoKind::Close);
    }
    // Lets time run to the logic's next wake and wakes it.
    void wakeNext()
    {
        const auto at = logic.nextWake();
        ASSERT_TRUE(at);
        now = std::max(now, *at);
        logic.wake();
    }
};

TEST_F(Reconnect, ABrokenConnectionIsTriedAgainWithGrowingPausesAndTheSeatComesBack)
{
    joinAs("Bob", 3);
    host(host::existing(1, "Ann"));
    lose();
    EXPECT_FALSE(env.has("close"));
    EXPECT_EQ(lastLine(), "Connection to the host lost. Reconnecting...");
    EXPECT_EQ(board().seat(1).name, std::string(kWaitingName)) << "the roster comes again from the host";
    // Tries at 0.5 s, then 1 s, 2 s and 4 s after each failure.
    const milliseconds lost = now;
    std::vector<long long> triedAt;
    for (int i = 0; i < 4; ++i) {
        wakeNext();
        ASSERT_EQ(env.count("connect 10.0.0.5"), i + 1);
        triedAt.push_back((now - lost).count());
        logic.connectFailed("10.0.0.5", "Connection refused");
    }
    EXPECT_EQ(triedAt, (std::vector<long long>{500, 1500, 3500, 7500}));
    EXPECT_EQ(lastLine(), "Connection to the host lost. Reconnecting...") << "failed tries are quiet";
    wakeNext();
    logic.socketInfo(SockInfoKind::Connect);
    env.clear();
    host(host::sendlogininfo(3));
    EXPECT_EQ(env.lastSent(), msg::text(msg::LoginInfo{"3", std::string(kVersionText), "Bob\xFF"}));
    host(host::newplayer(3, "Bob"));
    EXPECT_EQ(lastLine(), "Reconnected.");
    EXPECT_FALSE(env.has("load settings")) << "the window stays where it is";
    EXPECT_FALSE(logic.reconnecting());
    EXPECT_FALSE(logic.nextWake());
}

TEST_F(Reconnect, TheHostClosingEndsTheTableAndAHostThatStaysAwayEndsItAfterTheSetting)
{
    joinAs("Bob", 3);
    logic.socketInfo(SockInfoKind::Close); // the host closed: a kick, or its program ended
    EXPECT_TRUE(env.has("close"));
    env.clear();

    logic.setReconnectSeconds(20);
    lose();
    int tries = 0;
    while (!env.has("close") && tries < 100) {
        wakeNext();
        if (logic.reconnecting() && env.count("connect 10.0.0.5") > tries) {
            ++tries;
            logic.connectFailed("10.0.0.5", "Network is unreachable");
        }
    }
    EXPECT_TRUE(env.has("close"));
    EXPECT_EQ(tries, 6) << "0.5, 1.5, 3.5, 7.5, 15.5 s and the last at 20 s";
}

TEST_F(Reconnect, ATryThatHangsIsGivenUp)
{
    joinAs("Bob", 3);
    lose();
    EXPECT_EQ(env.count("drop connection"), 1) << "what the broken connection left is dropped";
    wakeNext();
    ASSERT_EQ(env.count("connect 10.0.0.5"), 1);
    wakeNext(); // 5 s later: nothing came
    EXPECT_EQ(env.count("drop connection"), 2);
    wakeNext();
    EXPECT_EQ(env.count("connect 10.0.0.5"), 2);
}

TEST_F(Reconnect, TheOwnTurnShowsItsClockInItsLastSecondsOnly)
{
    joinAs("Bob", 3);
    host(msg::text(msg::TurnClock{90}));
    host(host::startgame("Ann", 0));
    host(host::nextplayer(3, 1, {1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(board().turnClockLeft, 0);
    wakeNext();
    EXPECT_EQ(now.count() - 100000, 75000);
    EXPECT_EQ(board().turnClockLeft, 15);
    EXPECT_EQ(board().statusLine(), "Your Turn - 15 s left");
    wakeNext();
    EXPECT_EQ(board().turnClockLeft, 14);
    logic.rollClick(); // a request starts the host's clock again
    EXPECT_EQ(board().turnClockLeft, 0);
    host(host::nextplayer(1, 1, {1, 2, 3, 4, 5, 6}));
    EXPECT_FALSE(logic.nextWake()) << "another seat's turn is not counted here";
}

TEST_F(Reconnect, HostPowersPassedToThisTableShowItsStartButton)
{
    joinAs("Cid", 3);
    EXPECT_FALSE(board().startButtonShown);
    host(msg::text(msg::HostPowers{3}));
    EXPECT_TRUE(board().startButtonShown);
    EXPECT_TRUE(board().menu.startGameEnabled);
    EXPECT_TRUE(board().spyList.removeEnabled);
    host(msg::text(msg::HostPowers{4}));
    EXPECT_FALSE(board().startButtonShown);
    EXPECT_FALSE(board().spyList.removeEnabled);
}

} // namespace
} // namespace zk::test
