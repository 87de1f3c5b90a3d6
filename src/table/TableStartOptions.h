// TableStartOptions: starting a game. It owns the start-game window
// (Tgamestart's tick boxes and limit), opens it from the Start button and
// File, "Start Game", and sends the start with the chosen bonus-roll limit.
//
//     logic.startOptions().startClick();        // the window opens once logged in
//     logic.startOptions().limitBoxClick(5);
//     logic.startOptions().startGameClick();    // CMD_startgame+Ann+5+
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "table/TableContext.h"

namespace zk {

class TableStartOptions {
public:
    explicit TableStartOptions(const TableContext& table) : table_(table) {}

    // button_start and File, "Start Game".
    void startClick();
    // A tick box of the start-game window: limit 1, 2, 5 or 0 (Unlimited).
    void limitBoxClick(int limit);
    // The limit as the settings file stores it ("Rolls"): "1", "2" or "5"
    // tick that box; any other text, none included, ticks Unlimited.
    void applyStoredLimit(std::string_view stored);
    // START GAME.
    void startGameClick();
    // The start-game window closed by its frame: it only hides.
    void startWindowClosed();

    // A game was announced with this starter: true when it is the start this
    // table asked for (the starter's field as it sent it). Each
    // announcement uses up the request.
    bool takeOwnStart(std::string_view starter);

private:
    TableContext table_;
    // The starter's name this table sent with its last start request.
    std::optional<std::string> startSentAs_;
};

} // namespace zk
