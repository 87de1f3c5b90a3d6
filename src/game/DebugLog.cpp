#include "game/DebugLog.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace zk {

bool debugLogging()
{
    static const bool on = [] {
        const char* v = std::getenv(kDebugVariable);
        return v && *v;
    }();
    return on;
}

void debugLog(std::string_view line)
{
    if (!debugLogging())
        return;
    std::string text = "zonkards: ";
    text += line;
    text += '\n';
    std::fputs(text.c_str(), stderr);
}

} // namespace zk
