// What every part of the table logic shares: the link to the host
// (TableLink), the program around it (TableEnvironment), the board, and the
// connection state; and the steps
// they all take (sending a message, a system line, an event sound, a seat's
// label). TableLogic owns the board and the state and hands this to its
// parts (TableChat, TableSeatMenus, TableStartOptions, TableOptionsMenu),
// each of which owns its own slice of the board.
//
//     TableContext table{link, env, board, state};
//     table.send(msg::SelectCat{table.state.ownSeat, 5});
#pragma once

#include <string>
#include <string_view>

#include "protocol/Messages.h"
#include "table/Board.h"
#include "table/TableEnvironment.h"
#include "table/TableLink.h"

namespace zk {

// The connection state of the table; the roster, the scores and the turn
// live on the Board.
struct TableState {
    std::string ownName;     // first argument, or "You" in a solo game
    std::string hostAddress; // second argument, or "127.0.0.1" in a solo game
    std::string loginName;   // own name and one terminator byte, once hosting or joining
    bool hostFlag = false;   // this program hosts; never cleared
    std::string inviteCode;  // "+K7QM2Xr" while the hosted game has one from the coordinator
    int ownSeat = 0;         // given by the host at login; above 6 watches
    bool loggedIn = false;   // set when the seat arrives; never cleared
    // The seat on turn as the board shows it; 0 for none, and 0 right after
    // this table sent a roll or a category choice (the guard against a second
    // request before the host answers).
    int currentSeat = 0;
    // The name the host announced for the own seat (it may differ from the
    // login: "Bob (2)"); empty before it did.
    std::string seatedName;
    int powerSlot = 1;        // the slot with the host powers, as the host last said
    int turnClockSeconds = 0; // the host's turn clock; 0 while it runs none or did not say
    // The name this table is known by: the host's for it, else the own name.
    const std::string& nameAtTable() const { return seatedName.empty() ? ownName : seatedName; }
};

struct TableContext {
    TableLink& link;
    TableEnvironment& env;
    Board& board;
    TableState& state;

    // Hands the message to the connection; false when none was ever opened.
    template <typename M>
    bool send(const M& message) const
    {
        return link.send(msg::encode(message));
    }
    // A notice in the chat display, in the system colour.
    void systemLine(std::string_view text) const
    {
        board.chat.append(ChatLine{std::string(text), kSystemColour});
    }
    // An event sound, when "Play Sounds" is ticked.
    void eventSound(std::string_view name) const
    {
        if (board.menu.playSounds)
            env.playSound(name);
    }
    // The text of seat n's name label; empty when n has no label (a spectator).
    std::string labelText(int seat) const
    {
        return Board::isSeat(seat) ? board.seat(seat).name : std::string();
    }
    // The hosting table's powers (Start, "Start Game", removals, the seat
    // menu): this program hosts, or the host gave this table slot 1, as a
    // headless host does to the first table that joins it.
    bool hasHostPowers() const
    {
        return state.hostFlag || (state.ownSeat != 0 && state.ownSeat == state.powerSlot);
    }
};

} // namespace zk
