// LAN game discovery between two machines on one link, as lan_netns.sh
// makes them (network, mount and host name namespaces of their own, each
// with its own system bus and avahi-daemon): this program runs on machine A
// and starts programs on machine B through ZK_LAN_PEER. Peers that are not
// ours are avahi-utils and python-zeroconf (zc_browse.py, zc_publish.py).
// Run outside lan_netns.sh, every case is skipped.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cctype>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "HostProcess.h"
#include "ZonkardsProcess.h"
#include "protocol/Commands.h"

namespace zk::test {
namespace {

using Txt = std::map<std::string, std::string>;
using Event = QJsonObject;
using EventTest = std::function<bool(const Event&)>;

const std::string kVersion(kVersionText);
// How long an announcement, a change or a withdrawal may take to be seen
// before a case gives up (the cases then check the times they promise).
constexpr int kCapMs = 10000;

std::string env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}
std::string str(const QJsonObject& o, const char* key)
{
    return o[key].toString().toStdString();
}
Txt txtOf(const Event& e)
{
    Txt out;
    const QJsonObject txt = e["txt"].toObject();
    for (auto it = txt.begin(); it != txt.end(); ++it)
        out[it.key().toStdString()] = it.value().toString().toStdString();
    return out;
}
int msSince(Clock::time_point start)
{
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}
// Polls until the condition holds; false at the cap.
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

// A helper program on one of the machines: its standard input is a pipe of
// ours, its standard output is read as lines, and the JSON ones are kept as
// events. It ends with SIGTERM (the python helpers then withdraw what they
// published), or SIGKILL 5 s later.
class Helper {
public:
    explicit Helper(std::vector<std::string> command)
    {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
            return;
        const std::string program = command.front();
        command.erase(command.begin());
        pid_ = spawnProgram(program, std::move(command), {}, out[1], -1, in[0]);
        ::close(in[0]);
        ::close(out[1]);
        in_ = in[1];
        out_ = out[0];
    }
    ~Helper()
    {
        if (pid_ > 0 && code_ == kRunning) {
            ::kill(pid_, SIGTERM);
            if (finish(5000) == kRunning) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
            }
        }
        closeInput();
        if (out_ >= 0)
            ::close(out_);
    }
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;

    void send(const std::string& line)
    {
        const std::string bytes = line + "\n";
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(in_, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                return;
            done += static_cast<std::size_t>(n);
        }
    }
    void closeInput()
    {
        if (in_ >= 0)
            ::close(in_);
        in_ = -1;
    }
    void signal(int sig) { ::kill(pid_, sig); }

    // The first event, seen so far or coming within the time given, that the
    // test accepts.
    std::optional<Event> waitForEvent(const EventTest& test, int timeoutMs = kCapMs)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::size_t seen = 0;
        while (true) {
            for (; seen < events_.size(); ++seen) {
                if (test(events_[seen]))
                    return events_[seen];
            }
            if (eof_ || msLeft(deadline) == 0)
                return std::nullopt;
            readLines(msLeft(deadline));
        }
    }
    // Reads to the end of its output and waits for it to end: the exit
    // code, -1 when it was killed, kRunning at the deadline.
    int finish(int timeoutMs = kCapMs)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!eof_ && msLeft(deadline) > 0)
            readLines(msLeft(deadline));
        int status = 0;
        while (code_ == kRunning) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_)
                code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            else if (msLeft(deadline) == 0)
                break;
            else
                ::usleep(10000);
        }
        return code_;
    }
    const std::vector<Event>& events() const { return events_; }
    const std::vector<std::string>& lines() const { return lines_; }
    // Everything it printed, for failure messages.
    std::string text() const
    {
        std::string all;
        for (const auto& l : lines_)
            all += l + "\n";
        return all;
    }

    static constexpr int kRunning = -2;

