// The score card: the turn highlight, choosing a category, the host's
// choice, the refused third roll and posted scores.
#include "table/TableLogic.h"

namespace zk {

namespace {

// The status line the player on turn reads after his choice.
std::string_view choiceStatus(int category)
{
    static constexpr std::string_view kTexts[kCategoryCount] = {
        "Keep your ONES", "Select all TWOS", "Looking for THREES", "Roll those FOURS",
        "Get some FIVES", "Grab all Sixes",  "Make a STRAIGHT",
    };
    return kTexts[category - 1];
}

} // namespace

void TableLogic::placeTurnColumn(int seat, bool keepChosenMarkers)
{
    if (Board::isSeat(seat))
        board_.turnMarker.seat = seat;
    // Only the column that was black turns grey; on a cleared board every
    // column is black, so the first turn of a game greys them all.
    for (SeatColumn& column : board_.seats) {
        if (column.cell(1).colour != CellColour::Black)
            continue;
        for (ScoreCell& cell : column.cells) {
            cell.colour = CellColour::Grey;
            cell.bold = false;
        }
    }
    for (CategoryRow& row : board_.categories) {
        const bool chosen = row.chosenMarker;
        row = CategoryRow{};
        if (keepChosenMarkers)
            row.chosenMarker = chosen;
    }
    if (Board::isSeat(seat)) {
        for (ScoreCell& cell : board_.seat(seat).cells) {
            cell.colour = CellColour::Black;
            cell.bold = true;
        }
    }
}

void TableLogic::offerCategory(int seat, int category)
{
    if (!Board::isCategory(category))
        return; // "0" offers nothing
    CategoryRow& row = board_.category(category);
    row.barSeat = Board::isSeat(seat) ? seat : 0;
    row.buttonShown = row.barShown = true;
    row.buttonChoosable = row.barChoosable = true;
}

void TableLogic::choose(int category)
{
    if (!state_.loggedIn || !Board::isCategory(category))
        return;
    if (!onTurn()) {
        // The player's own roll is on its way: the host takes no choice
        // before it has rolled, so the click waits for the new dice.
        if (rollInFlight_ && turnSeat_ == state_.ownSeat && !board_.menu.justWatchChecked)
            pendingCategory_ = category;
        return;
    }
    if (!send(msg::SelectCat{state_.ownSeat, category}))
        return;
    restartTurnClock();
    state_.currentSeat = 0; // no further clicks, rolls or holds until the host answers
}

void TableLogic::categoryButtonClick(int category)
{
    if (Board::isCategory(category)) {
        const CategoryRow& row = board_.category(category);
        if (row.buttonShown && row.buttonChoosable)
            choose(category);
    }
}

void TableLogic::categoryBarClick(int category)
{
    if (Board::isCategory(category)) {
        const CategoryRow& row = board_.category(category);
        if (row.barShown && row.barChoosable)
            choose(category);
    }
}

HandlerResult TableLogic::selectedcat(const msg::Decoded<msg::SelectedCat>& m)
{
    if (!m.reached(msg::SelectedCat::Seat))
        return HandlerResult::Malformed;
    const int seat = m->seat;
    state_.currentSeat = seat;
    if (!m.complete)
        return HandlerResult::Malformed;
    const int category = m->category;
    board_.turnMarker.selectedCategory = category;
    for (int c = 1; c <= kCategoryCount; ++c) {
        CategoryRow& row = board_.category(c);
        row.buttonChoosable = row.barChoosable = false;
        // The bar keeps the width the turn highlight gave it. A choice the
        // host makes over the player's replaces the shown one, marker too.
        row.buttonShown = row.barShown = row.chosenMarker = c == category;
    }
    eventSound("select");
    if (seat == state_.ownSeat && !board_.menu.justWatchChecked && Board::isCategory(category))
        board_.status = std::string(choiceStatus(category));
    // A roll clicked while this choice was on its way sent nothing and hid
    // the button; with the choice confirmed the player rolls again.
    if (rollWithheld_ && seat == state_.ownSeat && ownTurnOpen()) {
        board_.rollButtonShown = true;
        rollWithheld_ = false;
    }
    return HandlerResult::Handled;
}

HandlerResult TableLogic::needcat(const msg::Decoded<msg::NeedCat>& m)
{
    if (!m.complete)
        return HandlerResult::Malformed;
    if (m->seat != state_.ownSeat)
        return HandlerResult::Ignored;
    board_.thirdRollPromptShown = true;
    state_.currentSeat = m->seat;
    board_.rollButtonShown = true;
    eventSound("error");
    return HandlerResult::Handled;
}

HandlerResult TableLogic::postscore(const msg::Decoded<msg::ScoreReport>& m)
{
    board_.dicetimerRunning = false;
    if (!m.complete)
        return HandlerResult::Malformed;
    if (m->seat == state_.ownSeat)
        stopTurnClock(); // the turn is over
    // The cells show the fields exactly as the host wrote them.
    setCell(m->seat, kScoreRows, m->total.text);
    setCell(m->seat, m->category, m->points.text);
    eventSound(m->points.value() <= 0 ? "nopoints" : "gotpoints");
    return HandlerResult::Handled;
}

} // namespace zk
