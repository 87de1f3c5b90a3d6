#include "coordinator/qt/CoordinatorServer.h"

#include <QDateTime>
#include <QFile>
#include <QSslKey>
#include <QSocketNotifier>
#include <QTcpSocket>

#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "coordinator/InviteCode.h"
#include "coordinator/MemoryStore.h"
#include "game/DebugLog.h"
#include "protocol/Commands.h"

namespace zk::coord {
namespace {

Ms wallNow()
{
    return QDateTime::currentMSecsSinceEpoch();
}

std::string randomKey()
{
    std::string key(kRelayKeyBytes, '\0');
    for (std::size_t i = 0; i < key.size(); i += 8) {
        const std::uint64_t v = strongRandom();
        for (std::size_t j = 0; j < 8 && i + j < key.size(); ++j)
            key[i + j] = static_cast<char>((v >> (8 * j)) & 0xFF);
    }
    return key;
}

RateBudget::Ms budgetNow()
{
    return std::chrono::duration_cast<RateBudget::Ms>(std::chrono::steady_clock::now().time_since_epoch());
}

bool listenOn(QTcpServer* server, const QHostAddress& address, quint16 port, QString* error)
{
    if (server->listen(address, port))
        return true;
    if (error)
        *error = QStringLiteral("cannot listen on %1 port %2: %3")
                     .arg(address.toString())
                     .arg(port)
                     .arg(server->errorString());
    return false;
}

} // namespace

QSslConfiguration serverTls(const QString& certFile, const QString& keyFile, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return QSslConfiguration();
    };
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(certFile, QSsl::Pem);
    if (chain.isEmpty())
        return fail(QStringLiteral("no certificate could be read from %1").arg(certFile));
    QFile keyIn(keyFile);
    if (!keyIn.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read the key %1: %2").arg(keyFile, keyIn.errorString()));
    const QByteArray pem = keyIn.readAll();
    QSslKey key(pem, QSsl::Rsa, QSsl::Pem);
    if (key.isNull())
        key = QSslKey(pem, QSsl::Ec, QSsl::Pem);
    if (key.isNull())
        return fail(QStringLiteral("no RSA or EC key could be read from %1").arg(keyFile));
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(chain.front());
    if (chain.size() > 1)
        tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone); // games are not asked for certificates
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    return tls;
}

CoordinatorServer::CoordinatorServer(Setup setup, QObject* parent) : QObject(parent), setup_(std::move(setup))
{
    if (setup_.relayKey.empty())
        setup_.relayKey = randomKey();
    ticker_.setInterval(1000);
    connect(&ticker_, &QTimer::timeout, this, &CoordinatorServer::tick);
}

CoordinatorServer::~CoordinatorServer()
{
    for (auto& [id, c] : conns_) {
        if (c.stream) {
            c.stream->abort();
            delete c.stream;
        }
    }
}