private:
    // Reads what comes within the time given.
    void readLines(int timeoutMs)
    {
        if (eof_)
            return;
        readSome(out_, buffer_, timeoutMs, &eof_);
        for (auto end = buffer_.find('\n'); end != std::string::npos; end = buffer_.find('\n')) {
            lines_.push_back(buffer_.substr(0, end));
            buffer_.erase(0, end + 1);
            const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(lines_.back()));
            if (doc.isObject())
                events_.push_back(doc.object());
        }
    }

    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    int code_ = kRunning;
    bool eof_ = false;
    std::string buffer_;
    std::vector<std::string> lines_;
    std::vector<Event> events_;
};

int run(std::vector<std::string> command)
{
    Helper h(std::move(command));
    return h.finish(20000);
}

// A zc_browse.py event of a kind ("found", "updated", "removed") for the
// instance named; optionally only one whose TXT has the given entries.
EventTest event(const std::string& kind, const std::string& instance, Txt having = {})
{
    return [=](const Event& e) {
        if (str(e, "event") != kind || str(e, "instance") != instance)
            return false;
        const Txt txt = txtOf(e);
        for (const auto& [key, value] : having) {
            const auto it = txt.find(key);
            if (it == txt.end() || it->second != value)
                return false;
        }
        return true;
    };
}
bool registered(const Event& e)
{
    return str(e, "event") == "registered";
}

// One service in the output of avahi-browse -rpt (resolved lines only).
struct Browsed {
    std::string name, address;
    int port = 0;
    Txt txt;
};

// avahi-browse -p writes names with escapes (\032 for a space, \. for a
// dot) and TXT as "k=v" "k=v".
std::string unescapeAvahi(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
        } else if (i + 3 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1]))) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 3)));
            i += 3;
        } else {
            out += s[++i];
        }
    }
    return out;
}
std::vector<Browsed> parseAvahiBrowse(const std::vector<std::string>& lines)
{
    std::vector<Browsed> out;
    for (const auto& line : lines) {
        std::vector<std::string> f;
        std::size_t start = 0;
        // The TXT (the tenth field) may itself hold semicolons.
        while (f.size() < 9) {
            const auto end = line.find(';', start);
            if (end == std::string::npos)
                break;
            f.push_back(line.substr(start, end - start));
            start = end + 1;
        }
        if (f.size() < 9 || f[0] != "=")
            continue;
        Browsed b{unescapeAvahi(f[3]), f[7], std::atoi(f[8].c_str()), {}};
        const std::string txt = line.substr(start);
        for (std::size_t q = txt.find('"'); q != std::string::npos; q = txt.find('"', q)) {
            const auto close = txt.find('"', q + 1);
            if (close == std::string::npos)
                break;
            const std::string entry = txt.substr(q + 1, close - q - 1);
            const auto eq = entry.find('=');
            b.txt[entry.substr(0, eq)] = eq == std::string::npos ? "" : entry.substr(eq + 1);
            q = close + 1;
        }
        out.push_back(std::move(b));
    }
    return out;
}

// The dialog's list of games as `read Thostjoin list_games` answers it.
struct GameRow {
    std::vector<std::string> columns; // Game, Players, State, Version, Address
    bool enabled = false;
    std::string tip;
};
struct GameList {
    std::string answer;
    bool valid = false;
    std::vector<GameRow> rows;
    // The row of the address ("192.0.2.2:23456"), -1 when none.
    int index(const std::string& address) const
    {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].columns.size() == 5 && rows[i].columns[4] == address)
                return static_cast<int>(i);
        }
        return -1;
    }
    const GameRow* row(const std::string& address) const
    {
        const int i = index(address);
        return i < 0 ? nullptr : &rows[static_cast<std::size_t>(i)];
    }
};
GameList readGames(AutomationLink& link)
{
    GameList list;
    list.answer = link.command("read Thostjoin list_games").value_or("<gone>");
    const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(list.answer));
    list.valid = doc.isArray();
    for (const QJsonValue& v : doc.array()) {
        const QJsonObject o = v.toObject();
        list.rows.push_back({texts(o["columns"]), o["enabled"].toBool(), str(o, "tip")});
    }
    return list;
}
// Polls the list until the test holds (the cap); the list last read.
GameList waitForGames(AutomationLink& link, const std::function<bool(const GameList&)>& test, bool* held)
{
    GameList list;
    *held = eventually([&] {
        list = readGames(link);
        return list.valid && test(list);
    });
    return list;
}
// The dialog's status line (`read` answers a JSON string).
std::optional<std::string> lanStatus(AutomationLink& link)
{
    const std::string answer = link.command("read Thostjoin label_lanstatus").value_or("");
    const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString("[" + answer + "]"));
    if (!doc.isArray() || doc.array().size() != 1 || !doc.array()[0].isString())
        return std::nullopt;
    return doc.array()[0].toString().toStdString();
}

