#include "host/qt/PortMapping.h"

#include <arpa/inet.h>
#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>
#include <natpmp.h>
#include <poll.h>

#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "game/DebugLog.h"

namespace zk {

bool portMappingEnabled(const std::optional<std::string>& setting)
{
    if (qEnvironmentVariable(kPortMappingVariable).trimmed() == QLatin1String("0"))
        return false;
    return !setting || QString::fromStdString(*setting).trimmed() != QLatin1String("0");
}

namespace {

using Clock = std::chrono::steady_clock;

// How long UPnP discovery listens for routers after its last answer.
constexpr int kDiscoverMs = 1500;
// How long one NAT-PMP request waits for its answer, retries included
// (libnatpmp's own retries would go on for two minutes).
constexpr auto kNatpmpWait = std::chrono::milliseconds(2000);
// External ports tried when the router has the game's own port in use:
// the port itself and the next few.
constexpr int kPortsTried = 5;
constexpr const char* kDescription = "Zonkards";
constexpr const char* kUpnp = "UPnP IGD";
constexpr const char* kNatpmp = "NAT-PMP";
// UPnP errors: the port is mapped to someone else, or the router only
// keeps permanent mappings.
constexpr int kUpnpConflict = 718;
constexpr int kUpnpOnlyPermanent = 725;
constexpr int kUpnpNoPortsLeft = 728;
constexpr const char* kMappingNoListener = "The game has no port to map";

void note(const std::string& line)
{
    debugLog("port mapping: " + line);
}

} // namespace

// What one round with the router came to.
struct PortMapper::Result {
    bool ok = false;
    std::string why; // when not ok
    std::string method;
    std::string address; // empty: the router did not tell
    int port = 0;
    int lease = 0; // seconds; 0: permanent, never renewed
};

// Talks to the router; every call blocks (each for a bounded time) and runs
// on the worker thread only. Holds at most one mapping.
class PortMapper::Router {
public:
    Router() = default;
    Router(const Router&) = delete;
    Router& operator=(const Router&) = delete;
    ~Router() { forgetIgd(); }

    Result map(int internalPort, int leaseSeconds)
    {
        remove();
        Result upnp = mapUpnp(internalPort, leaseSeconds);
        if (upnp.ok)
            return upnp;
        Result natpmp = mapNatpmp(internalPort, internalPort, leaseSeconds);
        if (natpmp.ok)
            return natpmp;
        // The more telling reason: a router that answered and refused.
        if (natpmp.why == kMappingNoRouter)
            return upnp;
        return natpmp;
    }

    Result renew()
    {
        Result r;
        if (held_ == Held::Upnp) {
            const int error = addUpnp(external_, internal_, lease_);
            if (error == 0)
                r = mappedResult(kUpnp);
            else
                note("UPnP renewal failed: " + upnpError(error));
        } else if (held_ == Held::Natpmp) {
            r = mapNatpmp(internal_, external_, lease_);
        }
        if (!r.ok) {
            held_ = Held::None;
            forgetIgd();
            r.why = kMappingRenewFailed;
        }
        return r;
    }

    void remove()
    {
        if (held_ == Held::Upnp) {
            const std::string ext = std::to_string(external_);
            const int error =
                UPNP_DeletePortMapping(urls_.controlURL, igd_.first.servicetype, ext.c_str(), "TCP", nullptr);
            note(error == 0 ? "UPnP mapping of port " + ext + " removed"
                            : "UPnP removal of port " + ext + " failed: " + upnpError(error));
        } else if (held_ == Held::Natpmp) {
            natpmpresp_t answer{};
            const int error = natpmpAsk(
                [&](natpmp_t* n) {
                    return sendnewportmappingrequest(n, NATPMP_PROTOCOL_TCP, static_cast<uint16_t>(internal_),
                                                     static_cast<uint16_t>(external_), 0);
                },
                &answer);
            note(error == 0 ? "NAT-PMP mapping removed" : "NAT-PMP removal failed: " + std::to_string(error));
        }
        held_ = Held::None;
        forgetIgd();
    }

private:
    enum class Held { None, Upnp, Natpmp };

