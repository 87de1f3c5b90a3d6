// Play over the internet between two homes behind NAT, as internet_netns.sh
// makes them: the coordinator and its relay on the public side, the hosting
// table in home A, Bob's joining table in home B (where this program runs,
// and where its own coordinator client speaks from). The cases run in order
// and share the coordinator: a relayed join by invite code, a direct one once
// router A maps the port, the public list, tickets and certificates that are
// refused, and play by address with the coordinator killed. Run outside
// internet_netns.sh, every case is skipped.
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSslSocket>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "HostProcess.h"
#include "TestCa.h"
#include "ZonkardsProcess.h"
#include "coordinator/InviteCode.h"
#include "coordinator/Tickets.h"
#include "coordinator/qt/CoordinatorClient.h"
#include "game/Options.h"
#include "protocol/Commands.h"
#include "records/DataDir.h"

namespace zk::test {
namespace {

using Kind = coord::LookupAnswer::Kind;
const std::string kPub = qEnvironmentVariable("ZK_NET_PUB").toStdString(),
                  kHomeA = qEnvironmentVariable("ZK_NET_HOME_A").toStdString(),
                  kRouterA = qEnvironmentVariable("ZK_NET_ROUTER_A").toStdString();
const std::string kCoordinatorIp = "100.128.0.1", kRouterAWan = "100.128.0.2";
const std::string kMapped = "port mapping: mapped by"; // the hosting table's debug log

// Polls the condition, running the event loop (our own client's sockets) between tries.
bool eventually(const std::function<bool()>& condition, int capMs = 20000, int stepMs = 20)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(capMs);
    while (!condition()) {
        if (msLeft(deadline) == 0)
            return false;
        QCoreApplication::processEvents();
        ::usleep(static_cast<useconds_t>(stepMs) * 1000);
    }
    return true;
}

// Shared by the cases. Every game is given the coordinator, the test's CA,
// no LAN announcements (the real machine's avahi-daemon is reachable
// through the file system) and the debug log on standard error.
struct Net {
    TestCa ca{{kCoordinatorIp}};
    std::unique_ptr<HostProcess> coordinator;
    Sandbox annBox; // Ann's settings and secret: her code across restarts
    std::string code;
    // The key the relay checks tickets with: the test signs one that has expired.
    const std::string relayKey =
        coord::newSecret(coord::strongRandom) + coord::newSecret(coord::strongRandom);