auto seated(std::vector<std::string> names)
{
    return [names = std::move(names)](const QJsonObject& b) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (name(b, static_cast<int>(i) + 1) != names[i])
                return false;
        }
        return b["loggedIn"].toBool();
    };
}

// The name after "announced as " on the host's standard output ("" when
// none). The host writes the line whole, so it is whole once it is seen.
std::string announcedName(HostProcess& host)
{
    const std::string prefix = "announced as ";
    if (!host.waitForOut("\n" + prefix, kCapMs))
        return "";
    const auto start = host.out().find("\n" + prefix) + 1 + prefix.size();
    return host.out().substr(start, host.out().find('\n', start) - start);
}

class Lan : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (peer_.empty())
            GTEST_SKIP() << "run through lan_netns.sh";
    }

    std::vector<std::string> onA(std::vector<std::string> command) const
    {
        command.insert(command.begin(), "/usr/bin/env");
        return command;
    }
    std::vector<std::string> onB(std::vector<std::string> command) const
    {
        command.insert(command.begin(), peer_);
        return command;
    }
    std::vector<std::string> browseOnB(int seconds = 120) const
    {
        return onB({python_, browse_, "--address", addrB_, "--seconds", std::to_string(seconds)});
    }
    std::vector<std::string> publishOnB(const std::string& instance, int port,
                                        std::vector<std::string> txt) const
    {
        std::vector<std::string> command{python_,  publish_, "--address", addrB_,
                                         "--name", instance, "--port",    std::to_string(port)};
        command.insert(command.end(), txt.begin(), txt.end());
        return onB(std::move(command));
    }
    // What machine A's daemon knows now; nothing when avahi-browse failed.
    std::optional<std::vector<Browsed>> avahiBrowseOnA() const
    {
        Helper h(onA({"avahi-browse", "-rpt", "_zonkards._tcp"}));
        if (h.finish() != 0)
            return std::nullopt;
        return parseAvahiBrowse(h.lines());
    }
    // A table's connection from machine B: the socket is made in B's network
    // namespace (this thread enters it for the socket and the connect only).
    std::unique_ptr<LineClient> clientOnB(int port) const
    {
        std::unique_ptr<LineClient> client;
        const int own = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        const int peer = ::open(peerNetns_.c_str(), O_RDONLY | O_CLOEXEC);
        if (own >= 0 && peer >= 0 && ::setns(peer, CLONE_NEWNET) == 0) {
            client = std::make_unique<LineClient>(port, 0, addrA_);
            if (::setns(own, CLONE_NEWNET) != 0)
                std::abort(); // going on in B's namespace would test the wrong machine
        }
        ::close(own);
        ::close(peer);
        return client;
    }

    const std::string addrA_ = env("ZK_LAN_ADDR_A");
    const std::string addrB_ = env("ZK_LAN_ADDR_B");
    const std::string peer_ = env("ZK_LAN_PEER");
    const std::string peerNetns_ = env("ZK_LAN_PEER_NETNS");
    const std::string avahi_ = env("ZK_LAN_AVAHI");
    const std::string python_ = env("ZK_LAN_PYTHON");
    const std::string browse_ = env("ZK_LAN_BROWSE");
    const std::string publish_ = env("ZK_LAN_PUBLISH");
};

