// The roster: arrivals, departures and just watching. The board itself is
// the roster; nothing else keeps it.
#include "table/TableLogic.h"

namespace zk {

HandlerResult TableLogic::newplayerinfo(const msg::Decoded<msg::SlotName>& m)
{
    if (!m.complete)
        return HandlerResult::Malformed;
    const int seat = m->slot;
    const std::string& name = m->name;

    if (seat == state_.ownSeat) {
        state_.seatedName = name;
        if (reconnect_) {
            // Seated again: the window and its settings stay as they were.
            reconnect_.reset();
            systemLine("Reconnected.");
        } else {
            systemLine("You are Connected.");
            env_.loadSettings();
        }
    } else {
        systemLine(std::string(name) + " is Connected.");
    }
    if (seat <= kSeatCount) {
        if (Board::isSeat(seat))
            board_.seat(seat).name = std::string(name);
    } else {
        seatMenus_.addSpy(seat, name);
        if (seat == state_.ownSeat)
            systemLine("You are spying.");
        else
            systemLine(std::string(name) + " is spying.");
    }
    eventSound("entered");
    return HandlerResult::Handled;
}

HandlerResult TableLogic::playerdisconnected(const msg::Decoded<msg::SlotName>& m)
{
    if (!m.complete)
        return HandlerResult::Malformed;
    const int seat = m->slot;
    const std::string& name = m->name;

    if (seat <= kSeatCount) {
        if (!Board::isSeat(seat))
            return HandlerResult::Ignored; // no such label
        SeatColumn& column = board_.seat(seat);
        // The line names whoever the label showed, not the name in the message.
        if (column.name != kWaitingName && column.name != column.hint)
            systemLine(column.name + " disconnected.");
        column.name = seat == kComputerSeat ? column.hint : std::string(kWaitingName);
        if (seat >= kFirstOptionalSeat)
            column.notPlaying = true;
        column.eyes = false;
        return HandlerResult::Handled;
    }
    // A spectator we never listed changes nothing.
    if (seatMenus_.removeSpy(seat, name))
        systemLine(std::string(name) + " has left.");
    return HandlerResult::Handled;
}

HandlerResult TableLogic::justwatching(const msg::Decoded<msg::JustWatching>& m)
{
    if (!m.reached(msg::JustWatching::Seat))
        return HandlerResult::Malformed;
    const int seat = m->seat;
    if (!Board::isSeat(seat))
        return HandlerResult::Ignored;
    SeatColumn& column = board_.seat(seat);
    const bool watching = m->watching;
    if (seat == state_.ownSeat) {
        // The turn in progress changes hands at once: the computer's from
        // now, or the player's again as it stands.
        if (watching)
            withdrawOwnTurn();
        board_.menu.justWatchChecked = watching;
        if (!watching)
            resumeOwnTurn();
        restartTurnClock(); // the computer's turns are not timed
    }
    // These two lines end without a full stop.
    systemLine(column.name + (watching ? " is just watching" : " is now playing again"));
    column.eyes = watching;
    return HandlerResult::Handled;
}

} // namespace zk
