// LAN game discovery between two machines on one link, as lan_netns.sh makes
// them (namespaces, each with its own system bus and avahi-daemon). This
// program runs on machine A; zc.py (python-zeroconf, not ours) browses and
// publishes on machine B. Run outside lan_netns.sh, every case is skipped.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>
#include <memory>
#include <utility>

#include "HostProcess.h"
#include "ZonkardsProcess.h"
#include "protocol/Commands.h"

namespace zk::test {
namespace {

std::string env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}
const std::string kVersion(kVersionText);
const std::string kAddrA = env("ZK_LAN_ADDR_A"), kAddrB = env("ZK_LAN_ADDR_B");
const std::string kPeer = env("ZK_LAN_PEER");
// How long an announcement, a change or a withdrawal may take to be seen
// where a case promises no time of its own.
constexpr int kCapMs = 10000;

bool eventually(const std::function<bool()>& condition, int capMs = kCapMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(capMs);
    while (!condition()) {
        if (msLeft(deadline) == 0)
            return false;
        ::usleep(100000);
    }
    return true;
}

// zc.py on machine B. It ends with SIGTERM: a publisher withdraws its game.
struct Peer : HostProcess {
    explicit Peer(std::vector<std::string> args) : HostProcess(Program{env("ZK_LAN_ZC")}, std::move(args)) {}
    ~Peer()
    {
        if (running()) {
            signal(SIGTERM);
            wait(5000);
        }
    }
    // Waits for a whole line of output.
    bool says(const std::string& line, int capMs = kCapMs) { return waitForOut("\n" + line + "\n", capMs); }
};
// What zc.py browse prints for a game it found or saw change: the TXT in
// its order on the wire, txtvers first.
std::string seen(const std::string& how, const std::string& name, int port, const std::string& seated,
                 const std::string& free)
{
    return how + " " + name + " at " + kAddrA + ":" + std::to_string(port) + " txtvers=1 v=" + kVersion +
           " seated=" + seated + " free=" + free + " spies=0 state=wait";
}
// How often the line stands in what the process has written so far (read
// for up to 100 ms).
int count(HostProcess& process, const std::string& line)
{
    process.waitForOut(std::string(1, '\0'), 100);
    const std::string text = "\n" + line + "\n";
    int n = 0;
    for (auto at = process.out().find(text); at != std::string::npos; at = process.out().find(text, at + 1))
        ++n;
    return n;
}

// Machine A's avahi-daemon: stop, start, pause or resume; the exit code.
int avahi(const std::string& what)
{
    HostProcess control(HostProcess::Program{env("ZK_LAN_AVAHI")}, {what});
    return control.wait(20000);
}
struct Finally {
    std::function<void()> run;
    ~Finally() { run(); }
};

// `read Thostjoin WIDGET` answers JSON: a label as a string, the list of
// games as rows of {"columns": [game, players, state, version, address],
// "enabled", "tip"}.
QJsonValue read(AutomationLink& link, const std::string& widget, int timeoutMs = kAppDeadlineMs)
{
    const auto answer = link.command("read Thostjoin " + widget, timeoutMs).value_or("");
    return QJsonDocument::fromJson(QByteArray::fromStdString("[" + answer + "]")).array().at(0);
}
struct Games {
    QJsonArray rows;
    // The row of the game at the address ("192.0.2.2:23456"), -1 when none.
    int index(const std::string& address) const
    {
        for (int i = 0; i < rows.size(); ++i) {
            if (column(i, 4) == address)
                return i;
        }
        return -1;
    }
    bool has(const std::string& address) const { return index(address) >= 0; }
    QJsonValue row(const std::string& address) const { return rows.at(index(address)); }
    std::string column(int i, int c) const { return rows.at(i)["columns"][c].toString().toStdString(); }
    std::string column(const std::string& address, int c) const { return column(index(address), c); }
    std::string text() const { return QJsonDocument(rows).toJson(QJsonDocument::Compact).toStdString(); }
};
// Reads the list until the test holds; false at the cap. `games`: the last read.
bool waitForGames(AutomationLink& link, Games& games, const std::function<bool(const Games&)>& test)
{
    return eventually([&] {
        const QJsonValue list = read(link, "list_games");
        games.rows = list.toArray();
        return list.isArray() && test(games);
    });
}

// The name the host says it is announced as; "" when it did not say so.
std::string announcedName(HostProcess& host)
{
    const std::string prefix = "\nannounced as ";
    if (!host.waitForOut(prefix, kCapMs))
        return "";
    const auto start = host.out().find(prefix) + prefix.size();
    return host.out().substr(start, host.out().find('\n', start) - start);
}

// Bob's table from machine B, seated in slot 1 of the host on machine A;
// null when it could not. The socket is made in B's network namespace (this
// thread enters it for the socket and the connect only).
std::unique_ptr<LineClient> bobFromB(int port)
{
    std::unique_ptr<LineClient> client;
    const int own = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int peer = ::open(env("ZK_LAN_PEER_NETNS").c_str(), O_RDONLY | O_CLOEXEC);
    if (port > 0 && own >= 0 && peer >= 0 && ::setns(peer, CLONE_NEWNET) == 0) {
        client = std::make_unique<LineClient>(port, 0, kAddrA);
        if (::setns(own, CLONE_NEWNET) != 0)
            std::abort(); // going on in B's namespace would test the wrong machine
    }
    ::close(own);
    ::close(peer);
    return client && client->connected() && client->login("Bob") == 1 ? std::move(client) : nullptr;
}

class Lan : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (kPeer.empty())
            GTEST_SKIP() << "run through lan_netns.sh";
    }
};

