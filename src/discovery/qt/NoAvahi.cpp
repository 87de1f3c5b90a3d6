// A build without libavahi-client: no backend, so discovery says that it is
// not available (LanDiscovery.cpp).
#include "discovery/qt/LanDiscovery.h"

namespace zk {

std::unique_ptr<LanAnnouncer> makeAvahiAnnouncer()
{
    return nullptr;
}

std::unique_ptr<LanBrowser> makeAvahiBrowser()
{
    return nullptr;
}

} // namespace zk
