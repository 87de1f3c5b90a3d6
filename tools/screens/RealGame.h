// A whole game played in one process for the screenshots: the real host
// engine (seeded dice, time stepped by hand) and real table logic for every
// connection, wired message by message as the sockets would carry them. The
// hosting player's table is the one the windows show; the other players'
// tables play by the same plain rule (keep the most common face of an open
// category and roll for it), the computer plays seat 2.
//
//     RealGame game(seed, {"Ann", "Bob", "Cecilia"}, {"Dave"}, windowTable);
//     game.start(5);                    // the host starts, bonus limit 5
//     while (game.step()) { ... }       // one message, one tick or one move
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/HostEngine.h"
#include "table/TableLogic.h"

namespace zk::screens {

class RealGame {
public:
    // The host's table (the first name) uses `host`; its environment must
    // hand what the table sends to sendFromHostTable().
    RealGame(std::uint64_t seed, std::vector<std::string> players, std::vector<std::string> watchers);
    ~RealGame();

    // The link and the environment the host's windowed table needs.
    TableLink& hostLink();
    TableEnvironment& hostEnvironment();
    void attachHostTable(TableLogic& table);

    // Logs every table in, in order, and delivers everything.
    void seatEveryone();
    // The host's table presses Start and starts with the bonus limit.
    void start(int bonusLimit);
    // One thing happens: a message is delivered, a table that is on turn
    // makes its move, or the host's timer ticks. False once nothing is left.
    bool step();
    // Whether the host's table makes its own moves in step() (off while a
    // screenshot waits at a moment of its turn).
    void setHostAutoPlay(bool on) { hostAutoPlay_ = on; }
    // A move of the host's table by the same rule, when it is on turn.
    bool hostMove();

private:
    struct Table;
    bool deliver();
    bool move(Table& t);

    HostEngine* engine_ = nullptr;
    std::unique_ptr<HostOutbox> outbox_;
    std::unique_ptr<HostEngine> engineOwner_;
    std::vector<std::unique_ptr<Table>> tables_;
    std::deque<std::pair<int, std::string>> toHost_;   // connection id, message
    std::deque<std::pair<int, std::string>> toTables_; // slot, message
    bool hostAutoPlay_ = true;
    friend class Outbox;
};

} // namespace zk::screens
