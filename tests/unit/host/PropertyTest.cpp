// Many seeded games with scripted human seats that also misbehave (wrong
// seats, bad categories, odd die lists, leaving, coming back, just watching)
// and computer players. A model of the table follows every message the host
// sends and checks it against the rules: the scores equal what the reported
// dice give, the totals are the sums of the rows, the offered categories are
// the open ones, every playing seat fills each category once, and the winner
// list names the best totals in order. A late joiner's snapshot must match
// the model too.
#include "EngineTestUtil.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace zk::test {
namespace {

// How often the games met the situations worth checking, so that a change
// that quietly stops them from happening is noticed.
struct Seen {
    int zonkards = 0;
    int bonusModes = 0;
    int bonusLimitEnds = 0;
    int droppedTurns = 0;
    int snapshots = 0;
    int forcedCategories = 0;
};

bool isGameCommand(std::string_view name)
{
    static const std::set<std::string_view> names = {
        msg::StartGame::command,  msg::NextPlayer::command,        msg::SelectedCat::command,
        msg::CreateDice::command, msg::Zonkard::command,           msg::PostScores::command,
        msg::BonusTime::command,  msg::GotBonus::command,          msg::BonusEnd::command,
        msg::Winner::command,     msg::PlayerDisconnected::command};
    return names.count(name) != 0;
}

// What a table would know, rebuilt from the host's broadcasts.
class TableModel {
public:
    std::vector<std::string> errors;
    bool finished = false;
    int games = 0;
    Seen* seen = nullptr;

