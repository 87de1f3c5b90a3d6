#include "coordinator/CoordinatorOptions.h"

#include "protocol/FieldCodec.h"
#include "protocol/Port.h"

namespace zk::coord {

CoordinatorOptions parseCoordinatorOptions(const std::vector<std::string>& args)
{
    CoordinatorOptions o;
    auto usage = [&o](std::string why) {
        o.action = CoordinatorOptions::Action::Usage;
        o.error = std::move(why);
        return o;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.action = CoordinatorOptions::Action::Help;
            return o;
        }
        if (a == "--version") {
            o.action = CoordinatorOptions::Action::Version;
            return o;
        }
        if (a == "--relay-only") {
            o.relayOnly = true;
            continue;
        }
        if (a == "--always-relay") {
            o.alwaysRelay = true;
            continue;
        }
        if (a == "--log") {
            o.log = true;
            continue;
        }
        const bool takesValue = a == "--listen" || a == "--cert" || a == "--key" || a == "--relay-ports" ||
                                a == "--relay-address" || a == "--relay" || a == "--relay-key" ||
                                a == "--max-per-address" || a == "--relay-budget" || a == "--redis" ||
                                a == "--redis-ca" || a == "--metrics";
        if (!takesValue)
            return usage("unknown option " + a);
        if (i + 1 >= args.size())
            return usage(a + " needs a value");
        const std::string& v = args[++i];
        if (a == "--metrics") {
            const auto hp = splitHostPort(v);
            if (!hp || hp->port == 0)
                return usage(a + " needs ADDRESS:PORT, not " + v);
            o.metricsHost = hp->host;
            o.metricsPort = hp->port;
        } else if (a == "--listen" || a == "--relay") {
            const auto hp = splitHostPort(v);
            if (!hp || hp->port == 0)
                return usage(a + " needs ADDRESS:PORT, not " + v);
            (a == "--listen" ? o.listenHost : o.relayHost) = hp->host;
            (a == "--listen" ? o.listenPort : o.relayPort) = hp->port;
        } else if (a == "--cert") {
            o.certFile = v;
        } else if (a == "--key") {
            o.keyFile = v;
        } else if (a == "--relay-key") {
            o.relayKeyFile = v;
        } else if (a == "--relay-address") {
            o.relayAddress = v;
        } else if (a == "--redis") {
            o.redisUrl = v;
        } else if (a == "--redis-ca") {
            o.redisCaFile = v;
        } else if (a == "--relay-ports") {
            const auto dash = v.find('-');
            const auto first = parseDecimal(v.substr(0, dash));
            const auto last = dash == std::string::npos ? first : parseDecimal(v.substr(dash + 1));
            if (!first || !last || *first < 1 || *last > 65535 || *first > *last)
                return usage("--relay-ports needs FIRST-LAST within 1-65535, not " + v);
            o.relayPorts = std::pair{*first, *last};
        } else if (a == "--relay-budget") {
            const auto n = parseDecimal(v);
            if (!n || *n < 1 || *n > 1048576)
                return usage("--relay-budget needs KiB a second from 1 to 1048576, not " + v);
            o.relayKibPerSecond = *n;
        } else if (a == "--max-per-address") {
            const auto n = parseDecimal(v);
            if (!n || *n < 1 || *n > 100000)
                return usage("--max-per-address needs a number from 1 to 100000, not " + v);
            o.maxPerAddress = *n;
        }
    }
    if (o.certFile.empty() || o.keyFile.empty())
        return usage("--cert and --key are needed: the coordinator speaks only TLS");
    if (o.relayOnly && o.relayKeyFile.empty())
        return usage("--relay-only needs --relay-key, the key its coordinator signs tickets with");
    if (!o.relayHost.empty() && o.relayKeyFile.empty())
        return usage("--relay needs --relay-key, the key that relay checks tickets with");
    return o;
}

std::string coordinatorUsage()
{
    return "usage: zonkards-coordinator --listen ADDRESS:PORT --cert FILE --key FILE\n"
           "                            [--relay-ports FIRST-LAST] [--relay-address HOST]\n"
           "                            [--relay HOST:PORT --relay-key FILE] [--relay-only --relay-key "
           "FILE]\n"
           "                            [--max-per-address N] [--always-relay] [--relay-budget KIB]\n"
           "                            [--redis URL [--redis-ca FILE]] [--metrics ADDRESS:PORT] [--log]\n"
           "  --listen ADDRESS:PORT   where games reach the coordinator (default 0.0.0.0:7780)\n"
           "  --cert FILE, --key FILE the TLS certificate (PEM, chain allowed) and its key\n"
           "  --relay-ports RANGE     the relay listens on the first free port of RANGE\n"
           "                          (default: the listening port)\n"
           "  --relay-address HOST    the relay's address as games are told it\n"
           "                          (default: the address they reached the coordinator at)\n"
           "  --relay HOST:PORT       send joiners to a relay run alone elsewhere\n"
           "  --relay-only            run as a relay alone, for a coordinator elsewhere\n"
           "  --relay-key FILE        the secret shared with relays elsewhere (32 bytes or more)\n"
           "  --max-per-address N     open connections allowed from one address (default 64)\n"
           "  --always-relay          send every joiner through the relay, so that no joiner\n"
           "                          learns a host's address\n"
           "  --relay-budget KIB      KiB a second each relayed connection may send, with\n"
           "                          bursts of eight times that (default 64)\n"
           "  --redis URL             share games, codes, tickets and budgets with the other\n"
           "                          coordinators and relays of this Redis\n"
           "                          (redis://[[USER]:PASSWORD@]HOST[:PORT][/DB], rediss:// for TLS)\n"
           "  --redis-ca FILE         the CA that a rediss:// server's certificate is checked\n"
           "                          against (default: the system's)\n"
           "  --metrics ADDRESS:PORT  serve the metrics there, in Prometheus's text format over\n"
           "                          plain HTTP (give it a local address)\n"
           "  --log                   one line per event (key=value) on standard error\n";
}

} // namespace zk::coord
