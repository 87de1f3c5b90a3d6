// The announcement's TXT record both ways, what a hostile record turns into,
// the instance name, and the merged list of games found.
#include <gtest/gtest.h>

#include "discovery/GameAdvert.h"
#include "discovery/GameList.h"
#include "discovery/UpdateGate.h"

namespace zk {
namespace {

using State = GameAdvert::State;

TEST(GameAdvert, TheRecordCarriesTheGameBothWays)
{
    const GameAdvert waiting{.version = "1.0.2", .seated = 2, .free = 4, .spies = 1};
    EXPECT_EQ(toTxt(waiting), (std::vector<std::string>{"txtvers=1", "v=1.0.2", "seated=2", "free=4",
                                                        "spies=1", "state=wait"}));
    const GameAdvert playing{
        .version = "1.0.2", .seated = 6, .free = 0, .state = State::Play, .round = 3, .hostPlayer = "Zoë"};
    EXPECT_EQ(toTxt(playing).back(), "host=Zoë");
    EXPECT_EQ(toTxt(playing)[6], "round=3");
    for (const GameAdvert& a : {waiting, playing, GameAdvert{.version = "1.0.2", .state = State::Over}})
        EXPECT_EQ(fromTxt(toTxt(a)), a);
}

TEST(GameAdvert, ARecordFromTheNetworkIsNeverTakenAsItStands)
{
    struct Case {
        std::vector<std::string> txt;
        GameAdvert expected;
    };
    const std::vector<Case> cases = {
        // Numbers clamped to what a table holds; seats never more than six.
        {{"seated=99", "free=-5", "spies=40"}, {.seated = 6, .free = 0, .spies = 3}},
        {{"seated=99999999999999999999", "free=3"}, {.seated = 6, .free = 0}},
        {{"seated=2", "free=6"}, {.seated = 2, .free = 4}},
        {{"seated=x", "free=", "spies=1e3"}, {.seated = 0, .free = 6, .spies = 0}},
        // A round only while playing, and within the seven.
        {{"state=play", "round=0"}, {.state = State::Play, .round = 1}},
        {{"state=play", "round=12"}, {.state = State::Play, .round = 7}},
        {{"state=wait", "round=3"}, {}},
        {{"state=dancing"}, {}},
        // Texts lose control characters (C1 too) and are cut at a character boundary.
        {{"v=1.0\x1b[2J.2", "host=A\nB\xc2\x85"
                            "C"},
         {.version = "1.0[2J.2", .hostPlayer = "ABC"}},
        {{"host=" + std::string(39, 'x') + "é"}, {.hostPlayer = std::string(39, 'x')}},
        // Empty items, items without a key, unknown keys: ignored.
        {{"", "=3", "colour=red", "seated=1"}, {.seated = 1, .free = 5}},
        // Keys in any case; only a key's first occurrence counts, also one
        // without a value (RFC 6763 6.4). Values keep their case.
        {{"SEATED=1", "seated=3", "Free=2", "free=5"}, {.seated = 1, .free = 2}},
        {{"seated", "seated=3"}, {}},
        {{"V=1.0.2", "v=9.9.9", "state=PLAY"}, {.version = "1.0.2"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fromTxt(c.txt), c.expected) << c.txt.front();
    }
}

TEST(GameAdvert, AFoundNameIsShownWithoutItsControlCharacters)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Zonkards on box", "Zonkards on box"},
        {"Zonkards\non\tbox\x7f", "Zonkards\uFFFDon\uFFFDbox\uFFFD"},
        {"Zoë\xc2\x9b"
         "2J game",
         "Zoë\uFFFD"
         "2J game"},                    // C1 (CSI), as UTF-8 encodes it
        {"\xc2\xa0Zoë", "\xc2\xa0Zoë"}, // a no-break space is no control
    };
    for (const auto& [name, shown] : cases)
        EXPECT_EQ(visibleName(name), shown) << name;
}

TEST(GameAdvert, InstanceNamesFitOneLabelAndKeepThePort)
{
    EXPECT_EQ(gameInstanceName("box", "", 7772, 7772), "Zonkards on box");
    EXPECT_EQ(gameInstanceName("box", "Ann", 7773, 7772), "Ann's game on box (port 7773)");
    EXPECT_EQ(gameInstanceName("", "", 7772, 7772), "Zonkards on this computer");
    const std::string longName = gameInstanceName(std::string(30, 'w') + "ééééééé", "", 65535, 7772);
    EXPECT_LE(longName.size(), kMaxInstanceBytes);
    EXPECT_TRUE(longName.ends_with("é (port 65535)") || longName.ends_with("w (port 65535)")) << longName;
}

TEST(GameAdvert, TheDialogSaysWhoPlaysAndWhyAGameCannotBeJoined)
{
    FoundGame g{
        .instance = "Zonkards on box",
        .address = "192.0.2.1",
        .port = 7772,
        .advert = {.version = "1.0.2", .seated = 2, .free = 4, .spies = 1, .state = State::Play, .round = 3}};
    EXPECT_EQ(describePlayers(g.advert), "2 of 6 seated, 1 watching");
    EXPECT_EQ(describeState(g.advert), "round 3 of 7");
    EXPECT_EQ(joinRefusal(g, "1.0.2"), "");
    EXPECT_EQ(joinRefusal(g, "1.0.3"), "This game runs version 1.0.2; yours is 1.0.3.");
    g.advert.free = 0;
    EXPECT_EQ(joinRefusal(g, "1.0.2"), "") << "seats full, one can still watch";
    g.advert.spies = 3;
    EXPECT_EQ(joinRefusal(g, "1.0.2"), "This game is full.");
    g.advert.version.clear();
    EXPECT_EQ(joinRefusal(g, "1.0.2"), "This game runs an unknown version; yours is 1.0.2.");
}

TEST(GameList, AGameSeenOnSeveralPathsIsOneRowUntilTheLastPathGoes)
{
    GameList list;
    FoundGame a{.instance = "A", .address = "192.0.2.1", .port = 7772, .advert = {.version = "1.0.2"}};
    FoundGame aElsewhere = a;
    aElsewhere.address = "198.51.100.1";
    FoundGame b{.instance = "B", .address = "192.0.2.2", .port = 7773};

    EXPECT_EQ(list.resolved(1, a), RowChange::Added);
    EXPECT_EQ(list.resolved(2, aElsewhere), RowChange::None) << "the first path's address stays";
    EXPECT_EQ(list.resolved(1, b), RowChange::Added);
    EXPECT_EQ(list.resolved(1, a), RowChange::None) << "resolved again, unchanged";
    FoundGame aFuller = a;
    aFuller.advert.seated = 1;
    EXPECT_EQ(list.resolved(1, aFuller), RowChange::Changed);
    EXPECT_EQ(list.find("A")->advert.seated, 1);

    EXPECT_EQ(list.removed(1, "A"), RowChange::Changed) << "now shown by its second path";
    EXPECT_EQ(list.find("A")->address, "198.51.100.1");
    EXPECT_EQ(list.removed(1, "A"), RowChange::None) << "that path went already";
    EXPECT_EQ(list.removed(7, "nobody"), RowChange::None);
    EXPECT_EQ(list.removed(2, "A"), RowChange::Removed);
    ASSERT_EQ(list.games().size(), 1u);
    EXPECT_EQ(list.games()[0].instance, "B");
}

TEST(UpdateGate, ChangesGoAtMostOncePerSpacingAndTheLastIsNeverLost)
{
    UpdateGate gate(1000);
    EXPECT_TRUE(gate.change(0)) << "after a quiet spell: at once";
    EXPECT_FALSE(gate.wait(0));
    EXPECT_FALSE(gate.change(100));
    EXPECT_FALSE(gate.change(400)) << "held with the one before";
    EXPECT_EQ(gate.wait(400), 600);
    EXPECT_FALSE(gate.due(950)) << "a timer that fires early sends nothing";
    EXPECT_EQ(gate.wait(950), 50);
    EXPECT_TRUE(gate.due(1000));
    EXPECT_FALSE(gate.due(1001)) << "sent: nothing held";
    EXPECT_FALSE(gate.change(1500));
    EXPECT_TRUE(gate.due(2000));
    EXPECT_TRUE(gate.change(5000));
}

} // namespace
} // namespace zk
