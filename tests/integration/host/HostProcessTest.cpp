// The built zonkards-host program against real TCP clients on loopback: its
// command line, logins, relays, refusal of a tenth connection, a whole game,
// players vanishing, and hostile input that must not disturb the others.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <random>

#include "HostProcess.h"
#include "host/Rules.h"
#include "protocol/Messages.h"

namespace zk::test {
namespace {

using namespace std::chrono_literals;

struct RunningHost {
    explicit RunningHost(const char* botSpeed = "1") : host({"--port", "0", "--bot-speed", botSpeed})
    {
        port = host.port();
    }
    HostProcess host;
    int port = 0;
};

TEST(HostCommandLine, HelpVersionAndBadArguments)
{
    HostProcess help({"--help"});
    EXPECT_EQ(help.wait(), 0);
    EXPECT_NE(help.out().find("usage: zonkards-host [--port PORT] [--bot-speed MS]"), std::string::npos);

    HostProcess version({"--version"});
    EXPECT_EQ(version.wait(), 0);
    EXPECT_EQ(version.out(), "zonkards-host 1.0.2\n");

    for (std::vector<std::string> bad :
         {std::vector<std::string>{"--port", "http"}, {"--bot-speed", "0"}, {"--frobnicate"}}) {
        HostProcess p(bad);
        EXPECT_EQ(p.wait(), 2) << bad.front();
        EXPECT_NE(p.err().find("usage:"), std::string::npos);
        EXPECT_TRUE(p.out().empty());
    }
}

TEST(HostCommandLine, APortInUseIsAClearErrorWithExitCodeOne)
{
    const int blocker = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(::bind(blocker, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(blocker, 1), 0);
    socklen_t len = sizeof a;
    ::getsockname(blocker, reinterpret_cast<sockaddr*>(&a), &len);
    const int port = ntohs(a.sin_port);

    HostProcess p({"--port", std::to_string(port)});
    EXPECT_EQ(p.wait(), 1);
    EXPECT_NE(
        p.err().find("cannot listen on port " + std::to_string(port) + ": Listen - Error Binding Socket"),
        std::string::npos)
        << p.err();
    ::close(blocker);
}

TEST(HostCommandLine, TheEnvironmentPortIsTheDefaultAndSignalsEndItCleanly)
{
    for (int sig : {SIGTERM, SIGINT}) {
        const int port = freeTcpPort();
        HostProcess p({}, {"ZONKARDS_PORT=" + std::to_string(port)});
        ASSERT_EQ(p.port(), port);
        LineClient c(port);
        ASSERT_TRUE(c.login("Ann"));
        p.signal(sig);
        EXPECT_EQ(p.wait(), 0) << "signal " << sig;
        EXPECT_TRUE(c.waitForClose());
    }
}

TEST(HostProcessGame, SeveralClientsLogInAndChat)
{
    RunningHost h;
    ASSERT_GT(h.port, 0);
    LineClient a(h.port);
    ASSERT_EQ(a.login("Ann"), 1);
    LineClient b(h.port);
    ASSERT_EQ(b.login("Bob"), 2);
    LineClient c(h.port);
    ASSERT_EQ(c.login("Cy+Pher"), 3);
    // Cy saw his slot, himself announced, then Ann and Bob as existing players.
    EXPECT_EQ(c.seen, (std::vector<std::string>{"CMD_sendlogininfo+3", "CMD_newplayerinfo+3+Cy+Pher"}));
    EXPECT_EQ(c.next(), "CMD_existingplayers+1+Ann");
    EXPECT_EQ(c.next(), "CMD_existingplayers+2+Bob");
    EXPECT_EQ(a.waitFor("CMD_newplayerinfo+3+"), "CMD_newplayerinfo+3+Cy+Pher");

    b.send("CMD_chat+2+hello + all|clRed");
    b.send("CMD_chat+1+I am Ann|clRed"); // speaking for another slot: dropped
    b.send("CMD_action+2+waves|clBlue");
    for (LineClient* x : {&a, &b, &c}) {
        EXPECT_EQ(x->waitFor("CMD_chat+"), "CMD_chat+Bob chats: hello + all|clRed");
        EXPECT_EQ(x->waitFor("CMD_action+"), "CMD_action+Bob waves|clBlue");
    }
}

TEST(HostProcessGame, TheTenthConnectionIsRefusedAndTheNineCarryOn)
{
    RunningHost h;
    ASSERT_GT(h.port, 0);
    std::vector<std::unique_ptr<LineClient>> nine;
    for (int i = 1; i <= 9; ++i) {
        nine.push_back(std::make_unique<LineClient>(h.port));
        ASSERT_EQ(nine.back()->login("P" + std::to_string(i)), i);
    }
    LineClient tenth(h.port);
    EXPECT_EQ(tenth.next(), "CMD_full+");
    EXPECT_TRUE(tenth.waitForClose());

    nine[8]->send("CMD_chat+9+still here|clBlack");
    for (auto& c : nine)
        EXPECT_EQ(c->waitFor("CMD_chat+"), "CMD_chat+P9 chats: still here|clBlack");
    // One leaves; the next newcomer gets its slot.
    nine[3]->close();
    EXPECT_EQ(nine[0]->waitFor("CMD_playerdisconnected+"), "CMD_playerdisconnected+4+P4");
    LineClient again(h.port);
    EXPECT_EQ(again.login("New"), 4);
}

// Plays slot 1's turns in the simplest way a line client can: choose the
// first offered category, then roll three times; the host ignores what is
// not allowed. Returns the winner message, and fills totals from the scores.
std::optional<std::string> playToTheEnd(LineClient& me, std::map<int, int>& totals)
{
    while (auto m = me.next(120000)) {
        const auto [name, args] = splitCommand(*m);
        if (name == "CMD_winner")
            return m;
        if (name == "CMD_nextplayer") {
            const auto next = msg::decode<msg::NextPlayer>(args);
            const int seat = next->seat;
            const auto& list = next->categories;
            if (seat == me.slot() && !list.empty()) {
                me.send("CMD_selectcat+1+" + std::to_string(list.front()) + "+");
                for (int i = 0; i < 3; ++i)
                    me.send("CMD_rollthedice+1+1+2+3+4+5");
            }
        } else if (name == msg::PostScores::command || name == msg::BonusTime::command) {
            const auto score = msg::decode<msg::ScoreReport>(args);
            totals[score->seat] = score->total.value();
        } else if (name == msg::Zonkard::command) {
            const auto score = msg::decode<msg::Zonkard>(args);
            totals[score->seat] = score->total.value();
        } else if (name == msg::GotBonus::command) {
            const auto score = msg::decode<msg::GotBonus>(args);
            totals[score->seat] = score->total.value();
        }
    }
    return std::nullopt;
}

TEST(HostProcessGame, ALineClientPlaysAWholeGameAgainstTheComputer)
{
    RunningHost h;
    ASSERT_GT(h.port, 0);
    LineClient me(h.port);
    ASSERT_EQ(me.login("Solo"), 1);
    me.send("CMD_startgame+Solo+2+");
    std::map<int, int> totals;
    const auto winner = playToTheEnd(me, totals);
    ASSERT_TRUE(winner) << "no CMD_winner";
    ASSERT_EQ(totals.size(), 2u);
    std::string expected = "CMD_winner";
    const SeatTotals t{totals[1], totals[2], 0, 0, 0, 0};
    for (int s : winningSeats(t))
        expected += "+" + std::to_string(s);
    EXPECT_EQ(*winner, expected + "+0+");
    int nextplayers = 0;
    for (const auto& m : me.seen)
        nextplayers += m.rfind("CMD_nextplayer+", 0) == 0;
    EXPECT_EQ(nextplayers, 14);
}

TEST(HostProcessGame, APlayerVanishingInHisTurnIsPlayedOnByTheComputer)
{
    RunningHost h;
    ASSERT_GT(h.port, 0);
    auto a = std::make_unique<LineClient>(h.port);
    LineClient b(h.port), c(h.port);
    ASSERT_EQ(a->login("Ann"), 1);
    ASSERT_EQ(b.login("Bob"), 2);
    ASSERT_EQ(c.login("Cat"), 3);
    a->send("CMD_startgame+Ann+0+");
    ASSERT_TRUE(b.waitFor("CMD_nextplayer+1+1+"));
    // Choosing twice is refused with a notice on the host's standard error;
    // the game goes on.
    a->send("CMD_selectcat+1+3+");
    a->send("CMD_selectcat+1+4+");
    EXPECT_TRUE(h.host.waitForErr("working selected\n"));
    a->send("CMD_rollthedice+1+1+2+3+4+5");
    bool rolled = false;
    while (auto m = b.next()) {
        if (m->rfind("CMD_createdice+1+1+", 0) == 0 || m->rfind("CMD_zonkard+1+", 0) == 0) {
            rolled = true;
            break;
        }
    }
    ASSERT_TRUE(rolled);
    a.reset(); // gone in the middle of his turn
    EXPECT_TRUE(b.waitFor("CMD_playerdisconnected+1+Ann"));
    EXPECT_TRUE(c.waitFor("CMD_playerdisconnected+1+Ann"));
    // The computer finishes seat 1's turn (unless the first roll was a
    // zonkard) and the game goes on with Bob.
    EXPECT_TRUE(b.waitFor("CMD_nextplayer+2+1+"));
    bool scored = false;
    for (const auto& m : b.seen)
        scored |= m.rfind("CMD_postscores+1+", 0) == 0 || m.rfind("CMD_bonustime+1+", 0) == 0 ||
                  m.rfind("CMD_zonkard+1+", 0) == 0;
    EXPECT_TRUE(scored);
}

TEST(HostProcessGame, GarbageFromOneClientLeavesTheOthersServed)
{
    RunningHost h;
    ASSERT_GT(h.port, 0);
    LineClient a(h.port), b(h.port);
    ASSERT_EQ(a.login("Ann"), 1);
    ASSERT_EQ(b.login("Bob"), 2);
    auto evil = std::make_unique<LineClient>(h.port);
    ASSERT_EQ(evil->login("Evil"), 3);

    std::mt19937 rng(7);
    std::string junk;
    for (int i = 0; i < 20000; ++i)
        junk += static_cast<char>(rng() % 256);
    evil->sendRaw(junk);
    evil->send("CMD_kickhim+1+1+");
    evil->send("CMD_startgame+Evil+0+");
    evil->send("CMD_rollthedice+99999999999+1");
    evil->send("CMD_chat+3+" + std::string(10000, 'x'));
    evil->send("CMD_logininfo");
    evil->send("+++");
    // Then a line that never ends: cut off past 64 KiB.
    evil->sendRaw(std::string(70 * 1024, 'z'));
    EXPECT_TRUE(evil->waitForClose());
    EXPECT_TRUE(a.waitFor("CMD_playerdisconnected+3+"));

    a.send("CMD_chat+1+still fine|clBlack");
    EXPECT_EQ(b.waitFor("CMD_chat+Ann"), "CMD_chat+Ann chats: still fine|clBlack");
    bool startedOrKicked = false;
    for (const auto& m : b.seen)
        startedOrKicked |= m.rfind("CMD_startgame", 0) == 0 || m == "CMD_playerdisconnected+1+Ann";
    EXPECT_FALSE(startedOrKicked);
    LineClient late(h.port);
    EXPECT_EQ(late.login("Late"), 3);
}

TEST(HostProcessGame, AFloodOfMessagesIsCutOffWithoutHoldingUpTheOthers)
{
    RunningHost h;
    ASSERT_GT(h.port, 0);
    LineClient a(h.port);
    ASSERT_EQ(a.login("Ann"), 1);
    LineClient b(h.port);
    ASSERT_EQ(b.login("Bob"), 2);
    auto flood = std::make_unique<LineClient>(h.port);
    ASSERT_EQ(flood->login("Flood"), 3);
    std::string burst;
    for (int i = 0; i < 5000; ++i)
        burst += "CMD_chat+3+x|clBlack\xFF";
    flood->sendRaw(burst);
    EXPECT_TRUE(flood->waitForClose());
    ASSERT_TRUE(a.waitFor("CMD_playerdisconnected+3+Flood"));
    b.send("CMD_chat+2+my turn|clBlack");
    ASSERT_EQ(a.waitFor("CMD_chat+Bob"), "CMD_chat+Bob chats: my turn|clBlack");
    int relayed = 0;
    for (const auto& m : a.seen)
        relayed += m == "CMD_chat+Flood chats: x|clBlack";
    EXPECT_LT(relayed, 1000); // the rest of the flood was skipped, not relayed
}

TEST(HostProcessGame, ASlowReaderLosesChatButStaysAndOnlyAPeerThatNeverReadsIsCutOff)
{
    RunningHost h;
    ASSERT_GT(h.port, 0);
    LineClient talker(h.port);
    ASSERT_EQ(talker.login("Talker"), 1);
    LineClient deaf(h.port, 4096);
    ASSERT_EQ(deaf.login("Deaf"), 2);
    LineClient slow(h.port, 4096);
    ASSERT_EQ(slow.login("Slow"), 3);
    // Long chat lines at a pace the budgets allow (three 4 KB lines a
    // second), relayed to all; the deaf client never reads again, the slow
    // one takes about two lines a second.
    const std::string line = "CMD_chat+1+" + std::string(4000, 'w') + "|clBlack";
    bool cut = false;
    int sent = 0;
    const auto started = Clock::now();
    auto nextLine = started, nextRead = started;
    // The kernel may end the deaf peer's connection (20 s unacknowledged)
    // before the host's own stall rule would; the talk goes on 10 s after
    // the cut either way, so the slow reader falls behind as far.
    std::optional<Clock::time_point> cutAt;
    while ((!cut || Clock::now() < *cutAt + 10s) && Clock::now() < started + 120s) {
        if (Clock::now() >= nextLine) {
            talker.send(line);
            ++sent;
            nextLine += 333ms;
        }
        if (Clock::now() >= nextRead) {
            slow.next(10);
            nextRead += 500ms;
        }
        while (auto m = talker.next(20)) {
            if (*m == "CMD_playerdisconnected+2+Deaf" && !cut) {
                cut = true;
                cutAt = Clock::now();
                std::printf(
                    "the deaf peer was cut off after %d lines of 4 KB, %lld ms\n", sent,
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(*cutAt - started).count()));
            }
        }
    }
    ASSERT_TRUE(cut) << "after " << sent << " lines";
    // The slow reader is still there: it gets the game's news, and the
    // lines it was behind for were skipped rather than queued.
    talker.send("CMD_chat+1+done|clBlack");
    // (It may have read that news already while the talk went on.)
    const std::string deafGone = "CMD_playerdisconnected+2+Deaf";
    ASSERT_TRUE(std::find(slow.seen.begin(), slow.seen.end(), deafGone) != slow.seen.end() ||
                slow.waitFor(deafGone));
    EXPECT_EQ(talker.waitFor("CMD_chat+Talker chats: done"), "CMD_chat+Talker chats: done|clBlack");
    int relayed = 0;
    for (const auto& m : slow.seen)
        relayed += m.rfind("CMD_chat+Talker chats: ww", 0) == 0;
    EXPECT_LT(relayed, sent - 10);
    EXPECT_GT(relayed, 0);
}

} // namespace
} // namespace zk::test