    Result mapUpnp(int internalPort, int leaseSeconds)
    {
        Result r;
        r.why = kMappingNoRouter;
        // All the search types at once, one wait for the answers.
        const char* const types[] = {"urn:schemas-upnp-org:device:InternetGatewayDevice:1",
                                     "urn:schemas-upnp-org:service:WANIPConnection:1",
                                     "urn:schemas-upnp-org:service:WANPPPConnection:1", nullptr};
        int error = 0;
        UPNPDev* devices =
            upnpDiscoverDevices(types, kDiscoverMs, nullptr, nullptr, UPNP_LOCAL_PORT_ANY, 0, 2, &error, 1);
        if (!devices) {
            note("no UPnP device answered (discovery " + std::to_string(error) + ")");
            return r;
        }
        const int found = UPNP_GetValidIGD(devices, &urls_, &igd_, lanAddress_, sizeof lanAddress_);
        freeUPNPDevlist(devices);
        if (found == 0)
            return r;
        haveIgd_ = true;
        if (found == 3) {
            note("UPnP devices answered, none is an Internet gateway");
            forgetIgd();
            return r;
        }
        char address[40] = "";
        if (UPNP_GetExternalIPAddress(urls_.controlURL, igd_.first.servicetype, address) != 0)
            address[0] = '\0';
        r.why = kMappingRefused;
        int lease = leaseSeconds;
        for (int i = 0; i < kPortsTried && internalPort + i <= 65535; ++i) {
            const int external = internalPort + i;
            int error2 = addUpnp(external, internalPort, lease);
            if (error2 == kUpnpOnlyPermanent && lease != 0) {
                lease = 0;
                error2 = addUpnp(external, internalPort, lease);
            }
            if (error2 == 0) {
                held_ = Held::Upnp;
                internal_ = internalPort;
                external_ = external;
                lease_ = lease;
                address_ = address == std::string("0.0.0.0") ? std::string() : std::string(address);
                return mappedResult(kUpnp);
            }
            note("UPnP mapping of port " + std::to_string(external) + " refused: " + upnpError(error2));
            if (error2 != kUpnpConflict && error2 != kUpnpNoPortsLeft)
                break;
            r.why = kMappingNoPort;
        }
        forgetIgd();
        return r;
    }

    int addUpnp(int external, int internal, int lease)
    {
        const std::string ext = std::to_string(external);
        const std::string in = std::to_string(internal);
        const std::string leaseText = std::to_string(lease);
        return UPNP_AddPortMapping(urls_.controlURL, igd_.first.servicetype, ext.c_str(), in.c_str(),
                                   lanAddress_, kDescription, "TCP", nullptr, leaseText.c_str());
    }

    // Maps internalPort, asking for publicPort, for leaseSeconds.
    Result mapNatpmp(int internalPort, int publicPort, int leaseSeconds)
    {
        Result r;
        r.why = kMappingNoRouter;
        natpmpresp_t answer{};
        int error = natpmpAsk([](natpmp_t* n) { return sendpublicaddressrequest(n); }, &answer);
        if (error != 0) {
            note("no NAT-PMP answer to the address request (" + std::to_string(error) + ")");
            return r;
        }
        char address[INET_ADDRSTRLEN] = "";
        inet_ntop(AF_INET, &answer.pnu.publicaddress.addr, address, sizeof address);
        error = natpmpAsk(
            [&](natpmp_t* n) {
                return sendnewportmappingrequest(n, NATPMP_PROTOCOL_TCP, static_cast<uint16_t>(internalPort),
                                                 static_cast<uint16_t>(publicPort),
                                                 static_cast<uint32_t>(leaseSeconds));
            },
            &answer);
        if (error != 0 || answer.type != NATPMP_RESPTYPE_TCPPORTMAPPING) {
            note("NAT-PMP mapping refused (" + std::to_string(error) + ")");
            r.why = error == NATPMP_ERR_OUTOFRESOURCES ? kMappingNoPort : kMappingRefused;
            return r;
        }
        held_ = Held::Natpmp;
        internal_ = internalPort;
        external_ = answer.pnu.newportmapping.mappedpublicport;
        lease_ = static_cast<int>(std::min<uint32_t>(answer.pnu.newportmapping.lifetime, 86400 * 7));
        address_ = address == std::string("0.0.0.0") ? std::string() : std::string(address);
        return mappedResult(kNatpmp);
    }

