#include "table/Narration.h"

#include <algorithm>
#include <cstdint>

namespace zk {
namespace {

// At most this many chat lines are read out of one step; a burst (a late
// joiner's arrival, a flood) would otherwise keep the reader talking.
constexpr std::size_t kMostChatLines = 4;
// A step that fills more score columns than this is a snapshot (a late
// joiner's board), not a score being posted.
constexpr int kMostScoredSeats = 2;

std::string seatName(const Board& b, int seat)
{
    return Board::isSeat(seat) ? b.seat(seat).name : std::string();
}

bool rolled(const Board& before, const Board& now)
{
    bool facesChanged = false;
    bool anyFace = false;
    for (int d = 1; d <= kDiceCount; ++d) {
        facesChanged = facesChanged || before.die(d).face != now.die(d).face;
        anyFace = anyFace || now.die(d).face != 0;
    }
    // A roll that threw the same faces still moves the counter; a bonus
    // roll keeps the counter and changes the faces.
    return anyFace && (facesChanged || (now.rollCount != before.rollCount && now.rollCount > 0));
}

bool bonusDice(const Board& b)
{
    return std::any_of(b.dice.begin(), b.dice.end(),
                       [](const Die& d) { return d.picture.body == DieBody::Bonus; });
}

// "Roll 2 of 3: 4 held, 4 held, 3, 6, 4 held." for the own seat,
// "Klot, roll 1 of 3: 5, 2, 5, 5, 1." for another, "Bonus roll: 6 bonus,
// 2, 6 bonus, 6 bonus, 1." in bonus mode.
std::string diceLine(const Board& before, const Board& now, const NarrationContext& context)
{
    const int seat = now.turnMarker.seat;
    // The roll that ends bonus mode shows plain dice again.
    const bool bonus = bonusDice(now) || bonusDice(before);
    std::string line;
    if (bonus)
        line = "Bonus roll: ";
    else
        line = "Roll " + std::to_string(now.rollCount) + " of " + std::to_string(kRollsPerTurn) + ": ";
    if (seat != context.ownSeat && Board::isSeat(seat)) {
        line[0] = static_cast<char>(line[0] - 'A' + 'a');
        line = seatName(now, seat) + ", " + line;
    }
    for (int d = 1; d <= kDiceCount; ++d) {
        const Die& die = now.die(d);
        if (d > 1)
            line += ", ";
        line += die.face == 0 ? std::string("none") : std::to_string(die.face);
        // Dice the roll left alone stay raised: the player held them. In
        // bonus mode the raised ones are those that scored.
        if (bonus && die.bonusMarker)
            line += " bonus";
        else if (!bonus && die.raised && die.face != 0)
            line += " held";
    }
    return line + ".";
}

void narrateScores(const Board& before, const Board& now, std::vector<std::string>& out)
{
    std::vector<std::string> lines;
    int seats = 0;
    for (int s = 1; s <= kSeatCount; ++s) {
        const SeatColumn& a = before.seat(s);
        const SeatColumn& b = now.seat(s);
        bool scored = false;
        for (int row = 1; row <= kCategoryCount; ++row) {
            const std::string& text = b.cell(row).text;
            if (text.empty() || text == a.cell(row).text)
                continue;
            scored = true;
            std::string line = b.name + ", " + std::string(categoryName(row)) + ", " + text + ".";
            if (!b.cell(kTotalRow).text.empty())
                line += " Total " + b.cell(kTotalRow).text + ".";
            lines.push_back(std::move(line));
        }
        seats += scored;
    }
    if (seats <= kMostScoredSeats)
        out.insert(out.end(), lines.begin(), lines.end());
}

void narrateChat(const Board& before, const Board& now, const NarrationContext& context,
                 std::vector<std::string>& out)
{
    const ChatDisplay& a = before.chat;
    const ChatDisplay& b = now.chat;
    // Line numbers count from the last clear; a clear starts them again.
    const std::uint64_t seen = a.clearCount == b.clearCount ? a.dropped + a.lines.size() : 0;
    const std::uint64_t total = b.dropped + b.lines.size();
    std::vector<const ChatLine*> fresh;
    for (std::uint64_t n = std::max(seen, b.dropped); n < total; ++n)
        fresh.push_back(&b.lines[static_cast<std::size_t>(n - b.dropped)]);
    const std::string ownChat = context.ownName + " chats: ";
    std::vector<std::string> lines;
    for (const ChatLine* line : fresh) {
        const bool system = line->colour == kSystemColour;
        // The winner's line is read with the totals; the own words the player
        // has just typed himself.
        if (line->text.empty() || (system && line->text == now.winnerText) ||
            (!context.ownName.empty() && line->text.rfind(ownChat, 0) == 0))
            continue;
        if (system || context.speakChat)
            lines.push_back(line->text);
    }
    if (lines.size() > kMostChatLines)
        lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(kMostChatLines));
    out.insert(out.end(), lines.begin(), lines.end());
}

std::string winnerLine(const Board& now)
{
    std::string line = "Game Over! " + now.winnerText;
    std::string totals;
    for (int s = 1; s <= kSeatCount; ++s) {
        const SeatColumn& column = now.seat(s);
        const std::string& total = column.cell(kTotalRow).text;
        if (column.name == kWaitingName || total.empty())
            continue;
        totals += (totals.empty() ? " Totals: " : ", ") + column.name + " " + total;
    }
    return line + totals + (totals.empty() ? "" : ".");
}

} // namespace

