#include "coordinator/qt/TlsStream.h"

#include <QHostAddress>
#include <QSocketNotifier>
#include <QSslCertificate>
#include <QSslKey>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zk::coord {
namespace {

// A PEM text as an OpenSSL memory BIO (which reads the text in place, so
// it is kept here), freed with the scope.
struct PemBio {
    explicit PemBio(QByteArray pem)
        : text(std::move(pem)), bio(BIO_new_mem_buf(text.constData(), static_cast<int>(text.size())))
    {
    }
    ~PemBio() { BIO_free(bio); }
    PemBio(const PemBio&) = delete;
    PemBio& operator=(const PemBio&) = delete;
    QByteArray text;
    BIO* bio;
};

QString sslReason()
{
    char text[256] = {};
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    ERR_clear_error();
    return QString::fromLatin1(text);
}

} // namespace

std::shared_ptr<SSL_CTX> serverContext(const QSslConfiguration& tls, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return std::shared_ptr<SSL_CTX>();
    };
    std::shared_ptr<SSL_CTX> ctx(SSL_CTX_new(TLS_server_method()), SSL_CTX_free);
    if (!ctx)
        return fail(QStringLiteral("OpenSSL cannot make a server context: ") + sslReason());
    SSL_CTX* c = ctx.get();
    SSL_CTX_set_min_proto_version(c, TLS1_2_VERSION);
    SSL_CTX_set_options(c, SSL_OP_NO_RENEGOTIATION | SSL_OP_NO_COMPRESSION | SSL_OP_CIPHER_SERVER_PREFERENCE);
    // Idle sessions give their record buffers back; writes may be taken in part
    // and retried from a buffer that has moved.
    SSL_CTX_set_mode(c, SSL_MODE_RELEASE_BUFFERS | SSL_MODE_ENABLE_PARTIAL_WRITE |
                            SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // Games keep one connection and resume nothing: no cache, no tickets.
    SSL_CTX_set_session_cache_mode(c, SSL_SESS_CACHE_OFF);
    SSL_CTX_set_num_tickets(c, 0);
    SSL_CTX_set_verify(c, SSL_VERIFY_NONE, nullptr);

    QList<QSslCertificate> chain = tls.localCertificateChain();
    if (chain.isEmpty())
        chain = {tls.localCertificate()};
    for (qsizetype i = 0; i < chain.size(); ++i) {
        PemBio pem(chain[i].toPem());
        X509* cert = PEM_read_bio_X509(pem.bio, nullptr, nullptr, nullptr);
        if (!cert)
            return fail(QStringLiteral("OpenSSL cannot read the certificate: ") + sslReason());
        // The first is ours; the rest, the chain up to the CA, go with it.
        const bool taken =
            i == 0 ? SSL_CTX_use_certificate(c, cert) == 1 : SSL_CTX_add0_chain_cert(c, cert) == 1;
        if (i == 0 || !taken)
            X509_free(cert);
        if (!taken)
            return fail(QStringLiteral("OpenSSL refuses the certificate: ") + sslReason());
    }
    PemBio keyPem(tls.privateKey().toPem());
    EVP_PKEY* key = PEM_read_bio_PrivateKey(keyPem.bio, nullptr, nullptr, nullptr);
    if (!key)
        return fail(QStringLiteral("OpenSSL cannot read the key: ") + sslReason());
    const bool keyTaken = SSL_CTX_use_PrivateKey(c, key) == 1;
    EVP_PKEY_free(key);
    if (!keyTaken || SSL_CTX_check_private_key(c) != 1)
        return fail(QStringLiteral("the key does not belong to the certificate: ") + sslReason());
    return ctx;
}

std::string peerOf(int fd)
{
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0)
        return {};
    const QHostAddress address(reinterpret_cast<const sockaddr*>(&peer));
    bool ok = false;
    const quint32 v4 = address.toIPv4Address(&ok);
    return (ok ? QHostAddress(v4) : address).toString().toStdString();
}

