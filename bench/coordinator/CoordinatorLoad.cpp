// One zonkards-coordinator process under load, from outside over loopback:
//
//   bench_coordinator_load COORDINATOR hosts N    N hosts register (TLS, each
//       its own control connection, 50 to a loopback source address) and
//       stay; the coordinator's memory then, and the registration time.
//   bench_coordinator_load COORDINATOR relay MB   one joiner and one host
//       paired through the relay; MB megabytes from the joiner to the host:
//       the relay's copying rate (each side TLS, as games use it).
//   bench_coordinator_load COORDINATOR rtt N      N round trips of a short
//       message, once over plain loopback TCP to an echo, once through the
//       relay to the same echo (TLS at both ends): what one relayed round
//       trip costs beside the floor of this machine.
//
// Prints "key value" lines. The coordinator gets a certificate from a CA made
// here, listens on 127.0.0.1 only, and ends with the benchmark.
#include <netinet/tcp.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <thread>
#include <vector>

#include "HostProcess.h"
#include "TestCa.h"
#include "TlsClient.h"
#include "coordinator/InviteCode.h"

namespace {

using namespace zk;
using namespace zk::test;

double rssMb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    double kb = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> kb;
            break;
        }
        status.ignore(4096, '\n');
    }
    return kb / 1024.0;
}

std::string secretOf(std::uint64_t n)
{
    std::mt19937_64 random(n * 7919 + 1);
    return coord::newSecret([&] { return random(); });
}

