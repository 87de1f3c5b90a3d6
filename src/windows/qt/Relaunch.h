// Starting the game again as host or guest of a multi-player game: the
// player's choice, its checks, and the command line the lobby itself would
// use (program, name, host address, "true" to host or "false" to join).
// A game picked from the network list goes as "ADDRESS:PORT" in the host
// address, so its port reaches only the copy that joins it.
//
//     zk::HostJoinChoice choice{"Ann", "192.168.1.20", false};
//     if (QString why = zk::hostJoinProblem(choice); !why.isEmpty()) tell(why);
//     QStringList line = zk::relaunchCommandLine(program, choice);
#pragma once

#include <QString>
#include <QStringList>

#include "game/Game.h" // kLocalHostAddress, kMaxPlayerNameLength

namespace zk {

struct HostJoinChoice {
    QString name;
    QString address;
    bool host = false;
};

// The message for the player when the choice cannot be used, else empty.
// A name must be given, fit kMaxPlayerNameLength, and consist of characters
// the wire's single-byte code page holds, without control characters, the
// field separator "+", the colour separator "|" or the terminator byte.
// Joining needs an address: an IPv4 or IPv6 address or a host name,
// optionally with a port ("host:7773", "[2001:db8::7]:7773"; see
// splitHostPort). Hosting ignores the address.
QString hostJoinProblem(const HostJoinChoice& choice);

// True when every character of the text survives the trip to the wire's
// single-byte code page and back, and none is the terminator byte.
bool fitsWireCodePage(const QString& text);

// The arguments after the program: name, address, "true" or "false". Names
// and addresses are trimmed; hosting passes kLocalHostAddress when no address
// was given.
QStringList relaunchArguments(const HostJoinChoice& choice);
// The program followed by relaunchArguments().
QStringList relaunchCommandLine(const QString& program, const HostJoinChoice& choice);

} // namespace zk
