// Who won a game, as the end of the game on the table hands it to the win
// tally.
//
//     if (auto o = gameOutcomeToRecord(ownSeat, ownWon, "Ann")) tally.recordGame(*o);
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace zk {

// The player (alone or with others), or one opponent, named as his seat's
// label shows him. The two are kept apart so that an opponent may carry any
// name at all.
struct GameOutcome {
    bool playerWon = false;
    std::string winner; // when !playerWon
    static GameOutcome ownWin() { return {true, {}}; }
    static GameOutcome wonBy(std::string name) { return {false, std::move(name)}; }
    friend bool operator==(const GameOutcome&, const GameOutcome&) = default;
};

// What the end of a game gives the win tally: the player's win when the own
// seat is among the winners, else the single winner named by the result text
// (no " and " in it); nullopt when nothing is recorded (a spectator, whose
// seat is above kSeatCount, or a win shared by others).
std::optional<GameOutcome> gameOutcomeToRecord(int ownSeat, bool ownSeatWon, std::string_view resultText);

} // namespace zk
