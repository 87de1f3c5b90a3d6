// The host engine: the referee of the game in plain C++. It owns the per-seat
// records, the turn state and the game timer `timer1`, takes connection
// events, received messages and timer ticks, and answers through an outbox
// (send to a slot, close a slot) and a notice sink (the fixed texts the host
// shows on its own screen). It knows nothing of sockets or Qt; TServer
// (TServer.h) wires it to both.
//
//     HostEngine engine(outbox, notices, clockSeededDice(), [] { return 650; });
//     int slot = engine.freeSlot();            // a connection is waiting
//     engine.connectionArrived(slot, id);      // sends CMD_sendlogininfo (or CMD_full)
//     engine.handleMessage(id, "CMD_chat+1+hi|clBlack");
//     if (engine.timer1().enabled) ...         // run timer1: every intervalMs
//     engine.tickTimer1();                     //   call tickTimer1()
//     engine.connectionClosed(id);             // the connection reported "Socket Closed"
//
// The sender of a message is the connection it arrived on (its connection
// id); a message that names another slot or seat is ignored, except the
// seat menu of the slot with the host powers (CMD_justwatch for seats 1-6).
// That slot alone may kick and start a game: slot 1, until its player
// leaves and the powers pass to the player connected longest. Nothing is ever sent on a slot without a live connection.
//
// Every entry point may run while the outbox closes a connection: a closure
// reported from inside an entry is handled when that entry has finished, so
// a departure never interleaves with a half-sent broadcast.
#pragma once

#include <array>
#include <cstdint>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/Timing.h"
#include "host/DiceSource.h"
#include "host/Rules.h"
#include "protocol/Messages.h"

namespace zk {

// Slots 1 to kSeatCount (Commands.h) are the seats of the game.
inline constexpr int kMaxConnections = kSlotCount;  // slots 7-9 only watch
inline constexpr int kRefusalSlot = kSlotCount + 1; // receives "CMD_full+" and is closed

// The fixed texts the host shows on its own screen; they never stall the game.
namespace notice {
inline constexpr std::string_view tooManyRolls = "too many rolls";
inline constexpr std::string_view needsCategory = "error - player needs category";
inline constexpr std::string_view autoSelectFailed = "error in auto selecting cat 7";
inline constexpr std::string_view workingSelected = "working selected";
inline constexpr std::string_view alreadySelected = "arleady selected";
} // namespace notice

// Where the engine's answers go.
class HostOutbox {
public:
    virtual ~HostOutbox() = default;
    // Sends one whole message (terminator included) on the slot's connection.
    virtual void send(int slot, std::string_view bytes) = 0;
    // Closes the slot's connection; its "Socket Closed" comes back as
    // HostEngine::connectionClosed, possibly from inside this call.
    virtual void close(int slot) = 0;
    // The connection of slot `from` now sits in the free slot `to`: what it
    // sends comes from `to`, and what is sent to `to` goes to it.
    virtual void move(int from, int to) = 0;
};

// The per-seat record; slot n uses record n.
struct tplayer {
    std::string name;       // from the login; empty while the slot is free
    bool connected = false; // the slot holds a live connection
    int connectionId = 0;   // which connection (0: none); stands for playersock
    bool loggedIn = false;  // its CMD_logininfo was taken; a second one is ignored
    int total = 0;
    bool watching = false; // the player just watches: the computer plays the seat
    std::string botname;   // the computer player's name for seats 2-6; never sent
    bool playing = false;  // the seat takes part in the current game
    int rolls = 0;         // rolls used in the current turn, 0 to 3
    ScoreRows scores = kFreshScores;
    int category = 0; // chosen for the current turn; 0 while none
    bool turnactive = false;
    std::string address;          // where the connection came from; kept for a seat hold
    std::string loginName;        // the name as the table logged in with it, cleaned
    std::uint64_t loginOrder = 0; // when it logged in: host powers pass to the oldest

