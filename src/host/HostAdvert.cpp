#include "host/HostAdvert.h"

#include <algorithm>

#include "protocol/Text.h"

namespace zk {

GameAdvert hostAdvert(const HostEngine& engine, std::string_view version, bool showNames)
{
    GameAdvert a;
    a.version = std::string(version);
    a.seated = 0;
    for (int s = 1; s <= kSeatCount; ++s)
        a.seated += engine.player(s).connected ? 1 : 0;
    a.free = kSeatCount - a.seated;
    for (int s = kSeatCount + 1; s <= kSlotCount; ++s)
        a.spies += engine.player(s).connected ? 1 : 0;
    if (engine.gameStarted()) {
        a.state = GameAdvert::State::Play;
        a.round = std::clamp(engine.round(), 1, kRounds);
    } else if (engine.gameEnded()) {
        a.state = GameAdvert::State::Over;
    }
    if (showNames && engine.player(1).connected)
        a.hostPlayer = fromCp1252(engine.player(1).name);
    return a;
}

} // namespace zk
