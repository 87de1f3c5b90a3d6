#include "protocol/qt/TSock.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cerrno>
#include <exception>
#include <map>

#if defined(_WIN32)
#include <winsock2.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "protocol/Commands.h"

namespace zk {
namespace {

// The Close report's text, which the game's documents and logs name.
constexpr const char* kSocketClosed = "Socket Closed";

// How long a closed connection may keep flushing unsent bytes to a peer.
constexpr int kLingerMs = 10000;

// Host-name lookups are cached for the life of the process.
std::map<std::string, QHostAddress>& hostCache()
{
    static std::map<std::string, QHostAddress> cache;
    return cache;
}

struct ErrorName {
    int number;
    const char* name;
};

// The platform's error number and symbolic name for a Qt socket error.
ErrorName errorName(QAbstractSocket::SocketError e)
{
    switch (e) {
    case QAbstractSocket::ConnectionRefusedError: return {ECONNREFUSED, "ECONNREFUSED"};
    case QAbstractSocket::RemoteHostClosedError: return {ECONNRESET, "ECONNRESET"};
    case QAbstractSocket::HostNotFoundError: return {EHOSTUNREACH, "EHOSTUNREACH"};
    case QAbstractSocket::SocketAccessError: return {EACCES, "EACCES"};
    case QAbstractSocket::SocketResourceError: return {EMFILE, "EMFILE"};
    case QAbstractSocket::SocketTimeoutError: return {ETIMEDOUT, "ETIMEDOUT"};
    case QAbstractSocket::NetworkError: return {ENETUNREACH, "ENETUNREACH"};
    case QAbstractSocket::AddressInUseError: return {EADDRINUSE, "EADDRINUSE"};
    case QAbstractSocket::SocketAddressNotAvailableError: return {EADDRNOTAVAIL, "EADDRNOTAVAIL"};
    case QAbstractSocket::UnsupportedSocketOperationError: return {EOPNOTSUPP, "EOPNOTSUPP"};
    case QAbstractSocket::OperationError: return {EINVAL, "EINVAL"};
    default: return {EIO, "EIO"};
    }
}

// Runs the part of a socket event that calls the game's handlers. An exception
// must not unwind through Qt's event loop (that ends the program), so one that
// a handler lets escape is logged here and the event is over.
template <typename Body>
void guarded(const char* event, Body&& body)
{
    try {
        body();
    } catch (const std::exception& e) {
        qWarning("zonkards: socket %s handler failed: %s", event, e.what());
    } catch (...) {
        qWarning("zonkards: socket %s handler failed", event);
    }
}

bool startsWithDigit(const std::string& s)
{
    return !s.empty() && s.front() >= '0' && s.front() <= '9';
}

// The dotted form of a peer address, also for IPv4 addresses seen through an
// IPv6 listener ("::ffff:127.0.0.1").
std::string dotted(const QHostAddress& a)
{
    bool ok = false;
    const quint32 v4 = a.toIPv4Address(&ok);
    if (ok)
        return QHostAddress(v4).toString().toStdString();
    return a.toString().toStdString();
}

} // namespace

const char* infoKindName(TSock::InfoKind kind)
{
    switch (kind) {
    case TSock::InfoKind::Lookup: return "Lookup";
    case TSock::InfoKind::Connect: return "Connect";
    case TSock::InfoKind::Close: return "Close";
    case TSock::InfoKind::Broken: return "Broken";
    case TSock::InfoKind::Listen: return "Listen";
    case TSock::InfoKind::Receive: return "Receive";
    case TSock::InfoKind::Send: return "Send";
    case TSock::InfoKind::Accept: return "Accept";
    case TSock::InfoKind::Error: return "Error";
    }
    return "";
}

TSock::TSock(QObject* parent) : QObject(parent)
{
}

TSock::~TSock()
{
    onInfo = nullptr; // nothing is reported while the object goes away
    if (server_)
        server_->close();
    detachSocket(true);
}

void TSock::report(InfoKind kind, const std::string& text)
{
    if (onInfo) {
        auto handler = onInfo; // the handler may replace itself
        handler(*this, kind, text);
    }
}

quint16 TSock::resolvePort(const char* lookupFailureText)
{
    if (startsWithDigit(portName)) {
        bool ok = false;
        const uint port = QString::fromStdString(portName).toUInt(&ok);
        if (ok && port <= 65535)
            return static_cast<quint16>(port);
        throw ESockException(lookupFailureText);
    }
    const servent* entry = ::getservbyname(portName.c_str(), "tcp");
    if (!entry)
        throw ESockException(lookupFailureText);
    return ntohs(static_cast<quint16>(entry->s_port));
}

void TSock::setListen(bool on)
{
    if (!on) {
        if (listening_) {
            server_->close();
            listening_ = false;
            report(InfoKind::Listen, "Listening Stopped");
        }
        return;
    }
    if (listening_) {
        report(InfoKind::Listen, "Listening Already Running");
        return;
    }
    if (socketType == SocketType::Datagram)
        throw ESockException("Listen - Cannot Listen On A Datagram Socket");
    if (socket_)
        throw ESockException("Listen - Socket Already In Use");
    quint16 port = 0;
    try {
        port = resolvePort("Port Lookup - Could Not Find Service Entry");
    } catch (const ESockException&) {
        throw ESockException("Listen - Error Binding Socket");
    }
    if (!server_) {
        server_ = new QTcpServer(this);
        server_->setListenBacklogSize(5);
        connect(server_, &QTcpServer::newConnection, this, &TSock::onServerNewConnection);
    }
    if (!server_->listen(QHostAddress::Any, port)) {
        const auto err = server_->serverError();
        if (err == QAbstractSocket::AddressInUseError || err == QAbstractSocket::SocketAccessError ||
            err == QAbstractSocket::SocketAddressNotAvailableError)
            throw ESockException("Listen - Error Binding Socket");
        throw ESockException("Listen - Error Starting Listen");
    }
    listening_ = true;
    report(InfoKind::Listen, "Listening Started");
}

int TSock::listeningPort() const
{
    return listening_ && server_ ? server_->serverPort() : 0;
}

void TSock::onServerNewConnection()
{
    // Qt announces each waiting connection once; the handler accepts it (or
    // leaves it waiting).
    if (listening_ && onAccept) {
        auto handler = onAccept;
        guarded("accept", [&] { handler(*this); });
    }
}

std::unique_ptr<TSock> TSock::accept()
{
    if (!listening_)
        throw ESockException("Accept - Socket Not In Listening Mode");
    QTcpSocket* s = server_->nextPendingConnection();
    if (!s) {
        report(InfoKind::Accept, "Could Not Accept Connection");
        return nullptr;
    }
    auto conn = std::make_unique<TSock>();
    conn->blocking = blocking;
    conn->onRead = onRead;
    conn->onWrite = onWrite;
    conn->onDisconnect = onDisconnect;
    conn->onInfo = onInfo;
    conn->portName = portName;
    conn->hostName = dotted(s->peerAddress());
    s->setParent(nullptr);
    conn->adopt(s);
    conn->connected_ = true;
    conn->watchConnection();
    conn->report(InfoKind::Accept, "Created New TSock Structure");
    // Bytes or a close that reached the socket before it was handed over
    // raised no event we could hear; look once the caller has stored it.
    QMetaObject::invokeMethod(
        conn.get(), [c = conn.get()] { c->catchUp(); }, Qt::QueuedConnection);
    return conn;
}

void TSock::adoptConnected(QTcpSocket* s, std::string peer, bool accepted)
{
    if (socket_ || listening_)
        throw ESockException("Adopt - Socket Already In Use");
    hostName = std::move(peer);
    s->setParent(nullptr);
    adopt(s);
    connected_ = true;
    watchConnection();
    QPointer<TSock> self(this);
    if (accepted) {
        report(InfoKind::Accept, "Created New TSock Structure");
    } else {
        report(InfoKind::Connect, "Non-Blocking Socket Connected");
        if (self && onConnect) {
            auto handler = onConnect;
            handler(*this);
        }
    }
    if (self)
        QMetaObject::invokeMethod(
            this, [this] { catchUp(); }, Qt::QueuedConnection);
}

void TSock::catchUp()
{
    if (socket_ && socket_->bytesAvailable() > 0)
        onSocketReadyRead();
    if (socket_ && socket_->state() == QAbstractSocket::UnconnectedState)
        onSocketDisconnected();
}

void TSock::adopt(QTcpSocket* s)
{
    socket_ = s;
    s->setParent(this);
    connect(s, &QTcpSocket::connected, this, &TSock::onSocketConnected);
    connect(s, &QTcpSocket::readyRead, this, &TSock::onSocketReadyRead);
    connect(s, &QTcpSocket::bytesWritten, this, &TSock::onSocketBytesWritten);
    connect(s, &QTcpSocket::disconnected, this, &TSock::onSocketDisconnected);
    connect(s, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError e) { onSocketError(static_cast<int>(e)); });
}

