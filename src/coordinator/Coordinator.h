// The coordinator: the registry of hosted games, their invite codes, the
// look-ups of joiners and the tickets it gives them for the relay. Plain C++
// behind ports: the connections (an outbox the Qt adapter implements), the
// clock and the random numbers (the tests step them), and the store of
// games, codes and budgets (Store: in memory, or shared by several
// coordinators, each holding its own hosts' connections).
//
//     Coordinator c(outbox, config, clock, random);
//     c.opened(7, "198.51.100.2");
//     c.received(7, "ZC_register+1+1.0.2+<secret>+invite+7772+...");
//     //   -> outbox.send(7, ZC_registered+<code>+<nonce>), outbox.probe(7, "198.51.100.2", 7772, nonce)
//     c.probeAnswered(7, false);                  // -> ZC_reach+relay to the host
//     c.opened(8, "198.51.100.3");
//     c.received(8, "ZC_resolve+1+<code>");       // -> ZC_connect to 7, ZC_relay to 8, close 8
//
// A game lives while its host's control connection does and speaks at least
// every kHeartbeatMs; when the connection goes, the game is kept for
// kRegistrationGraceMs so a host that comes back with the same secret keeps
// its code, on whichever coordinator it reaches. A connection says what it
// is by its first message; one that says nothing within kFirstMessageMs is
// closed. Look-ups and registrations are limited per address (LookupLimit);
// look-ups answer alike for a code that never was and one that is gone.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "coordinator/CoordMessages.h"
#include "coordinator/Store.h"
#include "coordinator/Tickets.h"

namespace zk::coord {

inline constexpr Ms kSilentHostMs = 3 * kHeartbeatMs; // a host silent this long is gone
inline constexpr Ms kRegistrationGraceMs = 60'000;
inline constexpr Ms kFirstMessageMs = 10'000;
inline constexpr Ms kTicketLifeMs = 30'000;
inline constexpr std::size_t kMaxGames = 100'000;

// What the coordinator does to its connections; the Qt adapter implements it.
class CoordinatorOutbox {
public:
    virtual ~CoordinatorOutbox() = default;
    virtual void send(int conn, std::string_view bytes) = 0;
    // Closes after what was sent has gone.
    virtual void close(int conn) = 0;
    // Connects to address:port from outside, sends ZC_probe+nonce and waits
    // for ZC_probed with the nonce; the answer comes back as probeAnswered().
    virtual void probe(int conn, const std::string& address, int port, const std::string& nonce) = 0;
};

// Look-ups per address: a bucket of kLookupBurst refilled by one every
// kLookupRefillMs, kept in the store (so coordinators sharing one count
// together). Registrations per address likewise, with a bucket as large as
// the connections one address may hold.
struct LookupLimit {
    static constexpr double kLookupBurst = 10;
    static constexpr Ms kLookupRefillMs = 2'000;
    static constexpr double kRegisterBurst = 64;
    static constexpr Ms kRegisterRefillMs = 1'000;
};

struct CoordinatorConfig {
    // Where joiners and hosts meet on the relay: an empty address is the
    // coordinator's own (as the game reached it); port 0 means no relay,
    // direct ways only.
    std::string relayAddress;
    int relayPort = 0;
    std::string relayKey; // shared with the relay (TicketSigner)
    // Every joiner goes through the relay, even to a host that could be
    // reached directly: no joiner learns a host's address.
    bool alwaysRelay = false;
    // This coordinator's name among those sharing a store.
    std::string instance = "local";
    // One line per event, key=value (registrations, joins and their way,
    // refused look-ups, hosts going away); none when empty.
    std::function<void(const std::string&)> log;
};

// What the coordinator has done since it started, for its metrics.
struct CoordinatorCounts {
    std::uint64_t registrations = 0;
    std::uint64_t joinsDirect = 0;
    std::uint64_t joinsRelayed = 0;
    std::uint64_t joinsFailed = 0; // a code unknown, or its host away
    std::uint64_t lookupsRefused = 0;
};

class Coordinator {
public:
    using Clock = std::function<Ms()>;
    using Random = std::function<std::uint64_t()>;
    // Without a store of its own, the coordinator keeps its state in memory.
    Coordinator(CoordinatorOutbox& outbox, CoordinatorConfig config, Clock clock, Random random,
                Store* store = nullptr);
    ~Coordinator();

    void opened(int conn, std::string address);
    void received(int conn, std::string_view message);
    void closed(int conn);
    void probeAnswered(int conn, bool reached);
    // Lets silent connections and games whose grace has run out go.
    void tick();
    // When tick() next has something to do; nullopt when nothing waits.
    std::optional<Ms> nextDeadline() const;

    std::size_t gameCount() { return store_.games(); }
    std::optional<HostedGame> game(std::string_view code) { return store_.get(std::string(code)); }
    // Hosts whose control connection this coordinator holds.
    std::size_t hostsHere() const { return hosts_.size(); }
    const CoordinatorCounts& counts() const { return counts_; }
    std::size_t publicGames() { return store_.listed(kMaxListedGames).size(); }

    // The message handlers, one per message of ToCoordinator.
    struct Inbox;

private:
    enum class Role { New, Host, Done };
    struct Conn {
        std::string address;
        Role role = Role::New;
        Ms opened = 0;
        std::string code; // the host's game
    };
    void registerHost(int conn, Conn& c, const Register& m);
    void updateHost(Conn& c, const Update& m);
    void resolve(int conn, Conn& c, std::string_view typed);
    void list(int conn, Conn& c);
    void answerAndClose(int conn, std::string_view bytes);
    void refuse(int conn, std::string_view reason);
    void hostGone(Conn& c);
    void event(const std::string& text);
    void log(const std::string& line) const;
    HostedGame* gameOf(const Conn& c);

    CoordinatorOutbox& outbox_;
    CoordinatorConfig config_;
    TicketSigner signer_;
    Clock clock_;
    Random random_;
    std::unique_ptr<Store> ownStore_;
    Store& store_;
    std::unordered_map<int, Conn> conns_;
    std::unordered_map<std::string, HostedGame> hosts_; // by code: the hosts connected here
    CoordinatorCounts counts_;
};

} // namespace zk::coord
