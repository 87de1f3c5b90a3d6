// What the table and the player's records both name: the turn sound choice
// and the phrase buttons' count and built-in texts. They live here, below
// both, so that the program's settings bridge can see the board and the
// settings file in one place without two definitions of the same name.
//
//     PhraseList phrases = kBuiltInPhrases; // until the settings give others
//     menu.turnSound = TurnSound::New;      // stored as "1"
#pragma once

#include <array>
#include <string>

namespace zk {

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

} // namespace zk
