// A whole solo game played with the mouse through the real table window
// against the in-process host engine and its computer player, from the first
// turn to "Game Over!"; then the board is held against the engine's own
// score records, and the tally against the result.
#include "SessionTestSupport.h"

#include "records/qt/DataPaths.h"
#include "records/Tally.h"

namespace zk::test {
namespace {

class SoloGame : public SessionTest {
protected:
    bool ownTurnToAct()
    {
        const Board& b = board();
        return state().currentSeat == state().ownSeat && b.rollButtonShown && b.rollCount < 3 &&
               !b.rollPromptShown && !b.thirdRollPromptShown;
    }
    bool gameOver() { return board().status == "Game Over!"; }

    // One step of the own turn: choose a category after the first roll, keep
    // the dice that show it, and roll.
    void actOnOwnTurn()
    {
        const Board& b = board();
        if (b.rollCount >= 1 && b.turnMarker.selectedCategory == 0) {
            int offered = 0;
            for (int c = 1; c <= kCategoryCount && offered == 0; ++c) {
                if (b.category(c).buttonShown && b.category(c).buttonChoosable)
                    offered = c;
            }
            ASSERT_NE(offered, 0) << "a category is offered after the first roll";
            clickBoard(layout::onCard(layout::categoryButtonRect(offered)).center());
            // The host answers with the choice (the table waits for it).
            ASSERT_TRUE(
                waitFor([&] { return board().turnMarker.selectedCategory == offered || gameOver(); }));
            ++choices;
            return;
        }
        const int category = b.turnMarker.selectedCategory;
        if (b.rollCount >= 1 && category >= 1 && category <= 6) {
            for (int d = 1; d <= kDiceCount; ++d) {
                if (board().die(d).face == category && !board().die(d).held) {
                    clickBoard(layout::dieRect(d, board().die(d).raised).center());
                    EXPECT_TRUE(board().die(d).held) << "a click holds the die";
                    ++holds;
                }
            }
        }
        const int before = b.rollCount;
        clickBoard(layout::kRollButton.center());
        ASSERT_TRUE(waitFor([&] {
            return board().rollCount > before || state().currentSeat != state().ownSeat || gameOver();
        }));
        ++rolls;
    }

    int rolls = 0;
    int choices = 0;
    int holds = 0;
};

TEST_F(SoloGame, PlayedWithTheMouseToGameOverTheBoardMatchesTheEngine)
{
    startSolo(20240611);
    menu(QStringLiteral("Fast"));
    ASSERT_EQ(board().menu.botSpeed, 350);
    startGame();
    EXPECT_EQ(board().seat(2).name, "Klot");

    // Seven rounds of two turns, each about four seconds of real pauses.
    QElapsedTimer clock;
    clock.start();
    while (!gameOver() && clock.elapsed() < 240000) {
        ASSERT_TRUE(waitFor([&] { return gameOver() || ownTurnToAct(); }, 60000))
            << "stuck at " << board().status << ", " << board().round;
        if (!gameOver())
            actOnOwnTurn();
        if (::testing::Test::HasFatalFailure())
            return;
    }
    ASSERT_TRUE(gameOver());
    EXPECT_EQ(board().round, "Round: 7");
    EXPECT_GE(rolls, 7) << "the own seat rolled every round";
    EXPECT_GE(choices, 5) << "the own seat chose its categories (the last round may be forced)";
    EXPECT_GT(holds, 0) << "dice were held between rolls";

    const HostEngine& engine = session->server().engine();
    for (int seat = 1; seat <= 2; ++seat) {
        const tplayer& record = engine.player(seat);
        for (int row = 1; row <= kCategoryCount; ++row) {
            ASSERT_NE(record.row(row), kUnscored) << "seat " << seat << " row " << row;
            EXPECT_EQ(board().seat(seat).cell(row).text, std::to_string(record.row(row)))
                << "seat " << seat << " row " << row;
        }
        EXPECT_EQ(board().seat(seat).cell(8).text, std::to_string(record.total)) << "seat " << seat;
    }
    const int mine = engine.player(1).total;
    const int klot = engine.player(2).total;
    const std::string expected = mine > klot   ? "You have Won the Game!"
                                 : klot > mine ? "Klot has Won the Game!"
                                               : "You and Klot have Won the Game!";
    EXPECT_EQ(board().winnerText, expected);
    EXPECT_EQ(board().chat.lines.back().text, expected);
    EXPECT_TRUE(board().startButtonShown) << "the host may start again";

    // The tally took the game, and it is in the file at the end.
    const Tally& tally = session->tally().tally();
    EXPECT_EQ(tally.own(Tally::kGames), "1");
    EXPECT_EQ(tally.own(Tally::kWins), mine >= klot ? "1" : "0");
    EXPECT_EQ(tally.own(Tally::kHighestScore), std::to_string(mine));
    session->finish();
    const TallyLoad saved = loadTallyFile(tallyFilePath());
    EXPECT_EQ(saved.error, "");
    EXPECT_EQ(saved.tally.own(Tally::kGames), "1");
    EXPECT_EQ(saved.tally.own(Tally::kHighestScore), std::to_string(mine));
}

} // namespace
} // namespace zk::test