bool TSock::open()
{
    if (socket_ || listening_)
        return connected_;
    report(InfoKind::Lookup, "Lookup Of Port " + portName);
    const quint16 port = resolvePort("Port Lookup - Could Not Find Service Entry");
    report(InfoKind::Lookup, "Lookup Of Host " + hostName);
    QHostAddress address;
    bool resolved = false;
    if (startsWithDigit(hostName))
        resolved = address.setAddress(QString::fromStdString(hostName));
    if (!resolved) {
        auto& cache = hostCache();
        auto it = cache.find(hostName);
        if (it != cache.end()) {
            address = it->second;
        } else {
            const QHostInfo info = QHostInfo::fromName(QString::fromStdString(hostName));
            if (info.error() != QHostInfo::NoError || info.addresses().isEmpty())
                throw ESockException("Host Lookup - Could Not Find Host Entry");
            // Prefer IPv4, as the dotted-address world this game comes from.
            address = info.addresses().front();
            for (const auto& a : info.addresses()) {
                if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                    address = a;
                    break;
                }
            }
            cache.emplace(hostName, address);
        }
    }
    auto* s = new QTcpSocket(this);
    adopt(s);
    s->connectToHost(address, port);
    return connected_;
}

void TSock::send(std::string_view bytes)
{
    if (listening_)
        throw ESockException("Send - Cannot Send On A Listener Socket");
    if (!socket_)
        throw ESockException("Send - Socket Not Connected");
    socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    // Out now, as far as the socket takes it without blocking, rather than
    // when the event loop next looks: a roll must not wait behind a repaint.
    flushing_ = true;
    socket_->flush();
    flushing_ = false;
    report(InfoKind::Send, "Non-Blocking Outgoing Data");
}