    std::vector<std::string> gameEnv(std::vector<std::string> more = {}) const
    {
        more.insert(more.end(), {"ZONKARDS_COORDINATOR=" + kCoordinatorIp + ":7780",
                                 "ZONKARDS_COORDINATOR_CA=" + ca.caCert(), "ZONKARDS_LAN_DISCOVERY=0",
                                 "ZONKARDS_DEBUG=1"});
        return more;
    }
    QSslConfiguration trust() const { return coord::coordinatorTls(ca.caCert()); }
};
Net* net = nullptr;

void writeHostFor(const Sandbox& box, const std::string& hostFor)
{
    std::ofstream(box.file(std::string(kSettingsFileName)))
        << "[" << kGameKey << "]\r\nHostFor=" << hostFor << "\r\n";
}
// A hosting table in home A; router A may map its port.
std::unique_ptr<ZonkardsProcess> hostInHomeA(const Sandbox& box, const std::string& name)
{
    return std::make_unique<ZonkardsProcess>(
        box, std::vector<std::string>{name, "127.0.0.1", "true"}, 7772,
        net->gameEnv({"ZONKARDS_PORT_MAPPING=1"}), "auto",
        std::vector<std::string>{"/usr/sbin/ip", "netns", "exec", kHomeA});
}
// A table here in home B joining the address ("+CODE", "HOST").
std::unique_ptr<ZonkardsProcess> joinFromHomeB(const Sandbox& box, const std::string& address)
{
    return std::make_unique<ZonkardsProcess>(box, std::vector<std::string>{"Bob", address, "false"}, 7772,
                                             net->gameEnv());
}
// The first chat line that starts with the prefix, once the table shows one; "" at the deadline.
std::string chatLine(ZonkardsProcess& p, const std::string& prefix)
{
    std::string line;
    p.waitForBoard([&](const QJsonObject& b) {
        for (const auto& t : chatTexts(b)) {
            if (line.empty() && t.starts_with(prefix))
                line = t;
        }
        return !line.empty();
    });
    return line;
}
std::string shownCode(ZonkardsProcess& host)
{
    const std::string prefix = "Your game's invite code is ", line = chatLine(host, prefix);
    return line.empty() ? "" : line.substr(prefix.size());
}
// Bob seated at Ann's table; prints the time from his "Looking up" line to the seat.
bool seatedByCode(ZonkardsProcess& bob, const std::string& how)
{
    if (chatLine(bob, "Looking up the game ").empty())
        return false;
    const auto start = Clock::now();
    const bool seated = bob.waitForBoard(zk::test::seated({"Ann", "Bob"}));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    std::printf("join by code to seated, %s: %lld ms\n", how.c_str(), static_cast<long long>(ms));
    return seated;
}

// Our own client, speaking as a joining table does: a look-up, and a relay
// dial ("" when paired, else the reason).
coord::LookupAnswer lookUp(const std::string& host, const QSslConfiguration& tls, const std::string& code)
{
    std::optional<coord::LookupAnswer> answer;
    auto* lookup = new coord::CoordinatorLookup({host, 7780}, tls);
    lookup->resolve(coord::readInviteCode(code).value_or(code), [&](const auto& a) { answer = a; });
    eventually([&] { return answer.has_value(); });
    return answer.value_or(coord::LookupAnswer{});
}
std::string joinRelay(const coord::LookupAnswer& way)
{
    std::optional<std::string> result;
    QObject context;
    coord::dialRelay(way.host, way.port, way.ticket, coord::RelayDial::Side::Joiner, net->trust(), &context,
                     [&](QSslSocket* sock, const std::string&, const QString& error) {
                         result = sock ? "" : error.toStdString();
                         delete sock;
                     });
    eventually([&] { return result.has_value(); });
    return result.value_or("no answer");
}

// `read Thostjoin WIDGET`: a label as a string, a list as rows of {"columns": [...]}.
QJsonValue read(ZonkardsProcess& p, const std::string& widget)
{
    const std::string answer = p.command("read Thostjoin " + widget);
    return QJsonDocument::fromJson(QByteArray::fromStdString("[" + answer + "]")).array().at(0);
}
std::string status(ZonkardsProcess& p)
{
    return read(p, "label_internetstatus").toString().toStdString();
}
// The columns of the Internet list's row for the code; empty when none.
QJsonArray internetRow(ZonkardsProcess& p, const std::string& code)
{
    for (const QJsonValue& row : read(p, "list_internet").toArray()) {
        if (row["columns"][4].toString().toStdString() == code)
            return row["columns"].toArray();
    }
    return {};
}

class Internet : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (kPub.empty())
            return;
        net = new Net;
        writeHostFor(net->annBox, "invite");
        std::ofstream(net->ca.path("relay.key")) << net->relayKey;
        net->coordinator = std::make_unique<HostProcess>(
            HostProcess::Program{"/usr/sbin/ip"},
            std::vector<std::string>{"netns", "exec", kPub, ZK_BIN_ZONKARDS_COORDINATOR, "--listen",
                                     "0.0.0.0:7780", "--cert", net->ca.serverCert(), "--key",
                                     net->ca.serverKey(), "--relay-key", net->ca.path("relay.key")});
        net->coordinator->waitForOut("relay listening on ");
    }
    static void TearDownTestSuite() { delete std::exchange(net, nullptr); }
    void SetUp() override
    {
        if (kPub.empty())
            GTEST_SKIP() << "run through internet_netns.sh";
        ASSERT_TRUE(net->ca.ok()) << net->ca.error();
        ASSERT_NE(net->coordinator->out().find("relay listening on "), std::string::npos)
            << net->coordinator->err();
    }
};

