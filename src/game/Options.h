// What the table's options and the settings file both name: the game key,
// the window's bounds, the player's options with their two sets of defaults,
// the text sizes, the turn sound and the phrase buttons.
//
//     PhraseList phrases = kBuiltInPhrases; // until the settings give others
//     menu.turnSound = TurnSound::New;      // stored as "1"
//     static_cast<PlayerOptions&>(values) = menu; // the options menu into the file's values
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "game/Colour.h"
#include "game/Timing.h"

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

// The player's options: what the Options menu holds and the settings file
// stores. The table's menus and the file's values are both of this type, so
// saving and applying copy them whole.
struct PlayerOptions {
    bool playSounds = true;
    bool playChatterSounds = false;
    TurnSound turnSound = TurnSound::Classic;
    bool remindMe = true; // "Remind Me to Select a Category"
    // Bot Speed: the delay in ms the host engine reads.
    int botSpeed = kBotSpeedBeforeSettings;
    int textSize = 8;                           // the chat's font size
    ColourValue textColour = colour::clBlack;   // sent with own chat lines
    ColourValue actionColour = colour::clBlack; // sent with actions and phrases
    friend bool operator==(const PlayerOptions&, const PlayerOptions&) = default;
};

// The two sets of defaults differ on purpose. A table starts with chatter
// sounds off and the host's computer players at 750 ms until the settings
// file is applied; a key missing from that file gives chatter sounds on and
// the Normal speed, 650 ms.
inline constexpr PlayerOptions kOptionsAtStart{};
inline constexpr PlayerOptions kOptionsForMissingKeys{
    true, true, TurnSound::Classic, true, kBotSpeedNormal, 8, colour::clBlack, colour::clBlack};

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
