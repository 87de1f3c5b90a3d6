// The nine phrase buttons' texts: the built-in phrases and the editor's limit.
//
// Phrases are Windows-1252 bytes like all text of the table; button n holds
// phrases[n - 1] and is stored as the settings key "Phrase<n>".
//
//     PhraseList phrases = kBuiltInPhrases;   // until the settings give others
#pragma once

#include <string>

#include "game/Options.h"

namespace zk {

// What the editor lets the player type; a longer text loaded from the
// settings file is kept as it is.
inline constexpr int kPhraseMaxLength = 50;

// The settings key of phrase button n (1 to 9): "Phrase1" to "Phrase9".
inline std::string phraseKey(int n)
{
    return "Phrase" + std::to_string(n);
}

} // namespace zk
