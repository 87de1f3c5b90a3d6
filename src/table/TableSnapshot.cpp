// The snapshot a table receives when it arrives during a game: the turn in
// progress (loadstats) and the score card (loadscores).
#include "table/TableLogic.h"

namespace zk {

HandlerResult TableLogic::loadstats(const msg::Decoded<msg::LoadStats>& m)
{
    using Field = msg::LoadStats::Field;
    if (!m.reached(Field::Addressee))
        return HandlerResult::Malformed;
    if (m->addressee != state_.ownSeat)
        return HandlerResult::Ignored;

    if (!m.reached(Field::Seat))
        return HandlerResult::Malformed;
    const int seat = m->seat;
    state_.currentSeat = seat;
    turnSeat_ = seat;
    offered_.fill(true);
    // A player who joins during a game sees no Start button, as the hosting
    // table sees none while a game runs.
    board_.startButtonShown = false;
    if (!m.reached(Field::Limit))
        return HandlerResult::Malformed;
    board_.bonusCaption = bonusLimitCaption(m->limit.text);
    if (!m.reached(Field::Rolls))
        return HandlerResult::Malformed;
    showRollCount(m->rolls);
    if (!m.reached(Field::Round))
        return HandlerResult::Malformed;
    board_.round = "Round: " + m->round.text;
    if (!m.reached(Field::Category))
        return HandlerResult::Malformed;
    const int selected = m->category;

    // The turn highlight with every category offered; the chosen-category
    // markers stay as they are.
    placeTurnColumn(seat, true);
    for (int c = 1; c <= kCategoryCount; ++c)
        offerCategory(seat, c);

    // The dice as the host last recorded them, all lowered; a die not rolled
    // yet this turn shows a 1. No tumbling, no bonus marker.
    for (const DiePair& pair : m->dice) {
        // Face 0 is a die not rolled yet; any other face no die has.
        if (!Board::isDie(pair.die) || (pair.face != 0 && !Board::isFace(pair.face)))
            continue;
        Die& die = board_.die(pair.die);
        die.face = pair.face == 0 ? 1 : pair.face;
        die.held = false;
        die.raised = false;
        drawDie(die, DieBody::Plain);
    }
    if (!m.complete)
        return HandlerResult::Malformed;

    if (Board::isCategory(selected)) {
        CategoryRow& row = board_.category(selected);
        row.buttonChoosable = row.barChoosable = false;
        row.buttonShown = row.barShown = true;
    }
    board_.turnMarker.shown = true;
    // The turn's category as the host recorded it, so a newcomer who goes on
    // with this seat's turn meets the same roll checks as the host applies.
    board_.turnMarker.selectedCategory = selected;
    announceTurn(seat);
    restartTurnClock(); // back in the middle of the own turn
    return HandlerResult::Handled;
}

HandlerResult TableLogic::loadscores(const msg::Decoded<msg::LoadScores>& m)
{
    using Field = msg::LoadScores::Field;
    if (!m.reached(Field::Addressee))
        return HandlerResult::Malformed;
    if (m->addressee != state_.ownSeat)
        return HandlerResult::Ignored;

    for (std::size_t i = 0; i < m->groups.size(); ++i) {
        const msg::ScoreGroup& group = m->groups[i];
        // Scores of 0 and below (-1: not scored yet) show as empty cells.
        for (const auto& [row, value] : group.rows)
            setCell(group.seat, row, value > 0 ? std::to_string(value) : std::string());
        showSnapshotTotal(group);
        if (!m.reached(Field::Groups + static_cast<int>(i)))
            return HandlerResult::Malformed; // stopped inside this group
        if (group.flag != "f" || group.seat < kFirstOptionalSeat || !Board::isSeat(group.seat))
            continue;
        board_.seat(group.seat).notPlaying = true;
        if (group.seat == state_.ownSeat)
            systemLine("The game has started. You will have to wait until the next game to play.");
    }
    if (!m.complete)
        return HandlerResult::Malformed;
    return HandlerResult::Handled;
}

void TableLogic::showSnapshotTotal(const msg::ScoreGroup& group)
{
    // The snapshot's total field is always 0; a playing seat's total is the
    // sum of its scored rows, as the tables that saw them posted show it.
    if (group.flag != "t" || !Board::isSeat(group.seat))
        return;
    long long sum = 0; // rows a hostile host fills with extremes cannot overflow it
    bool scored = false;
    for (const auto& [row, value] : group.rows) {
        if (row >= 1 && row <= kCategoryCount && value != kUnscored) {
            sum += value;
            scored = true;
        }
    }
    if (scored)
        setCell(group.seat, kScoreRows, std::to_string(sum));
    // The own turn in progress offers only what the seat has left open: a
    // category already scored would be refused without an answer.
    if (group.seat == turnSeat_ && group.seat == state_.ownSeat) {
        for (const auto& [row, value] : group.rows) {
            if (!Board::isCategory(row) || value == kUnscored)
                continue;
            offered_[static_cast<std::size_t>(row - 1)] = false;
            CategoryRow& category = board_.category(row);
            if (category.buttonChoosable) {
                category.buttonShown = category.barShown = false;
                category.buttonChoosable = category.barChoosable = false;
            }
        }
    }
}

} // namespace zk