TEST_F(Lan, AHostAnnouncesItsPortAndSeatsAndIsGoneOnceKilled)
{
    Peer browse({"browse", kAddrB});
    HostProcess host({"--port", "0"});
    const int port = host.port();
    ASSERT_GT(port, 0) << host.err();
    const std::string instance = announcedName(host);
    ASSERT_FALSE(instance.empty()) << host.out() << host.err();
    EXPECT_TRUE(browse.says(seen("found", instance, port, "0", "6"))) << browse.out();

    // A table on machine B joins over TCP; the seat count follows.
    const auto bob = bobFromB(port);
    ASSERT_TRUE(bob);
    EXPECT_TRUE(browse.says(seen("updated", instance, port, "1", "5"), 3000))
        << "the TXT should follow a join within 3 s: " << browse.out();

    // Killed, it cannot say goodbye: the daemon withdraws its service.
    host.signal(SIGKILL);
    EXPECT_TRUE(browse.says("removed " + instance, 5000))
        << "a killed host should be gone within 5 s: " << browse.out();
}

// The opt-outs still take a table over TCP; the solo game hosts only itself.
TEST_F(Lan, HostsThatMustNotAnnounceAreNotSeenButStillPlay)
{
    Sandbox box;
    ZonkardsProcess solo(box, {}, 7772);
    const struct {
        const char* what;
        std::vector<std::string> args, env;
    } ways[] = {
        {"ZONKARDS_LAN_DISCOVERY=0", {"--port", "0"}, {"ZONKARDS_LAN_DISCOVERY=0"}},
        {"--no-announce", {"--port", "0", "--no-announce"}, {}},
    };
    std::vector<std::unique_ptr<HostProcess>> hosts;
    for (const auto& way : ways)
        hosts.push_back(std::make_unique<HostProcess>(way.args, way.env));
    ASSERT_TRUE(solo.connect()) << solo.stderrText();
    ASSERT_TRUE(solo.waitForBoard(seated({"You"}))) << solo.stderrText();

    Peer browse({"browse", kAddrB, "5"});
    std::vector<std::unique_ptr<LineClient>> tables;
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        tables.push_back(bobFromB(hosts[i]->port()));
        ASSERT_TRUE(tables.back()) << ways[i].what << ": " << hosts[i]->err();
    }
    EXPECT_EQ(browse.wait(), 0);
    EXPECT_EQ(browse.out(), "browsing\n") << "nothing may be found";
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        const int port = hosts[i]->port();
        hosts[i]->signal(SIGTERM);
        EXPECT_EQ(hosts[i]->wait(), 0) << ways[i].what;
        EXPECT_EQ(hosts[i]->out(), "listening on port " + std::to_string(port) + "\n")
            << ways[i].what << ": nothing about announcing";
    }
    EXPECT_EQ(solo.quit(), 0);
}

