// Bonus mode with and without a limit, its pacing, and the end of the game
// with its winner list.
#include "EngineTestUtil.h"

#include <algorithm>

namespace zk::test {
namespace {

using Strings = std::vector<std::string>;

// Ann (slot 1) and Bob (slot 2); Ann's third roll shows five of `category`.
void fiveOfAKind(HostHarness& h, int limit, int category)
{
    h.login("Ann");
    h.login("Bob");
    startGame(h, limit);
    for (int i = 0; i < 5; ++i)
        h.dice.push(category);
    h.say(1, roll(1, "1+2+3+4+5"));
    h.say(1, select(1, category));
    h.say(1, roll(1, "0"));
    h.clear();
    h.say(1, roll(1, "0"));
}

TEST(Bonus, FiveOfTheCategoryOpensBonusModeAfterThreeBotSpeedIntervals)
{
    HostHarness h;
    fiveOfAKind(h, 0, 4);
    EXPECT_EQ(h.to(2), (Strings{"CMD_createdice+1+3+0+0", "CMD_bonustime+1+20+20+4+"}));
    EXPECT_FALSE(h.engine.player(1).turnactive);
    EXPECT_EQ(h.engine.bonusCount(), 0);
    EXPECT_EQ(h.engine.timer1().tag, kTimerBonusRoll);
    EXPECT_EQ(h.engine.timer1().countdown, 3);
    EXPECT_EQ(h.engine.timer1().intervalMs, 650);
    // The player's own requests are ignored during bonus mode.
    h.say(1, roll(1, "1"));
    EXPECT_EQ(h.to(2).size(), 2u);
    h.dice.push({1, 2, 3, 5, 6});
    h.advance(3 * 650 - 1);
    EXPECT_EQ(h.to(2).size(), 2u);
    h.advance(1);
    EXPECT_EQ(h.last(2), "CMD_bonusend+1" + fivePairs({1, 2, 3, 5, 6}));
    EXPECT_EQ(h.engine.timer1().tag, kTimerNextPlayer);
    EXPECT_EQ(h.engine.timer1().countdown, 5);
    EXPECT_EQ(h.engine.timer1().intervalMs, 750);
    h.advance(3750);
    EXPECT_EQ(h.last(2), "CMD_nextplayer+2+1+1+2+3+4+5+6");
}

TEST(Bonus, UnlimitedBonusRollsGoOnWhileTheCategoryShows)
{
    HostHarness h;
    fiveOfAKind(h, 0, 6);
    h.dice.push({6, 6, 1, 2, 3, 6, 1, 2, 3, 4, 1, 2, 3, 4, 5});
    h.advance(3 * 650);
    EXPECT_EQ(h.last(2), "CMD_gotbonus+1+42+12+6+42" + fivePairs({6, 6, 1, 2, 3}));
    EXPECT_EQ(h.engine.timer1().countdown, 2);
    h.advance(2 * 650);
    EXPECT_EQ(h.last(2), "CMD_gotbonus+1+48+6+6+48" + fivePairs({6, 1, 2, 3, 4}));
    h.advance(2 * 650);
    EXPECT_EQ(h.last(2), "CMD_bonusend+1" + fivePairs({1, 2, 3, 4, 5}));
    EXPECT_EQ(h.engine.player(1).total, 48);
    EXPECT_EQ(h.engine.player(1).row(6), 48);
    EXPECT_EQ(h.engine.bonusCount(), 3);
    EXPECT_EQ(h.timeOf(2, "CMD_bonusend"), 7 * 650);
}

TEST(Bonus, WithLimitOneAScoringRollIsFollowedByAnEmptyEnd)
{
    HostHarness h;
    fiveOfAKind(h, 1, 5);
    h.dice.push({5, 1, 2, 3, 4});
    h.advance(3 * 650);
    EXPECT_EQ(h.last(2), "CMD_gotbonus+1+30+5+5+30" + fivePairs({5, 1, 2, 3, 4}));
    h.advance(2 * 650);
    EXPECT_EQ(h.last(2), "CMD_bonusend+1+0+0");
    EXPECT_EQ(h.dice.overdrawn(), 0); // no die was rolled for the end
    EXPECT_EQ(h.engine.player(1).total, 30);
    EXPECT_EQ(h.engine.timer1().tag, kTimerNextPlayer);
}

TEST(Bonus, WithLimitOneANonScoringRollEndsWithItsDice)
{
    HostHarness h;
    fiveOfAKind(h, 1, 5);
    h.dice.push({1, 2, 3, 4, 6});
    h.advance(3 * 650);
    EXPECT_EQ(h.last(2), "CMD_bonusend+1" + fivePairs({1, 2, 3, 4, 6}));
    EXPECT_EQ(h.engine.player(1).total, 25);
}

TEST(Bonus, TheBotSpeedIsReadAtEveryArming)
{
    HostHarness h;
    fiveOfAKind(h, 0, 2);
    EXPECT_EQ(h.engine.timer1().intervalMs, 650);
    h.botSpeedMs = 1000;
    h.dice.push({2, 1, 1, 1, 1});
    h.advance(3 * 650);
    EXPECT_EQ(h.engine.timer1().intervalMs, 1000);
    h.dice.push({1, 1, 1, 1, 1});
    h.advance(2 * 1000);
    EXPECT_EQ(h.last(2), "CMD_bonusend+1" + fivePairs({1, 1, 1, 1, 1}));
}

// Faces for three rolls of all five dice that end on `last`: every re-rolled
// die changes, and the first roll is never a straight.
void turnEndingOn(HostHarness& h, int seat, int category, const std::vector<int>& last)
{
    std::vector<int> first, second;
    for (int f : last) {
        const int a = f % 6 + 1;
        int b = 1;
        while (b == a || b == f)
            ++b;
        first.push_back(a);
        second.push_back(b);
    }
    playTurn(h, seat, first, category, second, last);
}

// Plays a whole game of `seats` human seats; the seats in `scoring` score
// twice the category in rounds 1-6, all others score nothing.
void scriptedGame(HostHarness& h, int seats, const std::vector<int>& scoring)
{
    const char* names[] = {"Ann", "Bob", "Cat", "Dee", "Eve", "Fay"};
    for (int s = 0; s < seats; ++s)
        h.login(names[s]);
    startGame(h);
    for (int round = 1; round <= 7; ++round) {
        for (int s = 1; s <= seats; ++s) {
            ASSERT_TRUE(waitForTurn(h, s)) << "round " << round << " seat " << s;
            const bool scores = round <= 6 && std::find(scoring.begin(), scoring.end(), s) != scoring.end();
            const int other = round % 6 + 1;
            if (scores)
                turnEndingOn(h, s, round, {round, round, other, other, other});
            else
                turnEndingOn(h, s, round, {other, other, other, other, other});
        }
    }
    ASSERT_TRUE(h.runUntil([&] { return !h.engine.gameStarted(); }));
}

TEST(Winner, TwoSeatsTiedOnTheBestTotalShareTheWin)
{
    HostHarness h;
    scriptedGame(h, 4, {2, 4});
    EXPECT_EQ(h.engine.player(2).total, 42);
    EXPECT_EQ(h.engine.player(4).total, 42);
    for (int s = 1; s <= 4; ++s)
        EXPECT_EQ(h.last(s), "CMD_winner+2+4+0+");
    EXPECT_FALSE(h.engine.gameStarted());
    EXPECT_FALSE(h.engine.timer1().enabled); // the host waits for the next start
    EXPECT_EQ(h.dice.overdrawn(), 0);
}

TEST(Winner, ASingleWinnerIsFollowedByTheClosingZero)
{
    HostHarness h;
    scriptedGame(h, 3, {3});
    EXPECT_EQ(h.last(1), "CMD_winner+3+0+");
    // Every category of every playing seat was filled once.
    for (int s = 1; s <= 3; ++s) {
        for (int r = 1; r <= 7; ++r)
            EXPECT_NE(h.engine.player(s).row(r), -1);
    }
    // A request after the end changes nothing.
    h.clear();
    h.say(1, roll(1, "1+2+3+4+5"));
    h.say(1, select(1, 2));
    EXPECT_TRUE(h.log.empty());
}

} // namespace
} // namespace zk::test