// The machines themselves, with avahi-utils and python-zeroconf only: each
// side sees what the other publishes, TXT changes and withdrawals included.
TEST_F(Lan, HarnessAvahiAndZeroconfSeeEachOtherAcrossTheLink)
{
    Helper browse(browseOnB());
    Helper published(
        onA({"avahi-publish", "-s", "Harness on A", "_zonkards._tcp", "7772", "txtvers=1", "v=" + kVersion}));
    const auto found = browse.waitForEvent(event("found", "Harness on A"));
    ASSERT_TRUE(found) << browse.text();
    EXPECT_EQ(str(*found, "type"), "_zonkards._tcp.local.");
    EXPECT_EQ(str(*found, "address"), addrA_);
    EXPECT_EQ((*found)["port"].toInt(), 7772);
    EXPECT_EQ(txtOf(*found), (Txt{{"txtvers", "1"}, {"v", kVersion}}));

    Helper fake(publishOnB("Harness on B", 23456, {"txtvers=1", "seated=0"}));
    ASSERT_TRUE(fake.waitForEvent(registered)) << fake.text();
    // Listed on A with this TXT, or (nullopt) not listed at all.
    const auto listedOnA = [&](const std::optional<Txt>& txt) {
        return eventually([&] {
            const auto listed = avahiBrowseOnA();
            if (!listed)
                return false;
            bool seen = false;
            for (const Browsed& b : *listed) {
                if (b.name == "Harness on B")
                    seen = !txt || (b.address == addrB_ && b.port == 23456 && b.txt == *txt);
            }
            return seen == txt.has_value();
        });
    };
    EXPECT_TRUE(listedOnA(Txt{{"txtvers", "1"}, {"seated", "0"}}));
    // (B's browser hears B's own publisher as well: the update path.)
    fake.send("txt txtvers=1 seated=1");
    EXPECT_TRUE(browse.waitForEvent(event("updated", "Harness on B", {{"seated", "1"}}))) << browse.text();
    EXPECT_TRUE(listedOnA(Txt{{"txtvers", "1"}, {"seated", "1"}}));

    published.signal(SIGTERM);
    EXPECT_TRUE(browse.waitForEvent(event("removed", "Harness on A"))) << browse.text();
    fake.closeInput();
    EXPECT_EQ(fake.finish(), 0) << "the publisher withdraws and ends when its input closes";
    EXPECT_TRUE(browse.waitForEvent(event("removed", "Harness on B"))) << browse.text();
    EXPECT_TRUE(listedOnA(std::nullopt)) << "machine A's daemon still lists the withdrawn service";
}

TEST_F(Lan, AHostAnnouncesItsPortAndSeatsAndIsGoneOnceKilled)
{
    Helper browse(browseOnB());
    HostProcess host({"--port", "0"});
    const int port = host.port();
    ASSERT_GT(port, 0) << host.err();
    const std::string instance = announcedName(host);
    ASSERT_FALSE(instance.empty()) << host.out() << host.err();

    const auto found = browse.waitForEvent(event("found", instance));
    ASSERT_TRUE(found) << browse.text();
    EXPECT_EQ(str(*found, "type"), "_zonkards._tcp.local.");
    EXPECT_EQ(str(*found, "address"), addrA_);
    EXPECT_EQ((*found)["port"].toInt(), port);
    EXPECT_EQ(txtOf(*found), (Txt{{"txtvers", "1"},
                                  {"v", kVersion},
                                  {"seated", "0"},
                                  {"free", "6"},
                                  {"spies", "0"},
                                  {"state", "wait"}}));

    // A table on machine B joins over TCP; the seat count follows.
    const auto bob = clientOnB(port);
    ASSERT_TRUE(bob && bob->connected());
    ASSERT_EQ(bob->login("Bob"), 1);
    const auto joined = Clock::now();
    const auto update = browse.waitForEvent(event("updated", instance, {{"seated", "1"}}));
    ASSERT_TRUE(update) << browse.text();
    EXPECT_LE(msSince(joined), 3000) << "the TXT should follow a join within 3 s";
    EXPECT_EQ(txtOf(*update)["free"], "5");
    EXPECT_EQ(txtOf(*update)["state"], "wait");

    // Killed, it cannot say goodbye: the daemon withdraws its service.
    host.signal(SIGKILL);
    const auto killed = Clock::now();
    EXPECT_TRUE(browse.waitForEvent(event("removed", instance))) << browse.text();
    EXPECT_LE(msSince(killed), 5000) << "a killed host should be gone within 5 s";
}

