// Zonkards and bonus mode: the scores, the dice in their bonus look with the
// BONUS markers over the scoring dice, the status line and the own counts.
#include "TableLogic.h"

namespace zk {

HandlerResult TableLogic::zonkard(std::string_view payload)
{
    board_.dicetimerRunning = false;
    FieldReader r(payload);
    const auto seat = r.number();
    const std::string_view total = r.text();
    const std::string_view points = r.text();
    if (!seat || !parseDecimal(total) || !parseDecimal(points))
        return HandlerResult::Malformed;
    setCell(*seat, kScoreRows, total);
    setCell(*seat, kCategoryCount, points);
    const auto rolls = r.number();
    if (!rolls)
        return HandlerResult::Malformed;
    board_.rollCount = *rolls;
    if (!showRolledDice(r))
        return HandlerResult::Malformed;

    if (*seat == state_.ownSeat) {
        board_.status = "You got a ZONKARD!";
        env_.countOwnZonkard();
    } else {
        board_.status = labelText(*seat) + " got a ZONKARD!";
    }
    eventSound("zonkard");
    return HandlerResult::Handled;
}

HandlerResult TableLogic::bonustime(std::string_view payload)
{
    FieldReader r(payload);
    const auto seat = r.number();
    const std::string_view total = r.text();
    const std::string_view points = r.text();
    const auto category = r.number();
    if (!seat || !parseDecimal(total) || !parseDecimal(points) || !category)
        return HandlerResult::Malformed;
    setCell(*seat, kScoreRows, total);
    setCell(*seat, *category, points);
    // The dice stay as the last roll showed them.
    if (*seat == state_.ownSeat) {
        board_.status = "You are entering BONUS MODE!";
        env_.countOwnBonusMode();
    } else {
        board_.status = labelText(*seat) + " is entering BONUS MODE!";
    }
    eventSound("enterbonus");
    return HandlerResult::Handled;
}

HandlerResult TableLogic::gotbonus(std::string_view payload)
{
    board_.dicetimerRunning = false;
    FieldReader r(payload);
    const auto seat = r.number();
    const std::string_view total = r.text();
    const std::string_view bonusPoints = r.text();
    const auto category = r.number();
    const std::string_view categoryScore = r.text();
    if (!seat || !parseDecimal(total) || !parseDecimal(bonusPoints) || !category ||
        !parseDecimal(categoryScore))
        return HandlerResult::Malformed;
    setCell(*seat, kScoreRows, total);
    setCell(*seat, *category, categoryScore);
    if (*seat == state_.ownSeat)
        board_.status = "You recieved " + std::string(bonusPoints) + " bonus points!";
    else
        board_.status = labelText(*seat) + " recieved " + std::string(bonusPoints) + " bonus points!";

    // The dice that scored stand up under a BONUS starburst.
    const auto pairs = readDiePairs(r);
    for (const DiePair& pair : pairs.items) {
        Die* die = reportedDie(pair);
        if (!die)
            continue;
        const bool scored = pair.face == *category;
        die->raised = scored;
        die->bonusMarker = scored;
        drawDie(*die, DieBody::Bonus);
    }
    if (pairs.malformed)
        return HandlerResult::Malformed;
    eventSound("gotbonus");
    return HandlerResult::Handled;
}

HandlerResult TableLogic::bonusend(std::string_view payload)
{
    board_.dicetimerRunning = false;
    FieldReader r(payload);
    const auto seat = r.number();
    if (!seat)
        return HandlerResult::Malformed;
    if (*seat == state_.ownSeat)
        board_.status = "You are exiting BONUS MODE!";
    else
        board_.status = labelText(*seat) + " is exiting BONUS MODE!";

    // "+0+0" (the limit was reached) redraws nothing: the last scoring roll
    // stays with its markers until the next turn.
    const auto pairs = readDiePairs(r);
    for (const DiePair& pair : pairs.items) {
        Die* die = reportedDie(pair);
        if (!die)
            continue;
        die->raised = false;
        die->bonusMarker = false;
        drawDie(*die, DieBody::Bonus);
    }
    if (pairs.malformed)
        return HandlerResult::Malformed;
    eventSound("exitbonus");
    return HandlerResult::Handled;
}

} // namespace zk
