// What the table and the player's records both name: the game key, the
// window's default bounds, the empty seat's label, the text sizes, the turn
// sound choice, the phrase buttons' count and built-in texts, and who won a
// game as the win tally records it. They live here, below both, so that the
// program's settings bridge can see the board and the settings file in one
// place without two definitions of the same name. (The bot speeds, which the
// host reads too, are in Commands.h.)
//
//     PhraseList phrases = kBuiltInPhrases; // until the settings give others
//     menu.turnSound = TurnSound::New;      // stored as "1"
//     if (auto o = gameOutcomeToRecord(ownSeat, ownWon, "Ann")) tally.recordGame(*o, seated);
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace zk {

// The game key: it names the settings file's section, begins the tally
// file's name and names the lock a running game holds.
inline constexpr std::string_view kGameKey = "agame";

// Top, left, width and height of the main window in screen pixels.
struct WindowBounds {
    int top = 0;
    int left = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const WindowBounds&, const WindowBounds&) = default;
};

// Where "Reset Screen Location" puts the window, and what a missing key gives.
inline constexpr WindowBounds kDefaultBounds{3, 3, 684, 535};

// The label of a seat nobody has taken.
inline constexpr std::string_view kWaitingName = "<Waiting>";

// The Text Size items; another size ticks none of them.
inline constexpr std::array<int, 4> kTextSizes = {8, 10, 12, 14};

// Options, Turn Sound; the settings file stores Classic as "0" and New as "1".
enum class TurnSound { Classic = 0, New = 1 };

// The nine phrase buttons (the tenth opens the chatter sounds).
inline constexpr int kPhraseCount = 9;

// The phrase buttons' texts, Windows-1252 bytes; button n holds [n - 1].
using PhraseList = std::array<std::string, kPhraseCount>;

inline const PhraseList kBuiltInPhrases = {
    "Way To Go!", "Good One!", "Nice Try!",         "Excellent!",          "Brilliant!",
    "Wow, WTG!",  "Thanks!",   "Way To Go Teamie!", "Good Game Everyone!",
};

// Who won a game that the win tally records: the player (alone or with
// others), or one opponent, named as his seat's label shows him. The two are
// kept apart so that an opponent may carry any name at all.
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
std::optional<GameOutcome> gameOutcomeToRecord(int ownSeat, bool ownSeatWon,
                                               std::string_view resultText);

} // namespace zk