std::string_view categoryName(int category)
{
    static constexpr std::string_view kNames[kCategoryCount] = {"Ones",  "Twos",  "Threes", "Fours",
                                                                "Fives", "Sixes", "Zonkard"};
    return Board::isCategory(category) ? kNames[category - 1] : std::string_view();
}

std::vector<std::string> narrate(const Board& before, const Board& now, const NarrationContext& context)
{
    std::vector<std::string> out;
    if (now.round != before.round && now.round != "Round: 0")
        out.push_back(now.round);

    // The status line carries the turn, the own category's call, bonus mode
    // and its points, and a zonkard. "Game Over!" is read with the winner,
    // and the wait for the host's scores is no news.
    // A seat that plays twice in a row (the others watching) keeps the
    // status line, and its new turn is news all the same.
    const bool newTurn = now.rollCount == 0 && before.rollCount != 0;
    if ((now.status != before.status || newTurn) && now.status != "Game Over!" &&
        now.status != "Posting Scores.. Please Wait.")
        out.push_back(now.status);
    // The own turn's clock: its last seconds are read every five.
    if (now.turnClockLeft != before.turnClockLeft && now.turnClockLeft > 0 && now.turnClockLeft % 5 == 0)
        out.push_back(std::to_string(now.turnClockLeft) + " seconds left.");

    // Another seat's choice shows only on the card.
    const int seat = now.turnMarker.seat;
    const int chosen = now.turnMarker.selectedCategory;
    if (now.turnMarker.shown && chosen != before.turnMarker.selectedCategory && Board::isCategory(chosen) &&
        seat != context.ownSeat && Board::isSeat(seat))
        out.push_back(seatName(now, seat) + " chose " + std::string(categoryName(chosen)) + ".");

    if (rolled(before, now)) {
        out.push_back(diceLine(before, now, context));
    } else {
        for (int d = 1; d <= kDiceCount; ++d) {
            const Die& a = before.die(d);
            const Die& b = now.die(d);
            if (a.held != b.held && a.face == b.face && b.face != 0 && d != context.focusedDie)
                out.push_back("Die " + std::to_string(d) + (b.held ? " held." : " released."));
        }
    }

    narrateScores(before, now, out);

    if (now.rollPromptShown && !before.rollPromptShown && !context.promptsFocused)
        out.push_back(std::string(kPromptQuestion) + " " + std::string(kPromptText) +
                      " Y for yes, N for no.");
    if (now.thirdRollPromptShown && !before.thirdRollPromptShown && !context.promptsFocused)
        out.push_back(std::string(kPromptThirdRoll) + " Enter for OK.");
    if (now.winnerPanelShown && !before.winnerPanelShown)
        out.push_back(winnerLine(now));

    narrateChat(before, now, context, out);
    return out;
}

} // namespace zk
