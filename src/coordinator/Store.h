// Store: what the coordinator and the relay keep that outlives one
// connection (the games, their codes, the tickets used, the budgets of
// addresses), behind a port, so that one coordinator keeps it in its memory
// (MemoryStore, the default) and several coordinators and relays share it
// (the Redis store) and act as one service.
//
//     MemoryStore store(clock);
//     if (store.claim(code, secretHash, kSilentHostMs)) store.put(game, kSilentHostMs);
//     store.get(code);                       // from any coordinator sharing the store
//     store.firstUse(ticket, kTicketLifeMs); // true once, for whichever relay asks first
//
// Every entry has a life and is gone when it runs out unless it is written
// again: a host's updates keep its game, its secret's claim on the code and
// its place in the public list alive. A coordinator is named by its
// instance; a game names the instance that holds its host's connection
// (none while the host is away), and tell() reaches that instance's
// listener, which is how a joiner on one instance asks the host on another
// for a relayed connection.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "coordinator/CoordMessages.h"

namespace zk::coord {

using Ms = std::int64_t;

struct HostedGame {
    std::uint64_t id = 0; // names the game in its relay tickets
    std::string code;
    std::string secretHash;
    std::string version;
    Visibility visibility = Visibility::Invite;
    GameAdvert facts;
    std::string address; // as the coordinator sees the host
    int port = 0;
    Reach reach = Reach::Unknown;
    std::string nonce;
    std::string instance; // the coordinator holding the host's connection; empty while away
    // Kept by the instance holding the host only, never stored:
    int conn = 0; // the control connection
    Ms seen = 0;  // its last message
};

class Store {
public:
    using Listener = std::function<void(const std::string& event)>;
    virtual ~Store() = default;

    // The code a secret holds, while its game is kept.
    virtual std::optional<std::string> codeOf(const std::string& secretHash) = 0;
    // Takes `code` for the secret for `life` unless another secret holds it.
    virtual bool claim(const std::string& code, const std::string& secretHash, Ms life) = 0;
    // Writes the game and keeps it (with its secret's claim) for `life` more.
    virtual void put(const HostedGame& game, Ms life) = 0;
    virtual std::optional<HostedGame> get(const std::string& code) = 0;
    // Public games whose host is connected, at most `max`.
    virtual std::vector<HostedGame> listed(std::size_t max) = 0;
    // Games kept (hosts connected or away within their grace).
    virtual std::size_t games() = 0;
    // True for the first use of a ticket within `life`, false ever after.
    virtual bool firstUse(const std::string& ticket, Ms life) = 0;
    virtual bool used(const std::string& ticket) = 0;
    // Takes one from the bucket `key` (`burst` full, one back every
    // `refillMs`); false when it is empty or no more buckets fit.
    virtual bool take(const std::string& key, double burst, Ms refillMs) = 0;
    // An event for the listener of `instance` (dropped when it has none).
    virtual void tell(const std::string& instance, const std::string& event) = 0;
    virtual void listen(const std::string& instance, Listener listener) = 0;
    // Lets entries whose life ran out go (a store that expires them itself does nothing).
    virtual void expire() {}
    // When expire() next has a game to let go, for a store that expires them on call.
    virtual std::optional<Ms> nextExpiry() const { return std::nullopt; }
};

} // namespace zk::coord
