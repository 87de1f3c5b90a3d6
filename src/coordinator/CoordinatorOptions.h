// The command line of the coordinator, zonkards-coordinator:
//
//     zonkards-coordinator --listen ADDRESS:PORT --cert FILE --key FILE
//                          [--relay-ports FIRST-LAST] [--relay-address HOST]
//                          [--relay HOST:PORT] [--relay-only] [--relay-key FILE]
//                          [--max-per-address N] [--always-relay] [--relay-budget KIB]
//                          [--redis URL [--redis-ca FILE]] [--metrics ADDRESS:PORT] [--log]
//
//     CoordinatorOptions o = parseCoordinatorOptions(args);
//     if (o.action == CoordinatorOptions::Action::Usage) { print(o.error); exit 2; }
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zk::coord {

inline constexpr int kDefaultCoordinatorPort = 7780;

struct CoordinatorOptions {
    enum class Action { Run, Help, Version, Usage };
    Action action = Action::Run;
    std::string listenHost = "0.0.0.0";
    int listenPort = kDefaultCoordinatorPort;
    std::string certFile;
    std::string keyFile;
    std::optional<std::pair<int, int>> relayPorts;
    std::string relayAddress; // the relay as games are told of it; empty: where they reached us
    std::string relayHost;    // --relay: a relay in another process
    int relayPort = 0;
    bool relayOnly = false;
    bool alwaysRelay = false;
    std::string relayKeyFile;
    int maxPerAddress = 64;
    int relayKibPerSecond = 64; // what each relayed connection may send a second
    std::string redisUrl;       // the store shared with other coordinators; empty: in memory
    std::string redisCaFile;    // the CA to check a rediss:// server against; empty: the system's
    std::string metricsHost;    // where the metrics are served; port 0: nowhere
    int metricsPort = 0;
    bool log = false; // one key=value line per event on standard error
    std::string error;
};

CoordinatorOptions parseCoordinatorOptions(const std::vector<std::string>& args);
std::string coordinatorUsage();

} // namespace zk::coord
