// The command line of the headless host, zonkards-host:
//
//     zonkards-host [--port PORT] [--bot-speed MS] [--seat-hold SECONDS]
//                   [--turn-clock SECONDS] [--no-announce]
//                   [--invite | --public] [--secret-file FILE] [--no-port-mapping]
//
//     HostOptions o = parseHostOptions({"--port", "0"}, gamePort());
//     if (o.action == HostOptions::Action::Usage) { print(o.error); exit 2; }
#pragma once

#include <string>

#include "game/Timing.h"
#include <vector>

namespace zk {

struct HostOptions {
    enum class Action { Run, Help, Version, Usage };
    Action action = Action::Run;
    int port = 0; // 0: any free port
    int botSpeedMs = 650;
    int seatHoldSeconds = kDefaultSeatHoldSeconds;
    int turnClockSeconds = kDefaultTurnClockSeconds; // 0: no clock
    bool announce = true;                            // announce the game on the local network
    // Registered with the coordinator for friends (an invite code) or for everyone.
    enum class Internet { None, Invite, Public };
    Internet internet = Internet::None;
    std::string secretFile; // empty: the default place
    bool portMapping = true;
    std::string error; // what was wrong, for Action::Usage
};

inline constexpr int kMaxBotSpeedMs = 60000;
inline constexpr int kMaxHostSeconds = 86400; // the longest seat hold or turn clock

// Reads the arguments after the program name. defaultPort is the port used
// without --port (the game port, or ZONKARDS_PORT).
HostOptions parseHostOptions(const std::vector<std::string>& args, int defaultPort);

// The usage text (ends with a newline).
std::string hostUsage();

} // namespace zk
