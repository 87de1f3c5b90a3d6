// CoordinatorServer: the coordinator and its relay on the event loop. It owns
// the listener(s), every connection (TLS served by TlsStream), the probes
// and the byte copying of relayed pairs; what the connections say is decided by the plain cores
// (Coordinator, Relay), which it feeds and whose outbox it is.
//
//     CoordinatorServer::Setup setup;
//     setup.tls = configurationFromFiles(cert, key, &error);
//     setup.listen = {QHostAddress::Any, 7780};
//     CoordinatorServer server(setup);
//     if (!server.start(&error)) report(error);
//
// A connection's first message says what it is: ZC_open and ZC_join go to
// the relay, the rest to the coordinator; on the relay's own port (when
// --relay-ports gives one) only the relay listens. Every connection is
// bounded: its pending text (kMaxCoordMessage without a terminator), its
// messages and bytes per second, connections per address, a first message
// within 10 s. A relayed pair is copied without being read, within a byte
// budget per direction (kRelayBudget, four times what a host lets a table
// send), with reading paused while the other side has kRelayBacklog unsent,
// and closed after kRelayIdleMs without a byte.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QTimer>

class QSocketNotifier;

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "coordinator/Coordinator.h"
#include "coordinator/RedisStore.h"
#include "coordinator/Relay.h"
#include "coordinator/qt/TlsStream.h"
#include "host/PeerLimits.h"

namespace zk::coord {

inline constexpr RateBudget::Limits kControlBudget{20, 60, 4 * 1024, 16 * 1024};
inline constexpr RateBudget::Limits kRelayBudget{1e9, 1e9, 64 * 1024, 512 * 1024};
// A relay budget of KiB a second, with bursts of eight seconds' worth.
constexpr RateBudget::Limits relayBudget(int kibPerSecond)
{
    return {1e9, 1e9, kibPerSecond * 1024.0, kibPerSecond * 8 * 1024.0};
}
inline constexpr qint64 kRelayBacklog = 256 * 1024;
inline constexpr Ms kRelayIdleMs = 30 * 60 * 1000;
inline constexpr int kProbeTimeoutMs = 5000;
inline constexpr int kDefaultMaxPerAddress = 64;

// The certificate and key in PEM files as a server configuration; a null
// configuration and the reason when either cannot be read.
QSslConfiguration serverTls(const QString& certFile, const QString& keyFile, QString* error);

class CoordinatorServer : public QObject, private CoordinatorOutbox, private RelayOutbox {
    Q_OBJECT
public:
    struct Setup {
        QSslConfiguration tls;
        QHostAddress address = QHostAddress::Any;
        quint16 port = 0;
        bool coordinator = true; // false: a relay alone
        // The relay's own port, the first free one of the range; none: the listen port.
        std::optional<std::pair<quint16, quint16>> relayPorts;
        // Where games are told the relay is (default: the listening address and relay port).
        QString relayAddress;
        int relayPort = 0;    // a relay in another process; 0: this process's
        std::string relayKey; // shared with relays in other processes; empty: a random one
        int maxPerAddress = kDefaultMaxPerAddress;
        bool alwaysRelay = false; // joiners never go direct
        RateBudget::Limits relayBudget = kRelayBudget;
        // The store shared with other coordinators and relays; empty: in memory.
        std::string redisUrl;
        std::string redisCa;
        // Where the metrics are served (Prometheus's text format over plain
        // HTTP, meant for a local port); port 0: nowhere.
        QHostAddress metricsAddress = QHostAddress::LocalHost;
        quint16 metricsPort = 0;
        bool log = false; // one key=value line per event on standard error
    };
    explicit CoordinatorServer(Setup setup, QObject* parent = nullptr);
    ~CoordinatorServer() override;

    bool start(QString* error);
    quint16 port() const;
    quint16 relayPort() const;
    const Coordinator& coordinator() const { return *coordinator_; }
    const Relay& relay() const { return *relay_; }
    std::size_t connections() const { return conns_.size(); }
    quint16 metricsPort() const;
    // The metrics as Prometheus reads them.
    std::string metrics();

private:
    enum class Route { Undecided, Coordinator, Relay };
    struct Conn {
        TlsStream* stream = nullptr; // a child of the server, deleted later when gone
        Route route = Route::Undecided;
        bool relayOnly = false; // came in on the relay's own port
        std::string address;
        std::string pending;
        RateBudget budget{kControlBudget};
        int partner = 0; // a relayed pair's other half
        Ms lastByte = 0;
        bool closing = false;
    };
    void accept(int fd, bool relayOnly);
    void readable(int id);
    void copy(int from);
    void drained(int id);
    void takeMessages(int id, Conn& c, std::string_view bytes);
    void gone(int id);
    void tick();
    void watchEvents();
    void serveMetrics();
    void log(const std::string& line) const;

    // CoordinatorOutbox and RelayOutbox
    void send(int conn, std::string_view bytes) override;
    void close(int conn) override;
    void probe(int conn, const std::string& address, int port, const std::string& nonce) override;
    void pair(int hostConn, int joinerConn) override;

    Setup setup_;
    std::unique_ptr<Store> store_;
    RedisStore* redis_ = nullptr; // store_, when it is Redis
    QSocketNotifier* events_ = nullptr;
    std::unique_ptr<Coordinator> coordinator_;
    std::unique_ptr<Relay> relay_;
    std::shared_ptr<SSL_CTX> tls_;
    DescriptorListener* listener_ = nullptr;
    DescriptorListener* relayListener_ = nullptr;
    std::string chunk_; // one read's bytes
    std::unordered_map<int, Conn> conns_;
    std::unordered_map<std::string, int> perAddress_;
    int nextId_ = 0;
    QTcpServer* metricsListener_ = nullptr;
    std::uint64_t relayedBytes_ = 0;
    std::uint64_t pairsMade_ = 0;
    int trimTicks_ = 0; // ticks that still give the heap's free pages back
    QTimer ticker_;
};

} // namespace zk::coord
