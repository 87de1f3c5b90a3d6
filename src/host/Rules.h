// The dice rules of the game as plain functions: what a throw scores, which
// categories a seat may still choose, who wins, and the computer player's
// choices. The referee (HostEngine) calls them; they keep no state.
//
//     Faces f{3, 1, 4, 2, 5};
//     isStraight(f);                 // true
//     pointsAfterThirdRoll(4, f);    // 4: one four
//     computerRerolls(7, f);         // {}: keep all, ask for a roll of none
#pragma once

#include <array>
#include <vector>

#include "game/Game.h" // the engine keeps row 8 at 0

namespace zk {

// Faces of dice 1 to 5 (index 0 is die 1); 0 for a die not rolled this turn.
using Faces = std::array<int, kDiceCount>;
// Score rows 1 to 8 (index 0 is row 1).
using ScoreRows = std::array<int, kScoreRows>;
// A seat's rows at the start of a game: every category open, the total 0.
inline constexpr ScoreRows kFreshScores{kUnscored, kUnscored, kUnscored, kUnscored,
                                        kUnscored, kUnscored, kUnscored, 0};
// Totals of seats 1 to 6 (index 0 is seat 1).
using SeatTotals = std::array<int, kSeatCount>;

// The five faces, taken as a set, are exactly 1-5 or exactly 2-6.
bool isStraight(const Faces& faces);
int sumOfFaces(const Faces& faces);
int countFace(const Faces& faces, int face);

// Points of a turn scored after its third roll in category 1-7.
int pointsAfterThirdRoll(int category, const Faces& faces);
// Points of a zonkard (a straight on the first roll): the sum plus 20.
int zonkardPoints(const Faces& faces);
// Points one bonus roll adds in category 1-6: the category times its count.
int bonusPoints(int category, const Faces& faces);

// The categories offered at the start of a turn: every open one of 1-6, and
// the straight only in round 7 while it is open. Empty when none is open.
std::vector<int> offeredCategories(const ScoreRows& rows, int round);

// The computer's category after its first roll: the open category of 1-6
// with the most matching dice (the lowest on a tie, even with no match);
// the first open row from 1 when none of 1-6 is open; 0 if none is open.
int computerCategory(const ScoreRows& rows, const Faces& faces);

// The dice (1-5, ascending) the computer re-rolls for the chosen category.
// Straight: keep one die of each face and never a 1 together with a 6.
// Ones to sixes: re-roll every die that does not show the category.
// Empty means "keep all": the request is a roll of none.
std::vector<int> computerRerolls(int category, const Faces& faces);

// The winning seats: the best total (the lowest seat among equals) first,
// then every other seat with that total in ascending order. All six seats
// take part in the comparison.
std::vector<int> winningSeats(const SeatTotals& totals);

} // namespace zk