    void apply(const std::string& text)
    {
        const CommandSplit split = splitCommand(text);
        const std::string_view name = split.name;
        const std::string_view args = split.args;
        if (name == msg::StartGame::command) {
            limit_ = parseDecimal(msg::decode<msg::StartGame>(args)->limit).value_or(-999);
            Seen* keep = seen;
            *this = TableModel{errors, limit_, games + 1};
            seen = keep;
            return;
        }
        if (name == msg::PlayerDisconnected::command) {
            const int slot = msg::decode<msg::PlayerDisconnected>(args)->slot;
            if (slot == seat_ && turnOpen_ && slot >= 3 && slot <= 6)
                droppedNow_ = slot; // its turn is dropped and it leaves the game
            return;
        }
        if (name == msg::NextPlayer::command) {
            const auto m = msg::decode<msg::NextPlayer>(args);
            check(m.complete, "nextplayer fields", text);
            const int s = m->seat;
            const int round = parseDecimal(m->round).value_or(-999);
            check(s >= 1 && s <= 6, "nextplayer seat", text);
            if (s < 1 || s > 6)
                return;
            if (turnOpen_) {
                check(droppedNow_ == seat_, "nextplayer while a turn is open", text);
                dropped_.insert(seat_);
                ++seen->droppedTurns;
            }
            check(!dropped_.count(s), "turn for a seat that left the game", text);
            check(round == (s <= seat_ ? round_ + 1 : round_) || (seat_ == 0 && round == 1), "round count",
                  text);
            check(round >= 1 && round <= 7, "round range", text);
            round_ = round;
            seat_ = s;
            played_.insert(s);
            const msg::NextPlayer expected{s, m->round, offeredCategories(rows_[s], round)};
            check(text == msg::text(expected), "offered categories (\"0\" for none)", text);
            dice_ = {};
            rolls_ = 0;
            category_ = 0;
            turnOpen_ = true;
            droppedNow_ = 0;
            return;
        }
        if (name == msg::SelectedCat::command) {
            const auto m = msg::decode<msg::SelectedCat>(args);
            const int s = m->seat;
            const int cat = m->category;
            check(s == seat_, "selectedcat seat", text);
            check(cat >= 1 && cat <= 7 && rows_[s][static_cast<std::size_t>(cat - 1)] == -1,
                  "selected category must be open", text);
            check(category_ == 0 || rolls_ == 0, "category chosen twice", text);
            seen->forcedCategories += rolls_ == 0 && category_ != 0;
            category_ = cat;
            return;
        }
        if (name == msg::CreateDice::command) {
            const auto m = msg::decode<msg::CreateDice>(args);
            check(m.complete, "createdice fields", text);
            const int s = m->seat;
            const int rolls = m->rolls;
            const auto& pairs = m->dice;
            check(s == seat_ && turnOpen_, "createdice outside the turn", text);
            check(rolls == rolls_ + 1 && rolls <= 3, "roll count", text);
            if (rolls == 1) {
                check(pairs.size() == 5, "first roll has five dice", text);
                for (std::size_t i = 0; i < pairs.size() && i < 5; ++i) {
                    check(pairs[i].die == static_cast<int>(i) + 1, "first roll in die order", text);
                    face(pairs[i]);
                }
                if (rows_[s][6] == -1)
                    check(!isStraight(dice_), "a straight on the first roll is a zonkard", text);
            } else {
                for (const DiePair& p : pairs) {
                    check(p.die >= 1 && p.die <= 5, "die number", text);
                    if (p.die >= 1 && p.die <= 5)
                        check(dice_[static_cast<std::size_t>(p.die - 1)] != p.face,
                              "a re-rolled die changes its face", text);
                    face(p);
                }
            }
            if (rolls == 3)
                check(category_ >= 1, "third roll without a category", text);
            rolls_ = rolls;
            return;
        }
        if (name == msg::Zonkard::command) {
            const auto m = msg::decode<msg::Zonkard>(args);
            check(m.complete, "zonkard fields", text);
            const int s = m->seat, total = m->total.value(), points = m->points.value(), three = m->rolls;
            const auto& pairs = m->dice;
            check(s == seat_ && rolls_ == 0 && turnOpen_, "zonkard on the first roll", text);
            for (const DiePair& p : pairs)
                face(p);
            check(pairs.size() == 5 && isStraight(dice_), "zonkard dice are a straight", text);
            check(three == 3, "zonkard rolls", text);
            check(points == zonkardPoints(dice_), "zonkard points", text);
            file(s, 7, points, total, text);
            rolls_ = 3;
            turnOpen_ = false;
            ++seen->zonkards;
            return;
        }
        if (name == msg::PostScores::command || name == msg::BonusTime::command) {
            const auto m = msg::decode<msg::ScoreReport>(args);
            check(m.complete, "score fields", text);
            const int s = m->seat, total = m->total.value(), points = m->points.value(), cat = m->category;
            check(s == seat_ && rolls_ == 3 && turnOpen_, "score after the third roll", text);
            check(cat == category_, "scored in the chosen category", text);
            if (cat < 1 || cat > 7)
                return;
            check(points == pointsAfterThirdRoll(cat, dice_), "points from the dice", text);
            const bool five = cat <= 6 && points == 5 * cat;
            check(five == (name == msg::BonusTime::command), "bonus mode exactly on five of a kind", text);
            file(s, cat, points, total, text);
            turnOpen_ = false;
            inBonus_ = name == msg::BonusTime::command;
            bonusCount_ = 0;
            seen->bonusModes += inBonus_;
            return;
        }
        if (name == msg::GotBonus::command) {
            const auto m = msg::decode<msg::GotBonus>(args);
            check(m.complete, "gotbonus fields", text);
            const int s = m->seat, total = m->total.value(), points = m->points.value(), cat = m->category,
                      score = m->categoryScore.value();
            const auto& pairs = m->dice;
            check(inBonus_ && s == seat_ && cat == category_, "gotbonus in bonus mode", text);
            check(limit_ <= 0 || bonusCount_ < limit_, "bonus limit", text);
            for (const DiePair& p : pairs)
                face(p);
            check(pairs.size() == 5 && points == bonusPoints(cat, dice_) && points > 0,
                  "bonus points from the dice", text);
            if (cat < 1 || cat > 6)
                return;
            auto& row = rows_[s][static_cast<std::size_t>(cat - 1)];
            check(score == row + points, "bonus adds to the row", text);
            row += points;
            totals_[s] += points;
            check(total == totals_[s], "bonus total", text);
            ++bonusCount_;
            return;
        }
        if (name == msg::BonusEnd::command) {
            const auto m = msg::decode<msg::BonusEnd>(args);
            check(m.complete, "bonusend fields", text);
            const int s = m->seat;
            const auto& pairs = m->dice;
            check(inBonus_ && s == seat_, "bonusend in bonus mode", text);
            if (pairs.empty()) {
                check(limit_ > 0 && bonusCount_ == limit_, "empty bonus end only at the limit", text);
                ++seen->bonusLimitEnds;
            } else {
                for (const DiePair& p : pairs)
                    face(p);
                check(bonusPoints(category_, dice_) == 0, "bonus ends on a roll without the category", text);
                check(limit_ <= 0 || bonusCount_ < limit_, "bonus limit", text);
            }
            inBonus_ = false;
            return;
        }
        if (name == msg::Winner::command) {
            check(!turnOpen_ && !inBonus_, "winner during a turn", text);
            check(round_ == 7, "winner after round 7", text);
            SeatTotals totals{};
            for (int s = 1; s <= 6; ++s)
                totals[static_cast<std::size_t>(s - 1)] = totals_[s];
            check(text == msg::text(msg::Winner{winningSeats(totals)}), "winner list and its closing 0",
                  text);
            for (int s : played_) {
                if (dropped_.count(s))
                    continue;
                for (int r = 1; r <= 7; ++r)
                    check(rows_[s][static_cast<std::size_t>(r - 1)] != -1, "every category filled", text);
            }
            finished = true;
        }
    }

