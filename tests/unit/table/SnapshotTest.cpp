// A table that arrives during a game: loadstats and loadscores.
#include "TableTestSupport.h"

namespace zk::test {
namespace {

std::string loadstats(int addressee, int seat, int limit, int rolls, int round, int category,
                      const std::vector<DiePair>& pairs)
{
    return msg::text(msg::LoadStats{addressee, seat, limit, rolls, round, category, pairs});
}

// Groups for seats 1-6; `playing` says which take part; seat s scores
// rows[s - 1] (rows 1-7, then the total).
std::string loadscores(int addressee, std::array<bool, 6> playing,
                       const std::array<std::array<int, 8>, 6>& rows)
{
    msg::LoadScores m{addressee, {}};
    for (int s = 1; s <= 6; ++s)
        m.groups.push_back(msg::ScoreGroup::of(s, playing[s - 1], rows[static_cast<std::size_t>(s - 1)]));
    return msg::text(m);
}

constexpr std::array<int, 8> kUnscored = {-1, -1, -1, -1, -1, -1, -1, 0};

class Snapshot : public TableTest {
protected:
    // Eve arrives at seat 4 while Ann (1) and Klot (2) play.
    void SetUp() override
    {
        logic.processParams({"Eve", "10.0.0.5", "false"});
        host(host::sendlogininfo(4));
        host(host::existing(1, "Ann"));
        host(host::existing(2, "Klot"));
        host(host::newplayer(4, "Eve"));
        env.clear();
    }
};

TEST_F(Snapshot, BeforeTheFirstRollTheDiceShowOnes)
{
    host(loadstats(4, 1, 0, 0, 3, 0, faces({0, 0, 0, 0, 0})));
    EXPECT_EQ(state().currentSeat, 1);
    EXPECT_EQ(board().bonusCaption, "Unlimited Bonus Rolls");
    EXPECT_EQ(board().round, "Round: 3");
    EXPECT_EQ(board().rollCount, 0);
    for (const Die& die : board().dice) {
        EXPECT_EQ(die.face, 1);
        EXPECT_FALSE(die.raised || die.held || die.bonusMarker);
        EXPECT_EQ(die.picture, (DiePicture{DieBody::Plain, 1}));
    }
    EXPECT_FALSE(board().dicetimerRunning);
    EXPECT_EQ(board().status, "Ann's turn");
    EXPECT_TRUE(board().turnMarker.shown);
    EXPECT_EQ(board().turnMarker.seat, 1);
    for (int c = 1; c <= 7; ++c)
        EXPECT_TRUE(board().category(c).buttonChoosable);
    EXPECT_TRUE(env.sounds.empty());
}

TEST_F(Snapshot, AChosenCategoryIsClosedWithoutItsMarker)
{
    host(loadstats(4, 2, 1, 2, 5, 3, faces({3, 3, 1, 3, 6})));
    EXPECT_EQ(board().bonusCaption, "Bonus Rolls Limited to 1 Roll");
    EXPECT_EQ(board().rollCount, 2);
    for (int c = 1; c <= 7; ++c) {
        const CategoryRow& row = board().category(c);
        EXPECT_TRUE(row.buttonShown && row.barShown);
        EXPECT_EQ(row.buttonChoosable, c != 3);
        EXPECT_EQ(row.barChoosable, c != 3);
        EXPECT_EQ(row.barSeat, 2);
        EXPECT_FALSE(row.chosenMarker);
    }
    EXPECT_EQ(board().die(5).face, 6);
    EXPECT_EQ(board().status, "Klot's turn");

    logic.categoryButtonClick(1);
    logic.rollClick();
    EXPECT_TRUE(env.sent.empty()) << "not this table's turn";
}

TEST_F(Snapshot, ANewcomerWhoContinuesATurnKeepsItsCategory)
{
    logic.options().chooseTurnSound(TurnSound::New);
    env.clear();
    host(loadstats(4, 4, 5, 2, 5, 3, faces({3, 3, 1, 3, 6})));
    EXPECT_EQ(board().status, "Your Turn");
    EXPECT_TRUE(board().rollButtonShown);
    EXPECT_EQ(env.sounds, std::vector<std::string>{"turnnew"});
    EXPECT_EQ(board().turnMarker.selectedCategory, 3);

    // Two rolls used and a category on record: the third roll goes out.
    logic.dieRelease(1, MouseButton::Left);
    logic.rollClick();
    EXPECT_FALSE(board().thirdRollPromptShown);
    EXPECT_EQ(env.lastSent(), "CMD_rollthedice+4+2+3+4+5");
}

TEST_F(Snapshot, ASnapshotForAnotherSeatIsIgnored)
{
    const Board before = board();
    EXPECT_EQ(host(loadstats(5, 1, 0, 1, 2, 0, faces({1, 2, 3, 4, 5}))), HandlerResult::Ignored);
    EXPECT_EQ(host(loadscores(5, {true, true, false, false, false, false},
                              {kUnscored, kUnscored, kUnscored, kUnscored, kUnscored, kUnscored})),
              HandlerResult::Ignored);
    EXPECT_EQ(board().round, before.round);
    EXPECT_FALSE(board().seat(4).notPlaying);
    EXPECT_EQ(board().chat.lines.size(), before.chat.lines.size());
}

TEST_F(Snapshot, ScoresShowAboveZeroAndOutsidersAreMarked)
{
    std::array<std::array<int, 8>, 6> rows = {kUnscored, kUnscored, kUnscored,
                                              kUnscored, kUnscored, kUnscored};
    rows[0] = {3, 0, 9, -1, -1, -1, -1, 12};
    rows[1] = {-1, 8, -1, -1, -1, -1, -1, 8};
    host(loadscores(4, {true, true, false, false, false, false}, rows));
    EXPECT_EQ(board().seat(1).cell(1).text, "3");
    EXPECT_EQ(board().seat(1).cell(2).text, "") << "a 0 shows as an empty cell";
    EXPECT_EQ(board().seat(1).cell(4).text, "");
    EXPECT_EQ(board().seat(1).cell(8).text, "12");
    EXPECT_EQ(board().seat(2).cell(2).text, "8");
    EXPECT_FALSE(board().seat(1).notPlaying);
    for (int s = 3; s <= 6; ++s)
        EXPECT_TRUE(board().seat(s).notPlaying) << s;
    EXPECT_EQ(lastLine(), "The game has started. You will have to wait until the next game to play.");
    EXPECT_EQ(board().chat.lines.back().colour, kSystemColour);
}

TEST_F(Snapshot, ASpectatorGetsNoWaitingNotice)
{
    TableLogic spy(env, env);
    spy.handleMessage(host::sendlogininfo(8));
    spy.handleMessage(loadscores(8, {true, true, false, false, false, false},
                                 {kUnscored, kUnscored, kUnscored, kUnscored, kUnscored, kUnscored}));
    EXPECT_TRUE(spy.board().seat(3).notPlaying);
    EXPECT_TRUE(spy.board().chat.lines.empty());
}

TEST_F(Snapshot, AnUnreadableRowStopsTheCardThere)
{
    EXPECT_EQ(host("CMD_loadscores+4+1*t*1*5*2*7+3*f*1*x*2*0+4*f*1*0"), HandlerResult::Malformed);
    EXPECT_EQ(board().seat(1).cell(1).text, "5");
    EXPECT_EQ(board().seat(1).cell(2).text, "7");
    EXPECT_FALSE(board().seat(3).notPlaying);
    EXPECT_FALSE(board().seat(4).notPlaying);
}

TEST_F(Snapshot, TotalsAreTheSumOfTheScoredRowsOfPlayingSeats)
{
    // The host's total field is always 0 in a snapshot.
    std::array<std::array<int, 8>, 6> rows = {kUnscored, kUnscored, kUnscored,
                                              kUnscored, kUnscored, kUnscored};
    rows[0] = {3, 0, 9, -1, -1, -1, 27, 0};
    rows[1] = {-1, 0, -1, -1, -1, -1, -1, 0};
    host(loadscores(4, {true, true, true, false, false, false}, rows));
    EXPECT_EQ(board().seat(1).cell(8).text, "39");
    EXPECT_EQ(board().seat(2).cell(8).text, "0") << "a scored 0 is a total of 0";
    EXPECT_EQ(board().seat(3).cell(8).text, "") << "nothing scored yet";
    EXPECT_EQ(board().seat(5).cell(8).text, "");

    // Rows no game can score still add up to their true sum.
    host("CMD_loadscores+4+1*t*1*2147483647*2*2147483647*3*-2147483648*7*2147483647");
    EXPECT_EQ(board().seat(1).cell(8).text, "4294967293");
}

TEST_F(Snapshot, AFaceNoDieHasTouchesNoDie)
{
    host(loadstats(4, 1, 0, 1, 3, 0, {{1, 7}, {2, -3}, {3, 4}, {4, 0}, {5, 6}}));
    EXPECT_TRUE(board().die(1).picture.cleared());
    EXPECT_TRUE(board().die(2).picture.cleared());
    EXPECT_EQ(board().die(1).face, 0);
    EXPECT_EQ(board().die(3).picture, (DiePicture{DieBody::Plain, 4}));
    EXPECT_EQ(board().die(4).picture, (DiePicture{DieBody::Plain, 1})) << "0: not rolled yet";
}

TEST_F(Snapshot, TheOwnTurnOffersOnlyWhatTheSeatHasLeftOpen)
{
    host(loadstats(4, 4, 0, 0, 2, 0, faces({0, 0, 0, 0, 0})));
    std::array<std::array<int, 8>, 6> rows = {kUnscored, kUnscored, kUnscored,
                                              kUnscored, kUnscored, kUnscored};
    rows[3] = {-1, -1, 12, -1, -1, -1, -1, 0};
    host(loadscores(4, {true, true, false, true, false, false}, rows));
    EXPECT_FALSE(board().category(3).buttonShown) << "threes are scored: the host would refuse them";
    EXPECT_TRUE(board().category(4).buttonShown);
    logic.categoryButtonClick(3);
    EXPECT_TRUE(env.sent.empty());
}

} // namespace
} // namespace zk::test
