// The coordinator's protocol: every message between a game and the
// coordinator or its relay, defined once in the same form as the game's own
// messages (protocol/Messages.h) and written and read by the same code. A
// message is a command, "+" and each field, then the byte 0xFF; over TLS.
//
//   host -> coordinator (the control connection, kept open)
//     ZC_register  protocol; game version; secret; probe nonce; visibility; port; facts...; host player (rest)
//     ZC_update    port; facts...; host player (rest)     (on change, spaced; at least every 30 s)
//   coordinator -> host
//     ZC_registered code                                  (and the probe comes to the game's port)
//     ZC_reach     "direct" | "relay"                     (what the probe found)
//     ZC_connect   relay address; relay port; ticket      (open a data connection for a joiner)
//     ZC_refused   reason (rest)                          (then the coordinator closes)
//   joiner -> coordinator (a short look-up connection)
//     ZC_resolve   protocol; code
//     ZC_list      protocol
//   coordinator -> joiner
//     ZC_direct    address; port
//     ZC_relay     relay address; relay port; ticket
//     ZC_game      code; facts...; host player (rest)     (one per public game, then ZC_listend)
//     ZC_listend   count
//     ZC_unknown   (no such game: said alike for codes that never were, bad requests)
//     ZC_busy      (too many look-ups from this address; try later)
//   data connections to the relay
//     ZC_open      protocol; ticket                       (host)
//     ZC_join      protocol; ticket                       (joiner)
//     ZC_paired    joiner address                         (to both; then the bytes are the game's own)
//     ZC_refused   reason (rest)                          (a ticket reused, expired or unknown)
//   the probe, on the host's game port (plain TCP, like any table)
//     ZC_probe     nonce                                  (coordinator -> host, the first bytes)
//     ZC_probed    nonce                                  (host -> coordinator, then the host closes)
//
// A peer of another protocol number is refused with a reason; unknown
// commands are ignored.
#pragma once

#include <string_view>

#include "discovery/GameAdvert.h"
#include "protocol/Dispatch.h"
#include "protocol/Messages.h"

