// A real host engine (TServer) registers with a real coordinator over TLS on
// loopback: the probe reaches it without leaving a trace, a joiner goes
// direct, then (its port "mapped" where nothing listens) through the relay
// and is sent the host's first message; a certificate of another CA is
// refused; zonkards-host --invite keeps its code across a restart.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSslSocket>
#include <QTcpServer>

#include <gtest/gtest.h>

#include "HostProcess.h"
#include "TestCoordinator.h"
#include "coordinator/InviteCode.h"
#include "coordinator/qt/CoordinatorClient.h"
#include "host/qt/TServer.h"

namespace zk {
namespace {

bool spinUntil(const std::function<bool()>& cond, int ms = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!cond() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return cond();
}

using Coordinator = test::TestCoordinator;

coord::LookupAnswer lookUp(const Coordinator& c, const std::string& code, QSslConfiguration tls = {})
{
    std::optional<coord::LookupAnswer> answer;
    auto* lookup = new coord::CoordinatorLookup(c.where(), tls.isNull() ? c.trust() : tls);
    lookup->resolve(code, [&](const coord::LookupAnswer& a) { answer = a; });
    EXPECT_TRUE(spinUntil([&] { return answer.has_value(); }));
    return answer.value_or(coord::LookupAnswer{});
}

TEST(CoordinatorLink, ProbedDirectThenRelayedJoinersAreSeatedLikeAnyOther)
{
    Coordinator c;
    ASSERT_TRUE(c.ca.ok()) << c.ca.error();
    ASSERT_TRUE(c.server);
    TServer host([] { return 1; }, [](const std::string&) {});
    const std::string secret = coord::newSecret(coord::strongRandom);
    host.setCoordinator(std::make_unique<CoordinatorLink>(
                            CoordinatorLink::Setup{c.where(), c.trust(), secret, coord::Visibility::Invite}),
                        false);
    std::string error;
    ASSERT_TRUE(host.startListening(0, &error)) << error;
    CoordinatorLink& link = *host.coordinator();
    ASSERT_TRUE(spinUntil([&] { return link.reach() == coord::Reach::Direct; })) << "probe";
    EXPECT_EQ(link.code().toStdString(), coord::shownCode(coord::inviteCode(secret)));
    // The probe took no slot and said no arrival.
    EXPECT_EQ(host.engine().connections(), 0);

    const auto direct = lookUp(c, coord::inviteCode(secret));
    EXPECT_EQ(direct.kind, coord::LookupAnswer::Kind::Direct) << direct.error.toStdString();
    EXPECT_EQ(direct.port, host.listeningPort());

    // The router "maps" a port where nothing answers: probed again, the relay it is.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const int deadPort = closed.serverPort();
    closed.close();
    host.setMappedPort(deadPort);
    ASSERT_TRUE(spinUntil([&] { return link.reach() == coord::Reach::Relay; }));
    const auto relayed = lookUp(c, coord::inviteCode(secret));
    ASSERT_EQ(relayed.kind, coord::LookupAnswer::Kind::Relay) << relayed.error.toStdString();

    QSslSocket* joined = nullptr;
    QString dialError;
    bool done = false;
    coord::dialRelay(relayed.host, relayed.port, relayed.ticket, coord::RelayDial::Side::Joiner, c.trust(),
                     &host, [&](QSslSocket* s, const std::string&, const QString& e) {
                         joined = s;
                         dialError = e;
                         done = true;
                     });
    ASSERT_TRUE(spinUntil([&] { return done; }));
    ASSERT_TRUE(joined) << dialError.toStdString();
    std::unique_ptr<QSslSocket> own(joined);
    // Through the relay the host greets the joiner as it greets any table.
    QByteArray heard;
    ASSERT_TRUE(spinUntil([&] {
        heard += joined->readAll();
        return heard.contains('\xff');
    }));
    EXPECT_EQ(heard.left(heard.indexOf('\xff')).toStdString(), "CMD_sendlogininfo+1");
    EXPECT_EQ(host.engine().connections(), 1);

    // The ticket was spent.
    done = false;
    coord::dialRelay(relayed.host, relayed.port, relayed.ticket, coord::RelayDial::Side::Joiner, c.trust(),
                     &host, [&](QSslSocket* s, const std::string&, const QString& e) {
                         delete s;
                         dialError = e;
                         done = true;
                     });
    ASSERT_TRUE(spinUntil([&] { return done; }));
    EXPECT_EQ(dialError.toStdString(), "The relay ticket was used already; try again");

    // A coordinator whose certificate another CA signed is not trusted.
    test::TestCa other({"localhost"});
    ASSERT_TRUE(other.ok());
    const auto untrusted = lookUp(c, coord::inviteCode(secret), coord::coordinatorTls(other.caCert()));
    EXPECT_EQ(untrusted.kind, coord::LookupAnswer::Kind::Failed);
    EXPECT_TRUE(untrusted.error.contains(QStringLiteral("not trusted"))) << untrusted.error.toStdString();
}

TEST(CoordinatorLink, TheHostProgramPrintsItsCodeAndKeepsItAcrossARestart)
{
    test::TestCa ca({"localhost", "127.0.0.1"});
    ASSERT_TRUE(ca.ok()) << ca.error();
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const std::string port = std::to_string(probe.serverPort());
    probe.close();
    test::HostProcess coordinator(
        test::HostProcess::Program{ZK_BINARY_DIR "/zonkards-coordinator"},
        {"--listen", "127.0.0.1:" + port, "--cert", ca.serverCert(), "--key", ca.serverKey()});
    ASSERT_TRUE(coordinator.waitForOut("coordinator listening")) << coordinator.err();
    const std::vector<std::string> env = {"ZONKARDS_COORDINATOR=localhost:" + port,
                                          "ZONKARDS_COORDINATOR_CA=" + ca.caCert()};
    const std::string secretFile = ca.path("host.secret");
    std::string codes[2];
    for (std::string& code : codes) {
        test::HostProcess host({"--port", "0", "--no-announce", "--invite", "--secret-file", secretFile},
                               env);
        ASSERT_TRUE(host.waitForOut("reached directly")) << host.out() << host.err();
        const auto at = host.out().find("invite code +");
        ASSERT_NE(at, std::string::npos);
        code = host.out().substr(at + 12, 8);
    }
    EXPECT_EQ(codes[0], codes[1]);
    EXPECT_TRUE(coord::readInviteCode(codes[0])) << codes[0];

    // Without a coordinator, --invite says so and stops.
    test::HostProcess lonely({"--port", "0", "--no-announce", "--invite"}, {"ZONKARDS_COORDINATOR="});
    EXPECT_TRUE(lonely.waitForErr("No coordinator is configured")) << lonely.err();
}

} // namespace
} // namespace zk
