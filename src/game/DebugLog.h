// The program's own log of what a player need not read: messages of the
// libraries below us (ALSA, SDL) and of optional features that failed. It
// prints to standard error only when ZONKARDS_DEBUG is set (not empty), so a
// normal start keeps the terminal quiet.
//
//     debugLog("audio: " + std::string(SDL_GetError()));
#pragma once

#include <string_view>

namespace zk {

inline constexpr const char* kDebugVariable = "ZONKARDS_DEBUG";

// Whether the log prints (read once).
bool debugLogging();
// One line to the log (a newline is added).
void debugLog(std::string_view line);

} // namespace zk
