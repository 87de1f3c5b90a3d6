#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zk {

// The TCP port of the host: ZONKARDS_PORT when it holds a number from 1 to
// 65535, otherwise 7772. Host and table read it alike.
int gamePort();

// A host's address as a player types it or the command line gives it:
// "HOST" or "HOST:PORT", with an IPv6 address in brackets when a port
// follows ("[2001:db8::7]:7773"); a bare IPv6 address ("2001:db8::7") has
// no port. port is 0 when none is given: the table then uses gamePort().
//
//     splitHostPort("192.0.2.2:23456")  // {"192.0.2.2", 23456}
//     splitHostPort("game.example.org") // {"game.example.org", 0}
//     splitHostPort("host:99999")       // nullopt
struct HostPort {
    std::string host;
    int port = 0;
    bool operator==(const HostPort&) const = default;
};
// nullopt when the text has no host, or a port that is not 1 to 65535.
std::optional<HostPort> splitHostPort(std::string_view text);
// The text splitHostPort reads back: "HOST:PORT", "[IPv6]:PORT".
std::string joinHostPort(std::string_view host, int port);

} // namespace zk