    // A late joiner's snapshot against the model.
    void checkSnapshot(const std::string& stats, const std::string& scores)
    {
        ++seen->snapshots;
        const auto st = msg::decode<msg::LoadStats>(splitCommand(stats).args);
        check(st.complete, "snapshot fields", stats);
        check(st->seat == seat_, "snapshot seat", stats);
        check(st->limit.value() == limit_, "snapshot limit", stats);
        check(st->rolls == rolls_, "snapshot rolls", stats);
        check(st->round.value() == round_, "snapshot round", stats);
        check(st->category == category_, "snapshot category", stats);
        const auto& pairs = st->dice;
        Faces faces{};
        for (const DiePair& p : pairs) {
            if (p.die >= 1 && p.die <= 5)
                faces[static_cast<std::size_t>(p.die - 1)] = p.face;
        }
        check(faces == dice_, "snapshot dice", stats);
        const auto sc = msg::decode<msg::LoadScores>(splitCommand(scores).args);
        check(sc.complete && sc->groups.size() == 6, "six score groups", scores);
        for (const msg::ScoreGroup& group : sc->groups) {
            if (group.seat < 1 || group.seat > 6 || group.rows.size() != 8)
                continue;
            for (const auto& [row, value] : group.rows) {
                const int want = row == 8 ? 0 : rows_[group.seat][static_cast<std::size_t>(row - 1)];
                check(value == want, "snapshot row", scores);
            }
        }
    }

private:
    TableModel(std::vector<std::string> e, int limit, int g) : errors(std::move(e)), games(g), limit_(limit)
    {
        for (auto& r : rows_)
            r = {-1, -1, -1, -1, -1, -1, -1, 0};
    }

public:
    TableModel()
    {
        for (auto& r : rows_)
            r = {-1, -1, -1, -1, -1, -1, -1, 0};
    }

private:
    void check(bool ok, const char* what, const std::string& text)
    {
        if (!ok && errors.size() < 20)
            errors.push_back(std::string(what) + ": " + text);
    }
    void face(const DiePair& p)
    {
        check(p.face >= 1 && p.face <= 6, "face range", std::to_string(p.face));
        if (p.die >= 1 && p.die <= 5)
            dice_[static_cast<std::size_t>(p.die - 1)] = p.face;
    }
    void file(int s, int cat, int points, int total, const std::string& text)
    {
        auto& row = rows_[s][static_cast<std::size_t>(cat - 1)];
        check(row == -1, "a category is filled once", text);
        row = points;
        totals_[s] += points;
        check(total == totals_[s], "total is the sum of the rows", text);
        int sum = 0;
        for (int r = 0; r < 8; ++r)
            sum += std::max(0, rows_[s][static_cast<std::size_t>(r)]);
        check(sum == totals_[s], "rows add up to the total", text);
    }

