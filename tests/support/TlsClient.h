// A blocking TLS client over a plain socket (OpenSSL), for the tests and
// benchmarks that talk to a real zonkards-coordinator from outside: the
// look-up of a code, the ticket line to the relay, a host's registration. One message is
// one line ended by the game's terminator byte.
//
//     TlsContext tls(caFile);
//     TlsClient c;
//     c.open(tls, 7780);                            // 127.0.0.1, or bound to a source address
//     c.send(msg::encode(coord::Resolve{coord::kProtocol, code}));
//     std::optional<std::string> answer = c.line(5000);
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/ssl.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "coordinator/CoordMessages.h"

namespace zk::test {

class TlsContext {
public:
    explicit TlsContext(const std::string& caFile) : ctx_(SSL_CTX_new(TLS_client_method()))
    {
        SSL_CTX_load_verify_locations(ctx_, caFile.c_str(), nullptr);
        SSL_CTX_set_verify(ctx_, SSL_VERIFY_PEER, nullptr);
    }
    ~TlsContext() { SSL_CTX_free(ctx_); }
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;
    SSL_CTX* get() const { return ctx_; }

private:
    SSL_CTX* ctx_;
};

class TlsClient {
public:
    TlsClient() = default;
    TlsClient(TlsClient&& o) noexcept : fd_(o.fd_), ssl_(o.ssl_), buffer_(std::move(o.buffer_))
    {
        o.fd_ = -1;
        o.ssl_ = nullptr;
    }
    TlsClient(const TlsClient&) = delete;
    TlsClient& operator=(const TlsClient&) = delete;
    ~TlsClient() { close(); }

    // Connects to 127.0.0.1:port (from source, a loopback address, when
    // given) and makes the TLS handshake, checking the name "localhost".
    bool open(const TlsContext& tls, int port, const char* source = nullptr)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (source) {
            sockaddr_in from{};
            from.sin_family = AF_INET;
            ::inet_pton(AF_INET, source, &from.sin_addr);
            if (::bind(fd_, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0)
                return false;
        }
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0)
            return false;
        ssl_ = SSL_new(tls.get());
        SSL_set_fd(ssl_, fd_);
        SSL_set_tlsext_host_name(ssl_, "localhost");
        SSL_set1_host(ssl_, "localhost");
        return SSL_connect(ssl_) == 1;
    }
    void close()
    {
        if (ssl_)
            SSL_free(ssl_);
        if (fd_ >= 0)
            ::close(fd_);
        ssl_ = nullptr;
        fd_ = -1;
    }
    int fd() const { return fd_; }
    // Bytes TLS has decrypted and not yet handed out (poll() does not see them).
    bool pending() const { return !buffer_.empty() || (ssl_ && SSL_pending(ssl_) > 0); }

    bool send(std::string_view bytes)
    {
        return !bytes.empty() && SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size())) > 0;
    }
    // What TLS has now, at most size bytes: -1 at the end or on an error.
    int read(char* into, int size)
    {
        if (!buffer_.empty()) {
            const int n = std::min(size, static_cast<int>(buffer_.size()));
            buffer_.copy(into, static_cast<std::size_t>(n));
            buffer_.erase(0, static_cast<std::size_t>(n));
            return n;
        }
        const int n = SSL_read(ssl_, into, size);
        return n > 0 ? n : -1;
    }
    // The next line (without its terminator), waiting at most timeoutMs.
    std::optional<std::string> line(int timeoutMs)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (buffer_.find(kTerminator) == std::string::npos) {
            if (!pending()) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                pollfd p{fd_, POLLIN, 0};
                if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                    return std::nullopt;
            }
            char chunk[4096];
            const int n = SSL_read(ssl_, chunk, sizeof chunk);
            if (n <= 0)
                return std::nullopt;
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
        const auto end = buffer_.find(kTerminator);
        std::string out = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return out;
    }

private:
    int fd_ = -1;
    SSL* ssl_ = nullptr;
    std::string buffer_;
};

// The relay's way in for a code (a fresh look-up), or nothing.
inline std::optional<coord::RelayWay> lookUpRelay(const TlsContext& tls, int coordinatorPort,
                                                  const std::string& code)
{
    TlsClient c;
    if (!c.open(tls, coordinatorPort) || !c.send(msg::encode(coord::Resolve{coord::kProtocol, code})))
        return std::nullopt;
    const auto answer = c.line(5000);
    if (!answer)
        return std::nullopt;
    const auto split = splitCommand(*answer);
    if (split.name != coord::RelayAnswer::command)
        return std::nullopt;
    const auto way = msg::decode<coord::RelayAnswer>(split.args);
    if (!way.complete)
        return std::nullopt;
    return coord::RelayWay{way->address, way->port, way->ticket};
}

// A joiner's data connection through the relay: the ticket line, then the
// relay's "paired"; from then on the game's own bytes.
inline std::optional<TlsClient> joinThroughRelay(const TlsContext& tls, const coord::RelayWay& way)
{
    TlsClient c;
    if (!c.open(tls, way.port) || !c.send(msg::encode(coord::Join{{coord::kProtocol, way.ticket}})))
        return std::nullopt;
    const auto paired = c.line(10000);
    if (!paired || splitCommand(*paired).name != coord::Paired::command)
        return std::nullopt;
    return c;
}

// A host registered over `control` (with `registration`, a ZC_register
// line) and a joiner paired with it through the relay: joiner and host are
// then the two ends of one relayed connection.
struct RelayedPair {
    TlsClient control, joiner, host;
};
inline std::optional<RelayedPair> pairThroughRelay(const TlsContext& tls, int port,
                                                   const std::string& registration, const std::string& code)
{
    RelayedPair p;
    if (!p.control.open(tls, port) || !p.control.send(registration) || !p.control.line(5000))
        return std::nullopt;
    const auto way = lookUpRelay(tls, port, code);
    if (!way || !p.joiner.open(tls, way->port) ||
        !p.joiner.send(msg::encode(coord::Join{{coord::kProtocol, way->ticket}})))
        return std::nullopt;
    // The coordinator asks the host for a data connection; the host opens it with the same ticket.
    std::optional<std::string> connect;
    while ((connect = p.control.line(5000)) && splitCommand(*connect).name != coord::Connect::command) {
    }
    if (!connect || !p.host.open(tls, way->port) ||
        !p.host.send(msg::encode(coord::Open{{coord::kProtocol, way->ticket}})) || !p.host.line(5000) ||
        !p.joiner.line(5000))
        return std::nullopt;
    return p;
}

} // namespace zk::test