    // One NAT-PMP request to the default gateway and its answer: 0 and
    // *answer, or libnatpmp's error (NATPMP_TRYAGAIN: no answer in time).
    template <typename Send>
    static int natpmpAsk(Send send, natpmpresp_t* answer)
    {
        natpmp_t n{};
        if (const int r = initnatpmp(&n, 0, 0); r < 0)
            return r;
        int r = send(&n);
        const auto deadline = Clock::now() + kNatpmpWait;
        while (r >= 0) {
            // Wait for the answer until libnatpmp's next retry is due, or
            // our deadline comes.
            timeval tv{};
            r = getnatpmprequesttimeout(&n, &tv);
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (r < 0 || left <= 0) {
                r = r < 0 ? r : NATPMP_TRYAGAIN;
                break;
            }
            const long long retry = std::max<long long>(0, tv.tv_sec * 1000LL + tv.tv_usec / 1000);
            pollfd fd{n.s, POLLIN, 0};
            ::poll(&fd, 1, static_cast<int>(std::min<long long>(retry, left)) + 1);
            r = readnatpmpresponseorretry(&n, answer);
            if (r != NATPMP_TRYAGAIN)
                break;
            r = 0;
        }
        closenatpmp(&n);
        return r;
    }

    Result mappedResult(const char* method) const
    {
        Result r;
        r.ok = true;
        r.method = method;
        r.address = address_;
        r.port = external_;
        r.lease = lease_;
        return r;
    }

    static std::string upnpError(int error)
    {
        const char* text = strupnperror(error);
        return std::to_string(error) + (text ? std::string(" ") + text : std::string());
    }

    void forgetIgd()
    {
        if (haveIgd_)
            FreeUPNPUrls(&urls_);
        haveIgd_ = false;
        urls_ = {};
        igd_ = {};
    }

    Held held_ = Held::None;
    int internal_ = 0;
    int external_ = 0;
    int lease_ = 0;
    std::string address_;
    bool haveIgd_ = false;
    UPNPUrls urls_{};
    IGDdatas igd_{};
    char lanAddress_[64] = "";
};

// What the UI thread and the worker share. The worker keeps it alive while
// it runs, so a worker left to finish after the PortMapper is gone still
// has its queue and its router.
struct PortMapper::Shared {
    std::mutex mutex;
    std::condition_variable wake;  // a job, or closing
    std::condition_variable ended; // done
    std::deque<std::function<void()>> jobs;
    bool closing = false;
    bool done = false;
    // Answers go to it as queued calls; null once it is being destroyed.
    // A call queued before that is dropped with its receiver.
    PortMapper* owner = nullptr;
    Router router; // the worker's only

    void reply(std::function<void(PortMapper&)> answer)
    {
        std::lock_guard lock(mutex);
        if (owner) {
            QMetaObject::invokeMethod(
                owner, [o = owner, a = std::move(answer)] { a(*o); }, Qt::QueuedConnection);
        }
    }