// Ways to host without telling the link: the opt-outs, which still take a
// table over TCP, and the solo game (which hosts only itself).
TEST_F(Lan, HostsThatMustNotAnnounceAreNotSeenButStillPlay)
{
    Sandbox box;
    ZonkardsProcess solo(box, {}, 7772);
    struct Way {
        const char* what;
        std::vector<std::string> args, env;
    };
    const Way ways[] = {
        {"ZONKARDS_LAN_DISCOVERY=0", {"--port", "0"}, {"ZONKARDS_LAN_DISCOVERY=0"}},
        {"--no-announce", {"--port", "0", "--no-announce"}, {}},
    };
    std::vector<std::unique_ptr<HostProcess>> hosts;
    for (const Way& w : ways)
        hosts.push_back(std::make_unique<HostProcess>(w.args, w.env));
    ASSERT_TRUE(solo.connect()) << solo.stderrText();
    ASSERT_TRUE(solo.waitForBoard(seated({"You"}))) << solo.stderrText();

    Helper browse(browseOnB(5));
    std::vector<std::unique_ptr<LineClient>> tables;
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        ASSERT_GT(hosts[i]->port(), 0) << ways[i].what << ": " << hosts[i]->err();
        tables.push_back(clientOnB(hosts[i]->port()));
        ASSERT_TRUE(tables.back() && tables.back()->connected()) << ways[i].what;
        EXPECT_EQ(tables.back()->login("Bob"), 1) << ways[i].what;
    }
    EXPECT_EQ(browse.finish(), 0) << browse.text();
    EXPECT_TRUE(browse.events().empty()) << browse.text();
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
    Helper fake(publishOnB("Fake table", 23456,
                           {"txtvers=1", "v=" + kVersion, "seated=1", "free=5", "spies=0", "state=wait"}));
    Helper newer(publishOnB("Newer table", 23457,
                            {"txtvers=1", "v=9.9.9", "seated=0", "free=6", "spies=0", "state=wait"}));
    Sandbox box;
    ZonkardsProcess ann(box, {"Ann"}, 7772);
    ASSERT_TRUE(fake.waitForEvent(registered)) << fake.text();
    ASSERT_TRUE(newer.waitForEvent(registered)) << newer.text();
    ASSERT_TRUE(ann.connect()) << ann.stderrText();
    EXPECT_EQ(ann.command("menu Host or Join a Game..."), "ok");

    const std::string fakeAt = addrB_ + ":23456", newerAt = addrB_ + ":23457";
    bool held = false;
    GameList list = waitForGames(
        ann.link(), [&](const GameList& l) { return l.row(fakeAt) && l.row(newerAt); }, &held);
    ASSERT_TRUE(held) << list.answer;
    const GameRow& same = *list.row(fakeAt);
    EXPECT_NE(same.columns[0].find("Fake table"), std::string::npos) << same.columns[0];
    EXPECT_EQ(same.columns[3], kVersion);
    EXPECT_TRUE(same.enabled);
    const GameRow& other = *list.row(newerAt);
    EXPECT_NE(other.columns[0].find("Newer table"), std::string::npos) << other.columns[0];
    EXPECT_EQ(other.columns[3], "9.9.9");
    EXPECT_FALSE(other.enabled) << "a host of another version refuses the login";
    EXPECT_FALSE(other.tip.empty()) << "a greyed row says why";
    EXPECT_TRUE(lanStatus(ann.link())) << "the status line reads as a JSON string";

    // The open list follows the game: seats taken, a game that started.
    fake.send("txt txtvers=1 v=" + kVersion + " seated=3 free=3 spies=0 state=play round=2");
    list = waitForGames(
        ann.link(),
        [&](const GameList& l) {
            return l.row(fakeAt) && l.row(fakeAt)->columns[1] == "3 of 6 seated" &&
                   l.row(fakeAt)->columns[2] == "round 2 of 7";
        },
        &held);
    EXPECT_TRUE(held) << list.answer;

    fake.closeInput();
    EXPECT_EQ(fake.finish(), 0) << fake.text();
    list = waitForGames(
        ann.link(), [&](const GameList& l) { return !l.row(fakeAt); }, &held);
    EXPECT_TRUE(held) << "a withdrawn game leaves the list: " << list.answer;
    EXPECT_TRUE(list.row(newerAt)) << list.answer;
    EXPECT_EQ(ann.quit(), 0);
}

