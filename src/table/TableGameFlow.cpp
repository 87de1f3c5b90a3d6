// The course of a game on the table: its start, the turn changes, and the
// end with its winners.
#include "table/TableLogic.h"

#include <algorithm>

namespace zk {

void TableLogic::clearall()
{
    board_.turnMarker.shown = false;
    for (Die& die : board_.dice) {
        die.raised = false;
        die.picture = {};
    }
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        SeatColumn& column = board_.seat(seat);
        column.winnerRing = false;
        if (seat >= kFirstOptionalSeat)
            column.notPlaying = false;
        for (ScoreCell& cell : column.cells)
            cell = ScoreCell{};
    }
    for (CategoryRow& row : board_.categories)
        row = CategoryRow{};
}

HandlerResult TableLogic::startthegame(const msg::Decoded<msg::StartGame>& m)
{
    board_.startButtonShown = false;
    board_.rollButtonShown = false; // a button left from a game cut short
    board_.menu.justWatchChecked = false;
    board_.winnerPanelShown = false;
    board_.rollPromptShown = false;
    board_.thirdRollPromptShown = false;
    clearall();

    const std::string& starter = m->starter;
    board_.bonusCaption = bonusLimitCaption(m->limit);
    // The table that asked for this game reads its own start in the first
    // person; a name in the third person would read "You has started".
    const bool ownStart = startOptions_.takeOwnStart(starter);
    turnSeat_ = 0;
    rollWithheld_ = false;
    rollInFlight_ = false;
    pendingCategory_ = 0;
    systemLine(ownStart ? std::string("You have started a game.")
                        : std::string(starter) + " has started a game.");

    // The computer player takes an empty seat 2 for this game.
    if (board_.seat(kComputerSeat).name == kWaitingName)
        board_.seat(kComputerSeat).name = std::string(kComputerName);
    for (int seat = kFirstOptionalSeat; seat <= kSeatCount; ++seat) {
        if (board_.seat(seat).name == kWaitingName)
            board_.seat(seat).notPlaying = true;
    }
    return HandlerResult::Handled;
}

HandlerResult TableLogic::getnextplayer(const msg::Decoded<msg::NextPlayer>& m)
{
    board_.dicetimerRunning = true;
    if (!m.reached(msg::NextPlayer::Seat))
        return HandlerResult::Malformed;
    const int seat = m->seat;
    state_.currentSeat = seat;
    turnSeat_ = seat;
    offered_ = {};
    rollWithheld_ = false;
    rollInFlight_ = false;
    pendingCategory_ = 0;
    board_.round = "Round: " + m->round;
    board_.rollCount = 0;

    placeTurnColumn(seat, false);
    // While the own seat just watches, its offer is kept but not shown: the
    // player has nothing to choose until he takes the seat back.
    const bool showOffer = seat != state_.ownSeat || !board_.menu.justWatchChecked;
    for (const int category : m->categories) {
        if (Board::isCategory(category))
            offered_[static_cast<std::size_t>(category - 1)] = true;
        if (showOffer)
            offerCategory(seat, category);
    }
    if (!m.complete)
        return HandlerResult::Malformed;
    board_.turnMarker.shown = true;
    board_.turnMarker.selectedCategory = 0;

    newTurnDice();
    announceTurn(seat);
    restartTurnClock(); // runs only on the own turn
    return HandlerResult::Handled;
}

void TableLogic::announceTurn(int seat)
{
    if (onTurn()) {
        board_.status = "Your Turn";
        turnSound();
        board_.rollButtonShown = true;
    } else {
        board_.status = labelText(seat) + "'s turn";
        // Only the player on turn has a roll button; one left over from a
        // turn the computer played would set the current seat to 0.
        board_.rollButtonShown = false;
    }
}

HandlerResult TableLogic::winner(const msg::Decoded<msg::Winner>& m)
{
    const bool seated = Board::isSeat(state_.ownSeat);
    std::string result;
    bool ownWon = false;
    bool several = false;
    bool first = true;

    for (const int seat : m->seats) {
        if (first) {
            result = labelText(seat);
            if (seat == state_.ownSeat)
                ownWon = true;
            first = false;
        } else {
            if (seat == state_.ownSeat) {
                result += " and You";
                ownWon = true;
            } else {
                result += " and " + labelText(seat);
            }
            several = true;
        }
        if (Board::isSeat(seat))
            board_.seat(seat).winnerRing = true;
    }
    if (!m.complete)
        return HandlerResult::Malformed;
    eventSound("winner");

    std::string line;
    if (seated && result == labelText(state_.ownSeat))
        line = "You have Won the Game!";
    else
        line = result + (several ? " have Won the Game!" : " has Won the Game!");
    board_.winnerText = line;
    board_.status = "Game Over!";
    systemLine(line);
    board_.winnerPanelShown = true;
    board_.rollButtonShown = false;
    turnSeat_ = 0;
    stopTurnClock();
    if (hasHostPowers())
        board_.startButtonShown = true;

    // The card's game-over state: no marker, no choices, neutral cells.
    board_.turnMarker.shown = false;
    for (CategoryRow& row : board_.categories) {
        row.buttonShown = false;
        row.barShown = false;
        row.chosenMarker = false;
    }
    for (SeatColumn& column : board_.seats) {
        for (ScoreCell& cell : column.cells) {
            cell.colour = CellColour::Black;
            cell.bold = false;
        }
    }

    if (seated) {
        if (const auto outcome = gameOutcomeToRecord(state_.ownSeat, ownWon, result))
            env_.recordGame(*outcome);
        env_.offerHighestScore(board_.seat(state_.ownSeat).cell(kScoreRows).text);
    }
    return HandlerResult::Handled;
}

} // namespace zk