coord::Register registration(const std::string& secret, int n)
{
    return {coord::kProtocol,
            std::string(kVersionText),
            secret,
            "nonce" + std::to_string(n),
            coord::Visibility::Invite,
            9, // nothing listens there: the probe fails at once, the game is relayed
            GameAdvert{.seated = 1, .free = 5}};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int hosts(HostProcess& coordinator, pid_t pid, const TlsContext& tls, int port, int count)
{
    const double before = rssMb(pid);
    std::vector<TlsClient> links;
    std::vector<double> ms;
    links.reserve(static_cast<std::size_t>(count));
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        // 50 hosts to a source address, within the coordinator's per-address limit.
        const std::string source =
            "127.0." + std::to_string(1 + i / 50 / 250) + "." + std::to_string(1 + (i / 50) % 250);
        const auto t0 = Clock::now();
        TlsClient c;
        if (!c.open(tls, port, source.c_str()) || !c.send(msg::encode(registration(secretOf(i), i)))) {
            std::fprintf(stderr, "host %d could not connect\n", i);
            return 1;
        }
        const auto answer = c.line(10000);
        if (!answer || splitCommand(*answer).name != coord::Registered::command) {
            std::fprintf(stderr, "host %d was not registered: %s\n", i,
                         answer ? answer->c_str() : "(nothing)");
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        links.push_back(std::move(c));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // The probes and their answers settle.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    if (!coordinator.running()) {
        std::fprintf(stderr, "the coordinator ended\n");
        return 1;
    }
    std::printf("hosts %d\nrss_idle_mb %.1f\nrss_mb %.1f\nregister_p50_ms %.2f\nregister_all_s %.1f\n", count,
                before, rssMb(pid), median(ms), seconds);
    return 0;
}

int relay(const TlsContext& tls, int port, int megabytes)
{
    const std::string secret = secretOf(1);
    auto pair = pairThroughRelay(tls, port, msg::encode(registration(secret, 1)), coord::inviteCode(secret));
    if (!pair)
        return std::fprintf(stderr, "the pair was not made\n"), 1;
    TlsClient& joiner = pair->joiner;
    TlsClient& host = pair->host;

    const std::size_t total = static_cast<std::size_t>(megabytes) * 1000 * 1000;
    const auto t0 = Clock::now();
    std::thread sender([&] {
        const std::string chunk(16 * 1024, 'z');
        for (std::size_t sent = 0; sent < total; sent += chunk.size())
            joiner.send(std::string_view(chunk).substr(0, std::min(chunk.size(), total - sent)));
    });
    std::size_t got = 0;
    char buf[65536];
    while (got < total) {
        const int n = host.read(buf, sizeof buf);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    sender.join();
    if (got < total)
        return std::fprintf(stderr, "the relay closed after %zu bytes\n", got), 1;
    std::printf("relayed_mb %d\nrelay_mb_per_s %.1f\n", megabytes,
                static_cast<double>(total) / 1e6 / seconds);
    return 0;
}

// One round trip each `think`, answered by `echo` on its own thread; the median in µs.
template <typename Send, typename Read>
double roundTrips(int count, Send send, Read read, const std::function<void()>& echo)
{
    std::thread answering(echo);
    std::vector<double> us;
    const std::string ping(40, 'p');
    char buf[256];
    for (int i = 0; i < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const auto t0 = Clock::now();
        std::size_t got = 0;
        if (!send(ping))
            break;
        while (got < ping.size()) {
            const int n = read(buf, sizeof buf);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    send(std::string(1, 'q')); // the echo ends
    answering.join();
    return us.size() == static_cast<std::size_t>(count) ? median(us) : -1;
}

int rtt(const TlsContext& tls, int port, int count)
{
    // Plain: a loopback connection to an echo thread.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t atSize = sizeof at;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&at), &atSize) != 0)
        return std::fprintf(stderr, "no plain listener\n"), 1;
    const int plainFd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (::connect(plainFd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0)
        return std::fprintf(stderr, "no plain connection\n"), 1;
    const int echoFd = ::accept(listener, nullptr, nullptr);
    const int one = 1;
    for (int fd : {plainFd, echoFd})
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    auto plainEcho = [echoFd] {
        char buf[256];
        for (;;) {
            const ssize_t n = ::read(echoFd, buf, sizeof buf);
            if (n <= 0 || buf[n - 1] == 'q')
                return;
            sendAll(echoFd, std::string(buf, static_cast<std::size_t>(n)));
        }
    };
    const double direct = roundTrips(
        count, [&](const std::string& b) { return sendAll(plainFd, b), true; },
        [&](char* into, int size) {
            return static_cast<int>(::read(plainFd, into, static_cast<std::size_t>(size)));
        },
        plainEcho);
    for (int fd : {plainFd, echoFd, listener})
        ::close(fd);

    const std::string secret = secretOf(2);
    auto pair = pairThroughRelay(tls, port, msg::encode(registration(secret, 2)), coord::inviteCode(secret));
    if (!pair)
        return std::fprintf(stderr, "the pair was not made\n"), 1;
    auto relayEcho = [&] {
        char buf[256];
        for (;;) {
            const int n = pair->host.read(buf, sizeof buf);
            if (n <= 0 || buf[n - 1] == 'q')
                return;
            pair->host.send(std::string_view(buf, static_cast<std::size_t>(n)));
        }
    };
    const double relayed = roundTrips(
        count, [&](const std::string& b) { return pair->joiner.send(b); },
        [&](char* into, int size) { return pair->joiner.read(into, size); }, relayEcho);
    if (direct < 0 || relayed < 0)
        return std::fprintf(stderr, "a round trip failed\n"), 1;
    std::printf("round_trips %d\nrtt_plain_us %.0f\nrtt_relayed_us %.0f\n", count, direct, relayed);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_coordinator_load COORDINATOR hosts N | relay MB | rtt N\n");
        return 2;
    }
    const std::string mode = argv[2];
    const int n = std::atoi(argv[3]);
    // Each host is a connection at both ends.
    rlimit files{static_cast<rlim_t>(2 * n + 256), static_cast<rlim_t>(2 * n + 256)};
    if (mode == "hosts" && ::setrlimit(RLIMIT_NOFILE, &files) != 0)
        std::fprintf(stderr, "cannot open %d files; fewer hosts will fit\n", 2 * n + 256);
    TestCa ca({"localhost", "127.0.0.1"});
    if (!ca.ok())
        return std::fprintf(stderr, "no CA: %s\n", ca.error().c_str()), 1;
    const int port = freeTcpPort();
    HostProcess coordinator(HostProcess::Program{argv[1]},
                            {"--listen", "127.0.0.1:" + std::to_string(port), "--cert", ca.serverCert(),
                             "--key", ca.serverKey(), "--relay-budget", "1048576"});
    if (coordinator.stdoutLine().find("coordinator listening") == std::string::npos)
        return std::fprintf(stderr, "the coordinator did not start: %s\n", coordinator.err().c_str()), 1;
    const TlsContext tls(ca.caCert());
    if (mode == "hosts")
        return hosts(coordinator, coordinator.pid(), tls, port, n);
    return mode == "rtt" ? rtt(tls, port, n) : relay(tls, port, n);
}
