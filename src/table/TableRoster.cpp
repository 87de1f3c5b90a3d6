// The roster: arrivals, departures, just watching, the seat menu, removals
// and the spy list. The board itself is the roster; nothing else keeps it.
#include "table/TableLogic.h"

#include <algorithm>

namespace zk {

namespace {

std::string spyEntry(int seat, std::string_view name)
{
    return std::to_string(seat) + ": " + std::string(name);
}

} // namespace

HandlerResult TableLogic::newplayerinfo(const msg::Decoded<msg::SlotName>& m)
{
    if (!m.complete)
        return HandlerResult::Malformed;
    const int seat = m->slot;
    const std::string& name = m->name;

    if (seat == state_.ownSeat) {
        systemLine("You are Connected.");
        env_.loadSettings();
    } else {
        systemLine(std::string(name) + " is Connected.");
    }
    if (seat <= kSeatCount) {
        if (Board::isSeat(seat))
            board_.seat(seat).name = std::string(name);
    } else {
        board_.spyList.entries.push_back(spyEntry(seat, name));
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
        column.name = seat == 2 ? column.hint : std::string(kWaitingName);
        if (seat >= 3)
            column.notPlaying = true;
        column.eyes = false;
        return HandlerResult::Handled;
    }
    auto& entries = board_.spyList.entries;
    const auto it = std::find(entries.begin(), entries.end(), spyEntry(seat, name));
    if (it == entries.end())
        return HandlerResult::Handled; // a spectator we never listed: nothing changes
    systemLine(std::string(name) + " has left.");
    const auto removed = static_cast<int>(it - entries.begin());
    entries.erase(it);
    // The entry under the pointer moves with the list.
    int& under = board_.spyList.entryUnderPointer;
    if (under == removed)
        under = -1;
    else if (under > removed)
        --under;
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
    }
    // These two lines end without a full stop.
    systemLine(column.name + (watching ? " is just watching" : " is now playing again"));
    column.eyes = watching;
    return HandlerResult::Handled;
}

void TableLogic::sendJustWatch(int seat, msg::JustWatch::Mode mode)
{
    if (!state_.loggedIn || !Board::isSeat(seat))
        return;
    send(msg::JustWatch{seat, mode});
}

void TableLogic::justWatchClick()
{
    // The click leaves the check mark alone; the host's answer sets it.
    sendJustWatch(state_.ownSeat,
                  board_.menu.justWatchChecked ? msg::JustWatch::Mode::Play : msg::JustWatch::Mode::Watch);
}

void TableLogic::seatMenuOpening(int seat)
{
    if (!Board::isSeat(seat))
        return;
    SeatMenu& menu = board_.seatMenu;
    menu.removeEnabled = menu.setJustWatchEnabled = menu.unsetJustWatchEnabled = hasHostPowers();
    if (board_.seat(seat).name == kWaitingName)
        menu.removeEnabled = false;
    menu.seat = seat;
}

void TableLogic::removeFromGameClick()
{
    if (board_.seatMenu.removeEnabled)
        kicking(board_.seatMenu.seat);
}

void TableLogic::setToJustWatchClick()
{
    if (board_.seatMenu.setJustWatchEnabled)
        sendJustWatch(board_.seatMenu.seat, msg::JustWatch::Mode::Watch);
}

void TableLogic::unsetJustWatchClick()
{
    if (board_.seatMenu.unsetJustWatchEnabled)
        sendJustWatch(board_.seatMenu.seat, msg::JustWatch::Mode::Play);
}

void TableLogic::kicking(int seat)
{
    if (!hasHostPowers() || !state_.loggedIn)
        return;
    send(msg::KickHim{state_.ownSeat, seat});
}

void TableLogic::spyPointerOver(int index)
{
    const auto count = static_cast<int>(board_.spyList.entries.size());
    board_.spyList.entryUnderPointer = index >= 0 && index < count ? index : -1;
}

void TableLogic::spyRemoveClick()
{
    const SpyList& spies = board_.spyList;
    if (!spies.removeEnabled || spies.entryUnderPointer < 0 ||
        spies.entryUnderPointer >= static_cast<int>(spies.entries.size()))
        return;
    const std::string& entry = spies.entries[static_cast<std::size_t>(spies.entryUnderPointer)];
    const auto seat = parseDecimal(std::string_view(entry).substr(0, entry.find(':')));
    if (seat)
        kicking(*seat);
}

} // namespace zk
