// What the host announces follows the seats, the watchers and the game.
#include <gtest/gtest.h>

#include "HostHarness.h"
#include "host/HostAdvert.h"

namespace zk::test {
namespace {

TEST(Advert, FollowsTheSeatsTheWatchersAndTheGameAndNamesOnlyWhenAllowed)
{
    HostHarness h(1);
    auto advert = [&](bool names = false) { return hostAdvert(h.engine, "1.0.2", names); };
    EXPECT_EQ(advert(), (GameAdvert{.version = "1.0.2", .seated = 0, .free = 6}));

    h.login("J\xf6rg"); // Windows-1252, as the wire carries it
    for (const char* name : {"Bob", "Cid", "Dee", "Eve", "Fay", "Gus"})
        h.login(name);
    EXPECT_EQ(advert(), (GameAdvert{.version = "1.0.2", .seated = 6, .free = 0, .spies = 1}));
    h.vanish(4);
    EXPECT_EQ(advert().seated, 5);
    EXPECT_EQ(advert().hostPlayer, "");
    EXPECT_EQ(advert(true).hostPlayer, "Jörg");

    h.say(1, "CMD_startgame+J\xf6rg+0+");
    EXPECT_EQ(advert().state, GameAdvert::State::Play);
    EXPECT_EQ(advert().round, 1);
    for (int slot : {1, 2, 3, 5, 6})
        h.say(slot, "CMD_justwatch+" + std::to_string(slot) + "+1");
    ASSERT_TRUE(h.runUntil([&] { return advert().round == 4; }));
    ASSERT_TRUE(h.runUntil([&] { return !h.engine.gameStarted(); }));
    EXPECT_EQ(advert().state, GameAdvert::State::Over);
    EXPECT_EQ(advert().round, 0);
    h.say(1, "CMD_startgame+J\xf6rg+0+");
    EXPECT_EQ(advert().state, GameAdvert::State::Play) << "a new game is no longer over";
}

} // namespace
} // namespace zk::test
