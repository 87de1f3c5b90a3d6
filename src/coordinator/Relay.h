// The relay: pairs a joiner's data connection with the one its host opened
// for the same ticket, and from then on the adapter copies bytes both ways
// without reading them. Plain C++ behind an outbox; tickets are checked by
// signature (TicketSigner), so a relay may run in the coordinator's process
// or alone with the same key.
//
//     Relay relay(outbox, key, clock);
//     relay.opened(3, "198.51.100.3");  relay.received(3, "ZC_join+1+<ticket>");   // waits
//     relay.opened(4, "198.51.100.2");  relay.received(4, "ZC_open+1+<ticket>");
//     //   -> ZC_paired+198.51.100.3 to 4, ZC_paired+ to 3, outbox.pair(4, 3)
//
// A ticket serves one pairing: a second ZC_join or ZC_open for it is
// refused (by every relay sharing the store), as is a ticket past its expiry or with a bad signature. A game
// has at most kMaxPairsPerGame relayed connections at once. A half that
// waits for its other half longer than the ticket lives is closed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "coordinator/Store.h"
#include "coordinator/Tickets.h"

namespace zk::coord {

inline constexpr int kMaxPairsPerGame = 10;

class RelayOutbox {
public:
    virtual ~RelayOutbox() = default;
    virtual void send(int conn, std::string_view bytes) = 0;
    virtual void close(int conn) = 0;
    // From now on the two connections' bytes are copied to each other.
    virtual void pair(int hostConn, int joinerConn) = 0;
};

class Relay {
public:
    using Clock = std::function<std::int64_t()>; // ms since the epoch
    // Without a store of its own, the relay remembers used tickets in memory;
    // relays sharing a store refuse a ticket any of them has seen.
    Relay(RelayOutbox& outbox, std::string_view key, Clock clock, Store* store = nullptr);
    ~Relay();

    void opened(int conn, std::string address);
    // The first message of a data connection; later bytes are the game's own
    // and go straight to the other half, never here.
    void received(int conn, std::string_view message);
    void closed(int conn);
    // Closes halves whose ticket has run out and forgets used tickets then.
    void tick();

    std::size_t waiting() const { return waiting_.size(); }
    std::size_t pairs() const { return partner_.size() / 2; }

    struct Inbox;

private:
    enum class Side { Host, Joiner };
    struct Half {
        std::string address;
        std::string ticket; // empty until its first message
        std::int64_t expires = 0;
        std::uint64_t game = 0;
        std::int64_t opened = 0;
    };
    void arrive(int conn, Side side, std::string_view ticket);
    void refuse(int conn, std::string_view reason);

    RelayOutbox& outbox_;
    TicketSigner signer_;
    Clock clock_;
    std::unordered_map<int, Half> halves_; // every data connection
    std::unordered_map<std::string, std::pair<int, int>>
        waiting_; // ticket -> (host, joiner) conn, 0 = not yet
    std::unique_ptr<Store> ownStore_;
    Store& store_;
    std::unordered_map<int, int> partner_;
    std::unordered_map<std::uint64_t, int> pairsOfGame_;
};

} // namespace zk::coord
