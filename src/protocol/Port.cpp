#include "protocol/Port.h"

#include <cstdlib>

#include "protocol/Commands.h"
#include "protocol/FieldCodec.h"

namespace zk {

namespace {

std::optional<int> portNumber(std::string_view text)
{
    if (text.empty() || text.front() == '-')
        return std::nullopt;
    auto port = parseDecimal(text);
    if (port && *port >= 1 && *port <= 65535)
        return port;
    return std::nullopt;
}

} // namespace

int gamePort()
{
    if (const char* env = std::getenv("ZONKARDS_PORT")) {
        if (auto port = portNumber(env))
            return *port;
    }
    return kDefaultPort;
}

std::optional<HostPort> splitHostPort(std::string_view text)
{
    if (text.starts_with('[')) {
        const auto close = text.find(']');
        if (close == std::string_view::npos || close == 1)
            return std::nullopt;
        const std::string_view host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (rest.empty())
            return HostPort{std::string(host), 0};
        if (!rest.starts_with(':'))
            return std::nullopt;
        const auto port = portNumber(rest.substr(1));
        if (!port)
            return std::nullopt;
        return HostPort{std::string(host), *port};
    }
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || text.find(':', colon + 1) != std::string_view::npos) {
        // No port, or a bare IPv6 address (two colons or more).
        if (text.empty())
            return std::nullopt;
        return HostPort{std::string(text), 0};
    }
    const auto port = portNumber(text.substr(colon + 1));
    if (colon == 0 || !port)
        return std::nullopt;
    return HostPort{std::string(text.substr(0, colon)), *port};
}

std::string joinHostPort(std::string_view host, int port)
{
    const bool v6 = host.find(':') != std::string_view::npos;
    std::string text = v6 ? "[" + std::string(host) + "]" : std::string(host);
    return text + ":" + std::to_string(port);
}

} // namespace zk
