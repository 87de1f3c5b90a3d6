#include "protocol/Messages.h"

namespace zk::msg {

namespace {

// Reads fields in order and counts the ones read whole; after a bad one,
// every later read is skipped.
class Fields {
public:
    explicit Fields(FieldReader& r) : r_(r) {}

    void number(int& out)
    {
        if (bad_)
            return;
        const auto v = r_.number();
        if (!v) {
            bad_ = true;
            return;
        }
        out = *v;
        ++count_;
    }
    void text(std::string& out)
    {
        if (bad_)
            return;
        out = std::string(r_.text());
        ++count_;
    }
    void decimal(Decimal& out)
    {
        if (bad_)
            return;
        out.text = std::string(r_.text());
        if (!parseDecimal(out.text)) {
            bad_ = true;
            return;
        }
        ++count_;
    }
    void rest(std::string& out)
    {
        if (bad_)
            return;
        out = std::string(r_.rest());
        ++count_;
    }
    // Numbers to the end of the message; with dropZeros the 0s are not kept.
    void numbers(std::vector<int>& out, bool dropZeros)
    {
        if (bad_)
            return;
        while (!r_.atEnd()) {
            const auto n = r_.number();
            if (!n) {
                bad_ = true;
                return;
            }
            if (*n != 0 || !dropZeros)
                out.push_back(*n);
        }
        ++count_;
    }
    // Die pairs to the end of the message; a pair naming die 0 is not kept.
    void pairs(std::vector<DiePair>& out)
    {
        if (bad_)
            return;
        while (!r_.atEnd()) {
            const auto die = r_.number();
            const auto face = die ? r_.number() : std::nullopt;
            if (!face) {
                bad_ = true;
                return;
            }
            if (*die != 0)
                out.push_back({*die, *face});
        }
        ++count_;
    }
    // One CMD_loadscores group per "+" piece; an empty piece carries nothing.
    void scoreGroups(std::vector<ScoreGroup>& out)
    {
        while (!bad_ && !r_.atEnd()) {
            const std::string_view piece = r_.text();
            if (piece.empty())
                continue;
            std::vector<std::string_view> parts;
            for (std::size_t start = 0;;) {
                const auto star = piece.find('*', start);
                parts.push_back(piece.substr(start, star == std::string_view::npos ? star : star - start));
                if (star == std::string_view::npos)
                    break;
                start = star + 1;
            }
            const auto seat = parseDecimal(parts[0]);
            if (!seat) {
                bad_ = true;
                return;
            }
            ScoreGroup g;
            g.seat = *seat;
            if (parts.size() > 1)
                g.flag = std::string(parts[1]);
            for (std::size_t i = 2; i + 1 < parts.size(); i += 2) {
                const auto row = parseDecimal(parts[i]);
                const auto value = parseDecimal(parts[i + 1]);
                if (!row || !value) {
                    bad_ = true;
                    break;
                }
                g.rows.emplace_back(*row, *value);
            }
            // A row number without its value cuts the group short too.
            if (parts.size() > 2 && parts.size() % 2 != 0)
                bad_ = true;
            out.push_back(std::move(g));
            if (!bad_)
                ++count_;
        }
    }