TlsStream::TlsStream(const std::shared_ptr<SSL_CTX>& ctx, int fd, QObject* parent, Events events)
    : QObject(parent), fd_(fd), events_(std::move(events))
{
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    const int one = 1;
    // A relayed message goes on at once, not when the next one comes; a
    // host that vanished without a word is found by the keepalive.
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::setsockopt(fd_, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
    readN_ = new QSocketNotifier(static_cast<qintptr>(fd_), QSocketNotifier::Read, this);
    writeN_ = new QSocketNotifier(static_cast<qintptr>(fd_), QSocketNotifier::Write, this);
    writeN_->setEnabled(false);
    connect(readN_, &QSocketNotifier::activated, this, &TlsStream::onReadable);
    connect(writeN_, &QSocketNotifier::activated, this, &TlsStream::onWritable);
    ssl_ = SSL_new(ctx.get());
    if (!ssl_ || SSL_set_fd(ssl_, fd_) != 1) {
        ERR_clear_error();
        broken_ = true;
        watch();
        later(&TlsStream::fail);
        return;
    }
    SSL_set_accept_state(ssl_);
}

TlsStream::~TlsStream()
{
    delete readN_;
    delete writeN_;
    if (ssl_)
        SSL_free(ssl_);
    if (fd_ >= 0)
        ::close(fd_);
}

void TlsStream::later(void (TlsStream::*step)())
{
    QMetaObject::invokeMethod(
        this, [this, step] { (this->*step)(); }, Qt::QueuedConnection);
}

void TlsStream::watch()
{
    const bool live = !done_ && !broken_;
    readN_->setEnabled(live && (!handshaken_ || !paused_ || writeWantsRead_));
    writeN_->setEnabled(live && (handshaken_ ? readWantsWrite_ || (!writeWantsRead_ && backlog() > 0)
                                             : handshakeWantsWrite_));
}

void TlsStream::handshake()
{
    ERR_clear_error();
    const int r = SSL_do_handshake(ssl_);
    handshakeWantsWrite_ = false;
    if (r == 1) {
        handshaken_ = true;
        flush(); // what was written before the handshake ended
        return;
    }
    switch (SSL_get_error(ssl_, r)) {
    case SSL_ERROR_WANT_READ: break;
    case SSL_ERROR_WANT_WRITE: handshakeWantsWrite_ = true; break;
    default: // not TLS, a failed handshake, a reset
        ERR_clear_error();
        broken_ = true;
        later(&TlsStream::fail);
        break;
    }
    watch();
}

void TlsStream::onReadable()
{
    if (done_ || broken_)
        return;
    if (!handshaken_) {
        handshake();
        if (!handshaken_)
            return;
    }
    if (writeWantsRead_) {
        writeWantsRead_ = false;
        flush();
    }
    if (!paused_ && !broken_ && events_.readable)
        events_.readable();
    // Bytes OpenSSL already holds raise no notifier: read them on the next pass.
    if (!done_ && !broken_ && !paused_ && SSL_has_pending(ssl_) == 1)
        later(&TlsStream::onReadable);
}

void TlsStream::onWritable()
{
    if (done_ || broken_)
        return;
    if (!handshaken_) {
        handshake();
        return;
    }
    if (readWantsWrite_) {
        readWantsWrite_ = false;
        watch();
        if (!paused_ && events_.readable)
            events_.readable();
        if (done_ || broken_)
            return;
    }
    const bool had = backlog() > 0;
    flush();
    if (had && backlog() == 0 && !done_ && !broken_ && events_.drained)
        events_.drained();
}

std::size_t TlsStream::read(char* into, std::size_t max)
{
    if (done_ || broken_ || !handshaken_)
        return 0;
    std::size_t got = 0;
    while (got < max) {
        ERR_clear_error();
        std::size_t n = 0;
        const int r = SSL_read_ex(ssl_, into + got, max - got, &n);
        if (r == 1) {
            got += n;
            continue;
        }
        const int e = SSL_get_error(ssl_, r);
        if (e == SSL_ERROR_WANT_WRITE) {
            readWantsWrite_ = true;
            watch();
        } else if (e != SSL_ERROR_WANT_READ) {
            // The peer's close_notify, its end of the stream, a reset or a bad record:
            // what came before it is handed over, then the stream is gone.
            ERR_clear_error();
            broken_ = true;
            watch();
            later(&TlsStream::fail);
        }
        break;
    }
    return got;
}

void TlsStream::write(std::string_view bytes)
{
    if (done_ || broken_ || closing_ || bytes.empty())
        return;
    // What the kernel took is dropped before the buffer grows far; the bytes
    // a pending write waits to retry stay where they were in content.
    if (outAt_ == out_.size() || outAt_ >= 64 * 1024) {
        out_.erase(0, outAt_);
        outAt_ = 0;
    }
    out_.append(bytes);
    if (handshaken_ && !writeWantsRead_ && !writeN_->isEnabled())
        flush();
}

void TlsStream::flush()
{
    while (backlog() > 0) {
        ERR_clear_error();
        std::size_t n = 0;
        const int r = SSL_write_ex(ssl_, out_.data() + outAt_, backlog(), &n);
        if (r == 1) {
            outAt_ += n;
            continue;
        }
        const int e = SSL_get_error(ssl_, r);
        if (e == SSL_ERROR_WANT_READ) {
            writeWantsRead_ = true;
        } else if (e != SSL_ERROR_WANT_WRITE) {
            ERR_clear_error();
            broken_ = true;
            later(&TlsStream::fail);
        }
        break;
    }
    if (backlog() == 0) {
        out_.clear();
        outAt_ = 0;
        if (out_.capacity() > 64 * 1024)
            out_.shrink_to_fit();
        if (closing_)
            later(&TlsStream::finish);
    }
    watch();
}

void TlsStream::pauseReading(bool paused)
{
    if (paused_ == paused)
        return;
    paused_ = paused;
    watch();
    if (!paused_ && handshaken_ && !done_ && !broken_ && SSL_has_pending(ssl_) == 1)
        later(&TlsStream::onReadable);
}

void TlsStream::close()
{
    if (done_ || closing_)
        return;
    closing_ = true;
    if (broken_)
        return; // `gone` is on its way
    if (backlog() == 0 || !handshaken_)
        later(&TlsStream::finish);
}

void TlsStream::finish()
{
    if (done_ || broken_)
        return;
    if (handshaken_) {
        ERR_clear_error();
        SSL_shutdown(ssl_); // our close_notify; the peer's answer is not awaited
        ERR_clear_error();
    }
    ::shutdown(fd_, SHUT_WR);
    fail();
}

void TlsStream::fail()
{
    if (done_)
        return;
    done_ = true;
    watch();
    auto gone = std::move(events_.gone);
    events_ = {};
    if (gone)
        gone();
}

void TlsStream::abort()
{
    events_ = {};
    done_ = true;
    watch();
}

} // namespace zk::coord
