// Starting the game again as host or guest of a multi-player game: the
// player's choice, its checks, and the command line the lobby itself would
// use (program, name, host address, "true" to host or "false" to join),
// with the port of a game picked from the network list in its environment.
//
//     zk::HostJoinChoice choice{"Ann", "192.168.1.20", false};
//     if (QString why = zk::hostJoinProblem(choice); !why.isEmpty()) tell(why);
//     QStringList line = zk::relaunchCommandLine(program, choice);
#pragma once

#include <QString>
#include <QStringList>

#include "game/Game.h" // kLocalHostAddress

namespace zk {

// Longest player name accepted: the board shows names in narrow labels.
inline constexpr int kMaxPlayerNameLength = 30;

struct HostJoinChoice {
    QString name;
    QString address;
    bool host = false;
    int port = 0; // a game found on the network: its port; 0: the game's port as set
};

// The message for the player when the choice cannot be used, else empty.
// A name must be given, fit kMaxPlayerNameLength, and consist of characters
// the wire's single-byte code page holds, without control characters, the
// field separator "+", the colour separator "|" or the terminator byte.
// Joining needs an address: an IPv4 or IPv6 address or a host name. Hosting
// ignores the address.
QString hostJoinProblem(const HostJoinChoice& choice);

// True when every character of the text survives the trip to the wire's
// single-byte code page and back, and none is the terminator byte.
bool fitsWireCodePage(const QString& text);

// The arguments after the program: name, address, "true" or "false". Names
// and addresses are trimmed; hosting passes kLocalHostAddress when no address
// was given.
QStringList relaunchArguments(const HostJoinChoice& choice);
// What the new copy's environment gets on top of ours: the picked game's
// port as ZONKARDS_PORT, which the table reads when it connects. Empty for a
// typed address or for hosting, which keep the port this copy has.
QStringList relaunchEnvironment(const HostJoinChoice& choice);
// The program followed by relaunchArguments().
QStringList relaunchCommandLine(const QString& program, const HostJoinChoice& choice);

} // namespace zk
