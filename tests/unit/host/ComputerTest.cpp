// The computer player inside the engine: the pace of its chain of steps, its
// moves on the game's worked examples, and how the chain breaks
// off when a human takes the seat back.
#include "EngineTestUtil.h"

namespace zk::test {
namespace {

using Strings = std::vector<std::string>;

TEST(Computer, InASoloGameSeatTwoStartsThreeIntervalsAfterItsTurnBegins)
{
    HostHarness h(500);
    h.login("You");
    startGame(h);
    playTurn(h, 1, {1, 1, 2, 2, 3}, 1, {2, 2, 3, 3, 4}, {1, 1, 2, 2, 3});
    h.advance(3750);
    const auto begun = h.timeOf(1, "CMD_nextplayer+2+");
    ASSERT_GE(begun, 0);
    h.dice.push({2, 2, 5, 5, 6});
    h.advance(1500);
    EXPECT_EQ(h.timeOf(1, "CMD_createdice+2+1+"), begun + 1500);
    // Dice 2,2,5,5,6: twos (the lower of a tie), then dice 3, 4 and 5 re-rolled.
    h.advance(500);
    EXPECT_EQ(h.last(1), "CMD_selectedcat+2+2+");
    h.dice.push({1, 3, 4});
    h.advance(500);
    EXPECT_EQ(h.last(1), "CMD_createdice+2+2+3+1+4+3+5+4");
    // Still no match on dice 3-5: all three again.
    h.dice.push({2, 1, 3});
    h.advance(500);
    EXPECT_EQ(h.named(1, "CMD_createdice").back(), "CMD_createdice+2+3+3+2+4+1+5+3");
    EXPECT_EQ(h.last(1), "CMD_postscores+2+6+6+2+");
    EXPECT_EQ(h.dice.overdrawn(), 0);
}

TEST(Computer, TheStraightKeepsOneOfEachFaceAndNeverOneWithSix)
{
    HostHarness h(1);
    h.login("You");
    startGame(h);
    h.say(1, "CMD_justwatch+1+1"); // both seats are the computer's now
    // Random dice until seat 2's last turn, where only the straight is left.
    ASSERT_TRUE(h.runUntil([&] { return h.engine.round() == 7 && h.engine.currentPlayer() == 2; }));
    ASSERT_EQ(h.engine.player(2).row(7), -1) << "an earlier zonkard; pick another seed";
    h.clear();
    h.dice.push({1, 1, 3, 4, 6, 2, 5});
    ASSERT_TRUE(h.runUntil([&] { return !h.engine.gameStarted(); }));
    EXPECT_EQ(h.to(1)[0], "CMD_selectedcat+2+7+");
    EXPECT_EQ(h.to(1)[1], "CMD_createdice+2+1" + fivePairs({1, 1, 3, 4, 6}));
    EXPECT_EQ(h.to(1)[2], "CMD_createdice+2+2+2+2+5+5");
    EXPECT_EQ(h.to(1)[3], "CMD_createdice+2+3+0+0");
    EXPECT_EQ(h.to(1)[4].rfind("CMD_postscores+2+", 0), 0u);
    EXPECT_EQ(h.engine.player(2).row(7), 15);
}

TEST(Computer, JustWatchHandsTheTurnToTheComputerAndPlayAgainTakesItBack)
{
    HostHarness h;
    h.login("Ann");
    h.login("Bob");
    startGame(h);
    h.dice.push({3, 3, 1, 2, 6});
    h.say(1, roll(1, "1+2+3+4+5"));
    h.clear();
    h.say(1, "CMD_justwatch+1+1");
    EXPECT_EQ(h.to(2), Strings{"CMD_justwatching+1+1"});
    EXPECT_EQ(h.engine.timer1().tag, kTimerComputerStep);
    EXPECT_EQ(h.engine.timer1().countdown, 1);
    // Play again before the step: the step finds a human seat and does nothing.
    h.advance(300);
    h.say(1, "CMD_justwatch+1+2");
    h.advance(10000);
    EXPECT_EQ(h.to(2), (Strings{"CMD_justwatching+1+1", "CMD_justwatching+1+2"}));
    EXPECT_EQ(h.engine.player(1).rolls, 1);
    EXPECT_EQ(h.engine.player(1).category, 0);
    // Watching again: one interval later the computer makes the next move.
    h.say(1, "CMD_justwatch+1+1");
    h.advance(650);
    EXPECT_EQ(h.last(2), "CMD_selectedcat+1+3+");
    h.dice.push({3, 3, 3});
    h.advance(650);
    EXPECT_EQ(h.last(2), "CMD_createdice+1+2+3+3+4+3+5+3");
}

TEST(Computer, ANewcomerInTheSeatContinuesTheTurnWhereItStands)
{
    HostHarness h;
    h.login("Ann");
    startGame(h);
    playTurn(h, 1, {1, 1, 2, 2, 3}, 1, {2, 2, 3, 3, 4}, {1, 1, 2, 2, 3});
    h.advance(3750 + 3 * 650);
    ASSERT_EQ(h.engine.player(2).rolls, 1); // the computer rolled once
    const int b = h.login("Bob");
    ASSERT_EQ(b, 2);
    EXPECT_EQ(h.named(2, "CMD_loadstats").size(), 1u);
    h.clear();
    h.advance(10000);
    EXPECT_TRUE(h.log.empty()); // the pending step was dropped
    EXPECT_EQ(h.engine.player(2).rolls, 1);
    h.say(2, select(2, 4));
    h.say(2, roll(2, "0"));
    h.say(2, roll(2, "0"));
    EXPECT_EQ(h.named(1, "CMD_postscores").size(), 1u);
}

} // namespace
} // namespace zk::test