TEST_F(Lan, TheDialogListsTheGamesOnTheLinkAndGreysOtherVersions)
{
    // Keys in any case, and a key's first occurrence counts (in the record
    // that comes with the resolve, and in the one that replaces it).
    Peer fake({"publish",       kAddrB,     "Fake table", "23456",         "txtvers=1",
               "v=" + kVersion, "Seated=1", "seated=4",   "free=5",        "spies=0",
               "state=wait",    "--",       "txtvers=1",  "v=" + kVersion, "seated=3",
               "SEATED=5",      "free=3",   "spies=0",    "state=play",    "round=2"});
    Peer newer({"publish", kAddrB, "Newer table", "23457", "txtvers=1", "v=9.9.9", "seated=0", "free=6",
                "spies=0", "state=wait"});
    Sandbox box;
    ZonkardsProcess ann(box, {"Ann"}, 7772);
    ASSERT_TRUE(fake.waitForOut("registered ")) << fake.err();
    ASSERT_TRUE(newer.waitForOut("registered ")) << newer.err();
    ASSERT_TRUE(ann.connect()) << ann.stderrText();
    EXPECT_EQ(ann.command("menu Host or Join a Game..."), "ok");

    const std::string fakeAt = kAddrB + ":23456", newerAt = kAddrB + ":23457";
    Games games;
    ASSERT_TRUE(waitForGames(ann.link(), games, [&](const Games& g) {
        return g.has(fakeAt) && g.has(newerAt);
    })) << games.text();
    EXPECT_NE(games.column(fakeAt, 0).find("Fake table"), std::string::npos) << games.text();
    EXPECT_EQ(games.column(fakeAt, 1), "1 of 6 seated");
    EXPECT_EQ(games.column(fakeAt, 3), kVersion);
    EXPECT_TRUE(games.row(fakeAt)["enabled"].toBool());
    EXPECT_NE(games.column(newerAt, 0).find("Newer table"), std::string::npos) << games.text();
    EXPECT_EQ(games.column(newerAt, 3), "9.9.9");
    EXPECT_FALSE(games.row(newerAt)["enabled"].toBool()) << "a host of another version refuses the login";
    EXPECT_NE(games.row(newerAt)["tip"].toString().toStdString().find("version 9.9.9"), std::string::npos)
        << "a greyed row says why: " << games.text();
    EXPECT_TRUE(read(ann.link(), "label_lanstatus").isString());

    // The open list follows the game: seats taken, a game that started.
    fake.signal(SIGUSR1);
    EXPECT_TRUE(waitForGames(ann.link(), games, [&](const Games& g) {
        return g.has(fakeAt) && g.column(fakeAt, 1) == "3 of 6 seated" &&
               g.column(fakeAt, 2) == "round 2 of 7";
    })) << games.text();

    fake.signal(SIGTERM);
    EXPECT_EQ(fake.wait(), 0) << fake.err();
    EXPECT_TRUE(waitForGames(ann.link(), games, [&](const Games& g) { return !g.has(fakeAt); }))
        << "a withdrawn game leaves the list: " << games.text();
    EXPECT_TRUE(games.has(newerAt)) << games.text();
    EXPECT_EQ(ann.quit(), 0);
}

// The table on machine B finds the game hosted on machine A in the dialog,
// joins it, and they play.
TEST_F(Lan, ATableFindsTheGameHostedOnTheOtherMachineAndJoinsIt)
{
    Sandbox annBox, bobBox;
    // Ann hosts on another port than Bob's own, so the joining copy must
    // take the port from the chosen game.
    ZonkardsProcess ann(annBox, {"Ann", "127.0.0.1", "true"}, 7773);
    ZonkardsProcess bob(bobBox, {"Bob"}, 7772, {}, "auto", {kPeer});
    ASSERT_TRUE(ann.connect()) << ann.stderrText();
    ASSERT_TRUE(bob.connect()) << bob.stderrText();
    ASSERT_TRUE(ann.waitForBoard(seated({"Ann"}))) << ann.stderrText();
    EXPECT_EQ(bob.command("menu Host or Join a Game..."), "ok");

    const std::string annAt = kAddrA + ":7773";
    Games games;
    ASSERT_TRUE(waitForGames(bob.link(), games, [&](const Games& g) { return g.has(annAt); }))
        << games.text();
    EXPECT_TRUE(games.row(annAt)["enabled"].toBool());
    EXPECT_EQ(bob.command("pick Thostjoin list_games " + std::to_string(games.index(annAt))), "ok");
    EXPECT_EQ(bob.command("set Thostjoin edit_name Bob"), "ok");
    EXPECT_EQ(bob.command("press Thostjoin button_ok"), "ok");
    EXPECT_EQ(bob.wait(), 0) << "the first copy ends";

    // The new copy inherits the automation link and calls it.
    const int pid = bob.link().accept();
    ASSERT_GT(pid, 0) << bob.stderrText();
    Finally reaper{[pid] {
        if (!processGone(pid))
            ::kill(pid, SIGKILL);
    }};
    QJsonObject b;
    ASSERT_TRUE(waitForBoardOn(bob.link(), seated({"Ann", "Bob"}), kAppDeadlineMs, &b)) << bob.stderrText();
    // The port came with the address; this copy's own (7772) stays for later starts.
    EXPECT_EQ(b["hostAddress"].toString().toStdString(), annAt);
    EXPECT_EQ(b["ownSeat"].toInt(), 2);
    ASSERT_TRUE(ann.waitForBoard(seated({"Ann", "Bob"})));

    // Ann starts and lets the computer play her turns; Bob rolls in his.
    EXPECT_EQ(ann.command("menu Fast"), "ok");
    EXPECT_EQ(ann.command("click start"), "ok");
    EXPECT_EQ(ann.command("press gamestart Image1"), "ok");
    EXPECT_EQ(ann.command("menu Just Watch"), "ok");
    ASSERT_TRUE(waitForBoardOn(
        bob.link(),
        [](const QJsonObject& o) { return o["currentSeat"].toInt() == 2 && o["rollButton"].toBool(); },
        60000))
        << bob.stderrText();
    EXPECT_EQ(bob.link().command("click roll"), "ok");
    EXPECT_TRUE(ann.waitForBoard([](const QJsonObject& o) {
        return o["currentSeat"].toInt() == 2 && o["rollCount"].toInt() >= 1;
    })) << "Ann's table shows Bob's roll";

    EXPECT_EQ(bob.link().command("quit"), "ok");
    EXPECT_TRUE(eventually([&] { return processGone(pid); }, kAppDeadlineMs));
    EXPECT_EQ(ann.quit(), 0);
}