    int row(int r) const { return scores[static_cast<std::size_t>(r - 1)]; }
    int& row(int r) { return scores[static_cast<std::size_t>(r - 1)]; }
};

// What timer1 does when its countdown runs out (its Tag).
enum TimerAction : int {
    kTimerNextPlayer = 1,   // every 750 ms
    kTimerBonusRoll = 2,    // every bot-speed interval
    kTimerComputerStep = 3, // every bot-speed interval
};

// timer1 as state. The owner runs a real timer while `enabled`, restarting it
// whenever `generation` changes (every arming starts afresh), and calls
// HostEngine::tickTimer1() every `intervalMs`.
struct GameTimer {
    bool enabled = false;
    int tag = 0;
    int countdown = 0;
    int intervalMs = 0;
    std::uint64_t generation = 0;
};

// A login name as the host keeps it: without control characters or
// surrounding spaces, at most kMaxPlayerNameLength characters.
std::string cleanLoginName(std::string_view raw);

class HostEngine {
public:
    using NoticeSink = std::function<void(const std::string&)>;
    using BotSpeed = std::function<int()>;
    // A monotonic clock in milliseconds (its origin does not matter).
    using Clock = std::function<std::int64_t()>;

    HostEngine(HostOutbox& outbox, NoticeSink notices, DieSource dice, BotSpeed botSpeed);

    // --- Connections (acceptOnListener, tempsockInfo) ---
    // The slot a waiting connection gets: the first free one of 1 to
    // connections(), else the next unused one, else kRefusalSlot.
    // A seat held for a departed player is not free, except for a connection
    // from that player's address when no other slot is free.
    int freeSlot(std::string_view address = {}) const;
    // The connection (already accepted and placed in `slot` by the caller) is
    // seated: CMD_sendlogininfo, or for kRefusalSlot "CMD_full+" and a close.
    // connectionId must be unique for the life of the engine and not 0.
    // address: where the connection came from (a seat hold compares it).
    void connectionArrived(int slot, int connectionId, std::string_view address = {});
    // The connection reported "Socket Closed"; repeated reports are harmless.
    void connectionClosed(int connectionId);

    // --- Messages (the drain step) ---
    // One received message (without its terminator) from a connection.
    HandlerResult handleMessage(int connectionId, std::string_view message);

    // --- timer1 ---
    const GameTimer& timer1() const { return timer_; }
    // One tick of timer1 (timer1Timer); does nothing while it is disabled.
    void tickTimer1();

    // --- Seats that survive a drop, the turn clock, host powers ---
    // (HostSeats.cpp.) Without a clock the engine reads the steady clock.
    void setClock(Clock clock) { clock_ = std::move(clock); }
    // A seat playing in a game whose connection goes is held this long for
    // its player (name and address); 0 holds none.
    void setSeatHold(std::int64_t ms) { seatHoldMs_ = std::max<std::int64_t>(0, ms); }
    // A seat on turn whose player makes no request for this long is set to
    // just watch; 0 turns the clock off.
    void setTurnClock(std::int64_t ms) { turnClockMs_ = std::max<std::int64_t>(0, ms); }
    std::int64_t turnClock() const { return turnClockMs_; }
    // When checkDeadlines() next has something to do (a turn clock running
    // out, a seat hold ending); nothing while nothing waits.
    std::optional<std::int64_t> nextDeadline() const;
    void checkDeadlines();
    // The slot that may start games, remove players and use the seat menu.
    int powerSlot() const { return powerSlot_; }
    bool seatHeld(int seat) const;

    // --- State, for the table's own process, tests and diagnostics ---
    const tplayer& player(int slot) const;
    // The slot of a live connection; 0 if it has none.
    int slotOf(int connectionId) const;
    int connections() const { return connections_; }
    bool gameStarted() const { return gamestarted_; }
    // A game has ended and no new one has started yet.
    bool gameEnded() const { return gameended_; }
    int currentPlayer() const { return currentplayer_; }
    int round() const { return round_; }
    const Faces& dice() const { return dice_; }
    int bonusLimit() const { return bonuslimit_; }
    int bonusCount() const { return bonuscount_; }
    // A seat is computer-played while it is not connected or just watches.
    bool computerPlayed(int seat) const;

private:
    class Entry;  // marks an entry point; handles closures reported inside it
    struct Inbox; // the handler of every message a table sends