std::string TSock::receive()
{
    if (listening_)
        throw ESockException("Receive - Cannot Receive On A Listener Socket");
    if (!socket_ && incoming_.empty())
        throw ESockException("Receive - Socket Not Connected");
    std::string out;
    out.swap(incoming_);
    return out;
}

bool TSock::hasSocket() const
{
    return !socket_.isNull();
}

void TSock::setSendBufferSize(int bytes)
{
    if (socket_)
        socket_->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, bytes);
}

std::size_t TSock::unsentBytes() const
{
    return socket_ ? static_cast<std::size_t>(socket_->bytesToWrite()) : 0;
}

void TSock::detachSocket(bool graceful)
{
    releaseWatch();
    if (!socket_)
        return;
    QTcpSocket* s = socket_;
    socket_ = nullptr;
    s->disconnect(this);
    // A lingering socket belongs to the application, so one still flushing
    // when the program ends is cleaned up with it.
    s->setParent(QCoreApplication::instance());
    if (graceful && s->state() == QAbstractSocket::ConnectedState && s->bytesToWrite() > 0) {
        // Let Qt deliver what is still unsent, then let the socket go; a peer
        // that never reads is cut off after kLingerMs.
        QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        QTimer::singleShot(kLingerMs, s, [s] {
            s->abort();
            s->deleteLater();
        });
        s->disconnectFromHost();
    } else {
        s->abort();
        s->deleteLater();
    }
}

void TSock::close()
{
    if (listening_) {
        server_->close();
        listening_ = false;
        return;
    }
    detachSocket(true);
    connected_ = false;
    report(InfoKind::Close, kSocketClosed);
}

void TSock::onSocketConnected()
{
    guarded("connect", [&] {
        connected_ = true;
        watchConnection();
        report(InfoKind::Connect, "Non-Blocking Socket Connected");
        if (onConnect) {
            auto handler = onConnect;
            handler(*this);
        }
    });
}

