#include "Port.h"

#include <cstdlib>

#include "Commands.h"
#include "Message.h"

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
