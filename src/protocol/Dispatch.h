// The messages each side receives, one list per direction, and the dispatch
// that hands a received message to its side's handler. The lists are the one
// source of what a side takes: its dispatch, the protocol fuzz target and the
// round-trip test all walk them.
//
//     struct Inbox {   // one receive() per message of the list, or it does not compile
//         HandlerResult receive(const msg::Decoded<msg::CreateDice>& m);
//         ...
//     };
//     HandlerResult r = msg::dispatch(msg::HostToTable{}, line, inbox);
//
// A message a side may get but has nothing to do with still has its
// receive(), which says why it is ignored. A command in no list (unknown, or
// one the other side sends) is ignored, as peers of other versions need.
#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "protocol/Messages.h"

namespace zk::msg {

template <typename... M>
struct MessageList {
    static constexpr std::size_t size = sizeof...(M);
    // The commands, in the list's order.
    static constexpr std::array<std::string_view, sizeof...(M)> commands{M::command...};
    // Calls f.template operator()<M>() for every message of the list.
    template <typename F>
    static void forEach(F&& f)
    {
        (f.template operator()<M>(), ...);
    }
};

// What a table sends and the host engine receives.
using TableToHost =
    MessageList<LoginInfo, KickHim, Chat, Action, StartGame, JustWatch, RollTheDice, SelectCat, PlayASound>;

// What the host engine sends and a table receives.
using HostToTable =
    MessageList<SendLoginInfo, Full, NewPlayerInfo, ExistingPlayers, HaveWrongVersion, WrongVersion,
                LoadStats, LoadScores, PlayerDisconnected, JustWatching, StartGame, NextPlayer, SelectedCat,
                NeedCat, CreateDice, Zonkard, PostScores, BonusTime, GotBonus, BonusEnd, Winner, ChatLine,
                ActionLine, PlayASound, TurnClock, HostPowers>;

// Decodes the message as the one of the list its command names and calls
// inbox.receive(extra..., decoded). Ignored for a command in no list.
template <typename... M, typename Inbox, typename... Extra>
HandlerResult dispatch(MessageList<M...>, std::string_view message, Inbox& inbox, Extra&&... extra)
{
    const CommandSplit split = splitCommand(message);
    HandlerResult result = HandlerResult::Ignored;
    if (split.name.empty())
        return result;
    (void)((split.name == M::command ? (result = inbox.receive(extra..., decode<M>(split.args)), true)
                                     : false) ||
           ...);
    return result;
}

} // namespace zk::msg