    int finish(bool& complete) const
    {
        complete = !bad_;
        return count_;
    }

private:
    FieldReader& r_;
    int count_ = 0;
    bool bad_ = false;
};

void writePairs(MessageWriter& w, const std::vector<DiePair>& pairs)
{
    if (pairs.empty()) {
        w.field(0).field(0);
        return;
    }
    for (const DiePair& p : pairs)
        w.field(p.die).field(p.face);
}

// "+n" for every number, or "+0" for none.
void writeNumbers(MessageWriter& w, const std::vector<int>& numbers)
{
    if (numbers.empty())
        w.field(0);
    for (int n : numbers)
        w.field(n);
}

} // namespace

std::string ColouredText::format() const
{
    return text + "|" + colourToText(colour);
}

std::pair<std::string_view, std::optional<ColourValue>> ColouredText::parse(std::string_view line)
{
    const auto bar = line.find('|');
    if (bar == std::string_view::npos)
        return {line, std::nullopt};
    return {line.substr(0, bar), colourFromText(line.substr(bar + 1))};
}

ScoreGroup ScoreGroup::of(int seat, bool playing, const std::array<int, kScoreRows>& rows)
{
    ScoreGroup g{seat, playing ? "t" : "f", {}};
    for (int r = 1; r <= kScoreRows; ++r)
        g.rows.emplace_back(r, rows[static_cast<std::size_t>(r - 1)]);
    return g;
}

// --- Writing -------------------------------------------------------------------

void writeFields(MessageWriter& w, const LoginInfo& m)
{
    w.field(m.slot).field(m.version).rawField(m.name);
}
void writeFields(MessageWriter& w, const KickHim& m)
{
    w.field(m.sender).field(m.target).separator();
}
void writeFields(MessageWriter& w, const SlotLine& m)
{
    w.field(m.slot).field(m.line);
}
void writeFields(MessageWriter& w, const StartGame& m)
{
    w.field(m.starter).field(m.limit).separator();
}
void writeFields(MessageWriter& w, const JustWatch& m)
{
    w.field(m.seat).field(m.mode == JustWatch::Mode::Watch  ? "1"
                          : m.mode == JustWatch::Mode::Play ? "2"
                                                            : "");
}
void writeFields(MessageWriter& w, const RollTheDice& m)
{
    w.field(m.seat);
    writeNumbers(w, m.dice);
}
void writeFields(MessageWriter& w, const SelectCat& m)
{
    w.field(m.seat).field(m.category).separator();
}
void writeFields(MessageWriter& w, const PlayASound& m)
{
    w.field(m.slot).field(m.sound);
}
void writeFields(MessageWriter& w, const SendLoginInfo& m)
{
    w.field(m.slot);
}
void writeFields(MessageWriter& w, const Full&)
{
    w.separator();
}
void writeFields(MessageWriter& w, const SlotName& m)
{
    w.field(m.slot).field(m.name);
}
void writeFields(MessageWriter& w, const HaveWrongVersion& m)
{
    w.field(m.name);
}
void writeFields(MessageWriter& w, const WrongVersion&)
{
    w.separator();
}
void writeFields(MessageWriter& w, const LoadStats& m)
{
    w.field(m.addressee)
        .field(m.seat)
        .field(m.limit.text)
        .field(m.rolls)
        .field(m.round.text)
        .field(m.category);
    writePairs(w, m.dice);
}
void writeFields(MessageWriter& w, const LoadScores& m)
{
    w.field(m.addressee);
    for (const ScoreGroup& g : m.groups) {
        std::string group = std::to_string(g.seat);
        group += '*';
        group += g.flag;
        for (const auto& [row, value] : g.rows) {
            group += '*';
            group += std::to_string(row);
            group += '*';
            group += std::to_string(value);
        }
        w.field(group);
    }
}
void writeFields(MessageWriter& w, const JustWatching& m)
{
    w.field(m.seat).field(m.watching ? 1 : 2);
}
void writeFields(MessageWriter& w, const NextPlayer& m)
{
    w.field(m.seat).field(m.round);
    writeNumbers(w, m.categories);
}
void writeFields(MessageWriter& w, const SelectedCat& m)
{
    w.field(m.seat).field(m.category).separator();
}
void writeFields(MessageWriter& w, const NeedCat& m)
{
    w.field(m.seat).separator();
}
void writeFields(MessageWriter& w, const CreateDice& m)
{
    w.field(m.seat).field(m.rolls);
    writePairs(w, m.dice);
}
void writeFields(MessageWriter& w, const Zonkard& m)
{
    w.field(m.seat).field(m.total.text).field(m.points.text).field(m.rolls);
    writePairs(w, m.dice);
}
void writeFields(MessageWriter& w, const ScoreReport& m)
{
    w.field(m.seat).field(m.total.text).field(m.points.text).field(m.category).separator();
}
void writeFields(MessageWriter& w, const GotBonus& m)
{
    w.field(m.seat).field(m.total.text).field(m.points.text).field(m.category).field(m.categoryScore.text);
    writePairs(w, m.dice);
}
void writeFields(MessageWriter& w, const BonusEnd& m)
{
    w.field(m.seat);
    writePairs(w, m.dice);
}
void writeFields(MessageWriter& w, const Winner& m)
{
    for (int seat : m.seats)
        w.field(seat);
    w.field(0).separator();
}
void writeFields(MessageWriter& w, const RelayedLine& m)
{
    w.field(m.line);
}

// --- Reading -------------------------------------------------------------------

int readFields(FieldReader& r, LoginInfo& m, bool& complete)
{
    Fields f(r);
    f.text(m.slot);
    f.text(m.version);
    f.rest(m.name);
    return f.finish(complete);
}
int readFields(FieldReader& r, KickHim& m, bool& complete)
{
    Fields f(r);
    f.number(m.sender);
    f.number(m.target);
    return f.finish(complete);
}
int readFields(FieldReader& r, SlotLine& m, bool& complete)
{
    Fields f(r);
    f.number(m.slot);
    f.rest(m.line);
    return f.finish(complete);
}
int readFields(FieldReader& r, StartGame& m, bool& complete)
{
    Fields f(r);
    f.text(m.starter);
    f.text(m.limit);
    return f.finish(complete);
}
int readFields(FieldReader& r, JustWatch& m, bool& complete)
{
    Fields f(r);
    f.number(m.seat);
    std::string mode;
    f.rest(mode);
    m.mode = mode == "1"   ? JustWatch::Mode::Watch
             : mode == "2" ? JustWatch::Mode::Play
                           : JustWatch::Mode::Other;
    return f.finish(complete);
}
int readFields(FieldReader& r, RollTheDice& m, bool& complete)
{
    Fields f(r);
    f.number(m.seat);
    // Nothing after the seat is no list at all, not an empty one.
    if (!r.atEnd())
        f.numbers(m.dice, false);
    return f.finish(complete);
}
int readFields(FieldReader& r, SelectCat& m, bool& complete)
{
    Fields f(r);
    f.number(m.seat);
    f.number(m.category);
    return f.finish(complete);
}
int readFields(FieldReader& r, PlayASound& m, bool& complete)
{
    Fields f(r);
    f.number(m.slot);
    f.rest(m.sound);
    return f.finish(complete);
}
int readFields(FieldReader& r, SendLoginInfo& m, bool& complete)
{
    Fields f(r);
    f.number(m.slot);
    return f.finish(complete);
}
int readFields(FieldReader&, Full&, bool& complete)
{
    complete = true;
    return 0;
}
int readFields(FieldReader& r, SlotName& m, bool& complete)
{
    Fields f(r);
    f.number(m.slot);
    f.rest(m.name);
    return f.finish(complete);
}
int readFields(FieldReader& r, HaveWrongVersion& m, bool& complete)
{
    Fields f(r);
    f.rest(m.name);
    return f.finish(complete);
}
int readFields(FieldReader&, WrongVersion&, bool& complete)
{
    complete = true;
    return 0;
}
int readFields(FieldReader& r, LoadStats& m, bool& complete)
{
    Fields f(r);
    f.number(m.addressee);
    f.number(m.seat);
    f.decimal(m.limit);
    f.number(m.rolls);
    f.decimal(m.round);
    f.number(m.category);
    f.pairs(m.dice);
    return f.finish(complete);
}
int readFields(FieldReader& r, LoadScores& m, bool& complete)
{
    Fields f(r);
    f.number(m.addressee);
    f.scoreGroups(m.groups);
    return f.finish(complete);
}
int readFields(FieldReader& r, JustWatching& m, bool& complete)
{
    Fields f(r);
    f.number(m.seat);
    std::string flag;
    f.text(flag);
    m.watching = flag == "1";
    return f.finish(complete);
}
int readFields(FieldReader& r, NextPlayer& m, bool& complete)
{
    Fields f(r);
    f.number(m.seat);
    f.text(m.round);
    f.numbers(m.categories, true);
    return f.finish(complete);
}
int readFields(FieldReader& r, SelectedCat& m, bool& complete)
{
    Fields f(r);
    f.number(m.seat);
    f.number(m.category);
    return f.finish(complete);
}
int readFields(FieldReader& r, NeedCat& m, bool& complete)
{
    Fields f(r);
    f.number(m.seat);
    return f.finish(complete);
}
int readFields(FieldReader& r, CreateDice& m, bool& complete)
{
    Fields f(r);
    f.number(m.seat);
    f.number(m.rolls);
    f.pairs(m.dice);
    return f.finish(complete);
}
int readFields(FieldReader& r, Zonkard& m, bool& complete)
{
    Fields f(r);
    f.number(m.seat);
    f.decimal(m.total);
    f.decimal(m.points);
    f.number(m.rolls);
    f.pairs(m.dice);
    return f.finish(complete);
}
int readFields(FieldReader& r, ScoreReport& m, bool& complete)
{
    Fields f(r);
    f.number(m.seat);
    f.decimal(m.total);
    f.decimal(m.points);
    f.number(m.category);
    return f.finish(complete);
}
int readFields(FieldReader& r, GotBonus& m, bool& complete)
{
    Fields f(r);
    f.number(m.seat);
    f.decimal(m.total);
    f.decimal(m.points);
    f.number(m.category);
    f.decimal(m.categoryScore);
    f.pairs(m.dice);
    return f.finish(complete);
}
int readFields(FieldReader& r, BonusEnd& m, bool& complete)
{
    Fields f(r);
    f.number(m.seat);
    f.pairs(m.dice);
    return f.finish(complete);
}
int readFields(FieldReader& r, Winner& m, bool& complete)
{
    Fields f(r);
    f.numbers(m.seats, true);
    return f.finish(complete);
}
int readFields(FieldReader& r, RelayedLine& m, bool& complete)
{
    Fields f(r);
    f.rest(m.line);
    return f.finish(complete);
}

} // namespace zk::msg
