// A HostEngine with everything around it made controllable: scripted die
// faces, stepped time for timer1, connections by number, and a recording
// outbox that closes connections the way the real socket component does
// (reporting the closure from inside the close). Used by the host's unit
// tests, its fuzz target and its benchmark; it has no test framework in it.
//
//     HostHarness h;
//     int a = h.login("Ann");                   // slot 1
//     h.say(a, "CMD_startgame+Ann+0+");
//     h.dice.push({3, 1, 4, 2, 5});
//     h.say(a, "CMD_rollthedice+1+1+2+3+4+5");
//     h.last(a);                                // "CMD_zonkard+1+35+35+3+1+3+..."
//     h.advance(3750);                          // 5 ticks of 750 ms
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "host/HostEngine.h"
#include "protocol/Commands.h"

namespace zk::test {

// Faces handed out in the order pushed; when the script runs dry, faces come
// from a seeded generator and overdrawn() counts them.
class ScriptedDice {
public:
    explicit ScriptedDice(std::uint64_t seed = 1) : gen_(seed) {}
    void push(std::initializer_list<int> faces) { faces_.insert(faces_.end(), faces); }
    void push(int face) { faces_.push_back(face); }
    int draw()
    {
        if (!faces_.empty()) {
            const int f = faces_.front();
            faces_.pop_front();
            return f;
        }
        ++overdrawn_;
        return std::uniform_int_distribution<int>(1, 6)(gen_);
    }
    std::size_t pending() const { return faces_.size(); }
    int overdrawn() const { return overdrawn_; }
    void reseed(std::uint64_t seed) { gen_.seed(seed); }

private:
    std::deque<int> faces_;
    std::mt19937_64 gen_;
    int overdrawn_ = 0;
};

struct SentMessage {
    int slot = 0;
    std::string text; // without the terminator
    std::int64_t atMs = 0;
};

class HostHarness : public HostOutbox {
public:
    explicit HostHarness(int speedMs = 650)
        : botSpeedMs(speedMs),
          engine(
              *this, [this](const std::string& t) { notices.push_back(t); }, [this] { return dice.draw(); },
              [this] {
                  ++botSpeedReads;
                  return this->botSpeedMs;
              })
    {
        engine.setClock([this] { return nowMs; });
    }

    // --- what the engine sends ---
    void send(int slot, std::string_view bytes) override
    {
        const bool live = slot >= 1 && slot <= kRefusalSlot && conn[static_cast<std::size_t>(slot)] != 0;
        if (!live)
            ++deadSends;
        // Every message is one whole message: exactly one terminator, at the end.
        if (bytes.empty() || bytes.back() != kTerminator || bytes.find(kTerminator) != bytes.size() - 1)
            ++badFrames;
        std::string text(bytes.substr(0, bytes.empty() ? 0 : bytes.size() - 1));
        log.push_back({slot, text, nowMs});
        if (onSend)
            onSend(log.back());
    }
    void close(int slot) override
    {
        if (slot < 1 || slot > kRefusalSlot)
            return;
        const int id = conn[static_cast<std::size_t>(slot)];
        conn[static_cast<std::size_t>(slot)] = 0;
        closedSlots.push_back(slot);
        if (id != 0)
            engine.connectionClosed(id); // reported from inside the close, like the socket
    }

    void move(int from, int to) override
    {
        conn[static_cast<std::size_t>(to)] = conn[static_cast<std::size_t>(from)];
        conn[static_cast<std::size_t>(from)] = 0;
        moves.emplace_back(from, to);
    }

    // --- connections ---
    // A new connection from the address; returns its slot (kRefusalSlot when refused).
    int connect(const std::string& address = "10.0.0.1")
    {
        const int slot = engine.freeSlot(address);
        const int id = ++lastId;
        conn[static_cast<std::size_t>(slot)] = id;
        engine.connectionArrived(slot, id, address);
        sync();
        return slot;
    }
    // Connects and logs in, answering every CMD_sendlogininfo as a table
    // does; returns the slot it ends in (0 when the connection was closed).
    int login(const std::string& name, const std::string& version = std::string(kVersionText),
              const std::string& address = "10.0.0.1")
    {
        std::size_t next = log.size(); // what the host says from here on is to this connection
        const int first = connect(address);
        if (first == kRefusalSlot)
            return first;
        const int id = conn[static_cast<std::size_t>(first)];
        while (next < log.size()) {
            const SentMessage m = log[next++];
            if (m.text.starts_with("CMD_sendlogininfo+") && conn[static_cast<std::size_t>(m.slot)] == id)
                sayFrom(id, msg::text(msg::LoginInfo{std::to_string(m.slot), version, name}));
        }
        return slotOfConnection(id);
    }
    int slotOfConnection(int id) const
    {
        for (int s = 1; s <= kRefusalSlot; ++s) {
            if (id != 0 && conn[static_cast<std::size_t>(s)] == id)
                return s;
        }
        return 0;
    }
    // The peer of the slot goes away.
    void vanish(int slot)
    {
        const int id = conn[static_cast<std::size_t>(slot)];
        conn[static_cast<std::size_t>(slot)] = 0;
        engine.connectionClosed(id);
        sync();
    }
    int connectionOf(int slot) const { return conn[static_cast<std::size_t>(slot)]; }
    // A message from the slot's current connection.
    HandlerResult say(int slot, std::string_view text)
    {
        return sayFrom(conn[static_cast<std::size_t>(slot)], text);
    }
    HandlerResult sayFrom(int connectionId, std::string_view text)
    {
        const HandlerResult r = engine.handleMessage(connectionId, text);
        sync();
        return r;
    }

