// The roll as players feel it: a real zonkards-host, nine clients on
// loopback (six players and three spectators), and a game played through
// for several rounds. Each player, on his turn, rolls, chooses the first
// category offered and rolls twice more, each time a moment after he saw the
// last answer (a person never clicks within milliseconds). Measured is the
// time from each roll request to the moment its answer (CMD_createdice, or
// CMD_zonkard) has reached all nine clients; every socket is watched at once,
// so a message is timed when it arrives, not when a client gets round to it.
//
//   bench_roll_latency ZONKARDS-HOST [ROUNDS] [THINK-MS] [COORDINATOR]
//
// With COORDINATOR (a zonkards-coordinator program), the host registers
// with one started here (--always-relay, a certificate of a CA made here)
// and every client joins by the invite code through its relay, over TLS as
// a game does: the figure to set beside the direct one.
//
// Prints "key value" lines: rolls, p50_ms, p99_ms, max_ms.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "HostProcess.h"
#include "TestCa.h"
#include "TlsClient.h"
#include "protocol/Messages.h"

namespace {

using namespace zk::test;
namespace msg = zk::msg;

constexpr int kClients = 9;
constexpr int kPlayers = 6;

// One client's connection: plain TCP to the host, or TLS to the relay.
struct Link {
    int fd = -1;
    std::optional<zk::test::TlsClient> tls;
};
using Connector = std::function<std::optional<Link>()>;

Link directTo(int port)
{
    Link link{::socket(AF_INET, SOCK_STREAM, 0), std::nullopt};
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(link.fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    return link;
}

struct Arrival {
    std::string text;
    Clock::time_point at;
};

// The nine connections, read all at once.
class Table {
public:
    explicit Table(const Connector& connect)
    {
        for (int i = 0; i < kClients; ++i) {
            auto link = connect();
            if (!link)
                return;
            links_.push_back(std::move(*link));
            buffers_.emplace_back();
            inbox_.emplace_back();
            // Connect one by one, so that the slots are the clients' order.
            if (!waitAt(i, [](const std::string& m) { return m.rfind("CMD_sendlogininfo+", 0) == 0; }))
                return;
            send(i, msg::text(msg::LoginInfo{std::to_string(i + 1), std::string(zk::kVersionText),
                                             "P" + std::to_string(i + 1) + zk::kTerminator}));
        }
        ok_ = true;
    }
    ~Table()
    {
        for (Link& l : links_)
            if (!l.tls)
                ::close(l.fd);
    }
    bool ok() const { return ok_; }

    void send(int client, const std::string& text)
    {
        Link& l = links_[static_cast<std::size_t>(client)];
        if (l.tls)
            l.tls->send(text + zk::kTerminator);
        else
            sendAll(l.fd, text + zk::kTerminator);
    }

    // Waits until client has a message that passes the test; earlier ones
    // are dropped. The arrival time of the match, or nothing at the deadline.
    std::optional<Clock::time_point> waitAt(int client, const std::function<bool(const std::string&)>& test,
                                            std::string* matched = nullptr)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(30);
        while (true) {
            auto& box = inbox_[static_cast<std::size_t>(client)];
            while (!box.empty()) {
                Arrival a = box.front();
                box.erase(box.begin());
                if (test(a.text)) {
                    if (matched)
                        *matched = a.text;
                    return a.at;
                }
            }
            if (msLeft(deadline) == 0)
                return std::nullopt;
            pump(msLeft(deadline));
        }
    }
    // The latest arrival of a matching message over all clients.
    std::optional<Clock::time_point> waitAll(const std::function<bool(const std::string&)>& test)
    {
        Clock::time_point last{};
        for (int c = 0; c < kClients; ++c) {
            const auto at = waitAt(c, test);
            if (!at)
                return std::nullopt;
            last = std::max(last, *at);
        }
        return last;
    }

private:
    // Reads whatever any socket has, timestamping each message as it comes.
    void pump(int timeoutMs)
    {
        std::vector<pollfd> polls;
        bool decrypted = false; // TLS holds bytes the socket no longer shows
        for (const Link& l : links_) {
            polls.push_back({l.fd, POLLIN, 0});
            decrypted = decrypted || (l.tls && l.tls->pending());
        }
        if (::poll(polls.data(), polls.size(), decrypted ? 0 : timeoutMs) < 0)
            return;
        const auto now = Clock::now();
        for (std::size_t i = 0; i < polls.size(); ++i) {
            Link& l = links_[i];
            if (!(polls[i].revents & POLLIN) && !(l.tls && l.tls->pending()))
                continue;
            char buf[65536];
            const ssize_t n = l.tls ? l.tls->read(buf, sizeof buf) : ::read(l.fd, buf, sizeof buf);
            if (n <= 0)
                continue;
            std::string& b = buffers_[i];
            b.append(buf, static_cast<std::size_t>(n));
            for (auto end = b.find(zk::kTerminator); end != std::string::npos;
                 end = b.find(zk::kTerminator)) {
                inbox_[i].push_back({b.substr(0, end), now});
                b.erase(0, end + 1);
            }
        }
    }

    std::vector<Link> links_;
    std::vector<std::string> buffers_;
    std::vector<std::vector<Arrival>> inbox_;
    bool ok_ = false;
};

bool is(const std::string& m, std::string_view command)
{
    return zk::splitCommand(m).name == command;
}

template <typename M>
msg::Decoded<M> read(const std::string& m)
{
    return msg::decode<M>(zk::splitCommand(m).args);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_roll_latency ZONKARDS-HOST [ROUNDS] [THINK-MS] [COORDINATOR]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const auto think = std::chrono::milliseconds(argc > 3 ? std::atoi(argv[3]) : 40);
    const bool relayed = argc > 4;

    std::optional<TestCa> ca;
    std::optional<HostProcess> coordinator;
    std::vector<std::string> hostArgs{"--port", "0", "--bot-speed", "1"}, hostEnv;
    int coordinatorPort = 0;
    if (relayed) {
        ca.emplace(std::vector<std::string>{"localhost", "127.0.0.1"});
        coordinatorPort = freeTcpPort();
        coordinator.emplace(
            HostProcess::Program{argv[4]},
            std::vector<std::string>{"--listen", "127.0.0.1:" + std::to_string(coordinatorPort), "--cert",
                                     ca->serverCert(), "--key", ca->serverKey(), "--always-relay"});
        if (!ca->ok() || coordinator->stdoutLine().find("coordinator listening") == std::string::npos) {
            std::fprintf(stderr, "the coordinator did not start\n");
            return 1;
        }
        hostArgs.push_back("--invite");
        hostEnv = {"ZONKARDS_COORDINATOR=localhost:" + std::to_string(coordinatorPort),
                   "ZONKARDS_COORDINATOR_CA=" + ca->caCert()};
    }
    HostProcess host(HostProcess::Program{argv[1]}, hostArgs, hostEnv);
    if (host.port() == 0) {
        std::fprintf(stderr, "zonkards-host did not start\n");
        return 1;
    }
    Connector connect = [&] { return std::optional<Link>(directTo(host.port())); };
    std::optional<zk::test::TlsContext> tls;
    std::string code;
    if (relayed) {
        const std::string said = "invite code +";
        if (!host.waitForOut(said) || !host.waitForOut("reached ")) {
            std::fprintf(stderr, "the host got no invite code\n");
            return 1;
        }
        const std::string& out = host.out();
        const auto at = out.find(said) + said.size();
        code = out.substr(at, out.find('\n', at) - at);
        tls.emplace(ca->caCert());
        connect = [&]() -> std::optional<Link> {
            const auto way = zk::test::lookUpRelay(*tls, coordinatorPort, code);
            auto joined = way ? zk::test::joinThroughRelay(*tls, *way) : std::nullopt;
            if (!joined)
                return std::nullopt;
            const int fd = joined->fd();
            return Link{fd, std::move(joined)};
        };
    }
    Table table(connect);
    if (!table.ok() || !table.waitAll([](const std::string& m) {
            return is(m, msg::NewPlayerInfo::command) && read<msg::NewPlayerInfo>(m)->slot == kClients;
        })) {
        std::fprintf(stderr, "the clients did not log in\n");
        return 1;
    }

    std::vector<double> samples;
    table.send(0, msg::text(msg::StartGame{"P1", "2"}));
    for (int turn = 0; turn < rounds * kPlayers; ++turn) {
        // Every client is past this turn's start before the player acts.
        std::string next;
        for (int c = 0; c < kClients; ++c) {
            if (!table.waitAt(
                    c, [](const std::string& m) { return is(m, msg::NextPlayer::command); },
                    c == 0 ? &next : nullptr)) {
                std::fprintf(stderr, "no next turn\n");
                return 1;
            }
        }
        const auto turnOf = read<msg::NextPlayer>(next);
        const int seat = turnOf->seat;
        const int me = seat - 1;
        int selected = 0;
        for (int roll = 1; roll <= zk::kRollsPerTurn; ++roll) {
            std::this_thread::sleep_for(think);
            const auto t0 = Clock::now();
            table.send(me, msg::text(msg::RollTheDice{seat, {1, 2, 3, 4, 5}}));
            bool zonkard = false;
            const auto done = table.waitAll([&](const std::string& m) {
                if (is(m, msg::SelectedCat::command))
                    selected = read<msg::SelectedCat>(m)->category; // forced at the first roll
                zonkard = zonkard || is(m, msg::Zonkard::command);
                return is(m, msg::Zonkard::command) ||
                       (is(m, msg::CreateDice::command) && read<msg::CreateDice>(m)->rolls == roll);
            });
            if (!done) {
                std::fprintf(stderr, "no answer to a roll\n");
                return 1;
            }
            samples.push_back(std::chrono::duration<double, std::milli>(*done - t0).count());
            if (zonkard)
                break;
            if (roll == 1 && selected == 0) {
                selected = turnOf->categories.empty() ? 0 : turnOf->categories.front();
                table.send(me, msg::text(msg::SelectCat{seat, selected}));
                table.waitAll([](const std::string& m) { return is(m, msg::SelectedCat::command); });
            }
        }
    }
    if (samples.empty())
        return 1;
    std::sort(samples.begin(), samples.end());
    auto at = [&](double q) {
        return samples[std::min(samples.size() - 1,
                                static_cast<std::size_t>(q * static_cast<double>(samples.size())))];
    };
    std::printf("rolls %zu\np50_ms %.3f\np99_ms %.3f\nmax_ms %.3f\n", samples.size(), at(0.5), at(0.99),
                samples.back());
    return 0;
}
