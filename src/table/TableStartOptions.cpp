#include "table/TableStartOptions.h"

#include <algorithm>

namespace zk {

void TableStartOptions::startClick()
{
    if (!table_.state.loggedIn) {
        table_.env.showMessage("You are not connected");
        return;
    }
    table_.board.startWindow.shown = true;
    table_.env.showStartGameWindow();
}

void TableStartOptions::limitBoxClick(int limit)
{
    bool known = false;
    for (int box : kLimitBoxes)
        known = known || box == limit;
    if (!known)
        return;
    StartGameWindow& window = table_.board.startWindow;
    window.limit = limit;
    for (std::size_t i = 0; i < kLimitBoxes.size(); ++i)
        window.ticked[i] = kLimitBoxes[i] == limit;
}

void TableStartOptions::applyStoredLimit(std::string_view stored)
{
    if (stored == "1" || stored == "2" || stored == "5")
        limitBoxClick(stored[0] - '0');
    else
        limitBoxClick(0);
}

void TableStartOptions::startGameClick()
{
    // The own name, not the login name with its terminator. The name is an
    // ordinary field, so a "+" in it would shift the limit after it; it goes
    // as a blank instead.
    std::string starter = table_.state.nameAtTable();
    std::replace(starter.begin(), starter.end(), '+', ' ');
    const msg::StartGame request{starter, std::to_string(table_.board.startWindow.limit)};
    if (!table_.send(request))
        return;
    // As the host will echo it: the field as it went on the wire.
    startSentAs_ = msg::decode<msg::StartGame>(splitCommand(msg::text(request)).args)->starter;
    table_.env.saveSettings();
    table_.board.startWindow.shown = false;
    table_.env.hideStartGameWindow();
}

void TableStartOptions::startWindowClosed()
{
    table_.board.startWindow.shown = false;
}

bool TableStartOptions::takeOwnStart(std::string_view starter)
{
    const bool own = startSentAs_ && *startSentAs_ == starter;
    startSentAs_.reset();
    return own;
}

} // namespace zk
