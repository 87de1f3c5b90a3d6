// The port mapping against a real router (miniupnpd in the namespaces of
// portmap_netns.sh): a game's listener in the home is mapped by UPnP IGD or,
// with UPnP off, by NAT-PMP; a connection from the public side reaches it,
// also after the lease has run out twice (the renewals), and no longer once
// the mapping is removed (stop() or the PortMapper's end). A router that
// goes away while mapped is a lost mapping; one that refuses is a refusal,
// and one that answers nothing, or has no daemon, is "no router", in bounded
// time. Each mapping's time is printed. Run outside portmap_netns.sh, the
// router's case is skipped and the network hears nothing.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "host/qt/PortMapping.h"

namespace zk::test {
namespace {

using Clock = std::chrono::steady_clock;

// Short enough that the test outlives it twice; renewed every 2 s.
constexpr int kLeaseSeconds = 4;
constexpr const char* kProbeLine = "zonkards probe";

std::string env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

long long msSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

bool run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

// The game's listener in the home: every address, a port the kernel picks.
class HomeListener {
public:
    HomeListener()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        socklen_t size = sizeof a;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), size) != 0 || ::listen(fd_, 8) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            return;
        port_ = ntohs(a.sin_port);
    }
    ~HomeListener()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int port() const { return port_; }

    // "LINE from ADDRESS" of the next connection, or nothing when none
    // comes within ms.
    std::optional<std::string> take(int ms)
    {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, ms) != 1)
            return std::nullopt;
        sockaddr_in from{};
        socklen_t size = sizeof from;
        const int c = ::accept4(fd_, reinterpret_cast<sockaddr*>(&from), &size, SOCK_CLOEXEC);
        if (c < 0)
            return std::nullopt;
        std::string line;
        char ch = 0;
        pollfd in{c, POLLIN, 0};
        while (line.size() < 100 && ::poll(&in, 1, 2000) == 1 && ::read(c, &ch, 1) == 1 && ch != '\n')
            line += ch;
        ::close(c);
        char address[INET_ADDRSTRLEN] = "";
        ::inet_ntop(AF_INET, &from.sin_addr, address, sizeof address);
        return line + " from " + address;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

// How a mapping ends: stop(), the PortMapper destroyed, or the router's
// daemon ended under it (the next renewal finds it gone).
enum class End { Stop, Destroy, RouterGone };

struct Row {
    const char* router; // portmap_netns.sh's router mode
    const char* method; // null: no mapping can be made
    End end;
    const char* why; // unavailable's or lost's reason
};

constexpr Row kRows[] = {
    {"upnp", "UPnP IGD", End::Stop, nullptr},
    {"natpmp", "NAT-PMP", End::Destroy, nullptr},
    {"upnp", "UPnP IGD", End::RouterGone, kMappingRenewFailed},
    {"refuse", nullptr, End::Stop, kMappingRefused},
    {"off", nullptr, End::Stop, kMappingNoRouter},
    {"silent", nullptr, End::Stop, kMappingNoRouter},
};

