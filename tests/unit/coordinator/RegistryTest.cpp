// The coordinator's registry and look-ups with stepped time: registration,
// the probe's verdict, codes kept across a reconnect, expiry, limits.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "coordinator/Coordinator.h"
#include "coordinator/InviteCode.h"

namespace zk::coord {
namespace {

struct Outbox : CoordinatorOutbox {
    std::map<int, std::vector<std::string>> sent; // messages without terminator
    std::set<int> closed;
    std::vector<std::pair<int, std::string>> probes; // conn, "address:port nonce"
    void send(int conn, std::string_view bytes) override
    {
        std::string_view b = bytes;
        while (!b.empty()) {
            const auto end = b.find(kTerminator);
            sent[conn].emplace_back(b.substr(0, end));
            b.remove_prefix(end == std::string_view::npos ? b.size() : end + 1);
        }
    }
    void close(int conn) override { closed.insert(conn); }
    void probe(int conn, const std::string& address, int port, const std::string& nonce) override
    {
        probes.emplace_back(conn, address + ":" + std::to_string(port) + " " + nonce);
    }
    std::string last(int conn) const
    {
        auto it = sent.find(conn);
        return it == sent.end() || it->second.empty() ? "" : it->second.back();
    }
};

const std::string kSecretA(32, 'a');
const std::string kSecretB(32, 'b');

struct Registry : ::testing::Test {
    Outbox out;
    Ms now = 1'000'000;
    std::uint64_t counter = 0;
    Coordinator c{out, CoordinatorConfig{"", 7781, std::string(32, 'k')}, [this] { return now; },
                  [this] { return ++counter; }};
    int nextConn = 0;