namespace zk::coord {

// The protocol number this code speaks.
inline constexpr int kProtocol = 1;
// The longest message either side accepts (the host player's name is the longest field).
inline constexpr std::size_t kMaxCoordMessage = 512;
// A host speaks on its control connection at least this often (ms).
inline constexpr long long kHeartbeatMs = 30'000;
// The most games one answer to ZC_list holds.
inline constexpr std::size_t kMaxListedGames = 500;

enum class Visibility { Invite, Public };
inline constexpr std::array<std::pair<Visibility, std::string_view>, 2> kVisibilityNames{
    {{Visibility::Invite, "invite"}, {Visibility::Public, "public"}}};

enum class Reach { Unknown, Direct, Relay };
inline constexpr std::array<std::pair<Reach, std::string_view>, 3> kReachNames{
    {{Reach::Unknown, "unknown"}, {Reach::Direct, "direct"}, {Reach::Relay, "relay"}}};

inline constexpr std::array<std::pair<GameAdvert::State, std::string_view>, 3> kStateNames{
    {{GameAdvert::State::Wait, "wait"},
     {GameAdvert::State::Play, "play"},
     {GameAdvert::State::Over, "over"}}};

// The facts of a game as its LAN announcement has them, in the order every
// message carries them; the host player's name goes last (rest), empty
// unless the host shares it.
inline void gameFacts(auto& c, auto& a)
{
    c.number(a.seated).number(a.free).number(a.spies).choice(a.state, kStateNames, GameAdvert::State::Wait,
                                                             msg::Extent::Field);
    c.number(a.round);
}

struct Register {
    static constexpr std::string_view command = "ZC_register";
    int protocol = kProtocol;
    std::string version;
    std::string secret; // 32 hex digits, kept by the host so that its code stays
    // What the probe will say: the host chooses it, so it knows the probe
    // even when the probe comes before the answer to this.
    std::string nonce;
    Visibility visibility = Visibility::Invite;
    int port = 0; // the port outside reaches it on: the mapped one, else the one listened on
    GameAdvert facts;
    static void fields(auto& c, auto& m)
    {
        c.number(m.protocol).text(m.version).text(m.secret).text(m.nonce);
        c.choice(m.visibility, kVisibilityNames, Visibility::Invite, msg::Extent::Field).number(m.port);
        gameFacts(c, m.facts);
        c.rest(m.facts.hostPlayer);
    }
    friend bool operator==(const Register&, const Register&) = default;
};

struct Update {
    static constexpr std::string_view command = "ZC_update";
    int port = 0;
    GameAdvert facts;
    static void fields(auto& c, auto& m)
    {
        c.number(m.port);
        gameFacts(c, m.facts);
        c.rest(m.facts.hostPlayer);
    }
    friend bool operator==(const Update&, const Update&) = default;
};

struct Registered {
    static constexpr std::string_view command = "ZC_registered";
    std::string code;
    static void fields(auto& c, auto& m) { c.text(m.code); }
    friend bool operator==(const Registered&, const Registered&) = default;
};

struct ReachFound {
    static constexpr std::string_view command = "ZC_reach";
    Reach reach = Reach::Unknown;
    static void fields(auto& c, auto& m)
    {
        c.choice(m.reach, kReachNames, Reach::Unknown, msg::Extent::Field);
    }
    friend bool operator==(const ReachFound&, const ReachFound&) = default;
};

// A relay's address, port and a ticket: ZC_connect to the host, ZC_relay to the joiner.
struct RelayWay {
    std::string address;
    int port = 0;
    std::string ticket;
    static void fields(auto& c, auto& m) { c.text(m.address).number(m.port).text(m.ticket); }
    friend bool operator==(const RelayWay&, const RelayWay&) = default;
};
struct Connect : RelayWay {
    static constexpr std::string_view command = "ZC_connect";
    friend bool operator==(const Connect&, const Connect&) = default;
};
struct RelayAnswer : RelayWay {
    static constexpr std::string_view command = "ZC_relay";
    friend bool operator==(const RelayAnswer&, const RelayAnswer&) = default;
};

struct Refused {
    static constexpr std::string_view command = "ZC_refused";
    std::string reason;
    static void fields(auto& c, auto& m) { c.rest(m.reason); }
    friend bool operator==(const Refused&, const Refused&) = default;
};

struct Resolve {
    static constexpr std::string_view command = "ZC_resolve";
    int protocol = kProtocol;
    std::string code;
    static void fields(auto& c, auto& m) { c.number(m.protocol).text(m.code); }
    friend bool operator==(const Resolve&, const Resolve&) = default;
};

struct List {
    static constexpr std::string_view command = "ZC_list";
    int protocol = kProtocol;
    static void fields(auto& c, auto& m) { c.number(m.protocol); }
    friend bool operator==(const List&, const List&) = default;
};

struct Direct {
    static constexpr std::string_view command = "ZC_direct";
    std::string address;
    int port = 0;
    static void fields(auto& c, auto& m) { c.text(m.address).number(m.port); }
    friend bool operator==(const Direct&, const Direct&) = default;
};

struct Game {
    static constexpr std::string_view command = "ZC_game";
    std::string code;
    std::string version;
    GameAdvert facts;
    static void fields(auto& c, auto& m)
    {
        c.text(m.code).text(m.version);
        gameFacts(c, m.facts);
        c.rest(m.facts.hostPlayer);
    }
    friend bool operator==(const Game&, const Game&) = default;
};

struct ListEnd {
    static constexpr std::string_view command = "ZC_listend";
    int count = 0;
    static void fields(auto& c, auto& m) { c.number(m.count); }
    friend bool operator==(const ListEnd&, const ListEnd&) = default;
};

struct Unknown {
    static constexpr std::string_view command = "ZC_unknown";
    static void fields(auto& c, auto&) { c.separator(); }
    friend bool operator==(const Unknown&, const Unknown&) = default;
};

struct Busy {
    static constexpr std::string_view command = "ZC_busy";
    static void fields(auto& c, auto&) { c.separator(); }
    friend bool operator==(const Busy&, const Busy&) = default;
};

// A data connection's ticket: ZC_open from the host, ZC_join from the joiner.
struct TicketLine {
    int protocol = kProtocol;
    std::string ticket;
    static void fields(auto& c, auto& m) { c.number(m.protocol).text(m.ticket); }
    friend bool operator==(const TicketLine&, const TicketLine&) = default;
};
struct Open : TicketLine {
    static constexpr std::string_view command = "ZC_open";
    friend bool operator==(const Open&, const Open&) = default;
};
struct Join : TicketLine {
    static constexpr std::string_view command = "ZC_join";
    friend bool operator==(const Join&, const Join&) = default;
};

struct Paired {
    static constexpr std::string_view command = "ZC_paired";
    std::string joinerAddress; // empty in the joiner's copy
    static void fields(auto& c, auto& m) { c.text(m.joinerAddress); }
    friend bool operator==(const Paired&, const Paired&) = default;
};

struct NonceLine {
    std::string nonce;
    static void fields(auto& c, auto& m) { c.text(m.nonce); }
    friend bool operator==(const NonceLine&, const NonceLine&) = default;
};
struct Probe : NonceLine {
    static constexpr std::string_view command = "ZC_probe";
    friend bool operator==(const Probe&, const Probe&) = default;
};
struct Probed : NonceLine {
    static constexpr std::string_view command = "ZC_probed";
    friend bool operator==(const Probed&, const Probed&) = default;
};

// What the coordinator takes on a connection, whatever it turns out to be:
// its first message says (a host's register, a joiner's look-up, a data
// connection's ticket); a host's control connection then sends updates.
using ToCoordinator = msg::MessageList<Register, Update, Resolve, List, Open, Join>;
// What a host takes on its control connection.
using CoordinatorToHost = msg::MessageList<Registered, ReachFound, Connect, Refused>;
// What a joiner takes on its look-up connection.
using CoordinatorToJoiner = msg::MessageList<Direct, RelayAnswer, Game, ListEnd, Unknown, Busy, Refused>;
// What either end of a data connection takes from the relay before the game's bytes.
using RelayToPeer = msg::MessageList<Paired, Refused>;
// The probe's question and answer.
using ProbeLines = msg::MessageList<Probe, Probed>;

} // namespace zk::coord
