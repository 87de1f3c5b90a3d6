// Every message written and read back (one table), and what reading a
// message with a bad or missing field keeps (another).
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <typeindex>
#include <vector>

#include "protocol/Dispatch.h"
#include "protocol/Messages.h"

namespace zk::test {
namespace {

using namespace msg;

using namespace std::string_literals;

// One message: the text it is written as, and whether that text reads back
// as the same message.
struct Trip {
    std::string written, expected;
    bool readsBack;
    std::type_index type;
};

template <typename M>
Trip trip(const M& m, std::string expected)
{
    const std::string written = text(m);
    const Decoded<M> d = decode<M>(splitCommand(written).args);
    return {written, std::move(expected), d.complete && d.message == m, typeid(M)};
}

TEST(Messages, EveryCommandIsWrittenAsTheWireHasItAndReadsBack)
{
    const std::vector<DiePair> three = {{1, 4}, {3, 6}, {5, 1}};
    const std::array<int, 8> rows = {3, -1, 12, -1, -1, 24, -1, 0};
    const Trip trips[] = {
        trip(LoginInfo{"3", "1.0.2", "Bo+b"}, "CMD_logininfo+3+1.0.2+Bo+b"),
        trip(KickHim{1, 4}, "CMD_kickhim+1+4+"),
        trip(Chat{{2, "1+1=2 ++|$00FF8000"}}, "CMD_chat+2+1+1=2 ++|$00FF8000"),
        trip(Action{{2, "waves|clRed"}}, "CMD_action+2+waves|clRed"),
        trip(StartGame{"A nn", "5"}, "CMD_startgame+A nn+5+"),
        trip(JustWatch{3, JustWatch::Mode::Watch}, "CMD_justwatch+3+1"),
        trip(JustWatch{3, JustWatch::Mode::Play}, "CMD_justwatch+3+2"),
        trip(RollTheDice{2, {1, 3, 5}}, "CMD_rollthedice+2+1+3+5"),
        trip(SelectCat{3, 5}, "CMD_selectcat+3+5+"),
        trip(PlayASound::chatter(4, 12), "CMD_playasound+4+wave12+"),
        trip(SendLoginInfo{4}, "CMD_sendlogininfo+4"),
        trip(Full{}, "CMD_full+"),
        trip(NewPlayerInfo{{3, "B+b the +great"}}, "CMD_newplayerinfo+3+B+b the +great"),
        trip(ExistingPlayers{{1, ""}}, "CMD_existingplayers+1+"),
        trip(PlayerDisconnected{{2, "Old"}}, "CMD_playerdisconnected+2+Old"),
        trip(HaveWrongVersion{"Old+1"}, "CMD_havewrongversion+Old+1"),
        trip(WrongVersion{}, "CMD_wrongversion+"),
        trip(LoadStats{8, 2, 0, 1, 3, 4, {{1, 0}, {2, 5}, {3, 0}, {4, 0}, {5, 0}}},
             "CMD_loadstats+8+2+0+1+3+4+1+0+2+5+3+0+4+0+5+0"),
        trip(LoadScores{7, {ScoreGroup::of(1, true, rows), ScoreGroup::of(2, false, rows)}},
             "CMD_loadscores+7+1*t*1*3*2*-1*3*12*4*-1*5*-1*6*24*7*-1*8*0"
             "+2*f*1*3*2*-1*3*12*4*-1*5*-1*6*24*7*-1*8*0"),
        trip(JustWatching{3, true}, "CMD_justwatching+3+1"),
        trip(JustWatching{3, false}, "CMD_justwatching+3+2"),
        trip(NextPlayer{2, "3", {1, 4, 6}}, "CMD_nextplayer+2+3+1+4+6"),
        trip(NextPlayer{2, "7", {}}, "CMD_nextplayer+2+7+0"),
        trip(SelectedCat{2, 7}, "CMD_selectedcat+2+7+"),
        trip(NeedCat{5}, "CMD_needcat+5+"),
        trip(CreateDice{2, 1, three}, "CMD_createdice+2+1+1+4+3+6+5+1"),
        trip(CreateDice{2, 3, {}}, "CMD_createdice+2+3+0+0"),
        trip(Zonkard{1, 35, 35, 3, three}, "CMD_zonkard+1+35+35+3+1+4+3+6+5+1"),
        trip(PostScores{{1, 0, -1, 7}}, "CMD_postscores+1+0+-1+7+"),
        trip(BonusTime{{3, 10, 10, 2}}, "CMD_bonustime+3+10+10+2+"),
        trip(GotBonus{3, 14, 4, 2, 14, three}, "CMD_gotbonus+3+14+4+2+14+1+4+3+6+5+1"),
        trip(BonusEnd{2, {}}, "CMD_bonusend+2+0+0"),
        trip(Winner{{3}}, "CMD_winner+3+0+"),
        trip(Winner{{1, 4}}, "CMD_winner+1+4+0+"),
        trip(ChatLine{{"B+b chats: hi|clBlack"}}, "CMD_chat+B+b chats: hi|clBlack"),
        trip(ActionLine{{"Ann waves|clBlack"}}, "CMD_action+Ann waves|clBlack"),
        trip(TurnClock{90}, "CMD_turnclock+90"),
        trip(HostPowers{3}, "CMD_hostpowers+3"),
    };
    std::set<std::type_index> covered;
    for (const Trip& t : trips) {
        EXPECT_EQ(t.written, t.expected);
        EXPECT_TRUE(t.readsBack) << t.expected;
        covered.insert(t.type);
    }
    // Every message either side receives has its case above.
    const auto hasCase = [&]<typename M>() {
        EXPECT_TRUE(covered.count(typeid(M))) << M::command << " has no case";
    };
    TableToHost::forEach(hasCase);
    HostToTable::forEach(hasCase);
    // Typed text never carries the terminator; the login name carries its own.
    EXPECT_EQ(encode(Chat{{2, "caf\xFF|clRed"}}), "CMD_chat+2+cafy|clRed\xFF"s);
    EXPECT_EQ(encode(LoginInfo{"3", "1.0.2", "Bob\xFF"}), "CMD_logininfo+3+1.0.2+Bob\xFF\xFF"s);
}

// A message read from its argument text: the fields read whole, whether it
// was read to its end, and what it kept.
struct Partial {
    std::string args;
    int fields;
    bool complete;
    bool kept;
};

template <typename M>
Partial partial(std::string args, int fields, bool complete, std::function<bool(const M&)> kept)
{
    const Decoded<M> d = decode<M>(args);
    return {args, fields, complete, d.fields == fields && d.complete == complete && kept(d.message)};
}

TEST(Messages, ABadFieldStopsTheReadingAndWhatCameBeforeIsKept)
{
    using Pairs = std::vector<DiePair>;
    using Ints = std::vector<int>;
    using Rows = std::vector<std::pair<int, int>>;
    const Partial cases[] = {
        partial<CreateDice>("2+2+1+4+3+z+5+1", 2, false,
                            [](auto& m) {
                                return m.dice == Pairs{{1, 4}};
                            }),
        partial<CreateDice>("2+2+1+4+3", 2, false,
                            [](auto& m) {
                                return m.dice == Pairs{{1, 4}};
                            }),
        partial<CreateDice>("2+x+1+4", 1, false, [](auto& m) { return m.seat == 2 && m.dice.empty(); }),
        partial<BonusEnd>("4+0+0", 2, true, [](auto& m) { return m.dice.empty(); }),
        partial<LoadStats>("4+1+x+0+3+0+1+1", 2, false, [](auto& m) { return m.seat == 1; }),
        partial<NextPlayer>("2+7+1+q+6", 2, false, [](auto& m) { return m.categories == Ints{1}; }),
        partial<NextPlayer>("2+7+0", 3, true, [](auto& m) { return m.categories.empty(); }),
        partial<Winner>("2+x+0+", 0, false, [](auto& m) { return m.seats == Ints{2}; }),
        partial<Winner>("3+0+5", 1, true,
                        [](auto& m) {
                            return m.seats == (Ints{3, 5});
                        }),
        partial<RollTheDice>("3", 1, true, [](auto& m) { return m.dice.empty(); }),
        partial<RollTheDice>("3+0", 2, true, [](auto& m) { return m.dice == Ints{0}; }),
        partial<RollTheDice>("3+1+x", 1, false, [](auto& m) { return m.dice == Ints{1}; }),
        partial<LoadScores>("4+1*t*1*5*2*-1+2*f*1*7*2*oops+3*t*1*1", 2, false,
                            [](auto& m) {
                                return m.groups.size() == 2 && m.groups[1].rows == Rows{{1, 7}};
                            }),
        partial<LoadScores>("4+1*t*1*5+x*t*1*5", 2, false, [](auto& m) { return m.groups.size() == 1; }),
        partial<LoadScores>("4+1*t*1*5*2", 1, false,
                            [](auto& m) {
                                return m.groups[0].rows == Rows{{1, 5}};
                            }),
        partial<ScoreReport>("3+x9+12+4+", 1, false, [](auto& m) { return m.seat == 3; }),
        partial<ScoreReport>("3+007+12+4+", 4, true, [](auto& m) { return m.total.text == "007"; }),
        partial<SelectedCat>("3+", 1, false, [](auto& m) { return m.seat == 3; }),
        partial<KickHim>("x+2+", 0, false, [](auto&) { return true; }),
        partial<LoginInfo>("x+1.0.2+Bo+b the +great+", 3, true,
                           [](auto& m) { return m.slot == "x" && m.name == "Bo+b the +great+"; }),
        partial<PlayASound>("4+wave12+junk", 2, true, [](auto& m) { return m.name() == "wave12"; }),
        partial<JustWatch>("3+1+x", 2, true, [](auto& m) { return m.mode == JustWatch::Mode::Other; }),
        partial<JustWatching>("3+1+x", 2, true, [](auto& m) { return m.watching; }),
    };
    for (const Partial& c : cases)
        EXPECT_TRUE(c.kept) << c.args << " should read " << c.fields << " fields"
                            << (c.complete ? ", whole" : ", cut short");
}

TEST(Messages, ChatTextCarriesItsColourAfterTheFirstBar)
{
    EXPECT_EQ((ColouredText{"hi + you", colour::clRed}).format(), "hi + you|clRed");
    const auto [text, colour] = ColouredText::parse("Ann chats: hi|clred");
    EXPECT_EQ(text, "Ann chats: hi");
    EXPECT_EQ(colour, colour::clRed);
    EXPECT_EQ(ColouredText::parse("no bar").first, "no bar");
    EXPECT_EQ(ColouredText::parse("no bar").second, std::nullopt);
    EXPECT_EQ(ColouredText::parse("a|b|clRed").second, std::nullopt) << "the first bar counts";
}

} // namespace
} // namespace zk::test
