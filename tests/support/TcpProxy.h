// A relay on 127.0.0.1 between tables and a host, which a test can break the
// way a network does: reset() ends every relayed connection with a reset
// towards the tables (as a router that lost its state) and an orderly close
// towards the host (which sees the player go). New connections are relayed
// again afterwards. Given several ports, it is a load balancer that fails
// over: each new connection goes to the first of them that accepts it. One
// thread, poll() over every descriptor.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "LoopbackKit.h"

namespace zk::test {

class TcpProxy {
public:
    explicit TcpProxy(int targetPort) : TcpProxy(std::vector<int>{targetPort}) {}
    explicit TcpProxy(std::vector<int> targetPorts) : port_(freeTcpPort()), targets_(std::move(targetPorts))
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        const sockaddr_in a = loopback(port_);
        ok_ = ::bind(listener_, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0 &&
              ::listen(listener_, 8) == 0;
        thread_ = std::thread([this] { run(); });
    }
    ~TcpProxy()
    {
        stop_ = true;
        thread_.join();
        for (auto& [table, host] : pairs_) {
            ::close(table);
            ::close(host);
        }
        ::close(listener_);
    }
    TcpProxy(const TcpProxy&) = delete;
    TcpProxy& operator=(const TcpProxy&) = delete;

    bool ok() const { return ok_; }
    int port() const { return port_; }
    void reset() { resetWanted_ = true; }

private:
    static sockaddr_in loopback(int port)
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }

    void run()
    {
        char buf[65536];
        while (!stop_) {
            if (resetWanted_.exchange(false)) {
                for (auto& [table, host] : pairs_) {
                    const linger abort{1, 0};
                    ::setsockopt(table, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
                    ::close(table);
                    ::close(host);
                }
                pairs_.clear();
            }
            std::vector<pollfd> fds{{listener_, POLLIN, 0}};
            for (auto& [table, host] : pairs_) {
                fds.push_back({table, POLLIN, 0});
                fds.push_back({host, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), 20) <= 0)
                continue;
            const std::size_t polled = pairs_.size(); // a pair accepted below waits for the next poll
            if (fds[0].revents & POLLIN) {
                const int table = ::accept(listener_, nullptr, nullptr);
                int host = -1;
                for (std::size_t t = 0; table >= 0 && host < 0 && t < targets_.size(); ++t) {
                    host = ::socket(AF_INET, SOCK_STREAM, 0);
                    const sockaddr_in a = loopback(targets_[t]);
                    if (::connect(host, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
                        ::close(host);
                        host = -1;
                    }
                }
                if (host >= 0)
                    pairs_.emplace_back(table, host);
                else if (table >= 0)
                    ::close(table);
            }
            for (std::size_t i = 0; i < polled; ++i) {
                const pollfd& t = fds[1 + 2 * i];
                const pollfd& h = fds[2 + 2 * i];
                bool gone = false;
                for (const auto& [from, to] :
                     {std::pair{t, pairs_[i].second}, std::pair{h, pairs_[i].first}}) {
                    if (!(from.revents & (POLLIN | POLLHUP | POLLERR)))
                        continue;
                    const ssize_t n = ::read(from.fd, buf, sizeof buf);
                    if (n <= 0)
                        gone = true;
                    else
                        sendAll(to, std::string(buf, static_cast<std::size_t>(n)));
                }
                if (gone) {
                    ::close(pairs_[i].first);
                    ::close(pairs_[i].second);
                    pairs_[i] = {-1, -1};
                }
            }
            std::erase_if(pairs_, [](const std::pair<int, int>& p) { return p.first < 0; });
        }
    }

    int port_;
    std::vector<int> targets_;
    int listener_ = -1;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<bool> resetWanted_{false};
    std::vector<std::pair<int, int>> pairs_; // (table side, host side); the thread's own
    std::thread thread_;
};

} // namespace zk::test
