// One contract for both stores: the memory store and the Redis store (a
// real redis-server started here on a free loopback port). Each store is
// opened twice, as two instances sharing it would open it: claims, games,
// the list, lives running out, tickets used once, budgets counted together
// and events from one instance to the other.
#include <poll.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "TestRedis.h"
#include "coordinator/MemoryStore.h"
#include "coordinator/RedisStore.h"

namespace zk::coord {
namespace {

Ms wallNow()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

HostedGame gameOf(const std::string& code, const std::string& secret, Visibility v,
                  const std::string& instance)
{
    HostedGame g;
    g.id = 0xF00DF00DF00DF00DULL;
    g.code = code;
    g.secretHash = secret;
    g.version = "1.0.2";
    g.visibility = v;
    g.facts = GameAdvert{.version = "1.0.2",
                         .seated = 2,
                         .free = 4,
                         .spies = 1,
                         .state = GameAdvert::State::Play,
                         .round = 3,
                         .hostPlayer = "Ann + Bob"};
    g.address = "198.51.100.7";
    g.port = 7772;
    g.reach = Reach::Relay;
    g.nonce = "n1";
    g.instance = instance;
    return g;
}

struct Shared {
    std::unique_ptr<Store> own;
    Store* a = nullptr; // two instances' handles on one state
    Store* b = nullptr;
    std::unique_ptr<Store> second;
    std::function<void()> pump = [] {};
};

class StoreContract : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (GetParam() == "memory") {
            s.own = std::make_unique<MemoryStore>(wallNow);
            s.a = s.b = s.own.get();
            return;
        }
        redis.emplace();
        if (!redis->server)
            GTEST_SKIP() << redis->skipReason;
        std::string error;
        auto a = RedisStore::open(redis->url(), "", wallNow, &error);
        auto b = RedisStore::open(redis->url(), "", wallNow, &error);
        ASSERT_TRUE(a && b) << error;
        RedisStore* listening = b.get();
        s.pump = [listening] {
            pollfd p{listening->eventsFd(), POLLIN, 0};
            if (::poll(&p, 1, 2000) == 1)
                listening->pumpEvents();
        };
        s.own = std::move(a);
        s.second = std::move(b);
        s.a = s.own.get();
        s.b = s.second.get();
    }
    std::optional<test::TestRedis> redis;
    Shared s;
};

TEST_P(StoreContract, GamesCodesListsTicketsBudgetsAndEventsAreSharedAndRunOut)
{
    Store& a = *s.a;
    Store& b = *s.b;
    // A code belongs to one secret while it lives.
    EXPECT_TRUE(a.claim("+abcdefg", "hashA", 60'000));
    EXPECT_FALSE(b.claim("+abcdefg", "hashB", 60'000));
    EXPECT_TRUE(b.claim("+abcdefg", "hashA", 60'000));
    EXPECT_EQ(b.codeOf("hashA"), "+abcdefg");
    EXPECT_EQ(b.codeOf("hashB"), std::nullopt);

    // What one instance writes, the other reads, to the last field.
    const HostedGame pub = gameOf("+abcdefg", "hashA", Visibility::Public, "i1");
    a.put(pub, 60'000);
    const auto read = b.get("+abcdefg");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->id, pub.id);
    EXPECT_EQ(read->facts, pub.facts);
    EXPECT_EQ(std::tie(read->address, read->port, read->reach, read->nonce, read->instance, read->version),
              std::tie(pub.address, pub.port, pub.reach, pub.nonce, pub.instance, pub.version));
    // Listed: public games whose host is connected somewhere, in code order.
    a.put(gameOf("+bbbbbbb", "hashC", Visibility::Invite, "i1"), 60'000);
    a.put(gameOf("+ccccccc", "hashD", Visibility::Public, ""), 60'000);
    a.put(gameOf("+AAAAAAA", "hashE", Visibility::Public, "i2"), 60'000);
    std::vector<std::string> listed;
    for (const HostedGame& g : b.listed(10))
        listed.push_back(g.code);
    EXPECT_EQ(listed, (std::vector<std::string>{"+AAAAAAA", "+abcdefg"}));
    EXPECT_EQ(b.listed(1).size(), 1u);
    EXPECT_EQ(b.games(), 4u);

    // A game's life runs out unless it is written again; its code goes with it.
    a.put(gameOf("+ddddddd", "hashF", Visibility::Public, "i1"), 150);
    EXPECT_TRUE(b.get("+ddddddd"));
    EXPECT_TRUE(b.firstUse("ticket-short", 150));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    a.expire();
    EXPECT_EQ(b.get("+ddddddd"), std::nullopt);
    EXPECT_EQ(b.codeOf("hashF"), std::nullopt);
    EXPECT_TRUE(b.claim("+ddddddd", "hashG", 60'000));
    EXPECT_EQ(b.listed(10).size(), 2u);
    EXPECT_TRUE(a.firstUse("ticket-short", 150)); // its use was forgotten with it

    // A ticket serves once, whichever instance sees it first.
    EXPECT_FALSE(a.used("ticket-1"));
    EXPECT_TRUE(a.firstUse("ticket-1", 30'000));
    EXPECT_FALSE(b.firstUse("ticket-1", 30'000));
    EXPECT_TRUE(b.used("ticket-1"));

    // Budgets are counted together; another key has its own.
    EXPECT_TRUE(a.take("lookup 198.51.100.3", 3, 60'000));
    EXPECT_TRUE(b.take("lookup 198.51.100.3", 3, 60'000));
    EXPECT_TRUE(a.take("lookup 198.51.100.3", 3, 60'000));
    EXPECT_FALSE(b.take("lookup 198.51.100.3", 3, 60'000));
    EXPECT_TRUE(b.take("lookup 198.51.100.4", 3, 60'000));

    // An event reaches the instance it names, and only that one.
    std::vector<std::string> heard;
    b.listen("i2", [&](const std::string& e) { heard.push_back(e); });
    a.tell("i3", "for nobody");
    a.tell("i2", "connect\n+AAAAAAA\nZC_connect+...");
    for (int i = 0; i < 5 && heard.empty(); ++i)
        s.pump();
    EXPECT_EQ(heard, (std::vector<std::string>{"connect\n+AAAAAAA\nZC_connect+..."}));
    b.listen("i2", nullptr);
}

INSTANTIATE_TEST_SUITE_P(Stores, StoreContract, ::testing::Values("memory", "redis"),
                         [](const auto& kind) { return kind.param; });

TEST(RedisUrl, ReadsTheServerItsLoginAndDatabaseAndRefusesTheRest)
{
    const auto full = parseRedisUrl("rediss://app:s3cr@t@redis.example:6380/2", nullptr);
    ASSERT_TRUE(full);
    EXPECT_TRUE(full->tls);
    EXPECT_EQ(
        std::tie(full->user, full->password, full->host, full->port, full->db),
        std::make_tuple(std::string("app"), std::string("s3cr@t"), std::string("redis.example"), 6380, 2));
    const auto bare = parseRedisUrl("redis://[::1]", nullptr);
    ASSERT_TRUE(bare);
    EXPECT_EQ(std::tie(bare->host, bare->port, bare->db, bare->tls),
              std::make_tuple(std::string("::1"), 6379, 0, false));
    EXPECT_EQ(parseRedisUrl("redis://pw@h", nullptr)->password, "pw");
    for (const char* bad :
         {"http://h", "redis://", "redis://h:0", "redis://h:99999", "redis://h/x", "redis://[::1"}) {
        std::string error;
        EXPECT_FALSE(parseRedisUrl(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

} // namespace
} // namespace zk::coord
