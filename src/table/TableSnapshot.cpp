// The snapshot a table receives when it arrives during a game: the turn in
// progress (loadstats) and the score card (loadscores).
#include "TableLogic.h"

namespace zk {

HandlerResult TableLogic::loadstats(std::string_view payload)
{
    FieldReader r(payload);
    const auto addressee = r.number();
    if (!addressee)
        return HandlerResult::Malformed;
    if (*addressee != state_.ownSeat)
        return HandlerResult::Ignored;

    const auto seat = r.number();
    if (!seat)
        return HandlerResult::Malformed;
    state_.currentSeat = *seat;
    turnSeat_ = *seat;
    offered_.fill(true);
    // A player who joins during a game sees no Start button, as the hosting
    // table sees none while a game runs.
    board_.startButtonShown = false;
    const std::string_view limit = r.text();
    if (!parseDecimal(limit))
        return HandlerResult::Malformed;
    board_.bonusCaption = bonusLimitCaption(limit);
    const auto rolls = r.number();
    if (!rolls)
        return HandlerResult::Malformed;
    board_.rollCount = *rolls;
    const std::string_view round = r.text();
    if (!parseDecimal(round))
        return HandlerResult::Malformed;
    board_.round = "Round: " + std::string(round);
    const auto selected = r.number();
    if (!selected)
        return HandlerResult::Malformed;

    // The turn highlight with every category offered; the chosen-category
    // markers stay as they are.
    placeTurnColumn(*seat, true);
    for (int c = 1; c <= kCategoryCount; ++c)
        offerCategory(*seat, c);

    // The dice as the host last recorded them, all lowered; a die not rolled
    // yet this turn shows a 1. No tumbling, no bonus marker.
    const auto pairs = readDiePairs(r);
    for (const DiePair& pair : pairs.items) {
        // Face 0 is a die not rolled yet; any other face no die has.
        if (!Board::isDie(pair.die) || (pair.face != 0 && !Board::isFace(pair.face)))
            continue;
        Die& die = board_.die(pair.die);
        die.face = pair.face == 0 ? 1 : pair.face;
        die.held = false;
        die.raised = false;
        drawDie(die, DieBody::Plain);
    }
    if (pairs.malformed)
        return HandlerResult::Malformed;

    if (Board::isCategory(*selected)) {
        CategoryRow& row = board_.category(*selected);
        row.buttonFlag = row.barFlag = "f";
        row.buttonShown = row.barShown = true;
    }
    board_.turnMarker.shown = true;
    // The turn's category as the host recorded it, so a newcomer who goes on
    // with this seat's turn meets the same roll checks as the host applies.
    board_.turnMarker.selectedCategory = *selected;
    announceTurn(*seat);
    return HandlerResult::Handled;
}

HandlerResult TableLogic::loadscores(std::string_view payload)
{
    FieldReader r(payload);
    const auto addressee = r.number();
    if (!addressee)
        return HandlerResult::Malformed;
    if (*addressee != state_.ownSeat)
        return HandlerResult::Ignored;

    // One group per "+": seat, flag, then row and value pairs.
    while (!r.atEnd()) {
        FieldReader groupReader(r.text());
        const auto read = readScoreGroups(groupReader);
        for (const ScoreGroup& group : read.items) {
            // Scores of 0 and below (-1: not scored yet) show as empty cells.
            for (const auto& [row, value] : group.rows)
                setCell(group.seat, row, value > 0 ? std::to_string(value) : std::string());
            showSnapshotTotal(group);
        }
        if (read.malformed)
            return HandlerResult::Malformed; // stopped inside this group
        for (const ScoreGroup& group : read.items) {
            if (group.flag != "f" || group.seat < 3 || !Board::isSeat(group.seat))
                continue;
            board_.seat(group.seat).notPlaying = true;
            if (group.seat == state_.ownSeat)
                systemLine("The game has started. You will have to wait until the next game to play.");
        }
    }
    return HandlerResult::Handled;
}

void TableLogic::showSnapshotTotal(const ScoreGroup& group)
{
    // The snapshot's total field is always 0; a playing seat's total is the
    // sum of its scored rows, as the tables that saw them posted show it.
    if (group.flag != "t" || !Board::isSeat(group.seat))
        return;
    int sum = 0;
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
            if (category.buttonFlag == "t") {
                category.buttonShown = category.barShown = false;
                category.buttonFlag = category.barFlag = "f";
            }
        }
    }
}

} // namespace zk