// What the player does: the table on machine B finds the game hosted on
// machine A in the dialog, joins it, and they play.
TEST_F(Lan, ATableFindsTheGameHostedOnTheOtherMachineAndJoinsIt)
{
    Sandbox annBox, bobBox;
    // Ann hosts on another port than Bob's own, so the joining copy must
    // take the port from the chosen game.
    ZonkardsProcess ann(annBox, {"Ann", "127.0.0.1", "true"}, 7773);
    ZonkardsProcess bob(bobBox, {"Bob"}, 7772, {}, "auto", {peer_});
    ASSERT_TRUE(ann.connect()) << ann.stderrText();
    ASSERT_TRUE(bob.connect()) << bob.stderrText();
    ASSERT_TRUE(ann.waitForBoard(seated({"Ann"}))) << ann.stderrText();
    EXPECT_EQ(bob.command("menu Host or Join a Game..."), "ok");

    const std::string annAt = addrA_ + ":7773";
    bool held = false;
    const GameList list = waitForGames(
        bob.link(), [&](const GameList& l) { return l.row(annAt); }, &held);
    ASSERT_TRUE(held) << list.answer;
    EXPECT_TRUE(list.row(annAt)->enabled);
    EXPECT_EQ(bob.command("pick Thostjoin list_games " + std::to_string(list.index(annAt))), "ok");
    EXPECT_EQ(bob.command("set Thostjoin edit_name Bob"), "ok");
    EXPECT_EQ(bob.command("press Thostjoin button_ok"), "ok");
    EXPECT_EQ(bob.wait(), 0) << "the first copy ends";

    // The new copy inherits the automation link and calls it.
    const int pid = bob.link().accept();
    ASSERT_GT(pid, 0) << bob.stderrText();
    struct Reaper {
        int pid;
        ~Reaper()
        {
            if (!processGone(pid))
                ::kill(pid, SIGKILL);
        }
    } reaper{pid};
    QJsonObject b;
    ASSERT_TRUE(waitForBoardOn(bob.link(), seated({"Ann", "Bob"}), kAppDeadlineMs, &b)) << bob.stderrText();
    EXPECT_EQ(str(b, "hostAddress"), addrA_);
    EXPECT_EQ(b["ownSeat"].toInt(), 2);
    ASSERT_TRUE(ann.waitForBoard(seated({"Ann", "Bob"})));

    // Ann starts and lets the computer play her turns; Bob rolls in his.
    EXPECT_EQ(ann.command("menu Fast"), "ok");
    EXPECT_EQ(ann.command("click start"), "ok");
    EXPECT_EQ(ann.command("press gamestart Image1"), "ok");
    EXPECT_EQ(ann.command("menu Just Watch"), "ok");
    ASSERT_TRUE(waitForBoardOn(
        bob.link(),
        [](const QJsonObject& board) {
            return board["currentSeat"].toInt() == 2 && board["rollButton"].toBool();
        },
        60000, &b))
        << bob.stderrText();
    EXPECT_EQ(bob.link().command("click roll"), "ok");
    EXPECT_TRUE(ann.waitForBoard([](const QJsonObject& board) {
        return board["currentSeat"].toInt() == 2 && board["rollCount"].toInt() >= 1;
    })) << "Ann's table shows Bob's roll";

    EXPECT_EQ(bob.link().command("quit"), "ok");
    EXPECT_TRUE(eventually([&] { return processGone(pid); }, kAppDeadlineMs));
    EXPECT_EQ(ann.quit(), 0);
}