bool CoordinatorServer::start(QString* error)
{
    if (setup_.redisUrl.empty()) {
        store_ = std::make_unique<MemoryStore>(wallNow);
    } else {
        std::string why;
        auto redis = RedisStore::open(setup_.redisUrl, setup_.redisCa, wallNow, &why);
        if (!redis) {
            if (error)
                *error = QString::fromStdString(why);
            return false;
        }
        redis_ = redis.get();
        store_ = std::move(redis);
    }
    relay_ =
        std::make_unique<Relay>(static_cast<RelayOutbox&>(*this), setup_.relayKey, wallNow, store_.get());
    tls_ = serverContext(setup_.tls, error);
    if (!tls_)
        return false;
    chunk_.resize(kMaxReadChunk);
    // A handshake that does not end is closed with the quiet connections (tick).
    listener_ = new DescriptorListener([this](int fd) { accept(fd, false); }, this);
    if (!listenOn(listener_, setup_.address, setup_.port, error))
        return false;
    if (setup_.relayPorts) {
        relayListener_ = new DescriptorListener([this](int fd) { accept(fd, true); }, this);
        bool listening = false;
        for (quint32 p = setup_.relayPorts->first; p <= setup_.relayPorts->second && !listening; ++p)
            listening = relayListener_->listen(setup_.address, static_cast<quint16>(p));
        if (!listening) {
            if (error)
                *error = QStringLiteral("no port of %1-%2 is free for the relay")
                             .arg(setup_.relayPorts->first)
                             .arg(setup_.relayPorts->second);
            return false;
        }
    }
    if (setup_.coordinator) {
        CoordinatorConfig config;
        // An empty relay address tells a game "where you reached the coordinator".
        config.relayAddress = setup_.relayAddress.toStdString();
        config.relayPort = setup_.relayPort != 0 ? setup_.relayPort : relayPort();
        config.relayKey = setup_.relayKey;
        config.alwaysRelay = setup_.alwaysRelay;
        // Named anew each start: a host that reconnects finds its game by its code, not by us.
        config.instance = QString::number(strongRandom(), 36).toStdString();
        if (setup_.log)
            config.log = [this](const std::string& line) { log(line); };
        coordinator_ = std::make_unique<Coordinator>(static_cast<CoordinatorOutbox&>(*this),
                                                     std::move(config), wallNow, strongRandom, store_.get());
        watchEvents();
    }
    if (setup_.metricsPort != 0) {
        metricsListener_ = new QTcpServer(this);
        if (!metricsListener_->listen(setup_.metricsAddress, setup_.metricsPort)) {
            if (error)
                *error = QStringLiteral("cannot serve the metrics on %1 port %2: %3")
                             .arg(setup_.metricsAddress.toString())
                             .arg(setup_.metricsPort)
                             .arg(metricsListener_->errorString());
            return false;
        }
        connect(metricsListener_, &QTcpServer::newConnection, this, &CoordinatorServer::serveMetrics);
    }
    return true;
}

quint16 CoordinatorServer::metricsPort() const
{
    return metricsListener_ ? metricsListener_->serverPort() : 0;
}

void CoordinatorServer::log(const std::string& line) const
{
    std::fprintf(stderr, "%s\n", line.c_str());
}

std::string CoordinatorServer::metrics()
{
    std::string out;
    auto metric = [&out](const char* name, const char* type, const char* help, const std::string& samples) {
        out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n" + samples;
    };
    auto sample = [](const std::string& name, double v) {
        char text[64];
        std::snprintf(text, sizeof text, " %.17g\n", v);
        return name + text;
    };
    if (coordinator_) {
        const CoordinatorCounts& n = coordinator_->counts();
        metric("zonkards_hosts_connected", "gauge", "Hosts whose control connection this coordinator holds.",
               sample("zonkards_hosts_connected", static_cast<double>(coordinator_->hostsHere())));
        metric("zonkards_games", "gauge",
               "Games kept in the store, hosts connected or away within their grace.",
               sample("zonkards_games", static_cast<double>(coordinator_->gameCount())));
        metric("zonkards_public_games", "gauge", "Public games whose host is connected.",
               sample("zonkards_public_games", static_cast<double>(coordinator_->publicGames())));
        metric("zonkards_registrations_total", "counter", "Hosts registered here.",
               sample("zonkards_registrations_total", static_cast<double>(n.registrations)));
        metric("zonkards_joins_total", "counter", "Code look-ups answered, by the way given.",
               sample("zonkards_joins_total{way=\"direct\"}", static_cast<double>(n.joinsDirect)) +
                   sample("zonkards_joins_total{way=\"relayed\"}", static_cast<double>(n.joinsRelayed)) +
                   sample("zonkards_joins_total{way=\"failed\"}", static_cast<double>(n.joinsFailed)));
        metric("zonkards_lookups_refused_total", "counter", "Look-ups refused by an address's budget.",
               sample("zonkards_lookups_refused_total", static_cast<double>(n.lookupsRefused)));
    }
    metric("zonkards_connections", "gauge", "Open connections, control and relayed.",
           sample("zonkards_connections", static_cast<double>(conns_.size())));
    metric("zonkards_relay_pairs", "gauge", "Relayed pairs open now.",
           sample("zonkards_relay_pairs", static_cast<double>(relay_->pairs())));
    metric("zonkards_relay_pairs_total", "counter", "Relayed pairs made.",
           sample("zonkards_relay_pairs_total", static_cast<double>(pairsMade_)));
    metric("zonkards_relay_bytes_total", "counter", "Bytes copied by the relay, both ways.",
           sample("zonkards_relay_bytes_total", static_cast<double>(relayedBytes_)));
    if (redis_) {
        metric("zonkards_store_latency_ms", "gauge", "Mean time of a store command since the last scrape.",
               sample("zonkards_store_latency_ms", redis_->takeLatencyMs()));
        metric("zonkards_store_failures_total", "counter", "Store commands that failed.",
               sample("zonkards_store_failures_total", static_cast<double>(redis_->failures())));
    }
    return out;
}

