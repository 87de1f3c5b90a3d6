// Showing rolls, holding dice, the roll button's checks and prompts, and the
// tumbling while a turn waits for its first roll.
#include "TableTestSupport.h"

namespace zk::test {
namespace {

class Dice : public TableTest {
protected:
    // Bob at seat 3, on turn in round 1 with all categories open.
    void SetUp() override
    {
        joinAs("Bob", 3);
        host(host::existing(1, "Ann"));
        host(host::startgame("Ann", 5));
        host(host::nextplayer(3, 1, {1, 2, 3, 4, 5, 6}));
        env.clear();
    }
    // The first roll as the host answers it.
    void firstRoll(std::array<int, 5> f = {2, 2, 5, 2, 6})
    {
        logic.rollClick();
        host(host::createdice(3, 1, faces(f)));
        env.clear();
    }
    void chooseCategory(int category)
    {
        logic.categoryButtonClick(category);
        host(host::selectedcat(3, category));
        env.clear();
    }
};

TEST_F(Dice, TheFirstRollNamesAllFiveAndShowsTheDiceLowered)
{
    EXPECT_TRUE(board().rollButtonShown);
    logic.rollClick();
    EXPECT_EQ(env.lastSent(), "CMD_rollthedice+3+1+2+3+4+5");
    EXPECT_FALSE(board().rollButtonShown);
    EXPECT_EQ(state().currentSeat, 0);
    logic.rollClick();
    EXPECT_EQ(env.sent.size(), 1u) << "no second request before the host answers";

    host(host::createdice(3, 1, faces({6, 5, 4, 3, 2})));
    EXPECT_FALSE(board().dicetimerRunning);
    EXPECT_EQ(board().rollCount, 1);
    EXPECT_TRUE(board().rollButtonShown);
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(board().die(n).face, 7 - n);
        EXPECT_FALSE(board().die(n).raised);
        EXPECT_EQ(board().die(n).picture, (DiePicture{DieBody::Plain, 7 - n}));
    }
    EXPECT_EQ(env.sounds, std::vector<std::string>{"dice"});
}

TEST_F(Dice, ARollCountBeyondTheCounterReadsAsItsNearestEnd)
{
    // The counter shows 0 to 3 rolls used; a count the host reports beyond
    // either end is kept at that end, for the picture and the screen reader.
    struct Case {
        std::string message;
        int shown;
    };
    for (const Case& c : {
             Case{host::createdice(3, -1, faces({1, 2, 3, 4, 5})), 0},
             Case{host::createdice(3, 7, faces({1, 2, 3, 4, 5})), 3},
             Case{msg::text(msg::Zonkard{3, 0, 0, 99, faces({1, 2, 3, 4, 5})}), 3},
             Case{msg::text(msg::LoadStats{3, 3, 5, -4, 1, 0, faces({1, 2, 3, 4, 5})}), 0},
             Case{host::createdice(3, 2, faces({1, 2, 3, 4, 5})), 2},
         }) {
        host(c.message);
        EXPECT_EQ(board().rollCount, c.shown) << c.message;
    }
}

TEST_F(Dice, HoldsSurviveAcrossRolls)
{
    firstRoll();
    chooseCategory(2);
    logic.dieRelease(1, MouseButton::Left);
    logic.dieRelease(2, MouseButton::Left);
    logic.dieRelease(4, MouseButton::Left);
    logic.dieRelease(1, MouseButton::Left); // released again
    EXPECT_EQ(env.sounds, (std::vector<std::string>{"set", "set", "set", "unset"}));
    EXPECT_TRUE(board().die(2).held && board().die(2).raised);
    EXPECT_FALSE(board().die(1).held || board().die(1).raised);

    logic.rollClick();
    EXPECT_EQ(env.lastSent(), "CMD_rollthedice+3+1+3+5");
    host(host::createdice(3, 2, {{1, 2}, {3, 1}, {5, 2}}));
    EXPECT_TRUE(board().die(2).raised && board().die(2).held);
    EXPECT_EQ(board().die(2).face, 2);
    EXPECT_TRUE(board().die(4).raised && board().die(4).held);
    EXPECT_FALSE(board().die(5).raised);
    EXPECT_EQ(board().die(5).face, 2);

    env.clear();
    logic.rollClick();
    EXPECT_EQ(env.lastSent(), "CMD_rollthedice+3+1+3+5") << "the holds stay in force";
}

TEST_F(Dice, AllFiveHeldRollsNoDie)
{
    firstRoll({1, 2, 3, 4, 6});
    chooseCategory(7);
    for (int n = 1; n <= 5; ++n)
        logic.dieRelease(n, MouseButton::Left);
    logic.rollClick();
    EXPECT_EQ(env.lastSent(), "CMD_rollthedice+3+0");
    host(host::createdice(3, 2, {}));
    EXPECT_EQ(board().rollCount, 2);
    for (int n = 1; n <= 5; ++n) {
        EXPECT_TRUE(board().die(n).raised);
        EXPECT_TRUE(board().die(n).held);
    }
    EXPECT_EQ(board().die(5).face, 6);
}

// Two rolls without a category, then ROLL DICE once more.
void expectThirdRollRefused(TableLogic& logic, Outbox& env, const Board& board)
{
    logic.rollClick();
    logic.handleMessage(host::createdice(3, 1, faces({2, 2, 5, 2, 6})));
    logic.handleMessage(host::createdice(3, 2, faces({1, 1, 1, 1, 1})));
    env.clear();
    logic.rollClick();
    EXPECT_TRUE(board.thirdRollPromptShown);
    EXPECT_FALSE(board.rollPromptShown);
    EXPECT_TRUE(env.sent.empty());
    EXPECT_EQ(env.sounds, std::vector<std::string>{"error"});
    EXPECT_TRUE(board.rollButtonShown);
    EXPECT_EQ(logic.state().currentSeat, 3);
    logic.okClick();
    EXPECT_FALSE(board.thirdRollPromptShown);
}

TEST_F(Dice, ThirdRollWithoutCategoryIsRefusedWithTheReminderOn)
{
    ASSERT_TRUE(board().menu.remindMe);
    expectThirdRollRefused(logic, env, board());
}

TEST_F(Dice, ThirdRollWithoutCategoryIsRefusedWithTheReminderOff)
{
    logic.options().toggleRemindMe();
    EXPECT_EQ(env.log, std::vector<std::string>{"save settings"});
    ASSERT_FALSE(board().menu.remindMe);
    expectThirdRollRefused(logic, env, board());
}

TEST_F(Dice, SecondRollWithoutCategoryAsksWhenTheReminderIsOn)
{
    firstRoll();
    logic.dieRelease(2, MouseButton::Left);
    env.clear();
    logic.rollClick();
    EXPECT_TRUE(board().rollPromptShown);
    EXPECT_TRUE(env.sent.empty());
    EXPECT_EQ(env.sounds, std::vector<std::string>{"error"});
    logic.noClick();
    EXPECT_FALSE(board().rollPromptShown);
    EXPECT_TRUE(board().rollButtonShown);

    logic.rollClick();
    logic.yesClick();
    EXPECT_EQ(env.lastSent(), "CMD_rollthedice+3+1+2+3+4+5");
    EXPECT_FALSE(board().rollPromptShown);
    EXPECT_FALSE(board().rollButtonShown);
    EXPECT_FALSE(board().die(2).raised);
    EXPECT_EQ(state().currentSeat, 0);
}

TEST_F(Dice, SecondRollWithoutCategoryAndReminderOffRollsAllFive)
{
    logic.options().toggleRemindMe();
    firstRoll();
    logic.dieRelease(2, MouseButton::Left);
    logic.dieRelease(4, MouseButton::Left);
    logic.rollClick();
    EXPECT_FALSE(board().rollPromptShown);
    EXPECT_EQ(env.lastSent(), "CMD_rollthedice+3+1+2+3+4+5");
    for (int n = 1; n <= 5; ++n)
        EXPECT_FALSE(board().die(n).held || board().die(n).raised);
}

TEST_F(Dice, ReleasesThatChangeNothing)
{
    // Tumbling: the turn has begun but its first roll is not shown yet.
    ASSERT_TRUE(board().dicetimerRunning);
    logic.dieRelease(1, MouseButton::Left);
    EXPECT_FALSE(board().die(1).held);
    EXPECT_TRUE(env.sounds.empty());

    firstRoll();
    chooseCategory(2);
    logic.dieRelease(1, MouseButton::Right);
    logic.dieRelease(1, MouseButton::Middle);
    logic.rollClick(); // waiting for the host: not on turn
    logic.dieRelease(1, MouseButton::Left);
    EXPECT_FALSE(board().die(1).held);
    EXPECT_FALSE(board().die(1).raised);
    EXPECT_TRUE(env.sounds.empty());
}

TEST_F(Dice, NobodyHoldsBeforeTheLogin)
{
    TableLogic idle(env, env);
    idle.processParams({"Bob"});
    env.clear();
    idle.dieRelease(1, MouseButton::Left);
    EXPECT_FALSE(idle.board().die(1).held);
    EXPECT_FALSE(idle.board().die(1).raised);
    EXPECT_TRUE(env.sounds.empty());
}

TEST_F(Dice, TheThirdRollPostsScoresOnEveryTable)
{
    chooseCategory(5);
    firstRoll();
    host(host::createdice(3, 2, faces({5, 5, 1, 1, 1})));
    logic.rollClick();
    host(host::createdice(3, 3, {{3, 5}}));
    EXPECT_EQ(board().status, "Posting Scores.. Please Wait.");
    EXPECT_FALSE(board().rollButtonShown);
    EXPECT_EQ(board().rollCount, 3);
}

TEST_F(Dice, NeedcatShowsThePromptOnlyToItsSeat)
{
    host(host::needcat(4));
    EXPECT_FALSE(board().thirdRollPromptShown);
    logic.rollClick();
    host(host::needcat(3));
    EXPECT_TRUE(board().thirdRollPromptShown);
    EXPECT_TRUE(board().rollButtonShown);
    EXPECT_EQ(state().currentSeat, 3);
    EXPECT_EQ(env.sounds, std::vector<std::string>{"error"});
}

TEST_F(Dice, TumblingDrawsRandomFacesWithoutTouchingTheRecords)
{
    ASSERT_TRUE(board().dicetimerRunning);
    scriptedRandom = {0, 1, 2, 3, 5};
    logic.tumbleTick();
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(board().die(n).picture, (DiePicture{DieBody::Plain, n}));
    EXPECT_EQ(board().die(5).picture, (DiePicture{DieBody::Plain, 6}));
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(board().die(n).face, 0);

    firstRoll({3, 3, 3, 3, 3});
    scriptedRandom = {0, 0, 0, 0, 0};
    logic.tumbleTick(); // the timer is stopped: nothing moves
    EXPECT_EQ(board().die(1).picture, (DiePicture{DieBody::Plain, 3}));
}

TEST_F(Dice, ASpectatorWatchesButCannotAct)
{
    TableLogic spy(env, env);
    spy.processParams({"Cat", "10.0.0.5", "false"});
    spy.handleMessage(host::sendlogininfo(7));
    spy.handleMessage(host::nextplayer(3, 1, {1, 2, 3}));
    spy.handleMessage(host::createdice(3, 1, faces({4, 4, 4, 4, 4})));
    env.clear();
    EXPECT_FALSE(spy.board().rollButtonShown);
    EXPECT_EQ(spy.board().die(3).face, 4);
    EXPECT_EQ(spy.board().rollCount, 1);
    spy.dieRelease(3, MouseButton::Left);
    spy.rollClick();
    spy.categoryButtonClick(2);
    EXPECT_FALSE(spy.board().die(3).held);
    EXPECT_TRUE(env.sent.empty());
    EXPECT_TRUE(env.sounds.empty());
}

TEST_F(Dice, APlayerWhoIsNotOnTurnSeesTheKeptDiceRaised)
{
    TableLogic other(env, env);
    other.processParams({"Ann", "127.0.0.1", "true"});
    other.handleMessage(host::sendlogininfo(1));
    other.handleMessage(host::existing(3, "Bob"));
    other.handleMessage(host::nextplayer(3, 1, {1}));
    other.handleMessage(host::createdice(3, 1, faces({1, 2, 3, 4, 5})));
    other.handleMessage(host::createdice(3, 2, {{2, 6}, {5, 6}}));
    EXPECT_TRUE(other.board().die(1).raised);
    EXPECT_FALSE(other.board().die(2).raised);
    EXPECT_FALSE(other.board().rollButtonShown);
    EXPECT_EQ(other.board().status, "Bob's turn");
}

TEST_F(Dice, ARollClickedBeforeTheChoiceIsConfirmedComesBackWithIt)
{
    firstRoll();
    logic.categoryButtonClick(2); // on its way to the host
    logic.rollClick();
    EXPECT_FALSE(board().rollButtonShown);
    EXPECT_EQ(env.sent.size(), 1u) << "only the choice went out";
    host(host::selectedcat(3, 2));
    EXPECT_TRUE(board().rollButtonShown);
    logic.rollClick();
    EXPECT_EQ(env.lastSent(), "CMD_rollthedice+3+1+2+3+4+5");

    // A roll on its way is not doubled by a choice the host makes itself.
    host(host::nextplayer(3, 2, {1, 4}));
    logic.rollClick();
    host(host::selectedcat(3, 4));
    EXPECT_FALSE(board().rollButtonShown);
}

TEST_F(Dice, ACategoryClickedWhileTheOwnRollIsOnItsWayIsChosenWhenTheDiceArrive)
{
    logic.options().toggleRemindMe(); // off: a roll without a category rolls all five
    firstRoll();
    logic.dieRelease(2, MouseButton::Left);
    logic.rollClick(); // the second roll, on its way
    env.clear();
    logic.categoryButtonClick(2);
    EXPECT_TRUE(env.sent.empty()) << "the host takes no choice before it has rolled";
    host(host::createdice(3, 2, {{1, 2}, {3, 2}, {4, 3}, {5, 2}}));
    EXPECT_EQ(env.lastSent(), "CMD_selectcat+3+2+") << "the click is applied after the dice";
    host(host::selectedcat(3, 2));
    logic.dieRelease(2, MouseButton::Left);
    logic.rollClick();
    EXPECT_EQ(env.lastSent(), "CMD_rollthedice+3+1+3+4+5") << "the third roll keeps the hold";

    // A choice the host made meanwhile, or a zonkard, drops the waiting click.
    struct Case {
        std::string answer;
    };
    for (const Case& c :
         {Case{host::selectedcat(3, 4)}, Case{host::zonkard(3, 40, 40, faces({1, 2, 3, 4, 5}))}}) {
        host(host::nextplayer(3, 2, {1, 4}));
        logic.rollClick();
        logic.categoryButtonClick(1);
        host(c.answer);
        env.clear();
        host(host::createdice(3, 1, faces({4, 4, 4, 1, 2})));
        EXPECT_TRUE(env.sent.empty()) << c.answer;
    }
}

} // namespace
} // namespace zk::test
