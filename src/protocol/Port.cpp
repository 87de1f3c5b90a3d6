#include "protocol/Port.h"

#include <cstdlib>

#include "protocol/Commands.h"
#include "protocol/Message.h"

namespace zk {

int gamePort()
{
    if (const char* env = std::getenv("ZONKARDS_PORT")) {
        auto port = parseDecimal(env);
        if (port && *port >= 1 && *port <= 65535)
            return *port;
    }
    return kDefaultPort;
}

} // namespace zk