namespace zk::test {
namespace {

TEST(HostProcessSeats, AHeldSeatGoesToItsPlayerNotAStrangerAndIsFreeAgainOnceTheHoldRunsOut)
{
    HostProcess host({"--port", "0", "--bot-speed", "50", "--seat-hold", "2", "--no-announce"});
    ASSERT_GT(host.port(), 0);
    LineClient ann(host.port());
    ASSERT_EQ(ann.login("Ann"), 1);
    auto bob = std::make_unique<LineClient>(host.port());
    ASSERT_EQ(bob->login("Bob"), 2);
    ann.send(msg::text(msg::StartGame{"Ann", "0"}));
    ASSERT_TRUE(ann.waitFor("CMD_nextplayer+"));
    bob.reset(); // Bob's connection goes
    ASSERT_TRUE(ann.waitFor("CMD_playerdisconnected+2+Bob"));

    LineClient eve(host.port());
    EXPECT_EQ(eve.login("Eve"), 3) << "a stranger never inherits the held seat";
    LineClient bobAgain(host.port());
    EXPECT_EQ(bobAgain.login("Bob"), 2) << "moved from the slot he was given to his own";
    EXPECT_TRUE(ann.waitFor("CMD_action+Bob is back.|clBlue"));
    EXPECT_TRUE(bobAgain.waitFor("CMD_loadscores+2+"));

    bobAgain.close();
    ASSERT_TRUE(ann.waitFor("CMD_playerdisconnected+2+Bob"));
    ::usleep(2500 * 1000); // the hold runs out
    LineClient zed(host.port());
    EXPECT_EQ(zed.login("Zed"), 2) << "then the seat is free as any departed seat";
}

} // namespace
} // namespace zk::test