// Router A maps nothing: the coordinator's probe cannot reach Ann, so Bob,
// who has only the code, is seated through the relay and plays.
TEST_F(Internet, AnInviteCodeSeatsTheJoinerThroughTheRelayAndTheyPlay)
{
    const auto ann = hostInHomeA(net->annBox, "Ann");
    ASSERT_TRUE(ann->connect()) << ann->stderrText();
    net->code = shownCode(*ann);
    ASSERT_TRUE(coord::readInviteCode(net->code)) << net->code << ann->stderrText();

    Sandbox bobBox;
    const auto bob = joinFromHomeB(bobBox, net->code);
    ASSERT_TRUE(bob->connect()) << bob->stderrText();
    ASSERT_TRUE(seatedByCode(*bob, "relayed")) << bob->stderrText();
    EXPECT_TRUE(chatHas(bob->board(), "Connecting through the relay ..."));
    ASSERT_TRUE(ann->waitForBoard(seated({"Ann", "Bob"})));
    for (const char* step : {"menu Fast", "click start", "press gamestart Image1", "menu Just Watch"})
        EXPECT_EQ(ann->command(step), "ok") << step;
    ASSERT_TRUE(bob->waitForBoard(
        [](const QJsonObject& o) { return o["currentSeat"].toInt() == 2 && o["rollButton"].toBool(); },
        60000))
        << bob->stderrText();
    EXPECT_EQ(bob->command("click roll"), "ok");
    EXPECT_TRUE(ann->waitForBoard([](const QJsonObject& o) {
        return o["currentSeat"].toInt() == 2 && o["rollCount"].toInt() >= 1;
    })) << "Ann's table shows Bob's roll";

    // A ticket pairs once and not after its time; the coordinator is trusted
    // only with its CA and for its own address.
    auto way = lookUp(kCoordinatorIp, net->trust(), net->code);
    ASSERT_EQ(way.kind, Kind::Relay) << way.error.toStdString();
    EXPECT_EQ(joinRelay(way), "");
    EXPECT_EQ(joinRelay(way), "The relay ticket was used already; try again");
    way.ticket = coord::TicketSigner(net->relayKey).issue(1, QDateTime::currentMSecsSinceEpoch() - 1000, 7);
    EXPECT_EQ(joinRelay(way), "The relay ticket has expired; try again");
    const struct {
        const char* what;
        std::string host;
        QSslConfiguration tls;
    } impostors[] = {
        {"a CA the game does not trust", kCoordinatorIp, coord::coordinatorTls(std::nullopt)},
        {"an address its certificate does not name", "100.128.0.9", net->trust()},
    };
    for (const auto& i : impostors) {
        const auto a = lookUp(i.host, i.tls, net->code);
        EXPECT_EQ(a.kind, Kind::Failed) << i.what;
        EXPECT_TRUE(a.error.startsWith("The coordinator cannot be reached: its certificate is not trusted"))
            << i.what << ": " << a.error.toStdString();
    }
    EXPECT_EQ(bob->quit(), 0);
    EXPECT_EQ(ann->quit(), 0);
}

// With miniupnpd in router A, Ann's table maps its port, the probe gets
// through, and Bob goes straight to router A's address; her code stays.
TEST_F(Internet, WithThePortMappedTheJoinerGoesDirect)
{
    ASSERT_EQ(HostProcess(HostProcess::Program{kRouterA}, {"upnp"}).wait(), 0) << "miniupnpd did not start";
    const auto ann = hostInHomeA(net->annBox, "Ann");
    ASSERT_TRUE(ann->connect()) << ann->stderrText();
    EXPECT_EQ(shownCode(*ann), net->code) << "the same secret keeps its code";
    ASSERT_TRUE(eventually([&] { return ann->stderrText().find(kMapped) != std::string::npos; }))
        << ann->stderrText();
    // Probed again with the port open. (Few look-ups: each counts against home B's limit.)
    coord::LookupAnswer way;
    EXPECT_TRUE(eventually(
        [&] { return (way = lookUp(kCoordinatorIp, net->trust(), net->code)).kind == Kind::Direct; }, 6000,
        1000))
        << way.error.toStdString() << ann->stderrText();
    EXPECT_EQ(way.host + ":" + std::to_string(way.port), kRouterAWan + ":7772");

    Sandbox bobBox;
    const auto bob = joinFromHomeB(bobBox, net->code);
    ASSERT_TRUE(bob->connect()) << bob->stderrText();
    ASSERT_TRUE(seatedByCode(*bob, "direct")) << bob->stderrText();
    EXPECT_TRUE(chatHas(bob->board(), "Connecting directly to " + kRouterAWan + ":7772 ..."));
    EXPECT_FALSE(chatHas(bob->board(), "Connecting through the relay ..."));
    EXPECT_EQ(bob->quit(), 0);
    EXPECT_EQ(ann->quit(), 0);
}

