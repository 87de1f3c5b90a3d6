// Choosing a category, the host's choice, and posted scores.
#include "TableTestSupport.h"

namespace zk::test {
namespace {

class ScoreCard : public TableTest {
protected:
    void SetUp() override
    {
        joinAs("Bob", 3);
        host(host::existing(1, "Ann"));
        host(host::startgame("Ann", 5));
        host(host::nextplayer(3, 2, {2, 5, 6}));
        env.clear();
    }
};

TEST_F(ScoreCard, AClickOnAnOpenCategorySendsItOnce)
{
    TableLogic other(env, env);
    other.handleMessage(host::sendlogininfo(3));
    other.handleMessage(host::nextplayer(3, 2, {2}));
    other.categoryBarClick(2); // the bar chooses like the button
    EXPECT_EQ(env.lastSent(), "CMD_selectcat+3+2+");
    env.clear();

    logic.categoryButtonClick(5);
    EXPECT_EQ(env.lastSent(), "CMD_selectcat+3+5+");
    EXPECT_EQ(state().currentSeat, 0);
    logic.categoryButtonClick(6);
    logic.categoryBarClick(6);
    EXPECT_EQ(env.sent.size(), 1u);
}

TEST_F(ScoreCard, ClosedOrHiddenCategoriesSendNothing)
{
    logic.categoryButtonClick(1); // not offered
    logic.categoryBarClick(7);
    logic.categoryButtonClick(0);
    logic.categoryButtonClick(8);
    EXPECT_TRUE(env.sent.empty());
}

TEST_F(ScoreCard, TheChoiceShowsOnlyTheChosenRow)
{
    host(host::selectedcat(3, 5));
    EXPECT_EQ(board().status, "Get some FIVES");
    EXPECT_EQ(board().turnMarker.selectedCategory, 5);
    EXPECT_EQ(state().currentSeat, 3);
    for (int c = 1; c <= 7; ++c) {
        const CategoryRow& row = board().category(c);
        EXPECT_EQ(row.buttonShown, c == 5);
        EXPECT_EQ(row.barShown, c == 5);
        EXPECT_EQ(row.chosenMarker, c == 5);
        EXPECT_FALSE(row.buttonChoosable);
        EXPECT_FALSE(row.barChoosable);
    }
    EXPECT_EQ(board().category(5).barSeat, 3) << "the bar keeps its width";
    EXPECT_EQ(env.sounds, std::vector<std::string>{"select"});

    logic.categoryButtonClick(5);
    logic.categoryBarClick(5);
    EXPECT_TRUE(env.sent.empty()) << "a choice is final";
}

TEST_F(ScoreCard, TheHostsChoiceReplacesTheShownOne)
{
    host(host::selectedcat(3, 5));
    host(host::selectedcat(3, 6));
    EXPECT_EQ(board().status, "Grab all Sixes");
    EXPECT_FALSE(board().category(5).chosenMarker);
    EXPECT_FALSE(board().category(5).buttonShown);
    EXPECT_TRUE(board().category(6).chosenMarker);
    EXPECT_EQ(board().turnMarker.selectedCategory, 6);
}

TEST_F(ScoreCard, AnotherSeatsChoiceKeepsTheStatusLine)
{
    host(host::nextplayer(1, 2, {1, 2}));
    host(host::selectedcat(1, 2));
    EXPECT_EQ(board().status, "Ann's turn");
    EXPECT_TRUE(board().category(2).chosenMarker);
    EXPECT_EQ(state().currentSeat, 1);
}

TEST_F(ScoreCard, PostedScoresShowAsSentAndSoundByValue)
{
    host(host::postscores(3, 42, 0, 4));
    EXPECT_EQ(board().seat(3).cell(4).text, "0");
    EXPECT_EQ(board().seat(3).cell(8).text, "42");
    host(host::postscores(1, 15, 15, 5));
    EXPECT_EQ(board().seat(1).cell(5).text, "15");
    EXPECT_EQ(env.sounds, (std::vector<std::string>{"nopoints", "gotpoints"}));
    EXPECT_FALSE(board().dicetimerRunning);
    EXPECT_TRUE(board().category(2).buttonShown) << "the buttons are left as they were";
}

TEST_F(ScoreCard, AMalformedScoreWritesNothing)
{
    EXPECT_EQ(host("CMD_postscores+3+42+x+4+"), HandlerResult::Malformed);
    EXPECT_EQ(board().seat(3).cell(8).text, "");
    EXPECT_TRUE(env.sounds.empty());
}

} // namespace
} // namespace zk::test
