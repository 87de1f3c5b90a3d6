// Narration: what a player who cannot see the board should hear when it
// changes, wherever his keyboard focus is. It compares the board before and
// after one step (a host message, a click, a key) and gives the sentences
// a sighted player would take in at a glance: whose turn it is, the dice of
// each roll with the held ones, a hold or release, the category chosen, the
// prompts, every score posted, bonus mode and a zonkard (through the status
// line), the round, arrivals and departures, chat lines from the others,
// and the end of the game with the winner and every total.
//
//     NarrationContext context{logic.state().ownSeat, logic.state().ownName};
//     for (const std::string& line : narrate(before, logic.board(), context))
//         reader.say(line);
//
// What a screen reader already reads is left out: the hold of the die the
// board's focus ring is on (its name changes under the reader's focus), and
// the prompts while the board has the focus (the ring goes onto them).
// Texts are Windows-1252 bytes, as on the board.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "table/Board.h"

namespace zk {

struct NarrationContext {
    int ownSeat = 0;
    std::string ownName;
    bool speakChat = true;       // chat lines of others (arrivals and departures always)
    int focusedDie = 0;          // the die under the board's focus ring, 0 for none
    bool promptsFocused = false; // the prompts' buttons take the focus (the reader reads them)
};

// The name of a category row 1-7 as the score card captions it ("Sixes", "Zonkard").
std::string_view categoryName(int category);

std::vector<std::string> narrate(const Board& before, const Board& now, const NarrationContext& context);

// The prompts' texts, as the board draws them and a reader hears them.
inline constexpr std::string_view kPromptQuestion = "Roll Without Selecting A Category?";
inline constexpr std::string_view kPromptText =
    "If you do not select a category, you will roll all five dice again.";
inline constexpr std::string_view kPromptThirdRoll =
    "You must select a Category before rolling your third roll.";

} // namespace zk