TEST(PortMap, TheRouterMapsTheGamePortKeepsItAndLetsItGo)
{
    const std::string router = env("ZK_PORTMAP_ROUTER");
    const std::string probe = env("ZK_PORTMAP_PROBE");
    const std::string wan = env("ZK_PORTMAP_WAN");
    if (router.empty() || probe.empty())
        GTEST_SKIP() << "needs the router and the public side of portmap_netns.sh";
    HomeListener home;
    ASSERT_GT(home.port(), 0);
    const std::string fromOutside = std::string(kProbeLine) + " from " + env("ZK_PORTMAP_PUBLIC");
    // A connection from the public side to the router's WAN address and port.
    const auto reaches = [&](int port) -> std::string {
        if (!run(probe + " " + std::to_string(port)))
            return "no connection";
        return home.take(3000).value_or("connected, but not to the home");
    };

    for (const Row& row : kRows) {
        SCOPED_TRACE(std::string("router ") + row.router);
        ASSERT_TRUE(run(router + " " + row.router));
        auto mapper = std::make_unique<PortMapper>();
        mapper->setLeaseSeconds(kLeaseSeconds);
        QSignalSpy mapped(mapper.get(), &PortMapper::mapped);
        QSignalSpy unavailable(mapper.get(), &PortMapper::unavailable);
        QSignalSpy lost(mapper.get(), &PortMapper::lost);
        const auto began = Clock::now();
        mapper->start(home.port());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !mapped.isEmpty() || !unavailable.isEmpty(); }, 20000));
        const long long took = msSince(began);

        if (!row.method) {
            ASSERT_EQ(unavailable.size(), 1);
            std::printf("router %s: no mapping, after %lld ms: %s\n", row.router, took,
                        qPrintable(unavailable[0][0].toString()));
            EXPECT_EQ(unavailable[0][0].toString().toStdString(), row.why);
            EXPECT_TRUE(mapped.isEmpty());
            EXPECT_FALSE(mapper->active());
            continue;
        }
        ASSERT_EQ(mapped.size(), 1) << qPrintable(unavailable.value(0).value(0).toString());
        const int port = mapped[0][1].toInt();
        std::printf("router %s: mapped by %s to %s:%d in %lld ms\n", row.router,
                    qPrintable(mapped[0][2].toString()), qPrintable(mapped[0][0].toString()), port, took);
        EXPECT_EQ(mapped[0][0].toString().toStdString(), wan);
        EXPECT_EQ(mapped[0][2].toString().toStdString(), row.method);
        EXPECT_GT(port, 0);
        EXPECT_TRUE(mapper->active());
        EXPECT_EQ(mapper->externalPort(), port);
        EXPECT_EQ(mapper->method().toStdString(), row.method);
        EXPECT_EQ(reaches(port), fromOutside);

        if (row.end == End::RouterGone) {
            ASSERT_TRUE(run(router + " off"));
            const auto ended = Clock::now();
            EXPECT_TRUE(QTest::qWaitFor([&] { return !lost.isEmpty(); }, kLeaseSeconds * 1000 + 10000));
            std::printf("router %s: the mapping was lost %lld ms after the daemon ended\n", row.router,
                        msSince(ended));
            EXPECT_EQ(lost.value(0).value(0).toString().toStdString(), row.why);
            EXPECT_FALSE(mapper->active());
            continue;
        }

        // Past the lease twice over: only its renewals keep the port open.
        QTest::qWait(kLeaseSeconds * 1500);
        EXPECT_TRUE(lost.isEmpty()) << qPrintable(lost.value(0).value(0).toString());
        EXPECT_EQ(mapped.size(), 1) << "the renewal moved the mapping";
        EXPECT_EQ(reaches(port), fromOutside) << "the mapping was not renewed";

        const auto ending = Clock::now();
        if (row.end == End::Stop) {
            mapper->stop();
            EXPECT_FALSE(mapper->active());
        } else {
            mapper.reset();
        }
        const long long returned = msSince(ending);
        // The removal runs in the background after stop(); the PortMapper's
        // end waits for it.
        const auto closed = [&] { return !run(probe + " " + std::to_string(port)); };
        if (row.end == End::Stop)
            EXPECT_TRUE(QTest::qWaitFor(closed, 10000)) << "the mapping was not removed";
        else
            EXPECT_TRUE(closed()) << "the mapping outlived its PortMapper";
        std::printf("router %s: %s returned in %lld ms, the port was %s after %lld ms\n", row.router,
                    row.end == End::Stop ? "stop()" : "~PortMapper()", returned,
                    closed() ? "closed" : "still open", msSince(ending));
        EXPECT_EQ(home.take(200), std::nullopt) << "a connection came through after the removal";
    }
}

// The switch that keeps every other test, and a player who said no, off
// the router: the variable or the setting "0", and start() then tells so
// without a word to the network.
TEST(PortMap, TurnedOffByTheVariableOrTheSetting)
{
    struct Case {
        const char* variable; // null: unset
        std::optional<std::string> setting;
        bool enabled;
    };
    const Case cases[] = {
        {nullptr, std::nullopt, true},
        {nullptr, "1", true},
        {"1", std::nullopt, true},
        {"", "", true},
        {"0", std::nullopt, false},
        {" 0 ", "1", false},
        {"1", "0", false},
        {nullptr, " 0", false},
    };
    const QByteArray saved = qgetenv(kPortMappingVariable);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.variable ? c.variable : "(unset)") + " / " + c.setting.value_or("(none)"));
        if (c.variable)
            qputenv(kPortMappingVariable, c.variable);
        else
            qunsetenv(kPortMappingVariable);
        EXPECT_EQ(portMappingEnabled(c.setting), c.enabled);
    }
    qputenv(kPortMappingVariable, "0");
    PortMapper mapper;
    QSignalSpy unavailable(&mapper, &PortMapper::unavailable);
    mapper.start(7772);
    EXPECT_TRUE(unavailable.isEmpty()) << "told before start() returned";
    ASSERT_TRUE(unavailable.wait(1000));
    EXPECT_EQ(unavailable[0][0].toString().toStdString(), kMappingTurnedOff);
    EXPECT_FALSE(mapper.active());
    qputenv(kPortMappingVariable, saved);
}

} // namespace
} // namespace zk::test

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
