// Starting a game, the turn changes, the end of the game with its result
// line and tally calls, and the start-game options with the bot speed.
#include "TableTestSupport.h"

namespace zk::test {
namespace {

using GameFlow = TableTest;

TEST_F(GameFlow, StartBeforeTheLoginSaysNotConnected)
{
    logic.processParams({});
    env.clear();
    logic.startOptions().startClick();
    EXPECT_EQ(env.log, std::vector<std::string>{"message You are not connected"});
    EXPECT_FALSE(board().startWindow.shown);

    host(host::sendlogininfo(1));
    env.clear();
    logic.startOptions().startClick();
    EXPECT_EQ(env.log, std::vector<std::string>{"show start window"});
    EXPECT_TRUE(board().startWindow.shown);
}

TEST_F(GameFlow, StartGameSendsTheOwnNameAndLimitThenSavesAndHides)
{
    logic.processParams({});
    host(host::sendlogininfo(1));
    logic.startOptions().startClick();
    env.clear();
    EXPECT_EQ(board().startWindow.ticked, (std::array<bool, 4>{false, false, false, true}));
    logic.startOptions().limitBoxClick(5);
    logic.startOptions().limitBoxClick(5); // the ticked box once more
    EXPECT_EQ(board().startWindow.ticked, (std::array<bool, 4>{false, false, true, false}));
    EXPECT_TRUE(env.log.empty()) << "a box sends and saves nothing";
    logic.startOptions().startGameClick();
    EXPECT_EQ(env.log, (std::vector<std::string>{std::string("send CMD_startgame+You+5+") + kTerminator,
                                                 "save settings", "hide start window"}));
    EXPECT_FALSE(board().startWindow.shown);
}

TEST_F(GameFlow, AnAbandonedChoiceIsKept)
{
    hostAs("Ann");
    logic.startOptions().startClick();
    logic.startOptions().limitBoxClick(2);
    logic.startOptions().startWindowClosed();
    EXPECT_FALSE(board().startWindow.shown);
    logic.startOptions().startClick();
    EXPECT_EQ(board().startWindow.limit, 2);
    logic.startOptions().startGameClick();
    EXPECT_EQ(env.lastSent(), "CMD_startgame+Ann+2+");
}

TEST_F(GameFlow, APlusInTheOwnNameCannotShiftTheLimit)
{
    hostAs("A+B");
    logic.startOptions().startClick();
    logic.startOptions().limitBoxClick(1);
    logic.startOptions().startGameClick();
    EXPECT_EQ(env.lastSent(), "CMD_startgame+A B+1+");
}

TEST_F(GameFlow, AStoredLimitTicksItsBoxAndAnythingElseUnlimited)
{
    hostAs("Ann");
    logic.startOptions().applyStoredLimit("2");
    EXPECT_EQ(board().startWindow.ticked, (std::array<bool, 4>{false, true, false, false}));
    for (const char* stored : {"3", "", "05"}) {
        logic.startOptions().applyStoredLimit(stored);
        EXPECT_EQ(board().startWindow.ticked, (std::array<bool, 4>{false, false, false, true})) << stored;
        EXPECT_EQ(board().startWindow.limit, 0);
    }
    logic.startOptions().startClick();
    logic.startOptions().startGameClick();
    EXPECT_EQ(env.lastSent(), "CMD_startgame+Ann+0+");
}

TEST_F(GameFlow, LimitCaptions)
{
    joinAs("Bob", 3);
    EXPECT_EQ(board().bonusCaption, "Bonus Rolls Limited to 5 Rolls");
    host(host::startgame("Ann", 0));
    EXPECT_EQ(board().bonusCaption, "Unlimited Bonus Rolls");
    host(host::startgame("Ann", 1));
    EXPECT_EQ(board().bonusCaption, "Bonus Rolls Limited to 1 Roll");
    host(host::startgame("Ann", 2));
    EXPECT_EQ(board().bonusCaption, "Bonus Rolls Limited to 2 Rolls");
    EXPECT_EQ(lastLine(), "Ann has started a game.");
}

TEST_F(GameFlow, StartSeatsKlotAndMarksEmptySeats)
{
    joinAs("Bob", 1);
    host(host::existing(4, "Dee"));
    host(host::existing(6, "Fin"));
    host(host::justwatching(1, "1"));
    ASSERT_TRUE(board().menu.justWatchChecked);
    host(host::startgame("Bob", 5));
    EXPECT_EQ(board().seat(2).name, "Klot");
    EXPECT_TRUE(board().seat(3).notPlaying);
    EXPECT_FALSE(board().seat(4).notPlaying);
    EXPECT_TRUE(board().seat(5).notPlaying);
    EXPECT_FALSE(board().seat(6).notPlaying);
    EXPECT_FALSE(board().seat(1).notPlaying);
    EXPECT_FALSE(board().seat(2).notPlaying);
    EXPECT_FALSE(board().menu.justWatchChecked);
    EXPECT_TRUE(board().seat(1).eyes) << "only the menu tick goes";
}

TEST_F(GameFlow, TheFirstTurnGreysEveryColumn)
{
    joinAs("Bob", 3);
    host(host::existing(1, "Ann"));
    host(host::startgame("Ann", 5));
    env.clear();
    host(host::nextplayer(1, 1, {1, 2, 3, 4, 5, 6}));
    for (int seat = 1; seat <= 6; ++seat) {
        for (int row = 1; row <= 8; ++row) {
            const ScoreCell& cell = board().seat(seat).cell(row);
            EXPECT_EQ(cell.colour, seat == 1 ? CellColour::Black : CellColour::Grey);
            EXPECT_EQ(cell.bold, seat == 1);
        }
    }
    EXPECT_TRUE(board().turnMarker.shown);
    EXPECT_EQ(board().turnMarker.seat, 1);
    EXPECT_EQ(board().round, "Round: 1");
    EXPECT_EQ(board().status, "Ann's turn");
    EXPECT_FALSE(board().rollButtonShown);
    EXPECT_TRUE(board().dicetimerRunning);
    for (int c = 1; c <= 6; ++c) {
        EXPECT_TRUE(board().category(c).buttonShown);
        EXPECT_TRUE(board().category(c).buttonChoosable);
        EXPECT_TRUE(board().category(c).barChoosable);
        EXPECT_EQ(board().category(c).barSeat, 1);
    }
    EXPECT_FALSE(board().category(7).buttonShown);
    EXPECT_EQ(board().category(7).barSeat, 0);
    EXPECT_TRUE(env.sounds.empty()) << "no turn sound for another's turn";

    host(host::nextplayer(3, 1, {7}));
    EXPECT_EQ(board().seat(1).cell(4).colour, CellColour::Grey);
    EXPECT_TRUE(board().seat(3).cell(8).bold);
    EXPECT_EQ(board().turnMarker.seat, 3);
    EXPECT_EQ(board().category(7).barSeat, 3);
    EXPECT_FALSE(board().category(1).buttonShown);
    EXPECT_FALSE(board().category(1).buttonChoosable);
    EXPECT_EQ(board().status, "Your Turn");
    EXPECT_TRUE(board().rollButtonShown);
    EXPECT_EQ(env.sounds, std::vector<std::string>{"turn"});
}

TEST_F(GameFlow, ANewTurnResetsTheDice)
{
    joinAs("Bob", 3);
    host(host::nextplayer(3, 1, {1, 2}));
    host(host::createdice(3, 1, faces({1, 2, 3, 4, 5})));
    logic.dieRelease(2, MouseButton::Left);
    host(host::gotbonus(3, 30, 2, 2, 10, faces({2, 1, 1, 1, 1})));
    logic.options().chooseTurnSound(TurnSound::New);
    env.clear();
    host(host::nextplayer(3, 2, {}));
    for (const Die& die : board().dice) {
        EXPECT_EQ(die.face, 0);
        EXPECT_FALSE(die.held || die.raised || die.bonusMarker);
        EXPECT_TRUE(die.picture.cleared());
    }
    EXPECT_EQ(board().rollCount, 0);
    EXPECT_EQ(board().turnMarker.selectedCategory, 0);
    for (int c = 1; c <= 7; ++c)
        EXPECT_FALSE(board().category(c).buttonShown) << "\"0\" offers nothing";
    EXPECT_TRUE(board().turnMarker.shown);
    EXPECT_EQ(env.sounds, std::vector<std::string>{"turnnew"});
}

TEST_F(GameFlow, SlotOneHasTheHostingTablesPowersWithoutHostingItself)
{
    // A table that joins a headless host first gets slot 1.
    joinAs("Ann", 1);
    EXPECT_TRUE(board().startButtonShown);
    EXPECT_TRUE(board().menu.startGameEnabled);
    EXPECT_TRUE(board().spyList.removeEnabled);
    host(host::existing(3, "Bob"));
    logic.seatMenus().seatMenuOpening(3);
    EXPECT_TRUE(board().seatMenu.removeEnabled && board().seatMenu.setJustWatchEnabled);
    logic.seatMenus().removeFromGameClick();
    EXPECT_EQ(env.lastSent(), "CMD_kickhim+1+3+");

    host(host::startgame("Ann", 0));
    EXPECT_FALSE(board().startButtonShown);
    host(host::winner({1}));
    EXPECT_TRUE(board().startButtonShown) << "and again after each game";

    TableLogic seatTwo(env, env);
    seatTwo.processParams({"Cy", "10.0.0.5", "false"});
    seatTwo.handleMessage(host::sendlogininfo(2));
    EXPECT_FALSE(seatTwo.board().startButtonShown);
    EXPECT_FALSE(seatTwo.board().spyList.removeEnabled);
}

TEST_F(GameFlow, TheStartersOwnTableReadsItsStartInTheFirstPerson)
{
    logic.processParams({});
    host(host::sendlogininfo(1));
    host(host::startgame("You", 0));
    EXPECT_EQ(lastLine(), "You has started a game.") << "a start this table did not ask for";
    logic.startOptions().startClick();
    logic.startOptions().startGameClick();
    host(host::startgame("You", 0));
    EXPECT_EQ(lastLine(), "You have started a game.");
}

// A game between Bob (seat 1, hosting) and Ann (seat 3) with final totals.
class GameEnd : public TableTest {
protected:
    void play(TableLogic& table)
    {
        table.handleMessage(host::startgame("Bob", 5));
        table.handleMessage(host::nextplayer(1, 7, {7}));
        table.handleMessage(host::postscores(1, 80, 0, 7));
        table.handleMessage(host::postscores(3, 80, 15, 7));
    }
};

TEST_F(GameEnd, ATieSeenByTheFirstWinner)
{
    hostAs("Bob");
    host(host::existing(3, "Ann"));
    play(logic);
    env.clear();
    host(host::winner({1, 3}));
    EXPECT_EQ(board().winnerText, "Bob and Ann have Won the Game!");
    EXPECT_EQ(lastLine(), "Bob and Ann have Won the Game!");
    EXPECT_EQ(board().status, "Game Over!");
    EXPECT_TRUE(board().winnerPanelShown);
    EXPECT_TRUE(board().seat(1).winnerRing && board().seat(3).winnerRing);
    EXPECT_FALSE(board().seat(2).winnerRing);
    EXPECT_TRUE(board().startButtonShown) << "the hosting table may start again";
    EXPECT_EQ(env.log, (std::vector<std::string>{"sound winner", "record own win", "highest 80"}));
}

TEST_F(GameEnd, TheSameTieSeenBySeatThree)
{
    joinAs("Ann", 3);
    host(host::existing(1, "Bob"));
    play(logic);
    env.clear();
    host(host::winner({1, 3}));
    EXPECT_EQ(board().winnerText, "Bob and You have Won the Game!");
    EXPECT_FALSE(board().startButtonShown);
    EXPECT_EQ(env.log, (std::vector<std::string>{"sound winner", "record own win", "highest 80"}));
}

TEST_F(GameEnd, ASoleWinnerAndASoleLoser)
{
    joinAs("Ann", 3);
    host(host::existing(1, "Bob"));
    play(logic);
    env.clear();
    host(host::winner({3}));
    EXPECT_EQ(board().winnerText, "You have Won the Game!");
    EXPECT_EQ(env.log, (std::vector<std::string>{"sound winner", "record own win", "highest 80"}));

    TableLogic loser(env, env);
    loser.processParams({"Bob", "127.0.0.1", "true"});
    loser.handleMessage(host::sendlogininfo(1));
    loser.handleMessage(host::existing(3, "Ann"));
    play(loser);
    env.clear();
    loser.handleMessage(host::winner({3}));
    EXPECT_EQ(loser.board().winnerText, "Ann has Won the Game!");
    EXPECT_EQ(env.log, (std::vector<std::string>{"sound winner", "record opponent Ann", "highest 80"}));
}

TEST_F(GameEnd, AnOpponentNamedLikeTheOldOwnWinMarkerIsAnOpponent)
{
    joinAs("Ann", 3);
    host(host::existing(1, "addtomine"));
    play(logic);
    env.clear();
    host(host::winner({1}));
    EXPECT_EQ(board().winnerText, "addtomine has Won the Game!");
    EXPECT_EQ(env.log, (std::vector<std::string>{"sound winner", "record opponent addtomine", "highest 80"}));
}

TEST_F(GameEnd, TwoOtherWinnersRecordNoGame)
{
    joinAs("Cy", 2);
    host(host::existing(1, "Bob"));
    host(host::existing(3, "Ann"));
    play(logic);
    env.clear();
    host(host::winner({1, 3}));
    EXPECT_EQ(board().winnerText, "Bob and Ann have Won the Game!");
    EXPECT_EQ(env.log, (std::vector<std::string>{"sound winner", "highest "}))
        << "no game recorded; the empty own total is offered all the same";
}

TEST_F(GameEnd, ASpectatorSeesTheResultButRecordsNothing)
{
    joinAs("Cat", 7);
    host(host::existing(1, "Bob"));
    host(host::existing(3, "Ann"));
    play(logic);
    env.clear();
    host(host::winner({3}));
    EXPECT_EQ(board().winnerText, "Ann has Won the Game!");
    EXPECT_TRUE(board().seat(3).winnerRing);
    EXPECT_EQ(board().status, "Game Over!");
    EXPECT_EQ(env.log, std::vector<std::string>{"sound winner"});
}

TEST_F(GameEnd, TheCardKeepsItsScoresInNeutralColours)
{
    joinAs("Ann", 3);
    host(host::existing(1, "Bob"));
    play(logic);
    host(host::winner({1, 3}));
    EXPECT_FALSE(board().turnMarker.shown);
    for (int c = 1; c <= 7; ++c) {
        EXPECT_FALSE(board().category(c).buttonShown);
        EXPECT_FALSE(board().category(c).barShown);
        EXPECT_FALSE(board().category(c).chosenMarker);
    }
    for (const SeatColumn& column : board().seats) {
        for (const ScoreCell& cell : column.cells)
            EXPECT_TRUE(cell.colour == CellColour::Black && !cell.bold);
    }
    EXPECT_EQ(board().seat(3).cell(8).text, "80");
    EXPECT_EQ(board().seat(1).cell(7).text, "0");

    // The next game clears the card and the winner marks, not the names.
    host(host::startgame("Bob", 5));
    EXPECT_EQ(board().seat(3).cell(8).text, "");
    EXPECT_FALSE(board().seat(1).winnerRing);
    EXPECT_FALSE(board().winnerPanelShown);
    EXPECT_EQ(board().seat(1).name, "Bob");
}

TEST_F(GameFlow, BotSpeedIs750UntilChosen)
{
    EXPECT_EQ(board().menu.botSpeed, 750);
    EXPECT_EQ(board().menu.botSpeedItem, BotSpeedItem::Normal);
    logic.options().botSpeedClick(BotSpeedItem::Fast);
    EXPECT_EQ(board().menu.botSpeed, 350);
    EXPECT_EQ(board().menu.botSpeedItem, BotSpeedItem::Fast);
    EXPECT_EQ(env.log, std::vector<std::string>{"save settings"});
}

} // namespace
} // namespace zk::test
