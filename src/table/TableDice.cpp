// The dice: showing rolls, holding, the roll button with its two prompts,
// and the tumbling while a turn waits for its first roll.
#include "TableLogic.h"

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

bool TableLogic::showRolledDice(FieldReader& r)
{
    const auto pairs = readDiePairs(r);
    for (const DiePair& pair : pairs.items) {
        if (Die* die = reportedDie(pair)) {
            drawDie(*die, DieBody::Plain);
            die->raised = false;
        }
    }
    return !pairs.malformed;
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

HandlerResult TableLogic::createdice(std::string_view payload)
{
    board_.dicetimerRunning = false;
    FieldReader r(payload);
    const auto seat = r.number();
    if (!seat)
        return HandlerResult::Malformed;
    const auto rolls = r.number();
    if (!rolls)
        return HandlerResult::Malformed;
    board_.rollCount = *rolls;
    state_.currentSeat = *seat;

    // Dice the roll left alone stay up with their face and hold; the rolled
    // ones come down with their new faces.
    for (Die& die : board_.dice)
        die.raised = true;
    if (!showRolledDice(r))
        return HandlerResult::Malformed;

    if (*rolls >= 3)
        board_.status = "Posting Scores.. Please Wait.";
    else if (*seat == state_.ownSeat && !board_.menu.justWatchChecked)
        board_.rollButtonShown = true;
    eventSound("dice");
    return HandlerResult::Handled;
}

void TableLogic::dieRelease(int number, MouseButton button)
{
    if (!Board::isDie(number) || !onTurn() || board_.dicetimerRunning ||
        button != MouseButton::Left)
        return;
    Die& die = board_.die(number);
    die.held = !die.held;
    die.raised = die.held;
    drawDie(die, DieBody::Plain);
    eventSound(die.held ? "set" : "unset");
}

bool TableLogic::sendRoll(bool allFive)
{
    MessageWriter message(cmd::rollthedice);
    message.field(state_.ownSeat);
    bool any = false;
    for (int n = 1; n <= kDiceCount; ++n) {
        if (allFive || !board_.die(n).held) {
            message.field(n);
            any = true;
        }
    }
    if (!any)
        message.field(0);
    return send(message);
}

void TableLogic::rollClick()
{
    const bool noCategory = onTurn() && board_.turnMarker.selectedCategory == 0;
    // A third roll needs a category, reminder or not.
    if (noCategory && board_.rollCount == 2) {
        board_.panelError1Shown = true;
        eventSound("error");
        return;
    }
    if (noCategory && board_.rollCount > 0) {
        if (board_.menu.remindMe) {
            board_.panelErrorShown = true;
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
    board_.panelErrorShown = false;
    board_.rollButtonShown = false;
    state_.currentSeat = 0;
    rollWithheld_ = !sending;
}

void TableLogic::noClick()
{
    board_.panelErrorShown = false;
}

void TableLogic::okClick()
{
    board_.panelError1Shown = false;
}

void TableLogic::tumbleTick()
{
    if (!board_.dicetimerRunning)
        return;
    // Only the pictures tumble; the records keep what the host reported.
    for (Die& die : board_.dice)
        die.picture = DiePicture{DieBody::Plain, 1 + random_(6)};
}

} // namespace zk
