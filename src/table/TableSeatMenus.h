// TableSeatMenus: the menus that act on seats. It owns the spy list with
// its "Remove From Game" item and the seat menu of the name labels
// (removal, set and unset just watching), and sends Options, "Just Watch".
// The hosting table's powers (TableContext::hasHostPowers) enable them.
//
//     logic.seatMenus().seatMenuOpening(3);     // the right button on seat 3's label
//     logic.seatMenus().removeFromGameClick();  // CMD_kickhim+1+3+
#pragma once

#include <string>
#include <string_view>

#include "table/TableContext.h"

namespace zk {

class TableSeatMenus {
public:
    explicit TableSeatMenus(const TableContext& table) : table_(table) {}

    // Options, "Just Watch".
    void justWatchClick();
    // The right button on seat n's name label, before the seat menu opens.
    void seatMenuOpening(int seat);
    void removeFromGameClick();
    void setToJustWatchClick();
    void unsetJustWatchClick();
    // Asks the host to remove a seat (host's table only).
    void kicking(int seat);
    // The spy list entry under the pointer (-1 when none), and its
    // "Remove From Game" item.
    void spyPointerOver(int index);
    void spyRemoveClick();

    // The spy list's entry for a spectator's arrival and departure; false
    // when the departing one was never listed.
    void addSpy(int seat, std::string_view name);
    bool removeSpy(int seat, std::string_view name);

private:
    void sendJustWatch(int seat, msg::JustWatch::Mode mode);

    TableContext table_;
};

} // namespace zk