// One answer per connection, whatever was asked: the metrics, then the end.
void CoordinatorServer::serveMetrics()
{
    while (QTcpSocket* sock = metricsListener_->nextPendingConnection()) {
        sock->setParent(this);
        QTimer::singleShot(2000, sock, [sock] { sock->abort(); });
        connect(sock, &QTcpSocket::disconnected, sock, &QObject::deleteLater);
        connect(sock, &QTcpSocket::readyRead, sock, [this, sock] {
            if (sock->property("answered").toBool())
                return;
            const QByteArray asked = sock->peek(4096);
            if (!asked.contains("\r\n\r\n") && !asked.contains("\n\n") && asked.size() < 4096)
                return; // the request's end is still to come
            sock->setProperty("answered", true);
            const std::string body = metrics();
            sock->write(QByteArray::fromStdString(
                "HTTP/1.0 200 OK\r\nContent-Type: text/plain; version=0.0.4\r\n"
                "Content-Length: " +
                std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body));
            sock->disconnectFromHost();
        });
    }
}

quint16 CoordinatorServer::port() const
{
    return listener_ ? listener_->serverPort() : 0;
}

quint16 CoordinatorServer::relayPort() const
{
    return relayListener_ ? relayListener_->serverPort() : port();
}

void CoordinatorServer::accept(int fd, bool relayOnly)
{
    const std::string address = peerOf(fd);
    // Counted before the handshake, so a flood of connections costs no TLS.
    if (perAddress_[address] >= setup_.maxPerAddress) {
        debugLog("coordinator: too many connections from " + address);
        ::close(fd);
        return;
    }
    ++perAddress_[address];
    trimTicks_ = 3;
    const int id = ++nextId_;
    Conn& c = conns_[id];
    c.address = address;
    c.relayOnly = relayOnly;
    c.lastByte = wallNow();
    c.stream =
        new TlsStream(tls_, fd, this,
                      {[this, id] { readable(id); }, [this, id] { drained(id); }, [this, id] { gone(id); }});
    if (!ticker_.isActive())
        ticker_.start();
}

void CoordinatorServer::readable(int id)
{
    auto it = conns_.find(id);
    if (it == conns_.end() || !it->second.stream || it->second.closing)
        return;
    Conn& c = it->second;
    if (c.partner != 0) {
        copy(id);
        return;
    }
    // One chunk a pass; the rest raises the stream's readable again.
    const std::size_t got = c.stream->read(chunk_.data(), chunk_.size());
    if (got == 0)
        return;
    c.lastByte = wallNow();
    const std::string_view view(chunk_.data(), got);
    std::size_t terminators = 0;
    for (char ch : view)
        terminators += ch == kTerminator ? 1 : 0;
    if (!c.budget.spend(budgetNow(), terminators, view.size())) {
        debugLog("coordinator: connection from " + c.address + " over its budget");
        close(id);
        return;
    }
    takeMessages(id, c, view);
}