    // Admission, roster and relays.
    void departure(int connectionId);
    HandlerResult receivedlogininfo(int slot, const msg::Decoded<msg::LoginInfo>& m);
    HandlerResult kickhim(int slot, const msg::Decoded<msg::KickHim>& m);
    HandlerResult justwatch(int slot, const msg::Decoded<msg::JustWatch>& m);
    // A chat or action line, relayed to every table under the sender's name.
    template <typename Request, typename Relayed>
    HandlerResult relay(int slot, const msg::Decoded<Request>& m, std::string_view between);
    HandlerResult playasound(int slot, const msg::Decoded<msg::PlayASound>& m);
    void sendSnapshot(int slot);
    void disconnectsock(int slot);

    // Seat holds, names, the turn clock and host powers (HostSeats.cpp).
    struct SeatHold {
        std::string loginName;
        std::string name; // as the tables were told it
        std::string address;
        bool watching = false;
        std::int64_t until = 0;
    };
    std::int64_t now() const;
    // The departing seat is held when it plays in a running game.
    bool holdSeat(int slot);
    // The seat held for this login from this address; 0 if none.
    int heldSeatFor(std::string_view loginName, std::string_view address) const;
    // Moves a connection that has not logged in yet; it is asked to log in again.
    void moveConnection(int from, int to);
    // The name the slot is known by at this table: cleaned, not reading as
    // another line, and unlike every other player's.
    std::string tableName(int slot, const std::string& loginName) const;
    bool nameTaken(int slot, std::string_view name) const;
    // A host line that every table shows as it stands (CMD_action).
    static msg::ActionLine hostLine(const std::string& text);
    void startTurnClock(int seat);
    void stopTurnClock() { turnDeadline_.reset(); }
    // A request of the player on turn: his clock starts again.
    void turnRequested(int slot);
    void passPowers(int leaving);
    void deadlinesDue();

    // Turns, bonus rolls, the end of the game, the computer player.
    HandlerResult startgame(const msg::Decoded<msg::StartGame>& m);
    // Each request a table makes is checked by its ...Requested half, which
    // calls the step itself; the computer player calls the step directly.
    HandlerResult rollthediceRequested(int slot, const msg::Decoded<msg::RollTheDice>& m);
    void rollthedice(int seat, const std::vector<int>& dieList);
    HandlerResult selectcatRequested(int slot, const msg::Decoded<msg::SelectCat>& m);
    void selectcat(int seat, int category);
    void findplayer();
    void scoreTurn(int seat);
    void bonusrolls(int seat);
    void checkforwin();
    void computerplay(int seat);

    void armTimer(int tag, int count);
    void stopTimer() { timer_.enabled = false; }

    // Sending; nothing goes to a slot without a live connection.
    template <typename M>
    void sendTo(int slot, const M& message)
    {
        sendBytes(slot, msg::encode(message));
    }
    template <typename M>
    void sendToAll(const M& message)
    {
        const std::string bytes = msg::encode(message);
        for (int s = 1; s <= connections_; ++s)
            sendBytes(s, bytes);
    }
    void sendBytes(int slot, const std::string& bytes);
    void notify(std::string_view text);
    int drawFace();
    // Rolls all five dice: their faces, and the pairs to report them.
    std::vector<DiePair> rollAllDice();

    tplayer& seat(int slot) { return players_[static_cast<std::size_t>(slot)]; }
    const tplayer& seat(int slot) const { return players_[static_cast<std::size_t>(slot)]; }
    std::vector<DiePair> allDicePairs() const;

    HostOutbox& outbox_;
    NoticeSink notices_;
    DieSource drawDie_;
    BotSpeed botSpeed_;

    // The per-seat records by slot, 1 to kRefusalSlot; index 0 is unused. (The
    // game's documents count eleven records; the eleventh is never used.)
    std::array<tplayer, kRefusalSlot + 1> players_{};
    int connections_ = 0;
    bool gamestarted_ = false;
    bool gameended_ = false;
    int currentplayer_ = 0;
    int round_ = 0;
    Faces dice_{};
    int bonuslimit_ = 0;
    int bonuscount_ = 0;
    GameTimer timer_;

    Clock clock_;
    std::int64_t seatHoldMs_ = 0;
    std::int64_t turnClockMs_ = 0;
    std::optional<std::int64_t> turnDeadline_;
    std::array<std::optional<SeatHold>, kSeatCount + 1> holds_{};
    int powerSlot_ = 1;
    std::uint64_t logins_ = 0;

    int entryDepth_ = 0;
    std::vector<int> closedDuringEntry_;
};

} // namespace zk
