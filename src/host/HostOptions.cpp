#include "host/HostOptions.h"

#include "game/Timing.h"
#include "protocol/Commands.h"
#include "protocol/FieldCodec.h"

namespace zk {

std::string hostUsage()
{
    return "usage: zonkards-host [--port PORT] [--bot-speed MS] [--seat-hold SECONDS] [--turn-clock "
           "SECONDS]\n"
           "                     [--no-announce] [--invite | --public] [--secret-file FILE] "
           "[--no-port-mapping]\n"
           "  --port PORT      TCP port to listen on (default 7772 or ZONKARDS_PORT; 0: any free port)\n"
           "  --bot-speed MS   milliseconds between computer moves and bonus rolls (1-60000, default 650)\n"
           "  --seat-hold S    keep a dropped player's seat for him this many seconds (0-86400, default "
           "300)\n"
           "  --turn-clock S   a player who does nothing on his turn this many seconds is set to just\n"
           "                   watch (0: no clock; up to 86400, default 90)\n"
           "  --no-announce    do not announce the game on the local network\n"
           "  --invite         register the game with the coordinator and print its invite code\n"
           "  --public         as --invite, and list the game for everyone on the internet\n"
           "  --secret-file F  where the secret behind the invite code is kept (made when missing);\n"
           "                   the same secret gives the same code (default: in the data directory)\n"
           "  --no-port-mapping  do not ask the router to forward the game's port\n"
           "  --help           show this text\n"
           "  --version        show the version\n";
}

HostOptions parseHostOptions(const std::vector<std::string>& args, int defaultPort)
{
    HostOptions o;
    o.port = defaultPort;
    o.botSpeedMs = kBotSpeedNormal;
    auto usage = [&o](std::string why) {
        o.action = HostOptions::Action::Usage;
        o.error = std::move(why);
        return o;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        if (arg == "--help" || arg == "-h") {
            if (hasValue)
                return usage(arg + " takes no value");
            o.action = HostOptions::Action::Help;
            continue;
        }
        if (arg == "--no-announce" || arg == "--invite" || arg == "--public" || arg == "--no-port-mapping") {
            if (hasValue)
                return usage(arg + " takes no value");
            if (arg == "--no-announce")
                o.announce = false;
            else if (arg == "--no-port-mapping")
                o.portMapping = false;
            else
                o.internet =
                    arg == "--invite" ? HostOptions::Internet::Invite : HostOptions::Internet::Public;
            continue;
        }
        if (arg == "--secret-file") {
            if (!hasValue) {
                if (i + 1 >= args.size())
                    return usage(arg + " needs a value");
                value = args[++i];
            }
            if (value.empty())
                return usage(arg + " needs a file");
            o.secretFile = value;
            continue;
        }
        if (arg == "--version") {
            if (hasValue)
                return usage(arg + " takes no value");
            if (o.action != HostOptions::Action::Help)
                o.action = HostOptions::Action::Version;
            continue;
        }
        if (arg == "--port" || arg == "--bot-speed" || arg == "--seat-hold" || arg == "--turn-clock") {
            if (!hasValue) {
                if (i + 1 >= args.size())
                    return usage(arg + " needs a value");
                value = args[++i];
            }
            const auto n = parseDecimal(value);
            if (arg == "--port") {
                if (!n || *n < 0 || *n > 65535)
                    return usage("bad port: " + value);
                o.port = *n;
            } else if (arg == "--bot-speed") {
                if (!n || *n < 1 || *n > kMaxBotSpeedMs)
                    return usage("bad bot speed: " + value);
                o.botSpeedMs = *n;
            } else {
                if (!n || *n < 0 || *n > kMaxHostSeconds)
                    return usage("bad " + arg.substr(2) + ": " + value);
                (arg == "--seat-hold" ? o.seatHoldSeconds : o.turnClockSeconds) = *n;
            }
            continue;
        }
        return usage("unknown argument: " + args[i]);
    }
    return o;
}

} // namespace zk