void CoordinatorServer::takeMessages(int id, Conn& c, std::string_view bytes)
{
    c.pending.append(bytes);
    for (;;) {
        // The connection may have been paired or closed by the message before.
        auto it = conns_.find(id);
        if (it == conns_.end() || it->second.closing || it->second.partner != 0)
            break;
        Conn& cur = it->second;
        const std::size_t end = cur.pending.find(kTerminator);
        if (end == std::string::npos)
            break;
        // Taken off before it is handled: a pairing hands on what is left.
        const std::string message = cur.pending.substr(0, end);
        cur.pending.erase(0, end + 1);
        if (message.empty())
            continue;
        if (message.size() > kMaxCoordMessage) {
            close(id);
            return;
        }
        if (cur.route == Route::Undecided) {
            const std::string_view name = splitCommand(message).name;
            const bool data = name == Open::command || name == Join::command;
            if (!data && (cur.relayOnly || !coordinator_)) {
                close(id);
                return;
            }
            cur.route = data ? Route::Relay : Route::Coordinator;
            if (data)
                relay_->opened(id, cur.address);
            else
                coordinator_->opened(id, cur.address);
        }
        if (cur.route == Route::Relay)
            relay_->received(id, message);
        else
            coordinator_->received(id, message);
    }
    auto it = conns_.find(id);
    if (it != conns_.end() && it->second.partner == 0 && it->second.pending.size() > kMaxCoordMessage)
        close(id);
}

void CoordinatorServer::copy(int from)
{
    auto it = conns_.find(from);
    if (it == conns_.end() || !it->second.stream || it->second.partner == 0 || it->second.closing)
        return;
    Conn& c = it->second;
    auto p = conns_.find(c.partner);
    if (p == conns_.end() || !p->second.stream || p->second.closing)
        return;
    TlsStream* out = p->second.stream;
    while (out->backlog() < kRelayBacklog) {
        const std::size_t got = c.stream->read(chunk_.data(), chunk_.size());
        if (got == 0)
            break;
        if (!c.budget.spend(budgetNow(), 0, got)) {
            debugLog("relay: connection from " + c.address + " over its byte budget");
            close(from);
            return;
        }
        c.lastByte = p->second.lastByte = wallNow();
        relayedBytes_ += got;
        out->write(std::string_view(chunk_.data(), got));
    }
    // Reading waits while the other side has a backlog; its drain reads again.
    c.stream->pauseReading(out->backlog() >= kRelayBacklog);
}

void CoordinatorServer::drained(int id)
{
    auto it = conns_.find(id);
    if (it == conns_.end() || it->second.partner == 0)
        return;
    copy(it->second.partner); // which reads again, and pauses once more if it must
}

void CoordinatorServer::gone(int id)
{
    auto it = conns_.find(id);
    if (it == conns_.end())
        return;
    Conn c = std::move(it->second);
    conns_.erase(it);
    if (--perAddress_[c.address] <= 0)
        perAddress_.erase(c.address);
    if (c.stream) {
        c.stream->abort();
        c.stream->deleteLater();
    }
    if (c.route == Route::Relay)
        relay_->closed(id);
    else if (c.route == Route::Coordinator && coordinator_)
        coordinator_->closed(id);
    else if (c.partner != 0)
        close(c.partner);
    if (conns_.empty() && (!coordinator_ || coordinator_->gameCount() == 0) && relay_->waiting() == 0)
        ticker_.stop();
}

void CoordinatorServer::send(int conn, std::string_view bytes)
{
    auto it = conns_.find(conn);
    if (it != conns_.end() && it->second.stream && !it->second.closing)
        it->second.stream->write(bytes);
}

void CoordinatorServer::close(int conn)
{
    auto it = conns_.find(conn);
    if (it == conns_.end() || it->second.closing)
        return;
    it->second.closing = true;
    if (TlsStream* stream = it->second.stream) {
        // After what was written has gone; gone() follows from the stream.
        stream->close();
    } else {
        QMetaObject::invokeMethod(
            this, [this, conn] { gone(conn); }, Qt::QueuedConnection);
    }
}