    static void run(const std::shared_ptr<Shared>& s)
    {
        std::unique_lock lock(s->mutex);
        for (;;) {
            s->wake.wait(lock, [&] { return !s->jobs.empty() || s->closing; });
            if (s->jobs.empty())
                break;
            std::function<void()> job = std::move(s->jobs.front());
            s->jobs.pop_front();
            lock.unlock();
            job();
            lock.lock();
        }
        s->done = true;
        s->ended.notify_all();
    }
};

PortMapper::PortMapper(QObject* parent) : QObject(parent), shared_(std::make_shared<Shared>())
{
    shared_->owner = this;
    renewTimer_.setSingleShot(true);
    connect(&renewTimer_, &QTimer::timeout, this, &PortMapper::renew);
}

PortMapper::~PortMapper()
{
    Shared& s = *shared_;
    std::unique_lock lock(s.mutex);
    s.owner = nullptr;
    if (!worker_.joinable())
        return;
    s.jobs.clear();
    s.jobs.push_back([&r = s.router] { r.remove(); });
    s.closing = true;
    s.wake.notify_all();
    const bool done =
        s.ended.wait_for(lock, std::chrono::milliseconds(kRemoveWaitMs), [&] { return s.done; });
    lock.unlock();
    if (done) {
        worker_.join();
    } else {
        note("the router did not answer in time; the removal goes on without us");
        worker_.detach();
    }
}

void PortMapper::setLeaseSeconds(int seconds)
{
    // 0 would ask a NAT-PMP router to delete the mapping.
    leaseSeconds_ = std::max(1, seconds);
}

void PortMapper::post(std::function<void()> job)
{
    std::lock_guard lock(shared_->mutex);
    shared_->jobs.push_back(std::move(job));
    shared_->wake.notify_all();
    if (!worker_.joinable())
        worker_ = std::thread(&Shared::run, shared_);
}

void PortMapper::start(int internalPort)
{
    stop();
    const unsigned generation = generation_;
    const bool portOk = internalPort > 0 && internalPort <= 65535;
    if (!portMappingEnabled(std::nullopt) || !portOk) {
        const QString why = QString::fromLatin1(portOk ? kMappingTurnedOff : kMappingNoListener);
        QTimer::singleShot(0, this, [this, generation, why] {
            if (generation == generation_)
                emit unavailable(why);
        });
        return;
    }
    Shared* s = shared_.get();
    const int lease = leaseSeconds_;
    post([s, internalPort, lease, generation] {
        const auto began = Clock::now();
        Result r = s->router.map(internalPort, lease);
        note((r.ok ? "mapped by " + r.method + " to " + r.address + ":" + std::to_string(r.port) : r.why) +
             " after " +
             std::to_string(
                 std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - began).count()) +
             " ms");
        s->reply([r, generation](PortMapper& self) {
            if (generation == self.generation_)
                self.finished(r, false);
        });
    });
}

void PortMapper::renew()
{
    const unsigned generation = generation_;
    Shared* s = shared_.get();
    post([s, generation] {
        Result r = s->router.renew();
        s->reply([r, generation](PortMapper& self) {
            if (generation == self.generation_)
                self.finished(r, true);
        });
    });
}

void PortMapper::stop()
{
    ++generation_;
    renewTimer_.stop();
    active_ = false;
    externalAddress_.clear();
    externalPort_ = 0;
    method_.clear();
    if (!worker_.joinable())
        return;
    // Jobs not begun are dropped; the removal takes whatever the worker holds.
    std::lock_guard lock(shared_->mutex);
    shared_->jobs.clear();
    shared_->jobs.push_back([s = shared_.get()] { s->router.remove(); });
    shared_->wake.notify_all();
}

void PortMapper::finished(const Result& r, bool renewal)
{
    if (!r.ok) {
        stop();
        const QString why = QString::fromStdString(r.why);
        if (renewal)
            emit lost(why);
        else
            emit unavailable(why);
        return;
    }
    const QString address = QString::fromStdString(r.address);
    const bool moved = !active_ || address != externalAddress_ || r.port != externalPort_;
    active_ = true;
    externalAddress_ = address;
    externalPort_ = r.port;
    method_ = QString::fromStdString(r.method);
    if (r.lease > 0)
        renewTimer_.start(std::chrono::seconds(std::max(1, r.lease / 2)));
    if (moved)
        emit mapped(externalAddress_, externalPort_, method_);
}

} // namespace zk
