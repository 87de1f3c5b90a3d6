#include "table/TableSeatMenus.h"

#include <algorithm>

#include "protocol/FieldCodec.h" // parseDecimal

namespace zk {

namespace {

std::string spyEntry(int seat, std::string_view name)
{
    return std::to_string(seat) + ": " + std::string(name);
}

} // namespace

void TableSeatMenus::addSpy(int seat, std::string_view name)
{
    table_.board.spyList.entries.push_back(spyEntry(seat, name));
}

bool TableSeatMenus::removeSpy(int seat, std::string_view name)
{
    auto& entries = table_.board.spyList.entries;
    const auto it = std::find(entries.begin(), entries.end(), spyEntry(seat, name));
    if (it == entries.end())
        return false;
    const auto removed = static_cast<int>(it - entries.begin());
    entries.erase(it);
    // The entry under the pointer moves with the list.
    int& under = table_.board.spyList.entryUnderPointer;
    if (under == removed)
        under = -1;
    else if (under > removed)
        --under;
    return true;
}

void TableSeatMenus::sendJustWatch(int seat, msg::JustWatch::Mode mode)
{
    if (!table_.state.loggedIn || !Board::isSeat(seat))
        return;
    table_.send(msg::JustWatch{seat, mode});
}

void TableSeatMenus::justWatchClick()
{
    // The click leaves the check mark alone; the host's answer sets it.
    sendJustWatch(table_.state.ownSeat, table_.board.menu.justWatchChecked ? msg::JustWatch::Mode::Play
                                                                           : msg::JustWatch::Mode::Watch);
}

void TableSeatMenus::seatMenuOpening(int seat)
{
    if (!Board::isSeat(seat))
        return;
    SeatMenu& menu = table_.board.seatMenu;
    menu.removeEnabled = menu.setJustWatchEnabled = menu.unsetJustWatchEnabled = table_.hasHostPowers();
    if (table_.board.seat(seat).name == kWaitingName)
        menu.removeEnabled = false;
    menu.seat = seat;
}

void TableSeatMenus::removeFromGameClick()
{
    if (table_.board.seatMenu.removeEnabled)
        kicking(table_.board.seatMenu.seat);
}

void TableSeatMenus::setToJustWatchClick()
{
    if (table_.board.seatMenu.setJustWatchEnabled)
        sendJustWatch(table_.board.seatMenu.seat, msg::JustWatch::Mode::Watch);
}

void TableSeatMenus::unsetJustWatchClick()
{
    if (table_.board.seatMenu.unsetJustWatchEnabled)
        sendJustWatch(table_.board.seatMenu.seat, msg::JustWatch::Mode::Play);
}

void TableSeatMenus::kicking(int seat)
{
    if (!table_.hasHostPowers() || !table_.state.loggedIn)
        return;
    table_.send(msg::KickHim{table_.state.ownSeat, seat});
}

void TableSeatMenus::spyPointerOver(int index)
{
    const auto count = static_cast<int>(table_.board.spyList.entries.size());
    table_.board.spyList.entryUnderPointer = index >= 0 && index < count ? index : -1;
}

void TableSeatMenus::spyRemoveClick()
{
    const SpyList& spies = table_.board.spyList;
    if (!spies.removeEnabled || spies.entryUnderPointer < 0 ||
        spies.entryUnderPointer >= static_cast<int>(spies.entries.size()))
        return;
    const std::string& entry = spies.entries[static_cast<std::size_t>(spies.entryUnderPointer)];
    const auto seat = parseDecimal(std::string_view(entry).substr(0, entry.find(':')));
    if (seat)
        kicking(*seat);
}

} // namespace zk
