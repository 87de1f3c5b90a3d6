// Two coordinators and two relays sharing one redis-server act as one
// service, all real processes on loopback: a host registers through a
// load balancer (landing on A), a joiner resolves its code on B and plays a
// roll through B's relay; A is killed with -9 and the host is registered
// again on B with the same code while the joiner's game goes on; the
// ticket spent on one relay is refused on the other.
#include <gtest/gtest.h>

#include <fstream>

#include "HostProcess.h"
#include "TcpProxy.h"
#include "TestCa.h"
#include "TestRedis.h"
#include "TlsClient.h"
#include "coordinator/InviteCode.h"

namespace zk {
namespace {

using Clock = std::chrono::steady_clock;

// The next line of the game's own wire that starts with prefix.
std::optional<std::string> waitLine(test::TlsClient& c, std::string_view prefix, int ms = 10000)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        auto line = c.line(static_cast<int>(left.count()));
        if (!line)
            return std::nullopt;
        if (line->starts_with(prefix))
            return line;
    }
    return std::nullopt;
}

// What a plain HTTP GET on the port answers, to the end of the connection.
std::string httpGet(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string page;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
        test::sendAll(fd, "GET /metrics HTTP/1.0\r\n\r\n");
        char buf[4096];
        for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;)
            page.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return page;
}

TEST(Cluster, TwoCoordinatorsAndTwoRelaysOnOneRedisServeAndSurviveAKill)
{
    test::TestRedis redis;
    if (!redis.server)
        GTEST_SKIP() << redis.skipReason;
    test::TestCa ca({"localhost", "127.0.0.1"});
    ASSERT_TRUE(ca.ok()) << ca.error();
    const std::string keyFile = ca.path("relay.key");
    std::ofstream(keyFile) << std::string(40, 'k');
    const std::string program = ZK_BINARY_DIR "/zonkards-coordinator";
    const std::vector<std::string> tls = {"--cert",  ca.serverCert(), "--key",       ca.serverKey(),
                                          "--redis", redis.url(),     "--relay-key", keyFile};
    auto start = [&](std::vector<std::string> args, const std::string& said) {
        args.insert(args.end(), tls.begin(), tls.end());
        auto p = std::make_unique<test::HostProcess>(test::HostProcess::Program{program}, args);
        EXPECT_TRUE(p->waitForOut(said)) << p->err();
        return p;
    };
    const int r1 = test::freeTcpPort(), r2 = test::freeTcpPort();
    auto relay1 = start({"--relay-only", "--listen", "127.0.0.1:" + std::to_string(r1)}, "relay listening");
    auto relay2 = start({"--relay-only", "--listen", "127.0.0.1:" + std::to_string(r2)}, "relay listening");
    const int pa = test::freeTcpPort(), pb = test::freeTcpPort();
    auto coordinatorA = start({"--listen", "127.0.0.1:" + std::to_string(pa), "--relay",
                               "127.0.0.1:" + std::to_string(r1), "--always-relay"},
                              "coordinator listening");
    const int metricsB = test::freeTcpPort();
    auto coordinatorB =
        start({"--listen", "127.0.0.1:" + std::to_string(pb), "--relay", "127.0.0.1:" + std::to_string(r2),
               "--always-relay", "--metrics", "127.0.0.1:" + std::to_string(metricsB), "--log"},
              "coordinator listening");
    test::TcpProxy balancer({pa, pb});
    ASSERT_TRUE(balancer.ok());

    test::HostProcess host(
        {"--port", "0", "--no-announce", "--invite", "--secret-file", ca.path("host.secret")},
        {"ZONKARDS_COORDINATOR=localhost:" + std::to_string(balancer.port()),
         "ZONKARDS_COORDINATOR_CA=" + ca.caCert()});
    ASSERT_TRUE(host.waitForOut("reached ")) << host.out() << host.err();
    const auto at = host.out().find("invite code +");
    ASSERT_NE(at, std::string::npos);
    const std::string code = host.out().substr(at + 13, 7); // as the table sends it, without its +

    // The joiner asks B, whose relay pairs it with the host that A holds.
    const test::TlsContext trust(ca.caCert());
    const auto way = test::lookUpRelay(trust, pb, code);
    ASSERT_TRUE(way) << coordinatorB->err();
    EXPECT_EQ(way->port, r2);
    // B counts and logs the join it answered.
    {
        const std::string page = httpGet(metricsB);
        EXPECT_NE(page.find("zonkards_joins_total{way=\"relayed\"} 1\n"), std::string::npos) << page;
        EXPECT_NE(page.find("\nzonkards_store_latency_ms "), std::string::npos) << page;
        EXPECT_TRUE(coordinatorB->waitForErr("event=join way=relayed code=" + code)) << coordinatorB->err();
    }
    auto joiner = test::joinThroughRelay(trust, *way);
    ASSERT_TRUE(joiner) << relay2->err();
    const auto hello = waitLine(*joiner, "CMD_sendlogininfo+");
    ASSERT_TRUE(hello);
    const std::string slot = hello->substr(hello->find('+') + 1);
    joiner->send(msg::encode(msg::LoginInfo{slot, std::string(kVersionText), "Joy"}));
    joiner->send(msg::encode(msg::StartGame{"Joy", "2"}));
    ASSERT_TRUE(waitLine(*joiner, "CMD_nextplayer+" + slot + "+"));
    joiner->send(msg::encode(msg::RollTheDice{std::stoi(slot), {1, 2, 3, 4, 5}}));
    const auto rolled = waitLine(*joiner, "CMD_");
    std::string answer = rolled.value_or("");
    for (int i = 0; i < 20 && !answer.starts_with("CMD_createdice+") && !answer.starts_with("CMD_zonkard");
         ++i)
        answer = waitLine(*joiner, "CMD_").value_or("(nothing)");
    EXPECT_TRUE(answer.starts_with("CMD_createdice+" + slot + "+1+") || answer.starts_with("CMD_zonkard"))
        << answer;

    // A dies without a word: the host is registered again, on B, with its code.
    const std::size_t seen = host.out().size();
    const auto killed = Clock::now();
    coordinatorA->signal(SIGKILL);
    bool registeredAgain = false;
    while (!registeredAgain && Clock::now() - killed < std::chrono::seconds(10)) {
        host.waitForOut("\x01", 200); // reads what the host says meanwhile
        registeredAgain = host.out().find("invite code +" + code, seen) != std::string::npos;
    }
    EXPECT_TRUE(registeredAgain) << host.out() << host.err();
    EXPECT_TRUE(test::lookUpRelay(trust, pb, code)) << "B answers for the game";

    // The relayed game went on meanwhile.
    joiner->send(msg::encode(msg::Chat{{std::stoi(slot), "still here|0"}}));
    EXPECT_TRUE(waitLine(*joiner, "CMD_chat+"));

    // The ticket B's relay paired is spent for every relay.
    test::TlsClient again;
    ASSERT_TRUE(again.open(trust, r1));
    again.send(msg::encode(coord::Join{{coord::kProtocol, way->ticket}}));
    EXPECT_EQ(again.line(5000), "ZC_refused+The relay ticket was used already; try again");
}

} // namespace
} // namespace zk
