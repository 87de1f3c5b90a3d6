// Building and reading messages: the field forms, the lists and the
// malformed-number outcome.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "protocol/Message.h"

namespace zk {
namespace {

using namespace std::string_literals;

// The argument text of a whole message, as a handler gets it.
std::string_view argsOf(std::string_view message)
{
    return splitCommand(message).args;
}

TEST(MessageWriter, JoinsFieldsWithPlusAndEndsWithOneTerminator)
{
    EXPECT_EQ(MessageWriter(cmd::sendlogininfo).field(4).finish(), "CMD_sendlogininfo+4\xFF"s);
    EXPECT_EQ(MessageWriter(cmd::selectcat).field(2).field(5).separator().finish(),
              "CMD_selectcat+2+5+\xFF"s);
    // A command without fields is its name and one "+".
    EXPECT_EQ(MessageWriter(cmd::full).separator().finish(), "CMD_full+\xFF"s);
    EXPECT_EQ(MessageWriter(cmd::wrongversion).separator().text(), "CMD_wrongversion+");
    // Negative numbers keep their sign; no leading zeros.
    EXPECT_EQ(MessageWriter(cmd::postscores).field(1).field(0).field(-1).field(70).text(),
              "CMD_postscores+1+0+-1+70");
}

TEST(MessageWriter, TypedTextNeverCarriesTheTerminator)
{
    // A typed "ÿ" (0xFF in Windows-1252) would cut the chat line in two.
    const std::string msg = MessageWriter(cmd::chat).field(2).field("caf\xFF + more|clRed"s).finish();
    EXPECT_EQ(msg, "CMD_chat+2+cafy + more|clRed\xFF"s);
    EXPECT_EQ(msg.find('\xFF'), msg.size() - 1);
    EXPECT_EQ(sanitizeField("\xFF\xFF"s), "yy");
    EXPECT_EQ(sanitizeField("plain"), "plain");
}

TEST(MessageWriter, LoginNameKeepsItsOwnTerminator)
{
    // The login name is stored with a terminator of its own, so the login
    // message ends with two of them.
    const std::string msg =
        MessageWriter(cmd::logininfo).field(3).field(kVersionText).rawField("Bob\xFF"s).finish();
    EXPECT_EQ(msg, "CMD_logininfo+3+1.0.2+Bob\xFF\xFF"s);
}

TEST(MessageWriter, DiePairsAndNumberLists)
{
    const std::vector<DiePair> pairs = {{1, 4}, {3, 6}, {5, 1}};
    EXPECT_EQ(MessageWriter(cmd::createdice).field(2).field(1).diePairs(pairs).text(),
              "CMD_createdice+2+1+1+4+3+6+5+1");
    EXPECT_EQ(MessageWriter(cmd::createdice).field(2).field(3).diePairs({}).text(),
              "CMD_createdice+2+3+0+0");
    const std::array<int, 3> open = {1, 4, 6};
    EXPECT_EQ(MessageWriter(cmd::nextplayer).field(2).field(3).numberList(open).text(),
              "CMD_nextplayer+2+3+1+4+6");
    EXPECT_EQ(MessageWriter(cmd::nextplayer).field(2).field(7).numberList({}).text(),
              "CMD_nextplayer+2+7+0");
    EXPECT_EQ(MessageWriter(cmd::rollthedice).field(5).numberList({}).text(),
              "CMD_rollthedice+5+0");
}

TEST(MessageWriter, WinnerListEndsWithZeroAndPlus)
{
    const std::array<int, 1> one = {3};
    const std::array<int, 2> tied = {1, 4};
    EXPECT_EQ(MessageWriter(cmd::winner).winnerList(one).finish(), "CMD_winner+3+0+\xFF"s);
    EXPECT_EQ(MessageWriter(cmd::winner).winnerList(tied).finish(), "CMD_winner+1+4+0+\xFF"s);
}

TEST(MessageWriter, ScoreGroupLayout)
{
    const std::array<int, 8> rows = {3, -1, 12, -1, -1, 24, -1, 0};
    EXPECT_EQ(MessageWriter(cmd::loadscores).field(7).scoreGroup(1, true, rows).scoreGroup(2, false, rows).text(),
              "CMD_loadscores+7+1*t*1*3*2*-1*3*12*4*-1*5*-1*6*24*7*-1*8*0"
              "+2*f*1*3*2*-1*3*12*4*-1*5*-1*6*24*7*-1*8*0");
}

TEST(SplitCommand, NameIsTheTextBeforeTheFirstPlus)
{
    auto s = splitCommand("CMD_chat+1+a+b");
    EXPECT_EQ(s.name, "CMD_chat");
    EXPECT_EQ(s.args, "1+a+b");
    s = splitCommand("CMD_full+");
    EXPECT_EQ(s.name, "CMD_full");
    EXPECT_EQ(s.args, "");
    // No "+" at all, or an empty message: no command, to be ignored.
    EXPECT_EQ(splitCommand("CMD_full").name, "");
    EXPECT_EQ(splitCommand("").name, "");
    EXPECT_EQ(splitCommand("+5").name, "");
    EXPECT_EQ(splitCommand("+5").args, "5");
}

TEST(ParseDecimal, AcceptsDecimalIntegersOnly)
{
    EXPECT_EQ(parseDecimal("0"), 0);
    EXPECT_EQ(parseDecimal("42"), 42);
    EXPECT_EQ(parseDecimal("-1"), -1);
    EXPECT_EQ(parseDecimal("2147483647"), 2147483647);
    EXPECT_EQ(parseDecimal("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "-", "x", "4x", "x4", " 4", "4 ", "1.5", "2147483648",
                            "-2147483649", "99999999999999999999", "$10", "--1"}) {
        EXPECT_EQ(parseDecimal(bad), std::nullopt) << '"' << bad << '"';
    }
}

TEST(FieldReader, RestFieldsKeepTheirPlusSigns)
{
    // A login name that contains "+" arrives whole.
    FieldReader login(argsOf("CMD_logininfo+3+1.0.2+Bo+b the +great+"));
    EXPECT_EQ(login.number(), 3);
    EXPECT_EQ(login.text(), "1.0.2");
    EXPECT_EQ(login.rest(), "Bo+b the +great+");
    EXPECT_TRUE(login.atEnd());
    EXPECT_FALSE(login.failed());

    // Only the first "+" after the slot separates; the chat text stays whole.
    FieldReader chat(argsOf("CMD_chat+2+1+1=2, ok? ++|$00FF8000"));
    EXPECT_EQ(chat.number(), 2);
    EXPECT_EQ(chat.rest(), "1+1=2, ok? ++|$00FF8000");

    // The sound name is taken with its trailing separator.
    FieldReader sound(argsOf("CMD_playasound+4+wave12+"));
    EXPECT_EQ(sound.number(), 4);
    EXPECT_EQ(sound.rest(), "wave12+");
}

TEST(FieldReader, TrailingSeparatorAndMissingFields)
{
    FieldReader r(argsOf("CMD_selectcat+2+5+"));
    EXPECT_EQ(r.number(), 2);
    EXPECT_EQ(r.number(), 5);
    EXPECT_TRUE(r.atEnd()); // the trailing "+" carries nothing
    EXPECT_EQ(r.remaining(), "");
    // A field that is not there is not a number.
    EXPECT_EQ(r.number(), std::nullopt);
    EXPECT_TRUE(r.failed());
}

TEST(FieldReader, MalformedNumberStopsAtThatField)
{
    FieldReader r(argsOf("CMD_postscores+3+x9+12+4+"));
    auto seat = r.number();
    ASSERT_EQ(seat, 3); // what came before stands
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(r.number(), std::nullopt);
    EXPECT_TRUE(r.failed());
    // The reader has moved past the bad field only.
    EXPECT_EQ(r.remaining(), "12+4+");
}

TEST(DiePairs, ReadToTheEndSkippingDieZero)
{
    FieldReader r(argsOf("CMD_createdice+2+2+1+4+3+6+5+1"));
    EXPECT_EQ(r.number(), 2);
    EXPECT_EQ(r.number(), 2);
    auto pairs = readDiePairs(r);
    EXPECT_FALSE(pairs.malformed);
    EXPECT_EQ(pairs.items, (std::vector<DiePair>{{1, 4}, {3, 6}, {5, 1}}));

    // "+0+0" stands for no die at all.
    FieldReader none(argsOf("CMD_bonusend+4+0+0"));
    EXPECT_EQ(none.number(), 4);
    auto empty = readDiePairs(none);
    EXPECT_FALSE(empty.malformed);
    EXPECT_TRUE(empty.items.empty());

    // Re-roll order is kept; a face of 0 (not rolled yet) is still a die.
    FieldReader snap(argsOf("CMD_loadstats+8+2+0+1+3+4+1+0+2+5+3+0+4+0+5+0"));
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(snap.number());
    auto five = readDiePairs(snap);
    EXPECT_FALSE(five.malformed);
    EXPECT_EQ(five.items,
              (std::vector<DiePair>{{1, 0}, {2, 5}, {3, 0}, {4, 0}, {5, 0}}));
}

TEST(DiePairs, MalformedPairKeepsThePairsBeforeIt)
{
    FieldReader r("1+4+3+z+5+1");
    auto pairs = readDiePairs(r);
    EXPECT_TRUE(pairs.malformed);
    EXPECT_EQ(pairs.items, (std::vector<DiePair>{{1, 4}}));

    // A die without its face is malformed too, not a pair with face 0.
    FieldReader cut("1+4+3");
    auto half = readDiePairs(cut);
    EXPECT_TRUE(half.malformed);
    EXPECT_EQ(half.items, (std::vector<DiePair>{{1, 4}}));
}

TEST(NumberLists, RollRequestsAndCategoryLists)
{
    // The first roll of a turn names all five dice.
    FieldReader all(argsOf("CMD_rollthedice+3+1+2+3+4+5"));
    EXPECT_EQ(all.number(), 3);
    EXPECT_EQ(readNumberList(all).items, (std::vector<int>{1, 2, 3, 4, 5}));

    // A die list of the single number 0 re-rolls no die.
    FieldReader zero(argsOf("CMD_rollthedice+3+0"));
    EXPECT_EQ(zero.number(), 3);
    auto dice = readNumberList(zero);
    EXPECT_FALSE(dice.malformed);
    EXPECT_TRUE(dice.items.empty());
    FieldReader zeroRaw("0");
    EXPECT_EQ(readNumbers(zeroRaw).items, std::vector<int>{0});

    FieldReader cats(argsOf("CMD_nextplayer+2+7+1+4+7"));
    EXPECT_EQ(cats.number(), 2);
    EXPECT_EQ(cats.number(), 7);
    EXPECT_EQ(readNumberList(cats).items, (std::vector<int>{1, 4, 7}));

    FieldReader bad("2+5+q+6");
    auto partial = readNumbers(bad);
    EXPECT_TRUE(partial.malformed);
    EXPECT_EQ(partial.items, (std::vector<int>{2, 5}));
}

TEST(Winners, BothExamplesReadBackWithoutTheClosingZero)
{
    FieldReader one(argsOf("CMD_winner+3+0+"));
    auto w1 = readWinners(one);
    EXPECT_FALSE(w1.malformed);
    EXPECT_EQ(w1.items, std::vector<int>{3});

    FieldReader two(argsOf("CMD_winner+1+4+0+"));
    auto w2 = readWinners(two);
    EXPECT_FALSE(w2.malformed);
    EXPECT_EQ(w2.items, (std::vector<int>{1, 4}));

    // Written and read back, for every number of winners.
    std::vector<int> seats;
    for (int s = 1; s <= 6; ++s) {
        seats.push_back(s);
        const std::string text = MessageWriter(cmd::winner).winnerList(seats).text();
        FieldReader r(argsOf(text));
        EXPECT_EQ(readWinners(r).items, seats) << text;
    }

    FieldReader bad(argsOf("CMD_winner+2+x+0+"));
    auto w3 = readWinners(bad);
    EXPECT_TRUE(w3.malformed);
    EXPECT_EQ(w3.items, std::vector<int>{2});
}

TEST(ScoreGroups, SixGroupsWrittenAndReadBack)
{
    MessageWriter w(cmd::loadscores);
    w.field(8);
    std::array<std::array<int, 8>, 6> cards{};
    for (int s = 0; s < 6; ++s) {
        for (int r = 0; r < 7; ++r)
            cards[s][r] = (s + r) % 3 == 0 ? -1 : (s + 1) * (r + 1);
        cards[s][7] = 0;
        w.scoreGroup(s + 1, s % 2 == 0, cards[s]);
    }
    FieldReader r(argsOf(w.text()));
    EXPECT_EQ(r.number(), 8);
    auto groups = readScoreGroups(r);
    ASSERT_FALSE(groups.malformed);
    ASSERT_EQ(groups.items.size(), 6u);
    for (int s = 0; s < 6; ++s) {
        const ScoreGroup& g = groups.items[s];
        EXPECT_EQ(g.seat, s + 1);
        EXPECT_EQ(g.flag, s % 2 == 0 ? "t" : "f");
        ASSERT_EQ(g.rows.size(), 8u);
        for (int row = 0; row < 8; ++row) {
            EXPECT_EQ(g.rows[row].first, row + 1);
            EXPECT_EQ(g.rows[row].second, cards[s][row]);
        }
    }
}

TEST(ScoreGroups, MalformedValueKeepsEarlierGroups)
{
    FieldReader r("1*t*1*5*2*-1+2*f*1*7*2*oops+3*t*1*1");
    auto groups = readScoreGroups(r);
    EXPECT_TRUE(groups.malformed);
    ASSERT_EQ(groups.items.size(), 2u);
    EXPECT_EQ(groups.items[0].rows, (std::vector<std::pair<int, int>>{{1, 5}, {2, -1}}));
    // The broken group keeps the rows read before the bad value.
    EXPECT_EQ(groups.items[1].seat, 2);
    EXPECT_EQ(groups.items[1].rows, (std::vector<std::pair<int, int>>{{1, 7}}));

    FieldReader badSeat("1*t*1*5+x*t*1*5");
    auto g2 = readScoreGroups(badSeat);
    EXPECT_TRUE(g2.malformed);
    EXPECT_EQ(g2.items.size(), 1u);

    FieldReader noValue("1*t*1*5*2");
    auto g3 = readScoreGroups(noValue);
    EXPECT_TRUE(g3.malformed);
    ASSERT_EQ(g3.items.size(), 1u);
    EXPECT_EQ(g3.items[0].rows.size(), 1u);
}

} // namespace
} // namespace zk