// A public game is listed in the other home's dialog, and is gone from it
// once its host has ended.
TEST_F(Internet, APublicGameIsListedInTheOtherHomeUntilItsHostEnds)
{
    Sandbox cyBox, bobBox;
    writeHostFor(cyBox, "public");
    auto cy = hostInHomeA(cyBox, "Cy");
    ASSERT_TRUE(cy->connect()) << cy->stderrText();
    const std::string code = shownCode(*cy);
    ASSERT_FALSE(code.empty()) << cy->stderrText();
    ZonkardsProcess bob(bobBox, {"Bob"}, 7772, net->gameEnv());
    ASSERT_TRUE(bob.connect()) << bob.stderrText();
    EXPECT_EQ(bob.command("menu Host or Join a Game..."), "ok");
    QJsonArray row;
    EXPECT_TRUE(eventually([&] { return !(row = internetRow(bob, code)).isEmpty(); }, 10000, 200))
        << status(bob);
    EXPECT_EQ(row.at(1).toString().toStdString(), "1 of 6 seated");
    EXPECT_EQ(row.at(3).toString().toStdString(), std::string(kVersionText));
    EXPECT_TRUE(status(bob).starts_with("1 public game found")) << status(bob);

    EXPECT_EQ(cy->quit(), 0);
    cy.reset();
    EXPECT_EQ(bob.command("press Thostjoin button_refresh"), "ok");
    EXPECT_TRUE(eventually([&] { return status(bob) == "No public games on the internet yet."; }, 6000, 200))
        << status(bob);
    EXPECT_TRUE(internetRow(bob, code).isEmpty());
    EXPECT_EQ(bob.quit(), 0);
}

// The coordinator is killed: Ann still hosts and says why she has no code,
// Bob joins her by router A's address (mapped), and his dialog says why its
// Internet list is empty.
TEST_F(Internet, WithoutTheCoordinatorGamesAreHostedAndJoinedByAddress)
{
    net->coordinator->signal(SIGKILL);
    net->coordinator->wait();
    const auto ann = hostInHomeA(net->annBox, "Ann");
    ASSERT_TRUE(ann->connect()) << ann->stderrText();
    EXPECT_TRUE(chatLine(*ann, "The coordinator cannot be reached: ")
                    .ends_with(". Friends can still join by this computer's address."))
        << ann->stderrText();
    ASSERT_TRUE(eventually([&] { return ann->stderrText().find(kMapped) != std::string::npos; }))
        << ann->stderrText();

    Sandbox bobBox;
    const auto bob = joinFromHomeB(bobBox, kRouterAWan);
    ASSERT_TRUE(bob->connect()) << bob->stderrText();
    EXPECT_TRUE(bob->waitForBoard(seated({"Ann", "Bob"}))) << bob->stderrText();
    EXPECT_EQ(bob->command("menu Host or Join a Game..."), "ok");
    EXPECT_TRUE(eventually([&] { return status(*bob).starts_with("The coordinator cannot be reached: "); },
                           10000, 200))
        << status(*bob);
    EXPECT_EQ(bob->command("read Thostjoin list_internet"), "[]");
    EXPECT_EQ(bob->quit(), 0);
    EXPECT_EQ(ann->quit(), 0);
}

} // namespace
} // namespace zk::test

// One QCoreApplication: our own client's TLS sockets run on its loop.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
