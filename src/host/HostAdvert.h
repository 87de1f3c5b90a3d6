// What the host tells the local network about its game: seats taken and
// open, watchers, and whether the game waits, runs (in which round) or is
// over. The slot-1 player's name only when the host shares names.
//
//     GameAdvert a = hostAdvert(engine, kVersionText, /*showNames=*/false);
#pragma once

#include <string_view>

#include "discovery/GameAdvert.h"
#include "host/HostEngine.h"

namespace zk {

GameAdvert hostAdvert(const HostEngine& engine, std::string_view version, bool showNames);

} // namespace zk
