// What a hosting game tells the local network about itself, and how a table
// reads it back: the DNS-SD service type, the TXT record (RFC 6763: short
// "key=value" items, txtvers first), the visible instance name, and the
// texts the host-or-join dialog shows for a found game.
//
//     GameAdvert a{.version = "1.0.2", .seated = 2, .free = 4};
//     std::vector<std::string> txt = toTxt(a);  // txtvers=1 v=1.0.2 seated=2 ...
//     GameAdvert b = fromTxt(txt);              // == a
//
// Nothing read from the network is trusted: unknown keys are ignored, keys
// are read without regard to case and only a key's first occurrence counts
// (RFC 6763 6.4), numbers are clamped to what a table can hold, texts are
// cut and lose their control characters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "game/Game.h"

namespace zk {

// The service type and the port a game listens on unless told otherwise.
inline constexpr std::string_view kGameServiceType = "_zonkards._tcp";
inline constexpr int kTxtLayout = 1;                 // the txtvers this code writes
inline constexpr std::size_t kMaxInstanceBytes = 63; // a DNS label
inline constexpr std::size_t kMaxTxtText = 40;       // longest version or name kept from a TXT

struct GameAdvert {
    enum class State { Wait, Play, Over };
    std::string version;   // the host's version text
    int seated = 0;        // playing seats (1-6) taken by a connection
    int free = kSeatCount; // playing seats open
    int spies = 0;         // watching slots (7-9) in use
    State state = State::Wait;
    int round = 0;          // 1-7 while State::Play, else 0
    std::string hostPlayer; // UTF-8; empty unless the host shares names

    bool operator==(const GameAdvert&) const = default;
};

std::vector<std::string> toTxt(const GameAdvert& advert);
GameAdvert fromTxt(const std::vector<std::string>& items);
// The advert as fromTxt would keep it: numbers within what a table holds,
// seats adding up, texts cut and without control characters. For facts
// that came another way than a TXT record (the coordinator's wire).
GameAdvert boundedAdvert(GameAdvert advert);

// "Zonkards on <machine>", or "<player>'s game on <machine>" when the host
// shares its player's name, with " (port N)" when N is not defaultPort; cut
// to kMaxInstanceBytes at a character boundary, the port kept. UTF-8.
std::string gameInstanceName(std::string_view machine, std::string_view player, int port, int defaultPort);

// One game found on the network, as the dialog lists it.
struct FoundGame {
    std::string instance; // the visible name (UTF-8)
    std::string address;  // dotted IPv4, of the same resolution as the port
    int port = 0;
    GameAdvert advert;
    bool local = false; // published by this machine

    bool operator==(const FoundGame&) const = default;
};

// An instance name as the dialog shows it: each control character (a
// hostile record's line breaks, escapes, bells) becomes U+FFFD. UTF-8.
std::string visibleName(std::string_view instance);
// "2 of 6 seated", "2 of 6 seated, 1 watching".
std::string describePlayers(const GameAdvert& advert);
// "waiting", "round 3 of 7", "over".
std::string describeState(const GameAdvert& advert);
// Why a table of version ownVersion cannot join the game, or empty: another
// version (the host refuses it at login), or every slot taken.
std::string joinRefusal(const FoundGame& game, std::string_view ownVersion);

} // namespace zk
