// What the host allows one connection, with stepped time: the rate budgets
// let the fastest honest player through and stop floods within a second or
// two; a connection that falls behind loses relayed lines before any game
// message, and only one that takes nothing is closed.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "host/PeerLimits.h"
#include "protocol/Commands.h"

namespace zk::test {
namespace {

using Ms = RateBudget::Ms;

// Runs a sender for `seconds`, one read every 10 ms, and returns when the
// budget first refused a read (ms), or -1 if it never did. `read(t)` gives
// the messages and bytes that arrive in the read at t.
struct Read {
    std::size_t messages = 0;
    std::size_t bytes = 0;
};
long long firstRefusal(int seconds, const std::function<Read(long long)>& read)
{
    RateBudget budget;
    for (long long t = 0; t < seconds * 1000LL; t += 10) {
        const Read r = read(t);
        if ((r.messages || r.bytes) && !budget.spend(Ms(t), r.messages, r.bytes))
            return t;
    }
    return -1;
}

TEST(PeerLimits, TheFastestHonestPlayerStaysWithinTheBudgets)
{
    // Ten minutes of: a line of 80 characters typed every half second, a
    // phrase every three seconds, a roll or a category every second, at
    // minute one twenty pasted lines of the longest kept length at once, and
    // at minute two Ctrl+R held down for five seconds (30 presses a second).
    const auto fastest = [](long long t) {
        Read r;
        if (t % 500 == 0)
            r = {1, 100};
        if (t % 3000 == 0)
            r = {r.messages + 1, r.bytes + 60};
        if (t % 1000 == 0)
            r = {r.messages + 1, r.bytes + 30};
        if (t == 60000)
            r = {r.messages + 20, r.bytes + 20 * (kMaxMessageLength + 20)};
        if (t >= 120000 && t < 125000 && t % 30 == 0)
            r = {r.messages + 1, r.bytes + 20};
        return r;
    };
    EXPECT_EQ(firstRefusal(600, fastest), -1);
}

TEST(PeerLimits, FloodsAreRefusedWithinSeconds)
{
    struct Flood {
        const char* what;
        int perSecond;
        std::size_t bytesEach;
    };
    for (const Flood& f :
         {Flood{"4 KB chat lines, 40 a second", 40, 4096}, Flood{"short lines, 100 a second", 100, 30},
          Flood{"phrases, 50 a second", 50, 60}}) {
        SCOPED_TRACE(f.what);
        const long long at = firstRefusal(60, [&](long long t) {
            const int per10ms = f.perSecond / 100, every = 100 / f.perSecond;
            if (per10ms > 0)
                return Read{static_cast<std::size_t>(per10ms), per10ms * f.bytesEach};
            return (t / 10) % every == 0 ? Read{1, f.bytesEach} : Read{};
        });
        EXPECT_GE(at, 0);
        EXPECT_LE(at, 6000); // the burst and a little more
    }
    // A megabyte of terminators in one go is refused at once, and a refused
    // budget stays refused.
    RateBudget storm;
    EXPECT_FALSE(storm.spend(Ms(0), 1 << 20, 1 << 20));
    EXPECT_FALSE(storm.spend(Ms(600000), 1, 1));
}

TEST(PeerLimits, ABehindConnectionLosesRelayedLinesFirstAndOnlyAStalledOneIsClosed)
{
    EXPECT_TRUE(isRelayedLine("CMD_chat+Ann chats: hi|clBlack\xFF"));
    EXPECT_TRUE(isRelayedLine("CMD_action+Ann says: Nice|clBlack\xFF"));
    EXPECT_TRUE(isRelayedLine("CMD_playasound+1+wave3+\xFF"));
    EXPECT_FALSE(isRelayedLine("CMD_chatter+x\xFF"));
    EXPECT_FALSE(isRelayedLine("CMD_createdice+2+1+1+4+2+2+3+6+4+1+5+5\xFF"));
    EXPECT_FALSE(isRelayedLine("CMD_chat"));

    struct Case {
        bool relayed;
        std::size_t unsent;
        long long sinceProgressMs;
        SendVerdict verdict;
    };
    const long long stall = kStallTime.count();
    for (const Case& c : {
             Case{true, 0, 0, SendVerdict::Send},
             Case{true, kBehindBytes, stall * 10, SendVerdict::Send}, // not behind: no stall counts
             Case{true, kBehindBytes + 1, 0, SendVerdict::Skip},
             Case{false, kBehindBytes + 1, stall - 1, SendVerdict::Send},
             Case{false, kBehindBytes + 1, stall, SendVerdict::Close},
             Case{true, kBehindBytes + 1, stall, SendVerdict::Close},
             Case{false, kMaxUnsentBytes + 1, 0, SendVerdict::Close},
         }) {
        SCOPED_TRACE(::testing::Message() << c.relayed << " " << c.unsent << " " << c.sinceProgressMs);
        EXPECT_EQ(sendVerdict(c.relayed, c.unsent, Ms(c.sinceProgressMs)), c.verdict);
    }
}

} // namespace
} // namespace zk::test
