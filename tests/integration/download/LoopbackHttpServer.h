// A small HTTP server on 127.0.0.1 for the download tests, running on its own
// thread with plain sockets, so it answers while the test's UI thread waits.
// Each connection's request head is recorded byte for byte and handed to the
// test's responder, which writes whatever answer the case needs.
#pragma once

#include <QByteArray>
#include <QList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace zk::test {

class LoopbackHttpServer {
public:
    // Gets the connected socket and the request head; writes the answer.
    using Responder = std::function<void(LoopbackHttpServer& server, int fd, const QByteArray& request)>;

    explicit LoopbackHttpServer(Responder responder) : responder_(std::move(responder))
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        socklen_t len = sizeof addr;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(listener_, 5) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            return;
        port_ = ntohs(addr.sin_port);
        if (::pipe(stopPipe_) != 0)
            return;
        thread_ = std::thread([this] { serve(); });
    }

    ~LoopbackHttpServer()
    {
        stopping_ = true;
        if (stopPipe_[1] >= 0)
            (void)!::write(stopPipe_[1], "x", 1);
        if (thread_.joinable())
            thread_.join();
        for (int fd : {listener_, stopPipe_[0], stopPipe_[1]})
            if (fd >= 0)
                ::close(fd);
    }

    int port() const { return port_; }
    QByteArray url(const char* path = "/lobby/lobbysetup.exe") const
    {
        return "http://127.0.0.1:" + QByteArray::number(port_) + path;
    }

    // The request heads received so far, in order.
    QList<QByteArray> requests() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    // True once a connection's peer closed it while a responder waited.
    bool sawPeerClose() const { return peerClosed_; }

    // Writes all bytes; false when the peer has gone.
    static bool sendAll(int fd, const QByteArray& bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::send(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }

    // Waits until the peer closes the connection or the server stops.
    void holdUntilPeerCloses(int fd)
    {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        char buffer[4096];
        while (!stopping_) {
            if (::poll(fds, 2, 1000) < 0)
                return;
            if (fds[1].revents)
                return;
            if (fds[0].revents) {
                if (::recv(fd, buffer, sizeof buffer, 0) <= 0) {
                    peerClosed_ = true;
                    return;
                }
            }
        }
    }

private:
    void serve()
    {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        while (!stopping_) {
            if (::poll(fds, 2, 1000) < 0 || fds[1].revents)
                return;
            if (!fds[0].revents)
                continue;
            const int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0)
                continue;
            const QByteArray request = readHead(fd);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.append(request);
            }
            responder_(*this, fd, request);
            ::close(fd);
        }
    }

    QByteArray readHead(int fd)
    {
        QByteArray head;
        char buffer[1024];
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        while (!head.contains("\r\n\r\n") && head.size() < 65536 && !stopping_) {
            if (::poll(fds, 2, 1000) <= 0)
                continue;
            if (fds[1].revents)
                break;
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            head.append(buffer, n);
        }
        return head;
    }

    Responder responder_;
    int listener_ = -1;
    int port_ = 0;
    int stopPipe_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> peerClosed_{false};
    mutable std::mutex mutex_;
    QList<QByteArray> requests_;
    std::thread thread_;
};

// A port on 127.0.0.1 that refuses connections: bound, never listening.
class RefusingPort {
public:
    RefusingPort()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            port_ = ntohs(addr.sin_port);
    }
    ~RefusingPort()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

} // namespace zk::test
