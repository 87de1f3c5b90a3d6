// Zonkards and bonus mode as every table shows them.
#include "TableTestSupport.h"

namespace zk::test {
namespace {

class Bonus : public TableTest {
protected:
    void SetUp() override
    {
        joinAs("Bob", 3);
        host(host::existing(1, "Ann"));
        host(host::startgame("Ann", 2)); // seat 2 becomes Klot
        env.clear();
    }
};

TEST_F(Bonus, AnotherPlayersZonkardNamesHisLabel)
{
    host(host::nextplayer(2, 1, {1, 2, 3, 4, 5, 6, 7}));
    host(host::zonkard(2, 40, 40, faces({2, 3, 4, 5, 6})));
    EXPECT_EQ(board().status, "Klot got a ZONKARD!");
    EXPECT_EQ(board().seat(2).cell(7).text, "40");
    EXPECT_EQ(board().seat(2).cell(8).text, "40");
    EXPECT_EQ(board().rollCount, 3);
    EXPECT_FALSE(board().dicetimerRunning);
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(board().die(n).picture, (DiePicture{DieBody::Plain, n + 1}));
        EXPECT_FALSE(board().die(n).raised);
    }
    EXPECT_FALSE(env.has("count zonkard"));
    EXPECT_TRUE(env.has("sound zonkard"));
}

TEST_F(Bonus, AnOwnZonkardIsCounted)
{
    host(host::nextplayer(3, 1, {7}));
    host(host::zonkard(3, 35, 35, faces({1, 2, 3, 4, 5})));
    EXPECT_EQ(board().status, "You got a ZONKARD!");
    EXPECT_EQ(env.count("count zonkard"), 1);
}

TEST_F(Bonus, EnteringBonusModeLeavesTheDice)
{
    host(host::nextplayer(1, 1, {6}));
    host(host::createdice(1, 3, faces({6, 6, 6, 6, 6})));
    host(host::bonustime(1, 30, 30, 6));
    EXPECT_EQ(board().status, "Ann is entering BONUS MODE!");
    EXPECT_EQ(board().seat(1).cell(6).text, "30");
    EXPECT_EQ(board().die(1).picture, (DiePicture{DieBody::Plain, 6}));
    EXPECT_FALSE(env.has("count bonus mode"));
    EXPECT_TRUE(env.has("sound enterbonus"));

    host(host::nextplayer(3, 1, {5}));
    host(host::bonustime(3, 25, 25, 5));
    EXPECT_EQ(board().status, "You are entering BONUS MODE!");
    EXPECT_EQ(env.count("count bonus mode"), 1);
}

TEST_F(Bonus, ScoringDiceStandUnderBonusMarkers)
{
    host(host::nextplayer(3, 1, {6}));
    host(host::bonustime(3, 30, 30, 6));
    host(host::gotbonus(3, 42, 12, 6, 42, faces({6, 1, 6, 3, 2})));
    EXPECT_EQ(board().status, "You recieved 12 bonus points!");
    EXPECT_EQ(board().seat(3).cell(6).text, "42");
    EXPECT_EQ(board().seat(3).cell(8).text, "42");
    for (int n = 1; n <= 5; ++n) {
        const bool six = n == 1 || n == 3;
        EXPECT_EQ(board().die(n).raised, six) << n;
        EXPECT_EQ(board().die(n).bonusMarker, six) << n;
        EXPECT_EQ(board().die(n).picture.body, DieBody::Bonus);
    }
    host(host::gotbonus(3, 72, 30, 6, 72, faces({6, 6, 6, 6, 6})));
    for (int n = 1; n <= 5; ++n)
        EXPECT_TRUE(board().die(n).raised && board().die(n).bonusMarker);
}

TEST_F(Bonus, AnotherSeatsBonusPointsNameItsLabel)
{
    host(host::gotbonus(1, 50, 4, 2, 14, faces({2, 2, 1, 1, 1})));
    EXPECT_EQ(board().status, "Ann recieved 4 bonus points!");
}

TEST_F(Bonus, AtTheLimitTheLastScoringRollStays)
{
    host(host::gotbonus(3, 42, 12, 6, 42, faces({6, 1, 6, 3, 2})));
    host(host::bonusend(3, {}));
    EXPECT_EQ(board().status, "You are exiting BONUS MODE!");
    EXPECT_TRUE(board().die(1).raised && board().die(1).bonusMarker);
    EXPECT_EQ(board().die(4).picture, (DiePicture{DieBody::Bonus, 3}));
    EXPECT_TRUE(env.has("sound exitbonus"));
}

TEST_F(Bonus, ABonusRollWithoutMatchEndsWithAllDiceLowered)
{
    host(host::gotbonus(1, 42, 12, 6, 42, faces({6, 1, 6, 3, 2})));
    host(host::bonusend(1, faces({1, 2, 3, 4, 5})));
    EXPECT_EQ(board().status, "Ann is exiting BONUS MODE!");
    for (int n = 1; n <= 5; ++n) {
        EXPECT_FALSE(board().die(n).raised || board().die(n).bonusMarker);
        EXPECT_EQ(board().die(n).picture, (DiePicture{DieBody::Bonus, n}));
    }
}

} // namespace
} // namespace zk::test