void CoordinatorServer::pair(int hostConn, int joinerConn)
{
    auto h = conns_.find(hostConn);
    auto j = conns_.find(joinerConn);
    if (h == conns_.end() || j == conns_.end())
        return;
    h->second.partner = joinerConn;
    j->second.partner = hostConn;
    ++pairsMade_;
    h->second.budget = RateBudget(setup_.relayBudget);
    j->second.budget = RateBudget(setup_.relayBudget);
    // Whatever each sent after its ticket line goes on to the other; then
    // the copying starts.
    for (int id : {hostConn, joinerConn}) {
        Conn& c = conns_[id];
        if (!c.pending.empty() && c.partner != 0) {
            if (auto p = conns_.find(c.partner); p != conns_.end() && p->second.stream)
                p->second.stream->write(c.pending);
            c.pending.clear();
        }
        QMetaObject::invokeMethod(
            this, [this, id] { copy(id); }, Qt::QueuedConnection);
    }
}

void CoordinatorServer::probe(int conn, const std::string& address, int port, const std::string& nonce)
{
    auto* sock = new QTcpSocket(this);
    auto answered = std::make_shared<bool>(false);
    auto finish = [this, sock, conn, answered](bool reached) {
        if (*answered)
            return;
        *answered = true;
        sock->disconnect(this);
        sock->abort();
        sock->deleteLater();
        if (coordinator_)
            coordinator_->probeAnswered(conn, reached);
    };
    auto* timer = new QTimer(sock);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [finish] { finish(false); });
    timer->start(kProbeTimeoutMs);
    connect(sock, &QTcpSocket::connected, this,
            [sock, nonce] { sock->write(QByteArray::fromStdString(msg::encode(Probe{{nonce}}))); });
    auto heard = std::make_shared<std::string>();
    connect(sock, &QTcpSocket::readyRead, this, [sock, heard, nonce, finish] {
        heard->append(sock->readAll().toStdString());
        // A game answers with its nonce; anything else on the port (another
        // program, a table that greets first) is not this game.
        const auto end = heard->find(kTerminator);
        if (end == std::string::npos) {
            if (heard->size() > kMaxCoordMessage)
                finish(false);
            return;
        }
        const std::string line = heard->substr(0, end);
        const auto split = splitCommand(line);
        finish(split.name == Probed::command && msg::decode<Probed>(split.args)->nonce == nonce);
    });
    connect(sock, &QTcpSocket::errorOccurred, this,
            [finish](QAbstractSocket::SocketError) { finish(false); });
    sock->connectToHost(QString::fromStdString(address), static_cast<quint16>(port));
}

// What other coordinators tell this one comes on the store's events connection.
void CoordinatorServer::watchEvents()
{
    const int fd = redis_ ? redis_->eventsFd() : -1;
    if (events_ && events_->socket() == fd)
        return;
    delete events_;
    events_ = nullptr;
    if (fd < 0)
        return;
    events_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(events_, &QSocketNotifier::activated, this, [this] {
        redis_->pumpEvents();
        // A broken events connection was opened again on another descriptor.
        QMetaObject::invokeMethod(
            this, [this] { watchEvents(); }, Qt::QueuedConnection);
    });
}

void CoordinatorServer::tick()
{
    // A handshake's passing buffers (and a probe's) are freed all over the
    // heap; for a few seconds after the last connection came the free pages
    // go back to the system, once a second (glibc keeps them otherwise: a
    // sixth of the memory of 10,000 hosts).
    if (trimTicks_ > 0) {
        --trimTicks_;
        ::malloc_trim(0);
    }
    const Ms now = wallNow();
    std::vector<int> quiet;
    for (const auto& [id, c] : conns_) {
        if (c.closing)
            continue;
        if (c.route == Route::Undecided && now - c.lastByte >= kFirstMessageMs)
            quiet.push_back(id);
        else if (c.partner != 0 && now - c.lastByte >= kRelayIdleMs)
            quiet.push_back(id);
    }
    for (int id : quiet)
        close(id);
    if (coordinator_)
        coordinator_->tick();
    relay_->tick();
    if (!coordinator_)
        store_->expire(); // the coordinator's tick expires it otherwise
    if (coordinator_)
        watchEvents();
}

} // namespace zk::coord
