// The relay's pairing: one use per ticket, expiry, forgeries, the limit per game.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "coordinator/CoordMessages.h"
#include "coordinator/Relay.h"

namespace zk::coord {
namespace {

struct Outbox : RelayOutbox {
    std::map<int, std::string> sent;
    std::set<int> closed;
    std::vector<std::pair<int, int>> pairs;
    void send(int conn, std::string_view bytes) override { sent[conn] += bytes; }
    void close(int conn) override { closed.insert(conn); }
    void pair(int host, int joiner) override { pairs.emplace_back(host, joiner); }
};

struct Pairing : ::testing::Test {
    const std::string key = std::string(32, 'k');
    TicketSigner signer{key};
    Outbox out;
    std::int64_t now = 1'700'000'000'000;
    Relay relay{out, key, [this] { return now; }};
    int next = 0;
    std::uint64_t nonce = 0;

    std::string ticket(std::uint64_t game = 5) { return signer.issue(game, now + 30'000, ++nonce); }
    int half(const std::string& line, std::string address = "198.51.100.3")
    {
        const int id = ++next;
        relay.opened(id, std::move(address));
        relay.received(id, line);
        return id;
    }
    int join(const std::string& t) { return half(msg::text(Join{{kProtocol, t}})); }
    int open(const std::string& t) { return half(msg::text(Open{{kProtocol, t}}), "198.51.100.2"); }
    std::string refusal(int id) { return out.closed.contains(id) ? out.sent[id] : ""; }
};

TEST_F(Pairing, HalvesOfOneTicketArePairedOnceAndTheHostLearnsTheJoiner)
{
    const std::string t = ticket();
    const int j = join(t);
    EXPECT_TRUE(out.pairs.empty());
    const int h = open(t);
    ASSERT_EQ(out.pairs.size(), 1u);
    EXPECT_EQ(out.pairs[0], std::pair(h, j));
    EXPECT_EQ(out.sent[h], "ZC_paired+198.51.100.3\xff");
    EXPECT_EQ(out.sent[j], "ZC_paired+\xff");
    EXPECT_EQ(relay.pairs(), 1u);

    // Used: neither side may come again.
    EXPECT_EQ(refusal(join(t)), "ZC_refused+The relay ticket was used already; try again\xff");
    EXPECT_EQ(refusal(open(t)), "ZC_refused+The relay ticket was used already; try again\xff");
    // A pair ends together.
    relay.closed(j);
    EXPECT_TRUE(out.closed.contains(h));
    EXPECT_EQ(relay.pairs(), 0u);
}

TEST_F(Pairing, ForgedExpiredAndStrayTicketsAreRefused)
{
    std::string forged = ticket();
    forged[70] = forged[70] == 'a' ? 'b' : 'a';
    EXPECT_EQ(refusal(join(forged)), "ZC_refused+The relay does not know this ticket\xff");
    EXPECT_EQ(refusal(half("ZC_join+1")), "ZC_refused+The relay does not know this ticket\xff");
    EXPECT_EQ(refusal(half("CMD_logininfo+1+1.0.2+Ann")),
              "ZC_refused+The relay does not know this ticket\xff");
    EXPECT_EQ(refusal(join(signer.issue(5, now, 1))),
              "ZC_refused+The relay ticket has expired; try again\xff");
    EXPECT_EQ(refusal(half(msg::text(Join{{kProtocol + 1, ticket()}}))),
              "ZC_refused+This relay speaks another protocol; update Zonkards\xff");

    // A half whose other half never comes is closed when the ticket runs out;
    // one that closes first frees its place for the same side.
    const std::string t = ticket();
    const int j = join(t);
    relay.closed(j);
    const int j2 = join(t);
    EXPECT_FALSE(out.closed.contains(j2));
    now += 30'000;
    relay.tick();
    EXPECT_EQ(refusal(j2), "ZC_refused+The relay ticket has expired; try again\xff");
    EXPECT_EQ(relay.waiting(), 0u);
}

TEST_F(Pairing, AGameHasAtMostTenRelayedConnections)
{
    for (int i = 0; i < kMaxPairsPerGame; ++i) {
        const std::string t = ticket(7);
        join(t);
        open(t);
    }
    EXPECT_EQ(relay.pairs(), static_cast<std::size_t>(kMaxPairsPerGame));
    EXPECT_EQ(refusal(join(ticket(7))), "ZC_refused+The game has as many relayed players as it may have\xff");
    const std::string other = ticket(8); // another game is not held up
    join(other);
    open(other);
    EXPECT_EQ(relay.pairs(), static_cast<std::size_t>(kMaxPairsPerGame + 1));
    // One pair ends: room for one more.
    relay.closed(out.pairs.front().second);
    const std::string t = ticket(7);
    join(t);
    open(t);
    EXPECT_EQ(relay.pairs(), static_cast<std::size_t>(kMaxPairsPerGame + 1));
}

} // namespace
} // namespace zk::coord
