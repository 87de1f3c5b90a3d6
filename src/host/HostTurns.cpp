// The turn engine of HostEngine: start of a game, next player, category
// choice, rolls, scoring, bonus rolls, the end of the game and the computer
// player, which makes its moves through the same roll and category steps as a
// table.
#include "host/HostEngine.h"

#include "protocol/Commands.h"

namespace zk {

// --- Requests from tables --------------------------------------------------

HandlerResult HostEngine::startgame(const msg::Decoded<msg::StartGame>& m)
{
    // A bonus limit that is not a number counts as 0 (unlimited).
    const int limit = parseDecimal(m->limit).value_or(0);

    stopTimer();
    gamestarted_ = true;
    gameended_ = false;
    bonuslimit_ = limit;
    sendToAll(msg::StartGame{m->starter, std::to_string(limit)});
    for (int s = 1; s <= kSeatCount; ++s) {
        tplayer& p = seat(s);
        p.turnactive = false;
        p.total = 0;
        p.watching = false;
        p.scores = kFreshScores;
        p.playing = p.connected;
    }
    // Seat 2 always plays, by the computer when nobody sits there.
    seat(kComputerSeat).playing = true;
    round_ = 0;
    currentplayer_ = 0;
    findplayer();
    return HandlerResult::Handled;
}

HandlerResult HostEngine::rollthediceRequested(int slot, const msg::Decoded<msg::RollTheDice>& m)
{
    if (!m.reached(msg::RollTheDice::Seat))
        return HandlerResult::Malformed;
    if (m->seat != slot)
        return HandlerResult::Ignored;
    // While the seat just watches the computer plays it; its own table must
    // not act on the same turn.
    if (seat(slot).watching)
        return HandlerResult::Ignored;
    // The whole list is read before any die is touched: a list with a field
    // that is not a number is ignored as a whole, so the host never re-rolls
    // dice that no table is told about. Nothing after the seat is no request.
    if (!m.reached(msg::RollTheDice::Dice))
        return m.complete ? HandlerResult::Ignored : HandlerResult::Malformed;
    turnRequested(slot);
    rollthedice(m->seat, m->dice);
    return HandlerResult::Handled;
}

HandlerResult HostEngine::selectcatRequested(int slot, const msg::Decoded<msg::SelectCat>& m)
{
    if (!m.complete)
        return HandlerResult::Malformed;
    if (m->seat != slot || seat(slot).watching)
        return HandlerResult::Ignored;
    turnRequested(slot);
    selectcat(m->seat, m->category);
    return HandlerResult::Handled;
}

// --- Next player -------------------------------------------------------------

void HostEngine::findplayer()
{
    int next = currentplayer_;
    bool found = false;
    for (int i = 0; i < kSeatCount && !found; ++i) {
        next = next % kSeatCount + 1;
        found = seat(next).playing;
    }
    currentplayer_ = next;
    if (!found) {
        // Cannot happen while seat 2 always plays; end the game rather than
        // hand the turn to a seat outside it.
        checkforwin();
        return;
    }
    if (currentplayer_ == 1)
        ++round_;
    if (round_ > kRounds) {
        checkforwin();
        return;
    }
    tplayer& p = seat(currentplayer_);
    dice_ = {};
    p.category = 0;
    p.rolls = 0;
    const msg::NextPlayer turn{currentplayer_, std::to_string(round_), offeredCategories(p.scores, round_)};
    p.turnactive = true;
    sendToAll(turn);
    startTurnClock(currentplayer_);
    if (computerPlayed(currentplayer_))
        armTimer(kTimerComputerStep, kComputerFirstTicks);
}

// --- Category choice -----------------------------------------------------

void HostEngine::selectcat(int s, int category)
{
    if (!gamestarted_ || s != currentplayer_ || s < 1 || s > kSeatCount)
        return;
    tplayer& p = seat(s);
    if (p.category != 0) {
        notify(notice::workingSelected);
        return;
    }
    if (category < 1 || category > kStraight || p.row(category) != kUnscored) {
        notify(notice::alreadySelected);
        return;
    }
    p.category = category;
    sendToAll(msg::SelectedCat{s, category});
    // Only a turn in progress has a computer step to come; after a zonkard
    // the pending next-player timer must not be replaced, or the game stalls.
    if (computerPlayed(s) && p.turnactive)
        armTimer(kTimerComputerStep, kComputerStepTicks);
}

// --- Rolls -----------------------------------------------------------------

std::vector<DiePair> HostEngine::rollAllDice()
{
    // Unlike a re-roll, a die here may show the face it showed before.
    std::vector<DiePair> pairs;
    for (int d = 1; d <= kDiceCount; ++d) {
        const int face = drawFace();
        dice_[static_cast<std::size_t>(d - 1)] = face;
        pairs.push_back({d, face});
    }
    return pairs;
}

void HostEngine::rollthedice(int s, const std::vector<int>& dieList)
{
    if (s != currentplayer_ || s < 1 || s > kSeatCount)
        return;
    tplayer& p = seat(s);
    if (!p.turnactive)
        return;
    if (p.rolls >= kRollsPerTurn) {
        notify(notice::tooManyRolls);
        return;
    }
    if (p.rolls == kRollsPerTurn - 1 && p.category == 0) {
        if (p.connected)
            sendTo(s, msg::NeedCat{s});
        else
            notify(notice::needsCategory);
        return;
    }

    std::vector<DiePair> pairs;
    if (p.rolls == 0) {
        int open = 0;
        int highest = 0;
        for (int k = 1; k <= kFaceCount; ++k) {
            if (p.row(k) == kUnscored) {
                ++open;
                highest = k;
            }
        }
        int forced = 0;
        if (open == 0) {
            if (p.row(kStraight) == kUnscored)
                forced = kStraight;
            else
                notify(notice::autoSelectFailed);
        } else if (open == 1) {
            forced = highest; // replaces a choice made before the roll
        }
        if (forced != 0) {
            p.category = forced;
            sendToAll(msg::SelectedCat{s, forced});
        }
        pairs = rollAllDice();
        if (p.row(kStraight) == kUnscored && isStraight(dice_)) {
            const int points = zonkardPoints(dice_);
            p.total += points;
            p.row(kStraight) = points;
            p.rolls = kRollsPerTurn;
            sendToAll(msg::Zonkard{s, p.total, points, kRollsPerTurn, pairs});
            p.turnactive = false;
            stopTurnClock();
            armTimer(kTimerNextPlayer, kNextPlayerTicks);
            return;
        }
    } else {
        for (int d : dieList) {
            if (d < 1 || d > kDiceCount)
                continue; // 0 is "no die"; other numbers name no die at all
            int& face = dice_[static_cast<std::size_t>(d - 1)];
            int drawn = drawFace();
            while (drawn == face)
                drawn = drawFace(); // a re-rolled die always changes its face
            face = drawn;
            pairs.push_back({d, drawn});
        }
    }

    ++p.rolls;
    sendToAll(msg::CreateDice{s, p.rolls, pairs});
    if (p.rolls < kRollsPerTurn) {
        if (computerPlayed(s))
            armTimer(kTimerComputerStep, kComputerStepTicks);
        return;
    }
    scoreTurn(s);
}

void HostEngine::scoreTurn(int s)
{
    tplayer& p = seat(s);
    const int category = p.category; // 1 to 7: a third roll needs a category
    const int points = pointsAfterThirdRoll(category, dice_);
    p.total += points;
    p.row(category) = points;
    p.turnactive = false;
    stopTimer();
    stopTurnClock(); // a bonus run is not timed
    // Five of the category's face earn bonus rolls; the two messages carry
    // the same fields.
    const bool bonus = category != kStraight && points == 5 * category;
    const msg::ScoreReport report{s, p.total, points, category};
    if (bonus)
        sendToAll(msg::BonusTime{report});
    else
        sendToAll(msg::PostScores{report});
    if (bonus) {
        bonuscount_ = 0;
        armTimer(kTimerBonusRoll, kBonusFirstTicks);
    } else {
        armTimer(kTimerNextPlayer, kNextPlayerTicks);
    }
}

// --- Bonus rolls and the end of the game -----------------------------------

void HostEngine::bonusrolls(int s)
{
    if (s < 1 || s > kSeatCount)
        return;
    tplayer& p = seat(s);
    const int category = p.category;
    if ((bonuslimit_ != 0 && bonuscount_ == bonuslimit_) || category < 1 || category > kFaceCount) {
        sendToAll(msg::BonusEnd{s, {}}); // "+0+0": the limit is reached
        stopTimer();
        armTimer(kTimerNextPlayer, kNextPlayerTicks);
        return;
    }
    ++bonuscount_;
    const std::vector<DiePair> pairs = rollAllDice();
    const int points = bonusPoints(category, dice_);
    stopTimer();
    if (points == 0) {
        sendToAll(msg::BonusEnd{s, pairs});
        armTimer(kTimerNextPlayer, kNextPlayerTicks);
        return;
    }
    p.total += points;
    p.row(category) += points;
    sendToAll(msg::GotBonus{s, p.total, points, category, p.row(category), pairs});
    armTimer(kTimerBonusRoll, kBonusTicks);
}

void HostEngine::checkforwin()
{
    SeatTotals totals{};
    for (int s = 1; s <= kSeatCount; ++s)
        totals[static_cast<std::size_t>(s - 1)] = seat(s).total;
    sendToAll(msg::Winner{winningSeats(totals)});
    gamestarted_ = false;
    gameended_ = true;
    stopTurnClock();
    holds_.fill(std::nullopt); // a seat is held for a game, not beyond it
}

// --- The computer player ---------------------------------------------------

void HostEngine::computerplay(int s)
{
    if (s != currentplayer_ || s < 1 || s > kSeatCount)
        return;
    const tplayer& p = seat(s);
    // A step armed before a human took the seat back is dropped here.
    if (!p.turnactive || !computerPlayed(s))
        return;
    if (p.rolls == 0) {
        rollthedice(s, {1, 2, 3, 4, 5}); // a first roll rolls all five
        return;
    }
    if (p.category == 0) {
        selectcat(s, computerCategory(p.scores, dice_));
        return;
    }
    std::vector<int> reroll = computerRerolls(p.category, dice_);
    if (reroll.empty())
        reroll.push_back(0); // keep all: a roll of none
    rollthedice(s, reroll);
}

} // namespace zk
