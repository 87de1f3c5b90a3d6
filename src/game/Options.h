// What the table's options and the settings file both name: the game key,
// the window's bounds, the text sizes, the turn sound and the phrase
// buttons.
//
//     PhraseList phrases = kBuiltInPhrases; // until the settings give others
//     menu.turnSound = TurnSound::New;      // stored as "1"
#pragma once

#include <array>
#include <string>
#include <string_view>

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

// The Text Size items; another size ticks none of them.
inline constexpr std::array<int, 4> kTextSizes = {8, 10, 12, 14};

// Options, Turn Sound; the settings file stores Classic as "0" and New as "1".
enum class TurnSound { Classic = 0, New = 1 };

// Ten buttons under the chat: nine phrases, and the tenth opens the chatter
// sounds.
inline constexpr int kPhraseCount = 9;
inline constexpr int kPhraseButtonCount = 10;

// The phrase buttons' texts, Windows-1252 bytes; button n holds [n - 1].
using PhraseList = std::array<std::string, kPhraseCount>;

inline const PhraseList kBuiltInPhrases = {
    "Way To Go!", "Good One!", "Nice Try!",         "Excellent!",          "Brilliant!",
    "Wow, WTG!",  "Thanks!",   "Way To Go Teamie!", "Good Game Everyone!",
};

} // namespace zk
