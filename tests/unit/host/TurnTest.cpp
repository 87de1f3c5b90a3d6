// The turn engine: starting a game, the order of turns and rounds, category
// choice, rolls (forced categories, zonkards, re-rolls), scoring and the
// pacing of timer1.
#include "EngineTestUtil.h"

#include <algorithm>

namespace zk::test {
namespace {

using Strings = std::vector<std::string>;

// Ann in slot 1 and Bob in slot 2, game started with Ann on turn.
struct TwoPlayers : ::testing::Test {
    void SetUp() override
    {
        h.login("Ann");
        h.login("Bob");
        startGame(h);
        h.clear();
    }
    HostHarness h;
};

TEST(StartGame, OnlyTheHostsTableAloneStillGetsTheComputerInSeatTwo)
{
    HostHarness h;
    h.login("Ann");
    h.clear();
    startGame(h, 2);
    EXPECT_EQ(h.to(1), (Strings{"CMD_startgame+Ann+2+", "CMD_nextplayer+1+1+1+2+3+4+5+6"}));
    EXPECT_TRUE(h.engine.player(1).playing);
    EXPECT_TRUE(h.engine.player(2).playing);
    for (int s = 3; s <= 6; ++s)
        EXPECT_FALSE(h.engine.player(s).playing);
    EXPECT_EQ(h.engine.bonusLimit(), 2);
    EXPECT_EQ(h.engine.round(), 1);
    EXPECT_FALSE(h.engine.timer1().enabled); // a human is on turn
}

TEST(StartGame, ABonusLimitThatIsNotANumberMeansUnlimited)
{
    HostHarness h;
    h.login("Ann");
    h.clear();
    EXPECT_EQ(h.say(1, "CMD_startgame+Ann+lots+"), HandlerResult::Handled);
    EXPECT_EQ(h.to(1).front(), "CMD_startgame+Ann+0+");
    EXPECT_EQ(h.engine.bonusLimit(), 0);
}

TEST_F(TwoPlayers, ASecondStartRestartsFromScratch)
{
    playTurn(h, 1, {1, 1, 1, 2, 2}, 1, {2, 2, 2, 3, 3}, {1, 1, 1, 4, 4});
    EXPECT_EQ(h.engine.player(1).total, 3);
    EXPECT_TRUE(h.engine.timer1().enabled);
    h.say(2, "CMD_justwatch+2+1");
    startGame(h);
    EXPECT_EQ(h.engine.player(1).total, 0);
    EXPECT_EQ(h.engine.player(1).row(1), -1);
    EXPECT_FALSE(h.engine.player(2).watching);
    EXPECT_EQ(h.engine.currentPlayer(), 1);
    EXPECT_EQ(h.engine.round(), 1);
    EXPECT_FALSE(h.engine.timer1().enabled); // the pending next player was stopped
}

TEST_F(TwoPlayers, ScoredTurnPassesTheTurnFiveTicksOf750Later)
{
    playTurn(h, 1, {4, 4, 1, 2, 6}, 4, {5, 5, 4, 4, 1}, {4, 4, 2, 6, 4});
    EXPECT_EQ(h.last(2), "CMD_postscores+1+12+12+4+");
    EXPECT_FALSE(h.engine.player(1).turnactive);
    EXPECT_EQ(h.engine.timer1().tag, kTimerNextPlayer);
    EXPECT_EQ(h.engine.timer1().countdown, 5);
    EXPECT_EQ(h.engine.timer1().intervalMs, 750);
    // A roll for the finished turn is ignored.
    h.clear();
    h.say(1, roll(1, "1"));
    EXPECT_TRUE(h.log.empty());
    h.advance(3749);
    EXPECT_TRUE(h.log.empty());
    h.advance(1);
    EXPECT_EQ(h.to(1), Strings{"CMD_nextplayer+2+1+1+2+3+4+5+6"});
    EXPECT_EQ(h.timeOf(1, "CMD_nextplayer"), 3750);
}

TEST_F(TwoPlayers, RequestsFromTheSeatNotOnTurnAreIgnored)
{
    h.say(2, roll(2, "1+2+3+4+5"));
    h.say(2, select(2, 3));
    h.say(2, roll(1, "1+2+3+4+5")); // Bob's connection rolling for Ann
    h.say(2, select(1, 3));
    EXPECT_TRUE(h.log.empty());
    EXPECT_TRUE(h.notices.empty());
    EXPECT_EQ(h.engine.player(1).rolls, 0);
    EXPECT_EQ(h.engine.player(1).category, 0);
}

TEST_F(TwoPlayers, AWatchingSeatsOwnTableCannotActOnTheTurnTheComputerPlays)
{
    h.say(1, "CMD_justwatch+1+1");
    h.clear();
    h.dice.push({1, 2, 2, 4, 6});
    h.say(1, roll(1, "1+2+3+4+5"));
    h.say(1, select(1, 3));
    EXPECT_TRUE(h.log.empty());
    EXPECT_EQ(h.engine.player(1).rolls, 0);
    EXPECT_EQ(h.engine.player(1).category, 0);

    h.say(1, "CMD_justwatch+1+2"); // back at the table: requests count again
    h.say(1, roll(1, "1+2+3+4+5"));
    EXPECT_EQ(h.engine.player(1).rolls, 1);
}

TEST_F(TwoPlayers, CategoryChoiceIsAnnouncedOnceAndCheckedAgainstTheCard)
{
    h.say(1, select(1, 3)); // before the first roll is allowed
    EXPECT_EQ(h.to(2), Strings{"CMD_selectedcat+1+3+"});
    h.say(1, select(1, 5));
    EXPECT_EQ(h.notices, Strings{"working selected"});
    EXPECT_EQ(h.engine.player(1).category, 3);

    // Threes are scored; in the next round a scored category and categories
    // outside 1-7 are refused alike.
    h.dice.push({3, 3, 3, 1, 2});
    h.say(1, roll(1, "1+2+3+4+5"));
    h.say(1, roll(1, "0"));
    h.say(1, roll(1, "0"));
    EXPECT_EQ(h.engine.player(1).row(3), 9);
    ASSERT_TRUE(waitForTurn(h, 2));
    playTurn(h, 2, {1, 1, 2, 2, 3}, 1, {2, 2, 3, 3, 4}, {1, 1, 2, 2, 3});
    ASSERT_TRUE(waitForTurn(h, 1));
    h.clear();
    for (int bad : {3, 0, 8, -1}) {
        h.say(1, select(1, bad));
    }
    EXPECT_EQ(h.notices, Strings(4, "arleady selected"));
    EXPECT_TRUE(h.log.empty());
    EXPECT_EQ(h.engine.player(1).category, 0);
}

TEST_F(TwoPlayers, ThirdRollWithoutCategoryAsksTheTableAndDoesNotRoll)
{
    h.dice.push({1, 2, 3, 4, 6});
    h.say(1, roll(1, "1+2+3+4+5"));
    h.dice.push(5);
    h.say(1, roll(1, "2"));
    h.clear();
    h.say(1, roll(1, "1+3"));
    EXPECT_EQ(h.to(1), Strings{"CMD_needcat+1+"});
    EXPECT_TRUE(h.to(2).empty());
    EXPECT_EQ(h.engine.player(1).rolls, 2);
    // The table chooses and rolls again.
    h.say(1, select(1, 5));
    h.dice.push({5, 5});
    h.say(1, roll(1, "1+3"));
    EXPECT_EQ(h.to(2),
              (Strings{"CMD_selectedcat+1+5+", "CMD_createdice+1+3+1+5+3+5", "CMD_postscores+1+15+15+5+"}));
}

TEST_F(TwoPlayers, ReRolledDiceAlwaysChangeAndADieNamedTwiceIsRolledTwice)
{
    h.dice.push({2, 2, 2, 2, 6});
    h.say(1, roll(1, "1+2+3+4+5"));
    // Die 2 draws its old face 2 first, then 4; die 4 draws 2 again, then 1.
    h.dice.push({2, 4, 2, 1});
    h.say(1, roll(1, "2+4"));
    EXPECT_EQ(h.last(2), "CMD_createdice+1+2+2+4+4+1");
    EXPECT_EQ(h.engine.dice(), (Faces{2, 4, 2, 1, 6}));
    h.say(1, select(1, 6));
    h.dice.push({3, 5});
    h.say(1, roll(1, "5+5"));
    EXPECT_EQ(h.engine.dice(), (Faces{2, 4, 2, 1, 5}));
    EXPECT_EQ(h.to(2)[2], "CMD_selectedcat+1+6+");
    EXPECT_EQ(h.to(2)[3], "CMD_createdice+1+3+5+3+5+5");
    EXPECT_EQ(h.dice.pending(), 0u);
}

TEST_F(TwoPlayers, ARollOfNoneStillCounts)
{
    h.dice.push({1, 2, 3, 4, 6});
    h.say(1, roll(1, "1+2+3+4+5"));
    h.say(1, roll(1, "0"));
    EXPECT_EQ(h.last(2), "CMD_createdice+1+2+0+0");
    EXPECT_EQ(h.engine.player(1).rolls, 2);
}

TEST_F(TwoPlayers, DieNumbersOutsideOneToFiveAreSkippedOneByOne)
{
    h.dice.push({1, 2, 3, 4, 6});
    h.say(1, roll(1, "1+2+3+4+5"));
    h.dice.push(5);
    EXPECT_EQ(h.say(1, roll(1, "9+3+-2+6")), HandlerResult::Handled);
    EXPECT_EQ(h.last(2), "CMD_createdice+1+2+3+5");
    EXPECT_EQ(h.engine.dice(), (Faces{1, 2, 5, 4, 6}));
    h.say(1, select(1, 1));
    h.say(1, roll(1, "7+6"));
    EXPECT_EQ(h.to(2)[3], "CMD_createdice+1+3+0+0");
    EXPECT_EQ(h.last(2), "CMD_postscores+1+1+1+1+");
}

TEST_F(TwoPlayers, ADieListWithAFieldThatIsNoNumberIsIgnoredWhole)
{
    h.dice.push({1, 2, 3, 4, 6});
    h.say(1, roll(1, "1+2+3+4+5"));
    h.clear();
    h.dice.push({5, 5});
    EXPECT_EQ(h.say(1, roll(1, "1+x+3")), HandlerResult::Malformed);
    EXPECT_EQ(h.say(1, roll(1, "1++3")), HandlerResult::Malformed);
    EXPECT_EQ(h.say(1, "CMD_rollthedice+1"), HandlerResult::Ignored); // nothing after the seat
    EXPECT_TRUE(h.log.empty());
    EXPECT_EQ(h.engine.dice(), (Faces{1, 2, 3, 4, 6}));
    EXPECT_EQ(h.engine.player(1).rolls, 1);
    EXPECT_EQ(h.dice.pending(), 2u); // nothing was drawn
}

TEST_F(TwoPlayers, AZonkardEndsTheTurnAtOnceWhateverWasChosen)
{
    h.say(1, select(1, 2));
    h.dice.push({3, 1, 4, 2, 5});
    h.say(1, roll(1, "1+2+3+4+5"));
    EXPECT_EQ(h.last(2), "CMD_zonkard+1+35+35+3" + fivePairs({3, 1, 4, 2, 5}));
    EXPECT_EQ(h.engine.player(1).rolls, 3);
    EXPECT_EQ(h.engine.player(1).row(7), 35);
    EXPECT_EQ(h.engine.player(1).row(2), -1);
    EXPECT_FALSE(h.engine.player(1).turnactive);
    EXPECT_EQ(h.engine.timer1().tag, kTimerNextPlayer);
    EXPECT_EQ(h.engine.timer1().countdown, 5);
    EXPECT_TRUE(h.named(2, "CMD_createdice").empty());
}

TEST_F(TwoPlayers, AStraightWithTheStraightFilledIsAnOrdinaryRoll)
{
    h.say(1, select(1, 7)); // the straight may be chosen in any round
    h.dice.push({1, 1, 1, 1, 1, 6, 6, 6, 6, 6});
    h.say(1, roll(1, "1+2+3+4+5"));
    h.say(1, roll(1, "1+2+3+4+5"));
    h.dice.push({2, 3, 4, 5, 1});
    h.say(1, roll(1, "1+2+3+4+5"));
    EXPECT_EQ(h.last(2), "CMD_postscores+1+15+15+7+"); // a straight in the straight: its sum
    ASSERT_TRUE(waitForTurn(h, 2));
    playTurn(h, 2, {1, 1, 1, 1, 1}, 1, {2, 2, 2, 2, 2}, {3, 3, 3, 3, 3});
    ASSERT_TRUE(waitForTurn(h, 1));
    h.clear();
    h.dice.push({3, 1, 4, 2, 5});
    h.say(1, roll(1, "1+2+3+4+5"));
    EXPECT_EQ(h.to(2), Strings{"CMD_createdice+1+1" + fivePairs({3, 1, 4, 2, 5})});
    EXPECT_TRUE(h.engine.player(1).turnactive);
}

TEST_F(TwoPlayers, StraightCategoryWithoutAStraightScoresNothing)
{
    h.say(1, select(1, 7));
    h.dice.push({1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3});
    for (int i = 0; i < 3; ++i)
        h.say(1, roll(1, "1+2+3+4+5"));
    EXPECT_EQ(h.last(2), "CMD_postscores+1+0+0+7+");
    EXPECT_EQ(h.engine.player(1).row(7), 0);
}

// Plays seat 1 (Ann) and seat 2 (Bob) through rounds, filling the given
// categories in order, with dice that never make a straight on the first roll.
void playRounds(HostHarness& h, const std::vector<int>& categories)
{
    for (int cat : categories) {
        for (int s = 1; s <= 2; ++s) {
            ASSERT_TRUE(waitForTurn(h, s));
            playTurn(h, s, {1, 1, 2, 2, 3}, cat, {2, 2, 3, 3, 4}, {1, 1, 2, 2, 3});
        }
    }
}

// The round and the offered categories of a CMD_nextplayer.
std::pair<int, std::vector<int>> offered(const std::string& nextplayer)
{
    const auto m = msg::decode<msg::NextPlayer>(splitCommand(nextplayer).args);
    return {parseDecimal(m->round).value_or(-1), m->categories};
}

TEST_F(TwoPlayers, TheStraightIsOfferedInRoundSevenAndForcedWhenItIsAllThatIsLeft)
{
    playRounds(h, {1, 2, 3, 4, 5, 6});
    ASSERT_TRUE(waitForTurn(h, 1));
    EXPECT_EQ(h.engine.round(), 7);
    EXPECT_EQ(h.last(2), "CMD_nextplayer+1+7+7");
    const auto nexts = h.named(2, "CMD_nextplayer");
    // From seat 2 in round 1 to seat 1 in round 7.
    ASSERT_EQ(nexts.size(), 12u);
    for (std::size_t i = 0; i + 1 < nexts.size(); ++i) {
        const std::size_t turn = i + 1; // seat 1 of round 1 was turn 0
        const auto [round, list] = offered(nexts[i]);
        EXPECT_EQ(round, static_cast<int>(turn / 2) + 1);
        EXPECT_EQ(std::count(list.begin(), list.end(), 7), 0) << nexts[i];
        EXPECT_EQ(list.size(), 6 - turn / 2) << nexts[i];
    }
    h.clear();
    h.dice.push({1, 1, 2, 2, 3});
    h.say(1, roll(1, "1+2+3+4+5"));
    EXPECT_EQ(h.to(2), (Strings{"CMD_selectedcat+1+7+", "CMD_createdice+1+1" + fivePairs({1, 1, 2, 2, 3})}));
}

TEST_F(TwoPlayers, TheLastOpenNumberIsForcedAtTheFirstRollReplacingAChoice)
{
    // Ones to fives filled over five rounds; in round 6 sixes and the
    // straight are open, and the straight is chosen before the first roll.
    playRounds(h, {1, 2, 3, 4, 5});
    ASSERT_TRUE(waitForTurn(h, 1));
    EXPECT_EQ(h.last(2), "CMD_nextplayer+1+6+6");
    h.clear();
    h.say(1, select(1, 7));
    h.dice.push({1, 1, 2, 2, 3});
    h.say(1, roll(1, "1+2+3+4+5"));
    EXPECT_EQ(h.to(2), (Strings{"CMD_selectedcat+1+7+", "CMD_selectedcat+1+6+",
                                "CMD_createdice+1+1" + fivePairs({1, 1, 2, 2, 3})}));
    EXPECT_EQ(h.engine.player(1).category, 6);
}

TEST_F(TwoPlayers, SeatTwoWithNobodyThereIsPlayedByTheComputerAtBotSpeed)
{
    h.vanish(2);
    playTurn(h, 1, {4, 4, 1, 2, 6}, 4, {5, 5, 4, 4, 1}, {4, 4, 2, 6, 4});
    h.botSpeedMs = 350; // read again when the computer's timer is armed
    h.clear();
    h.advance(3750);
    EXPECT_EQ(h.to(1), Strings{"CMD_nextplayer+2+1+1+2+3+4+5+6"});
    EXPECT_EQ(h.engine.timer1().intervalMs, 350);
    EXPECT_EQ(h.engine.timer1().countdown, 3);
    h.dice.push({2, 2, 5, 5, 6});
    h.advance(3 * 350);
    EXPECT_EQ(h.last(1), "CMD_createdice+2+1" + fivePairs({2, 2, 5, 5, 6}));
    h.advance(350);
    EXPECT_EQ(h.last(1), "CMD_selectedcat+2+2+");
    h.dice.push({2, 2, 2});
    h.advance(350);
    EXPECT_EQ(h.last(1), "CMD_createdice+2+2+3+2+4+2+5+2");
    h.advance(350); // all five match: a roll of none
    EXPECT_EQ(h.last(1), "CMD_bonustime+2+10+10+2+");
}

TEST_F(TwoPlayers, SelectingAfterAZonkardNeverStallsTheGame)
{
    // Seat 1 just watches: the computer rolls a zonkard before choosing.
    h.say(1, "CMD_justwatch+1+1");
    h.dice.push({2, 3, 4, 5, 6});
    h.advance(650);
    ASSERT_EQ(h.last(2), "CMD_zonkard+1+40+40+3" + fivePairs({2, 3, 4, 5, 6}));
    // The table, with no category chosen this turn, picks one afterwards.
    h.say(1, select(1, 4));
    EXPECT_EQ(h.engine.timer1().tag, kTimerNextPlayer); // still the pending next player
    h.advance(3750);
    EXPECT_EQ(h.engine.currentPlayer(), 2);
    EXPECT_TRUE(h.engine.player(2).turnactive);
}

} // namespace
} // namespace zk::test
