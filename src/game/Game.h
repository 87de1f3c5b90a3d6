// The shape of the game, which the host, the tables and the records all
// speak of: six playing seats (slots 7 to 9 only watch), five dice with six
// faces, seven categories (1-6 ones to sixes, 7 the straight), eight score
// rows per seat (row 8 the total), three rolls a turn and seven rounds.
//
//     for (int seat = 1; seat <= kSeatCount; ++seat) ...
//     if (rolls == kRollsPerTurn) score(...);
#pragma once

#include <string_view>

namespace zk {

inline constexpr int kSeatCount = 6; // slots 1-6 play
inline constexpr int kSlotCount = 9; // slots 7-9 only watch (spies)
inline constexpr int kDiceCount = 5;
inline constexpr int kFaceCount = 6;     // faces 1 to 6; 0 is a die not rolled yet
inline constexpr int kCategoryCount = 7; // 1-6 ones to sixes, 7 the straight
inline constexpr int kStraight = 7;      // the straight's category (captioned Zonkard)
inline constexpr int kScoreRows = 8;     // rows 1-7 the categories, row 8 the total
inline constexpr int kTotalRow = 8;
inline constexpr int kRollsPerTurn = 3; // a category is chosen before the third
inline constexpr int kRounds = 7;
inline constexpr int kUnscored = -1;     // a category row not filled yet
inline constexpr int kZonkardBonus = 20; // a straight on the first roll: its sum plus 20

// Seat 2 always plays, by the computer when nobody sits there; seats 3 to 6
// take part in a game only when somebody sat there at its start.
inline constexpr int kComputerSeat = 2;
inline constexpr int kFirstOptionalSeat = 3;

// The computer player's name as seat 2 shows it, which is also the name
// the host gives the computer in seat 2.
inline constexpr std::string_view kComputerName = "Klot";

// The longest player name, in characters: what the host-or-join window lets
// a player type, and what the host cuts a login name to.
inline constexpr int kMaxPlayerNameLength = 30;

// The label of a seat nobody has taken.
inline constexpr std::string_view kWaitingName = "<Waiting>";

// Where a hosting table finds its own engine.
inline constexpr std::string_view kLocalHostAddress = "127.0.0.1";

} // namespace zk
