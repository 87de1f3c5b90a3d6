// Zonkards and bonus mode: the scores, the dice in their bonus look with the
// BONUS markers over the scoring dice, the status line and the own counts.
#include "table/TableLogic.h"

namespace zk {

HandlerResult TableLogic::zonkard(const msg::Decoded<msg::Zonkard>& m)
{
    board_.dicetimerRunning = false;
    if (!m.reached(msg::Zonkard::Points))
        return HandlerResult::Malformed;
    const int seat = m->seat;
    if (seat == state_.ownSeat)
        stopTurnClock(); // the turn is over
    setCell(seat, kScoreRows, m->total.text);
    setCell(seat, kCategoryCount, m->points.text);
    if (!m.reached(msg::Zonkard::Rolls))
        return HandlerResult::Malformed;
    showRollCount(m->rolls);
    showRolledDice(m->dice);
    if (!m.complete)
        return HandlerResult::Malformed;

    if (seat == state_.ownSeat) {
        rollInFlight_ = false;
        pendingCategory_ = 0;
        board_.status = "You got a ZONKARD!";
        env_.countOwnZonkard();
    } else {
        board_.status = labelText(seat) + " got a ZONKARD!";
    }
    eventSound("zonkard");
    return HandlerResult::Handled;
}

HandlerResult TableLogic::bonustime(const msg::Decoded<msg::ScoreReport>& m)
{
    if (!m.complete)
        return HandlerResult::Malformed;
    const int seat = m->seat;
    if (seat == state_.ownSeat)
        stopTurnClock(); // a bonus run is not timed
    setCell(seat, kScoreRows, m->total.text);
    setCell(seat, m->category, m->points.text);
    // The dice stay as the last roll showed them.
    if (seat == state_.ownSeat) {
        board_.status = "You are entering BONUS MODE!";
        env_.countOwnBonusMode();
    } else {
        board_.status = labelText(seat) + " is entering BONUS MODE!";
    }
    eventSound("enterbonus");
    return HandlerResult::Handled;
}

HandlerResult TableLogic::gotbonus(const msg::Decoded<msg::GotBonus>& m)
{
    board_.dicetimerRunning = false;
    if (!m.reached(msg::GotBonus::CategoryScore))
        return HandlerResult::Malformed;
    const int seat = m->seat;
    setCell(seat, kScoreRows, m->total.text);
    setCell(seat, m->category, m->categoryScore.text);
    const std::string& bonusPoints = m->points.text;
    if (seat == state_.ownSeat)
        board_.status = "You recieved " + bonusPoints + " bonus points!";
    else
        board_.status = labelText(seat) + " recieved " + bonusPoints + " bonus points!";

    // The dice that scored stand up under a BONUS starburst.
    for (const DiePair& pair : m->dice) {
        Die* die = reportedDie(pair);
        if (!die)
            continue;
        const bool scored = pair.face == m->category;
        die->raised = scored;
        die->bonusMarker = scored;
        drawDie(*die, DieBody::Bonus);
    }
    if (!m.complete)
        return HandlerResult::Malformed;
    eventSound("gotbonus");
    return HandlerResult::Handled;
}

HandlerResult TableLogic::bonusend(const msg::Decoded<msg::BonusEnd>& m)
{
    board_.dicetimerRunning = false;
    if (!m.reached(msg::BonusEnd::Seat))
        return HandlerResult::Malformed;
    const int seat = m->seat;
    if (seat == state_.ownSeat)
        board_.status = "You are exiting BONUS MODE!";
    else
        board_.status = labelText(seat) + " is exiting BONUS MODE!";

    // "+0+0" (the limit was reached) redraws nothing: the last scoring roll
    // stays with its markers until the next turn.
    for (const DiePair& pair : m->dice) {
        Die* die = reportedDie(pair);
        if (!die)
            continue;
        die->raised = false;
        die->bonusMarker = false;
        drawDie(*die, DieBody::Bonus);
    }
    if (!m.complete)
        return HandlerResult::Malformed;
    eventSound("exitbonus");
    return HandlerResult::Handled;
}

} // namespace zk