    int limit_ = 0;
    int round_ = 0;
    int seat_ = 0;
    int rolls_ = 0;
    int category_ = 0;
    bool turnOpen_ = false;
    bool inBonus_ = false;
    int bonusCount_ = 0;
    int droppedNow_ = 0;
    Faces dice_{};
    std::array<ScoreRows, 7> rows_{};
    std::array<int, 7> totals_{};
    std::set<int> played_;
    std::set<int> dropped_;
};

// One seeded game; returns the model's complaints.
std::vector<std::string> playSeededGame(std::uint64_t seed, int* messages, Seen* seen)
{
    std::mt19937_64 rng(seed);
    auto chance = [&](int percent) { return static_cast<int>(rng() % 100) < percent; };
    auto pick = [&](int lo, int hi) {
        return lo + static_cast<int>(rng() % static_cast<std::uint64_t>(hi - lo + 1));
    };

    HostHarness h(pick(1, 1000));
    h.dice.reseed(seed * 7919 + 1);
    TableModel model;
    model.seen = seen;
    int lastSlot = 0;
    std::string lastText;
    std::string pendingStats;
    h.onSend = [&](const SentMessage& m) {
        const std::string_view name = splitCommand(m.text).name;
        if (name == msg::LoadStats::command) {
            pendingStats = m.text;
        } else if (name == msg::LoadScores::command) {
            model.checkSnapshot(pendingStats, m.text);
        } else if (isGameCommand(name)) {
            if (m.slot <= lastSlot || m.text != lastText)
                model.apply(m.text); // one broadcast reaches ascending slots
            lastSlot = m.slot;
            lastText = m.text;
            return;
        }
        lastSlot = 0;
        lastText.clear();
    };

    const int humans = pick(1, 7);
    for (int i = 0; i < humans; ++i)
        h.login("P" + std::to_string(i + 1));
    h.say(1, "CMD_startgame+P1+" + std::to_string(pick(0, 3)) + "+");

    int guard = 0;
    int actionsThisTurn = 0;
    int lastTurnKey = -1;
    while (h.engine.gameStarted() && ++guard < 200000) {
        // Now and then someone leaves, or a newcomer takes a free slot.
        // (The last one stays, so that the model hears every broadcast.)
        if (chance(1)) {
            const int slot = pick(1, 9);
            int present = 0;
            for (int s = 1; s <= kMaxConnections; ++s)
                present += h.engine.player(s).connected;
            if (h.engine.player(slot).connected && present > 1)
                h.vanish(slot);
        }
        if (chance(1))
            h.login("N" + std::to_string(guard));
        if (chance(1))
            h.say(pick(1, 6),
                  "CMD_justwatch+" + std::to_string(pick(1, 6)) + "+" + std::to_string(pick(1, 2)));

        const int cur = h.engine.currentPlayer();
        const tplayer& p = h.engine.player(cur);
        const bool humanTurn = p.turnactive && !h.engine.computerPlayed(cur);
        if (!humanTurn || chance(10)) {
            if (!h.tick() && !humanTurn)
                break; // nothing can move: a stalled game
            continue;
        }
        const int turnKey = h.engine.round() * 10 + cur;
        if (turnKey != lastTurnKey) {
            lastTurnKey = turnKey;
            actionsThisTurn = 0;
        }
        ++actionsThisTurn;
        const std::string seat = std::to_string(cur);
        if (actionsThisTurn > 30) {
            // Enough mischief: finish the turn properly.
            if (p.category == 0)
                h.say(cur, select(cur, computerCategory(p.scores, h.engine.dice())));
            h.say(cur, roll(cur, "1+2+3+4+5"));
            continue;
        }
        switch (pick(0, 9)) {
        case 0: h.say(cur, select(cur, pick(-1, 8))); break;
        case 1: h.say(cur, roll(cur, "0")); break;
        case 2: h.say(cur, roll(cur, std::to_string(pick(0, 7)) + "+" + std::to_string(pick(1, 5)))); break;
        case 3: h.say(cur, roll(cur, "3+3+9+x")); break;
        case 4: h.say(pick(1, 9), roll(pick(1, 6), "1+2")); break; // someone else's seat
        case 5: h.say(cur, "CMD_chat+" + seat + "+hi|clBlack"); break;
        default: {
            std::string dice;
            for (int d = 1; d <= 5; ++d) {
                if (chance(50))
                    dice += (dice.empty() ? "" : "+") + std::to_string(d);
            }
            if (p.rolls == 2 && p.category == 0)
                h.say(cur, select(cur, computerCategory(p.scores, h.engine.dice())));
            h.say(cur, roll(cur, dice.empty() ? "0" : dice));
        }
        }
    }
    std::vector<std::string> errors = model.errors;
    if (!model.finished) {
        const int cur = h.engine.currentPlayer();
        const tplayer& p = h.engine.player(cur);
        std::ostringstream why;
        why << "game " << seed << " did not reach CMD_winner: seat " << cur << " round " << h.engine.round()
            << " rolls " << p.rolls << " category " << p.category
            << (p.turnactive ? " in turn" : " between turns") << (p.connected ? " connected" : "")
            << (p.watching ? " watching" : "") << (h.engine.timer1().enabled ? " timer" : " no timer")
            << " tag " << h.engine.timer1().tag << " after " << guard << " steps; last: ";
        for (std::size_t i = h.log.size() > 8 ? h.log.size() - 8 : 0; i < h.log.size(); ++i)
            why << h.log[i].slot << ":" << h.log[i].text << "  ";
        errors.push_back(why.str());
    }
    if (h.deadSends)
        errors.push_back("sent on a slot without a live connection");
    if (h.badFrames)
        errors.push_back("a message that is not one whole frame");
    *messages += static_cast<int>(h.log.size());
    return errors;
}

TEST(SeededGames, EveryMessageKeepsTheRules)
{
    int messages = 0;
    Seen seen;
    for (std::uint64_t seed = 1; seed <= 300; ++seed) {
        const auto errors = playSeededGame(seed, &messages, &seen);
        std::ostringstream all;
        for (const auto& e : errors)
            all << "  " << e << "\n";
        ASSERT_TRUE(errors.empty()) << "seed " << seed << ":\n" << all.str();
    }
    EXPECT_GT(messages, 300 * 50);
    EXPECT_GT(seen.zonkards, 10);
    EXPECT_GT(seen.bonusModes, 10);
    EXPECT_GT(seen.bonusLimitEnds, 0);
    EXPECT_GT(seen.droppedTurns, 0);
    EXPECT_GT(seen.snapshots, 10);
    EXPECT_GT(seen.forcedCategories, 0);
    std::printf("seen: %d zonkards, %d bonus modes (%d ended at the limit), %d dropped turns, "
                "%d snapshots, %d categories forced over a choice\n",
                seen.zonkards, seen.bonusModes, seen.bonusLimitEnds, seen.droppedTurns, seen.snapshots,
                seen.forcedCategories);
}

} // namespace
} // namespace zk::test