// Without a daemon on machine A: hosting and joining by address go on, and
// the dialog says why its list stays empty. The daemon is started again at
// the end.
TEST_F(Lan, WithoutTheDaemonTheHostPlaysAndTheDialogSaysSearchIsUnavailable)
{
    ASSERT_EQ(run({avahi_, "stop"}), 0);
    struct Restart {
        std::string avahi;
        ~Restart() { EXPECT_EQ(run({avahi, "start"}), 0) << "machine A's avahi-daemon did not start again"; }
    } restart{avahi_};

    Sandbox box;
    ZonkardsProcess ann(box, {"Ann"}, 7772);
    HostProcess host({"--port", "0"});
    ASSERT_GT(host.port(), 0) << host.err();
    const auto bob = clientOnB(host.port());
    ASSERT_TRUE(bob && bob->connected());
    EXPECT_EQ(bob->login("Bob"), 1);

    ASSERT_TRUE(ann.connect()) << ann.stderrText();
    EXPECT_EQ(ann.command("menu Host or Join a Game..."), "ok");
    std::string status;
    EXPECT_TRUE(eventually([&] {
        status = lanStatus(ann.link()).value_or("");
        return status.find("Search for games on this network is not available") != std::string::npos;
    })) << status;
    const GameList list = readGames(ann.link());
    EXPECT_TRUE(list.valid && list.rows.empty()) << list.answer;

    host.signal(SIGTERM);
    EXPECT_EQ(host.wait(), 0) << host.err();
    EXPECT_EQ(host.out().find("\nannounced as "), std::string::npos) << host.out();
    EXPECT_TRUE(bob->waitForClose());
    EXPECT_EQ(ann.quit(), 0);
}

TEST_F(Lan, ADaemonThatHangsFreezesNeitherTheWindowNorTheHost)
{
    // Every call of the daemon's client library waits for the daemon's
    // answer (up to 25 s): they must all happen beside the game, not in it.
    ASSERT_EQ(run({avahi_, "pause"}), 0);
    struct Resume {
        std::string avahi;
        bool done = false;
        void operator()()
        {
            if (!done) {
                EXPECT_EQ(run({avahi, "resume"}), 0);
            }
            done = true;
        }
        ~Resume() { (*this)(); }
    } resume{avahi_};

    Sandbox box;
    ZonkardsProcess ann(box, {"Ann"}, 7772);
    HostProcess host({"--port", "0"});
    ASSERT_GT(host.port(), 0) << host.err();
    const auto bob = clientOnB(host.port());
    ASSERT_TRUE(bob && bob->connected());
    EXPECT_EQ(bob->login("Bob"), 1) << "the host plays while its announcement waits";

    ASSERT_TRUE(ann.connect()) << ann.stderrText();
    // Far below the daemon's 25 s: a window that waited for it would miss these.
    constexpr int kPromptMs = 5000;
    EXPECT_EQ(ann.link().command("menu Host or Join a Game...", kPromptMs).value_or("<no answer>"), "ok");
    const auto status = ann.link().command("read Thostjoin label_lanstatus", kPromptMs);
    ASSERT_TRUE(status) << "the window froze";
    EXPECT_NE(status->find("Looking for games"), std::string::npos) << *status;
    EXPECT_FALSE(ann.link().command("board", kPromptMs).value_or("").empty());

    // Once the daemon answers again, the waiting calls go through: the
    // host is announced and the dialog lists it.
    resume();
    EXPECT_TRUE(host.waitForOut("announced as ")) << host.out();
    const std::string at = addrA_ + ":" + std::to_string(host.port());
    bool listed = false;
    const GameList list = waitForGames(
        ann.link(), [&](const GameList& l) { return l.row(at); }, &listed);
    EXPECT_TRUE(listed) << list.answer;

    host.signal(SIGTERM);
    EXPECT_EQ(host.wait(), 0) << host.err();
    EXPECT_EQ(ann.quit(), 0);
}

} // namespace
} // namespace zk::test
