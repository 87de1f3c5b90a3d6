// Seats that survive a drop, the turn clock, one name per table and the
// passing of the host powers, on the engine with stepped time. The harness
// logs in as a table built to the game's documents does: it answers every
// CMD_sendlogininfo with a login and knows no other new message.
#include <gtest/gtest.h>

#include <algorithm>

#include "EngineTestUtil.h"

namespace zk::test {
namespace {

constexpr std::int64_t kHold = 300000;
constexpr std::int64_t kClock = 90000;

bool sentTo(const HostHarness& h, int slot, const std::string& text)
{
    const auto all = h.to(slot);
    return std::find(all.begin(), all.end(), text) != all.end();
}

// Ann (slot 1), Bob (2) and Cid (3) from three machines, a game started.
struct ThreeAtTable {
    HostHarness h{1};
    ThreeAtTable()
    {
        h.engine.setSeatHold(kHold);
        h.login("Ann", std::string(kVersionText), "10.0.0.1");
        h.login("Bob", std::string(kVersionText), "10.0.0.2");
        h.login("Cid", std::string(kVersionText), "10.0.0.3");
        startGame(h);
    }
};

TEST(SeatHold, ADroppedPlayerGetsHisSeatScoresAndTurnBackAndAStrangerDoesNot)
{
    ThreeAtTable t;
    HostHarness& h = t.h;
    // Ann and Bob play a turn each, then Cid drops in the middle of his own.
    ASSERT_TRUE(waitForTurn(h, 1));
    playTurn(h, 1, {1, 1, 1, 2, 3}, 1, {1, 1, 4, 5, 6}, {1, 1, 1, 1, 2});
    ASSERT_TRUE(waitForTurn(h, 2));
    playTurn(h, 2, {2, 2, 1, 2, 3}, 2, {2, 2, 4, 5, 6}, {2, 2, 2, 1, 1});
    ASSERT_TRUE(waitForTurn(h, 3));
    h.dice.push({2, 3, 4, 4, 6});
    h.say(3, roll(3, "1+2+3+4+5"));
    h.vanish(3);
    EXPECT_TRUE(h.engine.seatHeld(3));
    EXPECT_TRUE(h.engine.player(3).playing) << "a held seat stays in the game";
    EXPECT_EQ(h.engine.timer1().tag, kTimerComputerStep) << "the computer finishes his turn";
    ASSERT_TRUE(h.runUntil([&] { return !h.engine.player(3).turnactive; }));
    const int total = h.engine.player(3).total;

    // A stranger, and Cid's own name from another machine, never take seat 3.
    EXPECT_EQ(h.login("Eve", std::string(kVersionText), "10.0.0.9"), 4);
    EXPECT_EQ(h.login("Cid", std::string(kVersionText), "10.0.0.8"), 5);
    EXPECT_EQ(h.engine.player(5).name, "Cid (2)") << "the held name is taken";

    // Cid from his machine: first given a free slot, moved to seat 3, logs in again there.
    const int back = h.login("Cid", std::string(kVersionText), "10.0.0.3");
    EXPECT_EQ(back, 3);
    EXPECT_FALSE(h.engine.seatHeld(3));
    EXPECT_EQ(h.engine.player(3).name, "Cid");
    EXPECT_EQ(h.engine.player(3).total, total);
    EXPECT_EQ(h.moves.size(), 1u);
    EXPECT_TRUE(sentTo(h, 1, "CMD_newplayerinfo+3+Cid"));
    EXPECT_TRUE(sentTo(h, 1, "CMD_action+Cid is back.|clBlue"));
    // His table was rebuilt from the snapshot, as a late joiner's is.
    EXPECT_EQ(h.named(3, "CMD_loadstats").size(), 1u);
    EXPECT_EQ(h.named(3, "CMD_loadscores").size(), 1u);
    EXPECT_FALSE(h.engine.computerPlayed(3));
}

TEST(SeatHold, AJustWatchingSeatComesBackJustWatchingAndAnExpiredHoldIsTodaysRule)
{
    ThreeAtTable t;
    HostHarness& h = t.h;
    h.say(2, "CMD_justwatch+2+1");
    h.vanish(2);
    h.vanish(3);
    EXPECT_EQ(h.login("Bob", std::string(kVersionText), "10.0.0.2"), 2);
    EXPECT_TRUE(h.engine.player(2).watching);
    EXPECT_EQ(h.to(1).back(), "CMD_action+Bob is back.|clBlue");

    // Seat 3's hold runs out after exactly its length: then the next
    // connection takes the seat and its scores, as any departed seat.
    h.advance(kHold - 1);
    EXPECT_TRUE(h.engine.seatHeld(3));
    h.advance(1);
    EXPECT_FALSE(h.engine.seatHeld(3));
    EXPECT_EQ(h.login("Eve", std::string(kVersionText), "10.0.0.9"), 3);
    EXPECT_EQ(h.engine.player(3).name, "Eve");
}

TEST(SeatHold, NothingIsHeldWithoutAGameOrWithTheHoldOff)
{
    HostHarness h(1);
    h.engine.setSeatHold(kHold);
    h.login("Ann");
    h.login("Bob", std::string(kVersionText), "10.0.0.2");
    h.vanish(2);
    EXPECT_FALSE(h.engine.seatHeld(2)) << "no game: no hold";
    HostHarness off(1);
    off.login("Ann");
    off.login("Bob", std::string(kVersionText), "10.0.0.2");
    startGame(off);
    off.vanish(2);
    EXPECT_FALSE(off.engine.seatHeld(2));
    EXPECT_FALSE(off.engine.nextDeadline());
}

TEST(TurnClock, ARunsOutExactlyAtItsLengthAndIsRestartedByEachRequest)
{
    HostHarness h(1);
    h.engine.setTurnClock(kClock);
    h.login("Ann");
    h.login("Bob");
    EXPECT_TRUE(sentTo(h, 2, "CMD_turnclock+90")) << "each table learns the clock's length";
    startGame(h);
    ASSERT_TRUE(waitForTurn(h, 1));
    h.advance(kClock - 10000);
    h.dice.push({1, 2, 3, 5, 5});
    h.say(1, roll(1, "1+2+3+4+5")); // the clock starts again
    h.advance(kClock - 1);
    EXPECT_FALSE(h.engine.player(1).watching);
    h.advance(1);
    EXPECT_TRUE(h.engine.player(1).watching);
    EXPECT_TRUE(sentTo(h, 2, "CMD_justwatching+1+1"));
    EXPECT_EQ(h.engine.timer1().tag, kTimerComputerStep);
}

TEST(TurnClock, DoesNotRunForTheComputerABonusRunOrAWatchingSeat)
{
    HostHarness h(1);
    h.engine.setTurnClock(kClock);
    h.login("Ann");
    startGame(h);
    ASSERT_TRUE(waitForTurn(h, 1));
    // Five ones: the turn ends in bonus rolls, which are not timed.
    playTurn(h, 1, {1, 1, 1, 1, 1}, 1, {1, 1, 1, 1, 1}, {1, 1, 1, 1, 1});
    EXPECT_FALSE(h.engine.nextDeadline()) << "bonus run";
    ASSERT_TRUE(waitForTurn(h, 2));
    EXPECT_FALSE(h.engine.nextDeadline()) << "the computer's turn";
    h.say(1, "CMD_justwatch+1+1");
    ASSERT_TRUE(waitForTurn(h, 1));
    EXPECT_FALSE(h.engine.nextDeadline()) << "a watching seat";
}

TEST(Names, EveryPlayerAtATableHasANameOfHisOwn)
{
    struct Case {
        std::string login;
        std::string named;
    };
    const std::string longName(4096, 'x');
    const Case cases[] = {
        {"Bob", "Bob"},
        {"Bob", "Bob (2)"},
        {"Bob", "Bob (3)"},
        {"Eve chats: hello", "Player 4"},
        {"  Al\x01\x1b[31mX\x7f ", "Al[31mX"},
        {longName, std::string(kMaxPlayerNameLength, 'x')},
        {longName, std::string(kMaxPlayerNameLength - 4, 'x') + " (2)"},
        {"\x02\x03", "Player 8"},
    };
    HostHarness h(1);
    int slot = 0;
    for (const Case& c : cases) {
        slot = h.login(c.login);
        EXPECT_EQ(h.engine.player(slot).name, c.named) << c.login.substr(0, 40);
        const std::string told = "CMD_action+You are " + c.named + " at this table.|clBlue";
        EXPECT_EQ(sentTo(h, slot, told), c.named != c.login) << c.named;
        EXPECT_TRUE(sentTo(h, 1, "CMD_newplayerinfo+" + std::to_string(slot) + "+" + c.named));
    }
    // A name is free again once its player has gone.
    h.vanish(2);
    EXPECT_EQ(h.engine.player(h.login("Bob")).name, "Bob (2)");
}

TEST(HostPowers, PassToThePlayerConnectedLongest)
{
    HostHarness h(1);
    h.login("Ann");
    h.login("Bob");
    h.login("Cid");
    h.vanish(2);
    h.login("Dan"); // slot 2 again, but newer than Cid
    h.vanish(1);
    EXPECT_EQ(h.engine.powerSlot(), 3);
    EXPECT_TRUE(sentTo(h, 2, "CMD_hostpowers+3"));
    EXPECT_TRUE(sentTo(h, 2, "CMD_action+Cid may now start games.|clBlue"));
    EXPECT_EQ(h.say(2, msg::text(msg::StartGame{"Dan", "0"})), HandlerResult::Ignored);
    EXPECT_EQ(h.say(3, "CMD_kickhim+3+2"), HandlerResult::Handled);
    EXPECT_EQ(h.login("Eve"), 1);
    EXPECT_TRUE(sentTo(h, 1, "CMD_hostpowers+3")) << "a newcomer in slot 1 learns who holds them";
    EXPECT_EQ(h.say(1, msg::text(msg::StartGame{"Eve", "0"})), HandlerResult::Ignored);
    EXPECT_EQ(h.say(3, msg::text(msg::StartGame{"Cid", "0"})), HandlerResult::Handled);
    h.vanish(3);
    EXPECT_EQ(h.engine.powerSlot(), 1) << "Eve is the only one left";
    EXPECT_TRUE(sentTo(h, 1, "CMD_hostpowers+1"));
}

} // namespace
} // namespace zk::test