void TSock::onSocketReadyRead()
{
    QPointer<TSock> self(this);
    while (self && socket_ && socket_->bytesAvailable() > 0) {
        const QByteArray chunk = socket_->read(static_cast<qint64>(kMaxReadChunk));
        if (chunk.isEmpty())
            break;
        incoming_.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
        // Guarded per chunk: a handler that throws must not leave the rest
        // of what has arrived unread until the peer sends more.
        guarded("read", [&] {
            report(InfoKind::Receive, "Non-Blocking Incoming Data");
            if (self && onRead) {
                auto handler = onRead;
                handler(*this, incoming_.size());
            }
        });
    }
}

void TSock::onSocketBytesWritten()
{
    if (flushing_) {
        // Written from within send(): reported from the event loop, as a
        // write always was, never before send() returns.
        QMetaObject::invokeMethod(this, &TSock::onSocketBytesWritten, Qt::QueuedConnection);
        return;
    }
    guarded("write", [&] {
        report(InfoKind::Send, "Non-Blocking Outgoing Data");
        if (onWrite) {
            auto handler = onWrite;
            handler(*this);
        }
    });
}

void TSock::onSocketDisconnected()
{
    QPointer<TSock> self(this);
    // Whatever the peer sent before it closed reaches the game first (the
    // host's "CMD_full+" before the refusal's close).
    if (socket_ && socket_->bytesAvailable() > 0)
        onSocketReadyRead();
    if (!self)
        return;
    if (peerBroke()) {
        guarded("broken", [&] { report(InfoKind::Broken, "Connection Broken"); });
        if (!self)
            return;
    }
    if (onDisconnect) {
        auto handler = onDisconnect;
        guarded("disconnect", [&] { handler(*this); });
    }
    if (self)
        guarded("close", [&] { close(); });
}

void TSock::onSocketError(int error)
{
    const auto e = static_cast<QAbstractSocket::SocketError>(error);
    if (e == QAbstractSocket::RemoteHostClosedError)
        return; // an ordinary close by the peer; the disconnect event follows
    const ErrorName n = errorName(e);
    const bool wasConnected = connected_;
    QPointer<TSock> self(this);
    guarded("error",
            [&] { report(InfoKind::Error, "Error #" + std::to_string(n.number) + " (" + n.name + ")"); });
    if (!self)
        return;
    if (!wasConnected && socket_ && socket_->state() == QAbstractSocket::UnconnectedState) {
        // A connect that failed: the object goes back to having no socket, so
        // a later send reports "Send - Socket Not Connected".
        detachSocket(false);
    }
}

// A dead peer must be noticed without a message on the wire: keepalive
// probes after 4 s of quiet, every 3 s; the connection ends once nothing
// (probe or data) has been acknowledged for 18 s. The
// descriptor is duplicated so that, once Qt has let go of its own after a
// close, the kernel's state still tells a reset or a timeout from the
// peer's orderly close (Qt reports both as "the remote host closed").
void TSock::watchConnection()
{
#if defined(__linux__)
    releaseWatch();
    if (!socket_)
        return;
    const int fd = static_cast<int>(socket_->socketDescriptor());
    if (fd < 0)
        return;
    const int on = 1, idle = 4, interval = 3, probes = 5;
    const unsigned int userTimeoutMs = 18000;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
    setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
    watchFd_ = ::dup(fd);
#else
    if (socket_)
        socket_->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#endif
}

bool TSock::peerBroke()
{
    bool broke = false;
#if defined(__linux__)
    if (watchFd_ >= 0) {
        tcp_info info{};
        socklen_t size = sizeof info;
        // After the peer's FIN the socket waits in CLOSE_WAIT; a reset or a
        // timeout leaves it CLOSED.
        if (getsockopt(watchFd_, IPPROTO_TCP, TCP_INFO, &info, &size) == 0)
            broke = info.tcpi_state == TCP_CLOSE;
    }
#endif
    releaseWatch();
    return broke;
}

void TSock::releaseWatch()
{
#if defined(__linux__)
    if (watchFd_ >= 0)
        ::close(watchFd_);
#endif
    watchFd_ = -1;
}

} // namespace zk
