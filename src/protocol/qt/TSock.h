// TSock: the game's socket component, a thin layer over Qt's TCP classes that
// keeps the contract the game is written against: its properties, its events
// (delivered on the UI thread through Qt's event loop), its info texts and the
// ESockException texts raised on misuse.
//
// Host side:
//     TSock listener;
//     listener.portName = "7772";
//     listener.onAccept = [&](TSock& l) { auto conn = l.accept(); ... };
//     listener.setListen(true);            // "Listening Started"
//
// Table side:
//     TSock sock;
//     sock.hostName = "127.0.0.1"; sock.portName = "7772";
//     sock.onRead = [&](TSock& s, std::size_t) { framer.feed(s.receive(), queue); };
//     sock.onInfo = [&](TSock&, TSock::InfoKind kind, const std::string&) {
//         if (kind == TSock::InfoKind::Close) closeWindow(); // "Socket Closed"
//     };
//     sock.open();
//     sock.send(msg::encode(msg::Chat{{seat, line}}));
//
// Qt already keeps the outgoing buffer and sends it in order when the socket
// becomes writable, so Send simply hands the bytes to Qt. A graceful Close
// lets Qt flush what is still unsent (e.g. "CMD_full+" before the refusal's
// close) before the connection really ends.
//
// Never delete a TSock from inside one of its own event handlers; use
// deleteLater(). The component checks after every handler call whether it
// still exists, so closing it from a handler is fine. An exception that a
// handler lets escape from a socket event is logged and ends that event only
// (Qt's event loop cannot carry it); operations the game calls directly
// (send, close, ...) pass exceptions on to their caller.
#pragma once

#include <QObject>
#include <QPointer>

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "protocol/SockInfo.h"

class QTcpServer;
class QTcpSocket;

namespace zk {

class ESockException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TSock : public QObject {
    Q_OBJECT
public:
    enum class SocketType { Stream, Datagram };
    enum class LineBreak { CRLF, CR, LF, Smart };
    // What a report is about; decide by it, the text is for people.
    using InfoKind = SockInfoKind;

    using Handler = std::function<void(TSock&)>;
    using ReadHandler = std::function<void(TSock&, std::size_t count)>;
    using InfoHandler = std::function<void(TSock&, InfoKind, const std::string& text)>;

    explicit TSock(QObject* parent = nullptr);
    ~TSock() override;

    // Properties, as the game sets them.
    SocketType socketType = SocketType::Stream;
    std::string hostName;  // remote address; an accepted connection holds the peer's
    std::string portName;  // decimal port or a "tcp" service name
    bool blocking = false; // the game never blocks; kept for the contract
    bool autoAccept = false;
    LineBreak lineBreak = LineBreak::Smart; // the game frames by terminator instead
    int blockingTimeout = 0;
    int tag = 0; // the host keeps the slot of an accepted connection here

    // Events.
    Handler onAccept;     // listener: a connection is waiting
    ReadHandler onRead;   // bytes arrived; count = bytes now buffered
    InfoHandler onInfo;   // status reports ("Socket Closed" among them)
    Handler onDisconnect; // the peer closed
    Handler onConnect;    // a connect completed
    Handler onWrite;      // the socket became writable
    Handler onAutoAccept; // never raised: auto-accept is not used by the game

    // Start or stop listening on portName on all interfaces (backlog 5).
    // Throws ESockException with the listening error texts.
    void setListen(bool on);
    bool listening() const { return listening_; }

    // Accepts the waiting connection into a new object that copies this
    // listener's blocking mode and its read, write, disconnect and info
    // handlers. Returns nullptr (after reporting "Could Not Accept
    // Connection") if there was none to accept. Throws when not listening.
    std::unique_ptr<TSock> accept();

    // Takes over a connection made elsewhere (a TLS connection through the
    // relay, whose handshake and ticket line are done) as if this object had
    // made it: hostName becomes peer, and it reports Connect (the connecting
    // side) or Accept (the side that takes it as accepted); bytes already
    // waiting in the socket are read next. Throws when it has a socket.
    void adoptConnected(QTcpSocket* socket, std::string peer, bool accepted);

    // Resolves portName and hostName and starts connecting; completion comes
    // back as the Connect report. Returns the connected flag when the object
    // already has a socket. Throws ESockException on lookup failures.
    bool open();

    // Queues bytes for sending, in order, without waiting.
    void send(std::string_view bytes);

    // Returns and empties the incoming buffer.
    std::string receive();

    // Closes the socket and reports "Socket Closed" (a listener just stops
    // listening). Unsent bytes are still delivered if the peer reads them.
    void close();

    bool connected() const { return connected_; }
    bool hasSocket() const;
    // Asks the operating system for a send buffer of about this size on the
    // connected socket (it may round it); nothing happens without a socket.
    void setSendBufferSize(int bytes);
    // Bytes handed to send() that the operating system has not taken yet.
    std::size_t unsentBytes() const;
    // The port actually listened on (useful when portName is "0").
    int listeningPort() const;

private:
    void report(InfoKind kind, const std::string& text);
    void adopt(QTcpSocket* socket);
    void catchUp();
    void detachSocket(bool graceful);
    void onSocketConnected();
    void onSocketReadyRead();
    void onSocketBytesWritten();
    void onSocketDisconnected();
    void onSocketError(int error);
    void onServerNewConnection();
    quint16 resolvePort(const char* lookupFailureText);
    // Keepalive on the connected socket, and the watch that tells a broken
    // connection from a closed one (TSock.cpp).
    void watchConnection();
    bool peerBroke();
    void releaseWatch();

    QTcpServer* server_ = nullptr;
    QPointer<QTcpSocket> socket_;
    bool listening_ = false;
    bool flushing_ = false; // inside send(): a write report waits for the event loop
    bool connected_ = false;
    int watchFd_ = -1; // a duplicate of the connected socket's descriptor
    std::string incoming_;
};

// Human-readable name of an info kind ("Lookup", "Connect", ...).
const char* infoKindName(TSock::InfoKind kind);

} // namespace zk