// Without a daemon on machine A, or with one that hangs past the bus's
// timeout (every call of the client library waits for it, and fails), the
// host plays, says why it is not announced, and the window answers at once;
// once the daemon is back (started again, or answering again), the host is
// announced and the open dialog lists it, without a Refresh.
TEST_F(Lan, WithoutAnAnsweringDaemonTheHostPlaysAndTheWindowDoesNotWait)
{
    const struct {
        const char *off, *on, *why;
    } ways[] = {
        {"stop", "start", "no Avahi daemon is running"},
        {"pause", "resume", "the Avahi daemon does not answer on the system bus"},
    };
    // Far below the daemon's 25 s: a window that waited for it would miss these.
    constexpr int kPromptMs = 5000;
    // (A lambda: a failed ASSERT ends one way, not both.)
    const auto playWithout = [&](const auto& way) {
        ASSERT_EQ(avahi(way.off), 0);
        Finally back{[&] { EXPECT_EQ(avahi(way.on), 0) << "machine A's avahi-daemon is not back"; }};
        Sandbox box;
        ZonkardsProcess ann(box, {"Ann"}, 7772);
        HostProcess host({"--port", "0"});
        const auto bob = bobFromB(host.port());
        ASSERT_TRUE(bob) << host.out() << host.err();

        ASSERT_TRUE(ann.connect()) << ann.stderrText();
        EXPECT_EQ(ann.link().command("menu Host or Join a Game...", kPromptMs).value_or("<no answer>"), "ok");
        std::string status;
        EXPECT_TRUE(eventually([&] {
            status = read(ann.link(), "label_lanstatus", kPromptMs).toString().toStdString();
            return status.find("Search for games on this network is not available") != std::string::npos;
        })) << status;
        EXPECT_EQ(ann.link().command("read Thostjoin list_games", kPromptMs).value_or("<no answer>"), "[]");
        EXPECT_TRUE(host.waitForOut(std::string("\nnot announced: ") + way.why + "\n")) << host.out();
        EXPECT_FALSE(host.waitForOut("\nannounced as ", 500)) << host.out();

        std::exchange(back.run, [] {})();
        // A new client is tried at most 8 s apart while the daemon is away.
        EXPECT_TRUE(host.waitForOut("\nannounced as ", 2 * kCapMs)) << host.out();
        const std::string at = kAddrA + ":" + std::to_string(host.port());
        Games games;
        EXPECT_TRUE(waitForGames(ann.link(), games, [&](const Games& g) { return g.has(at); }))
            << games.text();

        host.signal(SIGTERM);
        EXPECT_EQ(host.wait(), 0) << host.err();
        EXPECT_TRUE(bob->waitForClose());
        EXPECT_EQ(ann.quit(), 0);
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.off);
        playWithout(way);
    }
}

// The system bus of machine A restarts (and its avahi-daemon with it): the
// host, announced before, is announced again and machine B finds it again.
TEST_F(Lan, AHostIsAnnouncedAgainAfterTheSystemBusRestarts)
{
    Peer browse({"browse", kAddrB});
    HostProcess host({"--port", "0"});
    const std::string instance = announcedName(host);
    ASSERT_FALSE(instance.empty()) << host.out() << host.err();
    const std::string found = seen("found", instance, host.port(), "0", "6");
    ASSERT_TRUE(browse.says(found)) << browse.out();

    ASSERT_EQ(avahi("restart-bus"), 0);
    EXPECT_TRUE(eventually([&] { return count(host, "announced as " + instance) == 2; }, 2 * kCapMs))
        << host.out();
    // Machine B hears of it again: found anew, or the record it had renewed.
    const std::string updated = seen("updated", instance, host.port(), "0", "6");
    EXPECT_TRUE(eventually([&] { return count(browse, found) + count(browse, updated) >= 2; }))
        << browse.out();
    host.signal(SIGTERM);
    EXPECT_EQ(host.wait(), 0) << host.err();
}

} // namespace
} // namespace zk::test
