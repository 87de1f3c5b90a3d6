// Port mapping for a hosting game: asks the home router to pass the game's
// TCP port from its internet side to this machine, so that friends on the
// internet can join. It tries UPnP IGD first (libminiupnpc), then NAT-PMP
// (libnatpmp); it renews the mapping at half its lease while it holds one,
// and removes it on stop() or when it is destroyed.
//
//     PortMapper mapper;
//     connect(&mapper, &PortMapper::mapped, ..., [](QString address, int port, QString method) { ... });
//     connect(&mapper, &PortMapper::unavailable, ..., [](QString why) { ... });
//     if (portMappingEnabled(settings.value("PortMapping")))
//         mapper.start(host.listeningPort());
//     ...
//     mapper.stop();                     // the game ends: the router forgets the port
//
// PortMapper owns one worker thread, and everything that talks to the
// router runs there: finding a router takes seconds (UPnP discovery waits
// 1.5 s for answers), and the UI thread must never wait for it. Answers come
// back as queued signals. The worker holds the router's handles and the
// mapping; the object on the UI thread holds a copy of what it may tell.
// Every failure ends in unavailable() or lost() with a reason a player can
// read; details go to the debug log (ZONKARDS_DEBUG).
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace zk {

// The environment variable and the settings key that turn port mapping off
// with "0". Tests set the variable to "0" everywhere but in the network
// namespaces that have a router of their own.
inline constexpr const char* kPortMappingVariable = "ZONKARDS_PORT_MAPPING";
inline constexpr const char* kPortMappingKey = "PortMapping";

// Why there is no mapping (unavailable), or why one was lost (lost).
inline constexpr const char* kMappingTurnedOff = "Port mapping is turned off (PortMapping=0)";
inline constexpr const char* kMappingNoRouter = "No router answered for port mapping";
inline constexpr const char* kMappingRefused = "The router refused to map the game's port";
inline constexpr const char* kMappingNoPort = "The router has no free port for the game";
inline constexpr const char* kMappingRenewFailed = "The router stopped renewing the game's port mapping";

// False when ZONKARDS_PORT_MAPPING is "0" or the setting (the settings
// file's PortMapping key, passed in) is "0".
bool portMappingEnabled(const std::optional<std::string>& setting);

class PortMapper : public QObject {
    Q_OBJECT
public:
    explicit PortMapper(QObject* parent = nullptr);
    // Removes a mapping still held; waits for the router at most
    // kRemoveWaitMs, then lets the worker finish on its own.
    ~PortMapper() override;

    static constexpr int kRemoveWaitMs = 2500;
    static constexpr int kDefaultLeaseSeconds = 3600;

    // Asks for a mapping of internalPort (TCP) and returns at once; the
    // answer is mapped() or unavailable(). A mapping held or asked for is
    // given up first. With ZONKARDS_PORT_MAPPING=0 the answer is
    // unavailable(kMappingTurnedOff) and the network hears nothing.
    void start(int internalPort);
    // Removes the mapping (in the background) and stops renewing it.
    void stop();
    // The lease asked of the router from the next start() on, in seconds
    // (renewed at half of what the router grants). A test asks for a few.
    void setLeaseSeconds(int seconds);

    bool active() const { return active_; }
    // Where the internet reaches the game; empty or 0 while not active.
    // The address is empty when the router did not tell it.
    QString externalAddress() const { return externalAddress_; }
    int externalPort() const { return externalPort_; }
    // "UPnP IGD" or "NAT-PMP"; empty while not active.
    QString method() const { return method_; }

signals:
    // The router maps the port (again after a renewal that moved it).
    void mapped(const QString& externalAddress, int externalPort, const QString& method);
    // No mapping can be made now, and why.
    void unavailable(const QString& why);
    // A renewal failed: the mapping is gone.
    void lost(const QString& why);

private:
    struct Result;
    class Router;
    struct Shared;

    void post(std::function<void()> job);
    void finished(const Result& result, bool renewal);
    void renew();

    std::shared_ptr<Shared> shared_;
    std::thread worker_; // made by the first start() that reaches the network
    QTimer renewTimer_;
    unsigned generation_ = 0; // answers to an older start() are dropped
    int leaseSeconds_ = kDefaultLeaseSeconds;
    bool active_ = false;
    QString externalAddress_;
    int externalPort_ = 0;
    QString method_;
};

} // namespace zk
