// TlsStream: one accepted connection of the coordinator, TLS served with
// OpenSSL straight on its descriptor, watched by the event loop.
//
// The coordinator holds one of these for every host that keeps its
// registration open, and the relay two for every relayed pair, so both the
// memory of an idle connection and the hops of a relayed byte count:
//   - an idle connection keeps no record buffers (SSL_MODE_RELEASE_BUFFERS)
//     and no socket object of Qt's, a few kilobytes in all;
//   - what is written is encrypted and handed to the kernel at once, and
//     what arrives is decrypted in the same wake-up that saw it, so a relayed
//     message crosses the relay in one pass of the event loop.
//
//   TlsStream* s = new TlsStream(ctx, fd, owner, {
//       [] { /* read() has bytes */ }, [] { /* backlog() fell to 0 */ }, [] { /* closed */ }});
//
// Callbacks are called from the event loop, never from inside a call the
// owner made. After `gone` nothing more is called; the owner deletes the
// stream with deleteLater() (it may do so from inside any callback).
#pragma once

#include <QObject>
#include <QSslConfiguration>
#include <QTcpServer>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QSocketNotifier;
typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace zk::coord {

// A server context with the configuration's certificate chain and key,
// TLS 1.2 or later, asking nothing of the client; null and the reason when
// OpenSSL refuses them.
std::shared_ptr<SSL_CTX> serverContext(const QSslConfiguration& tls, QString* error);

// A listener that hands over the descriptors it accepts, for TlsStream.
class DescriptorListener : public QTcpServer {
public:
    DescriptorListener(std::function<void(int fd)> accepted, QObject* parent)
        : QTcpServer(parent), accepted_(std::move(accepted))
    {
    }

protected:
    void incomingConnection(qintptr fd) override { accepted_(static_cast<int>(fd)); }

private:
    std::function<void(int)> accepted_;
};

// The peer of a connected descriptor (IPv4 seen through a dual-stack socket as plain IPv4).
std::string peerOf(int fd);

class TlsStream : public QObject {
    Q_OBJECT
public:
    struct Events {
        std::function<void()> readable;
        std::function<void()> drained;
        std::function<void()> gone;
    };
    // Takes the connected descriptor (made non-blocking here) and answers its handshake.
    TlsStream(const std::shared_ptr<SSL_CTX>& ctx, int fd, QObject* parent, Events events);
    ~TlsStream() override;

    // Decrypted bytes into `into`, at most `max`; 0 when none wait now.
    std::size_t read(char* into, std::size_t max);
    // Encrypts and sends what the socket takes now; the rest goes as it drains.
    void write(std::string_view bytes);
    // Bytes written and not yet taken by the kernel.
    std::size_t backlog() const { return out_.size() - outAt_; }
    // While paused the connection is not read (its sender is held by TCP).
    void pauseReading(bool paused);
    // Sends what is written, then ends the session; `gone` follows.
    void close();
    // No more callbacks; the descriptor is closed now.
    void abort();

private:
    void onReadable();
    void onWritable();
    void handshake();
    void flush();
    void finish();
    void fail();
    void watch();
    void later(void (TlsStream::*step)());

    int fd_ = -1;
    SSL* ssl_ = nullptr;
    QSocketNotifier* readN_ = nullptr;
    QSocketNotifier* writeN_ = nullptr;
    Events events_;
    std::string out_;
    std::size_t outAt_ = 0;
    bool handshaken_ = false;
    bool paused_ = false;
    bool closing_ = false;
    bool done_ = false;
    bool broken_ = false; // the session is over; `gone` is on its way
    bool handshakeWantsWrite_ = false;
    bool readWantsWrite_ = false; // a read waits for the socket to take bytes (a key update)
    bool writeWantsRead_ = false; // a write waits for bytes to arrive
};

} // namespace zk::coord