    int host(const std::string& secret, Visibility v = Visibility::Invite,
             std::string address = "198.51.100.2")
    {
        const int id = ++nextConn;
        c.opened(id, std::move(address));
        c.received(id, msg::text(Register{kProtocol, "1.0.2", secret, "n" + std::to_string(id), v, 7772,
                                          GameAdvert{.seated = 1, .free = 5}}));
        return id;
    }
    std::string ask(const std::string& request, std::string address = "198.51.100.3")
    {
        const int id = ++nextConn;
        c.opened(id, std::move(address));
        c.received(id, request);
        EXPECT_TRUE(out.closed.contains(id)) << request;
        return out.last(id);
    }
    std::string resolve(std::string_view code, std::string address = "198.51.100.3")
    {
        return ask(msg::text(Resolve{kProtocol, std::string(code)}), std::move(address));
    }
};

TEST_F(Registry, RegisteredGameIsProbedAndJoinedDirectlyOrThroughTheRelay)
{
    const int h = host(kSecretA);
    const std::string code = inviteCode(kSecretA);
    EXPECT_EQ(out.last(h), "ZC_registered+" + code);
    ASSERT_EQ(out.probes.size(), 1u);
    EXPECT_EQ(out.probes[0].second, "198.51.100.2:7772 n1");

    // Before the probe has answered, and after it failed: the relay.
    const std::string relayed = resolve(code);
    EXPECT_TRUE(relayed.starts_with("ZC_relay++7781+")) << relayed;
    EXPECT_EQ(out.last(h), "ZC_connect" + relayed.substr(std::string("ZC_relay").size()));
    c.probeAnswered(h, false);
    EXPECT_EQ(out.last(h), "ZC_reach+relay");
    // Two look-ups, two tickets.
    EXPECT_NE(resolve(code), relayed);

    c.probeAnswered(h, true);
    EXPECT_EQ(out.last(h), "ZC_reach+direct");
    EXPECT_EQ(resolve(code), "ZC_direct+198.51.100.2+7772");

    // A mapped port arrives: probed again with the host's nonce.
    c.received(h, msg::text(Update{7900, GameAdvert{.seated = 2, .free = 4}}));
    EXPECT_EQ(out.probes.back().second, "198.51.100.2:7900 n1");
    EXPECT_EQ(c.game(code)->facts.seated, 2);

    // A coordinator that hides hosts' addresses relays even a reachable game.
    Coordinator hiding{out, CoordinatorConfig{"", 7781, std::string(32, 'k'), true}, [this] { return now; },
                       [this] { return ++counter; }};
    hiding.opened(100, "198.51.100.2");
    hiding.received(100,
                    msg::text(Register{kProtocol, "1.0.2", kSecretB, "n", Visibility::Invite, 7772, {}}));
    hiding.probeAnswered(100, true);
    hiding.opened(101, "198.51.100.3");
    hiding.received(101, msg::text(Resolve{kProtocol, inviteCode(kSecretB)}));
    EXPECT_TRUE(out.last(101).starts_with("ZC_relay++7781+")) << out.last(101);
}

TEST_F(Registry, UnknownCodesBadRequestsAndRefusedHostsAnswerAlike)
{
    host(kSecretA);
    for (const std::string& request :
         {msg::text(Resolve{kProtocol, inviteCode(kSecretB)}), msg::text(Resolve{kProtocol, "not a code"}),
          msg::text(Resolve{kProtocol + 1, inviteCode(kSecretA)}), std::string("ZC_resolve+x")})
        EXPECT_EQ(ask(request), "ZC_unknown+") << request;
    // Not our protocol at all: closed without a word.
    EXPECT_EQ(ask("GET / HTTP/1.0"), "");

    struct Bad {
        std::string message;
        std::string answer;
    };
    const Bad bad[] = {
        {msg::text(Register{kProtocol + 1, "1.0.2", kSecretB, "n", Visibility::Invite, 7772, {}}),
         "ZC_refused+This coordinator speaks another protocol; update Zonkards"},
        {msg::text(Register{kProtocol, "1.0.2", "short", "n", Visibility::Invite, 7772, {}}),
         "ZC_refused+The registration could not be read"},
        {msg::text(Register{kProtocol, "1.0.2", kSecretB, "n", Visibility::Invite, 0, {}}),
         "ZC_refused+The registration could not be read"},
        {"ZC_register+1+1.0.2", "ZC_refused+The registration could not be read"},
    };
    for (const Bad& b : bad)
        EXPECT_EQ(ask(b.message, "198.51.100.9"), b.answer) << b.message;
    EXPECT_EQ(c.gameCount(), 1u);
}

TEST_F(Registry, LookUpsAreLimitedPerAddress)
{
    const std::string code = inviteCode(kSecretA);
    host(kSecretA);
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(resolve(code).starts_with("ZC_relay")) << i;
    EXPECT_EQ(resolve(code), "ZC_busy+");
    EXPECT_EQ(ask(msg::text(List{})), "ZC_busy+");
    EXPECT_TRUE(resolve(code, "198.51.100.4").starts_with("ZC_relay")); // another address
    now += LookupLimit::kLookupRefillMs;
    EXPECT_TRUE(resolve(code).starts_with("ZC_relay"));
    EXPECT_EQ(resolve(code), "ZC_busy+");
}

TEST_F(Registry, TheCodeOutlivesAReconnectAndTheGameItsGrace)
{
    const std::string code = inviteCode(kSecretA);
    int h = host(kSecretA);
    c.closed(h);
    EXPECT_EQ(resolve(code), "ZC_unknown+"); // away: nobody to join
    now += kRegistrationGraceMs - 1;
    c.tick();
    h = host(kSecretA);
    EXPECT_EQ(out.last(h), "ZC_registered+" + code);

    // A second connection with the same secret takes the game over.
    const int again = host(kSecretA);
    EXPECT_TRUE(out.closed.contains(h));
    EXPECT_EQ(out.last(again), "ZC_registered+" + code);
    c.closed(h); // the old one's close does not end the game
    EXPECT_TRUE(resolve(code).starts_with("ZC_relay"));

    // A host that says nothing for too long is let go, and after its grace the game.
    now += kSilentHostMs;
    c.tick();
    EXPECT_TRUE(out.closed.contains(again));
    now += kRegistrationGraceMs;
    c.tick();
    EXPECT_EQ(c.gameCount(), 0u);
    EXPECT_EQ(c.nextDeadline(), std::nullopt);
    // A connection that never says what it is goes too.
    c.opened(99, "198.51.100.8");
    now += kFirstMessageMs;
    c.tick();
    EXPECT_TRUE(out.closed.contains(99));
}

TEST_F(Registry, OnlyPublicGamesThatArePresentAreListed)
{
    host(kSecretA, Visibility::Public);
    host(kSecretB, Visibility::Invite);
    const int gone = host(std::string(32, 'c'), Visibility::Public);
    c.closed(gone);
    const int id = ++nextConn;
    c.opened(id, "198.51.100.3");
    c.received(id, msg::text(List{}));
    const auto& lines = out.sent[id];
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "ZC_game+" + inviteCode(kSecretA) + "+1.0.2+1+5+0+wait+0+");
    EXPECT_EQ(lines[1], "ZC_listend+1");
}

} // namespace
} // namespace zk::coord