    // --- time ---
    // Lets ms milliseconds pass, running every timer1 tick and every
    // deadline (turn clock, seat hold) that falls due, in time order.
    void advance(std::int64_t ms)
    {
        const std::int64_t target = nowMs + ms;
        sync();
        for (;;) {
            const bool tickDue = engine.timer1().enabled && nextFireMs_ <= target;
            const std::optional<std::int64_t> deadline = engine.nextDeadline();
            const bool deadlineDue = deadline && *deadline <= target;
            if (deadlineDue && (!tickDue || *deadline < nextFireMs_)) {
                nowMs = std::max(nowMs, *deadline);
                engine.checkDeadlines();
                sync();
                continue;
            }
            if (!tickDue)
                break;
            nowMs = nextFireMs_;
            const std::uint64_t generation = engine.timer1().generation;
            const int interval = engine.timer1().intervalMs;
            engine.tickTimer1();
            if (engine.timer1().generation == generation)
                nextFireMs_ += interval; // the same timer keeps running
            sync();
        }
        nowMs = target;
    }
    // Runs time up to the next tick of timer1; false if it is not running.
    bool tick()
    {
        sync();
        if (!engine.timer1().enabled)
            return false;
        advance(nextFireMs_ - nowMs);
        return true;
    }
    // Ticks until the armed action has run (its countdown reached 0).
    bool expire()
    {
        sync();
        if (!engine.timer1().enabled)
            return false;
        const std::uint64_t generation = engine.timer1().generation;
        while (engine.timer1().enabled && engine.timer1().generation == generation)
            tick();
        return true;
    }
    // Ticks until pred() holds or the timer stops; returns pred().
    bool runUntil(const std::function<bool()>& pred, int maxTicks = 100000)
    {
        for (int i = 0; i < maxTicks && !pred(); ++i) {
            if (!tick())
                break;
        }
        return pred();
    }

    // --- inspection ---
    std::vector<std::string> to(int slot) const
    {
        std::vector<std::string> out;
        for (const auto& m : log) {
            if (m.slot == slot)
                out.push_back(m.text);
        }
        return out;
    }
    std::string last(int slot) const
    {
        for (auto it = log.rbegin(); it != log.rend(); ++it) {
            if (it->slot == slot)
                return it->text;
        }
        return {};
    }
    // Messages to the slot whose command is `command` (e.g. "CMD_createdice").
    std::vector<std::string> named(int slot, std::string_view command) const
    {
        std::vector<std::string> out;
        for (const auto& m : to(slot)) {
            if (m.compare(0, command.size(), command) == 0 &&
                (m.size() == command.size() || m[command.size()] == '+'))
                out.push_back(m);
        }
        return out;
    }
    // Time of the first message to the slot that starts with prefix; -1 if none.
    std::int64_t timeOf(int slot, std::string_view prefix) const
    {
        for (const auto& m : log) {
            if (m.slot == slot && m.text.rfind(prefix, 0) == 0)
                return m.atMs;
        }
        return -1;
    }
    void clear()
    {
        log.clear();
        notices.clear();
    }

    int botSpeedMs;
    int botSpeedReads = 0;
    ScriptedDice dice;
    HostEngine engine;
    std::vector<std::string> notices;
    std::vector<SentMessage> log;
    std::vector<int> closedSlots;
    std::vector<std::pair<int, int>> moves; // (from, to) of every moved connection
    std::function<void(const SentMessage&)> onSend;
    int deadSends = 0;
    int badFrames = 0;
    std::int64_t nowMs = 0;

private:
    void sync()
    {
        const GameTimer& t = engine.timer1();
        if (t.enabled && t.generation != generation_) {
            generation_ = t.generation;
            nextFireMs_ = nowMs + t.intervalMs;
        }
    }

    int lastId = 0;
    std::array<int, kRefusalSlot + 1> conn{}; // slot -> live connection id
    std::uint64_t generation_ = 0;
    std::int64_t nextFireMs_ = 0;
};

} // namespace zk::test
