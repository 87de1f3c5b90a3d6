// The pure rules: straights, points, offered categories, winners, and the
// computer player's decisions on the game's worked examples.
#include <gtest/gtest.h>

#include "host/Rules.h"

namespace zk::test {
namespace {

ScoreRows allOpen()
{
    return {-1, -1, -1, -1, -1, -1, -1, 0};
}

TEST(Rules, StraightIsOneToFiveOrTwoToSixInAnyOrder)
{
    EXPECT_TRUE(isStraight({3, 1, 4, 2, 5}));
    EXPECT_TRUE(isStraight({6, 2, 5, 3, 4}));
    EXPECT_FALSE(isStraight({1, 2, 3, 4, 6})); // five faces, but 1 with 6
    EXPECT_FALSE(isStraight({1, 2, 3, 4, 4}));
    EXPECT_FALSE(isStraight({0, 2, 3, 4, 5})); // a die not rolled yet
}

TEST(Rules, PointsAfterTheThirdRoll)
{
    EXPECT_EQ(pointsAfterThirdRoll(4, {4, 4, 4, 1, 2}), 12);
    EXPECT_EQ(pointsAfterThirdRoll(4, {4, 4, 4, 4, 4}), 20);
    EXPECT_EQ(pointsAfterThirdRoll(1, {2, 3, 5, 6, 6}), 0);
    EXPECT_EQ(pointsAfterThirdRoll(7, {5, 4, 3, 2, 1}), 15);
    EXPECT_EQ(pointsAfterThirdRoll(7, {2, 3, 4, 5, 6}), 20);
    EXPECT_EQ(pointsAfterThirdRoll(7, {2, 3, 4, 5, 5}), 0);
    EXPECT_EQ(zonkardPoints({3, 1, 4, 2, 5}), 35);
    EXPECT_EQ(zonkardPoints({6, 5, 4, 3, 2}), 40);
    EXPECT_EQ(bonusPoints(6, {6, 6, 1, 2, 3}), 12);
}

TEST(Rules, TheStraightIsOfferedOnlyInTheLastRound)
{
    ScoreRows rows = allOpen();
    EXPECT_EQ(offeredCategories(rows, 1), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(offeredCategories(rows, 6), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(offeredCategories(rows, 7), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    rows = {3, 4, 9, 0, 10, 12, -1, 0};
    EXPECT_EQ(offeredCategories(rows, 7), (std::vector<int>{7}));
    rows[6] = 35;
    EXPECT_TRUE(offeredCategories(rows, 7).empty());
    rows = {3, -1, 9, 0, 10, 12, 35, 0};
    EXPECT_EQ(offeredCategories(rows, 7), (std::vector<int>{2}));
}

TEST(Rules, WinnersAreTheBestSeatThenItsEqualsInSeatOrder)
{
    EXPECT_EQ(winningSeats({10, 30, 5, 30, 0, 0}), (std::vector<int>{2, 4}));
    EXPECT_EQ(winningSeats({10, 3, 50, 0, 0, 0}), (std::vector<int>{3}));
    EXPECT_EQ(winningSeats({0, 0, 0, 0, 0, 0}), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(winningSeats({7, 1, 1, 1, 1, 7}), (std::vector<int>{1, 6}));
}

TEST(ComputerRules, ChoosesTheOpenCategoryWithMostMatchesLowestOnATie)
{
    // Two twos and two fives tie: the lower category wins.
    EXPECT_EQ(computerCategory(allOpen(), {2, 2, 5, 5, 6}), 2);
    EXPECT_EQ(computerCategory(allOpen(), {1, 5, 5, 5, 6}), 5);
    // Nothing matches: the lowest open category.
    ScoreRows rows = allOpen();
    rows[0] = 3;
    EXPECT_EQ(computerCategory(rows, {6, 6, 6, 5, 5}), 6);
    rows = {1, 2, 3, 4, 5, -1, -1, 0};
    EXPECT_EQ(computerCategory(rows, {1, 1, 2, 3, 4}), 6); // only sixes left, no six showing
    // None of ones to sixes open: the straight.
    rows = {1, 2, 3, 4, 5, 6, -1, 0};
    EXPECT_EQ(computerCategory(rows, {1, 1, 2, 3, 4}), 7);
    rows[6] = 0;
    EXPECT_EQ(computerCategory(rows, {1, 1, 2, 3, 4}), 0);
}

TEST(ComputerRules, RerollsEverythingThatMissesTheCategory)
{
    EXPECT_EQ(computerRerolls(2, {2, 2, 5, 5, 6}), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(computerRerolls(6, {1, 1, 2, 3, 4}), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(computerRerolls(3, {3, 3, 3, 3, 3}).empty());
}

TEST(ComputerRules, StraightKeepsOneOfEachFaceAndNeverOneWithSix)
{
    // The second 1, and the 6 that cannot join a 1.
    EXPECT_EQ(computerRerolls(7, {1, 1, 3, 4, 6}), (std::vector<int>{2, 5}));
    // A 6 first shuts out a later 1.
    EXPECT_EQ(computerRerolls(7, {6, 2, 1, 4, 1}), (std::vector<int>{3, 5}));
    EXPECT_EQ(computerRerolls(7, {5, 5, 5, 5, 5}), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_TRUE(computerRerolls(7, {2, 3, 4, 5, 6}).empty());
}

} // namespace
} // namespace zk::test
