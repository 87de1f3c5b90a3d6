// The dice: showing rolls, holding, the roll button with its two prompts,
// and the tumbling while a turn waits for its first roll.
#include "table/TableLogic.h"

#include <algorithm>
#include <utility>

namespace zk {

void TableLogic::drawDie(Die& die, DieBody body)
{
    die.picture = DiePicture{body, Board::isFace(die.face) ? die.face : 0};
}

Die* TableLogic::reportedDie(const DiePair& pair)
{
    if (!Board::isDie(pair.die) || !Board::isFace(pair.face))
        return nullptr;
    Die& die = board_.die(pair.die);
    die.face = pair.face;
    die.held = false;
    return &die;
}

void TableLogic::showRolledDice(const std::vector<DiePair>& pairs)
{
    for (const DiePair& pair : pairs) {
        if (Die* die = reportedDie(pair)) {
            drawDie(*die, DieBody::Plain);
            die->raised = false;
        }
    }
}

void TableLogic::newTurnDice()
{
    for (Die& die : board_.dice) {
        die.bonusMarker = false;
        die.picture = {};
        die.raised = false;
        die.face = 0;
        die.held = false;
    }
}

void TableLogic::showRollCount(int reported)
{
    board_.rollCount = std::clamp(reported, 0, kRollsPerTurn);
}

HandlerResult TableLogic::createdice(const msg::Decoded<msg::CreateDice>& m)
{
    board_.dicetimerRunning = false;
    if (!m.reached(msg::CreateDice::Rolls))
        return HandlerResult::Malformed;
    const int seat = m->seat;
    const int rolls = m->rolls;
    showRollCount(rolls);
    state_.currentSeat = seat;

    // Dice the roll left alone stay up with their face and hold; the rolled
    // ones come down with their new faces.
    for (Die& die : board_.dice)
        die.raised = true;
    showRolledDice(m->dice);
    if (!m.complete)
        return HandlerResult::Malformed;

    if (rolls >= kRollsPerTurn)
        board_.status = "Posting Scores.. Please Wait.";
    else if (seat == state_.ownSeat && !board_.menu.justWatchChecked)
        board_.rollButtonShown = true;
    eventSound("dice");
    if (seat == state_.ownSeat) {
        rollInFlight_ = false;
        choosePending();
    }
    return HandlerResult::Handled;
}

void TableLogic::dieRelease(int number, MouseButton button)
{
    if (!Board::isDie(number) || !onTurn() || board_.dicetimerRunning || button != MouseButton::Left)
        return;
    Die& die = board_.die(number);
    die.held = !die.held;
    die.raised = die.held;
    drawDie(die, DieBody::Plain);
    eventSound(die.held ? "set" : "unset");
}

bool TableLogic::sendRoll(bool allFive)
{
    msg::RollTheDice request{state_.ownSeat, {}};
    for (int n = 1; n <= kDiceCount; ++n) {
        if (allFive || !board_.die(n).held)
            request.dice.push_back(n);
    }
    if (!send(request)) // all five held: "+0"
        return false;
    restartTurnClock(); // the host's clock starts again with each request
    return true;
}

void TableLogic::rollClick()
{
    const bool noCategory = onTurn() && board_.turnMarker.selectedCategory == 0;
    // A third roll needs a category, reminder or not.
    if (noCategory && board_.rollCount == kRollsPerTurn - 1) {
        board_.thirdRollPromptShown = true;
        eventSound("error");
        return;
    }
    if (noCategory && board_.rollCount > 0) {
        if (board_.menu.remindMe) {
            board_.rollPromptShown = true;
            eventSound("error");
            return;
        }
        // Without a category a second roll rolls all five again.
        for (Die& die : board_.dice) {
            die.held = false;
            die.raised = false;
        }
    }
    const bool sending = onTurn() && state_.loggedIn;
    if (sending && !sendRoll(false))
        return;
    board_.rollButtonShown = false;
    state_.currentSeat = 0;
    rollWithheld_ = !sending;
    rollInFlight_ = sending;
}

void TableLogic::choosePending()
{
    const int category = std::exchange(pendingCategory_, 0);
    // Still open and offered: the host may have chosen for the player
    // meanwhile (the only open category), or the rolls may be used up.
    if (category == 0 || board_.turnMarker.selectedCategory != 0 || board_.rollCount >= kRollsPerTurn)
        return;
    const CategoryRow& row = board_.category(category);
    if (row.buttonChoosable || row.barChoosable)
        choose(category);
}

void TableLogic::yesClick()
{
    const bool sending = onTurn() && state_.loggedIn;
    if (sending) {
        for (Die& die : board_.dice)
            die.raised = false;
        if (!sendRoll(true))
            return;
    }
    board_.rollPromptShown = false;
    board_.rollButtonShown = false;
    state_.currentSeat = 0;
    rollWithheld_ = !sending;
    rollInFlight_ = sending;
}

void TableLogic::noClick()
{
    board_.rollPromptShown = false;
}

void TableLogic::okClick()
{
    board_.thirdRollPromptShown = false;
}

void TableLogic::tumbleTick()
{
    if (!board_.dicetimerRunning)
        return;
    // Only the pictures tumble; the records keep what the host reported.
    for (Die& die : board_.dice)
        die.picture = DiePicture{DieBody::Plain, 1 + random_(kFaceCount)};
}

} // namespace zk
