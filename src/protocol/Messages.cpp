#include "protocol/Messages.h"

namespace zk::msg {

FieldSource& FieldSource::number(int& out)
{
    if (bad_)
        return *this;
    const auto v = r_.number();
    if (!v) {
        bad_ = true;
        return *this;
    }
    out = *v;
    ++count_;
    return *this;
}

FieldSource& FieldSource::text(std::string& out)
{
    if (bad_)
        return *this;
    out = std::string(r_.text());
    ++count_;
    return *this;
}

FieldSource& FieldSource::decimal(Decimal& out)
{
    if (bad_)
        return *this;
    out.text = std::string(r_.text());
    if (!parseDecimal(out.text)) {
        bad_ = true;
        return *this;
    }
    ++count_;
    return *this;
}

FieldSource& FieldSource::rest(std::string& out)
{
    if (bad_)
        return *this;
    out = std::string(r_.rest());
    ++count_;
    return *this;
}

FieldSource& FieldSource::numbers(std::vector<int>& out, List form)
{
    if (bad_)
        return *this;
    // Nothing after the fields before is no list at all, not an empty one.
    if (form == List::ZeroWhenEmptyOptional && r_.atEnd())
        return *this;
    const bool dropZeros = form != List::ZeroWhenEmptyOptional;
    while (!r_.atEnd()) {
        const auto n = r_.number();
        if (!n) {
            bad_ = true;
            return *this;
        }
        if (*n != 0 || !dropZeros)
            out.push_back(*n);
    }
    ++count_;
    return *this;
}

// Die pairs to the end of the message; a pair naming die 0 is not kept.
FieldSource& FieldSource::pairs(std::vector<DiePair>& out)
{
    if (bad_)
        return *this;
    while (!r_.atEnd()) {
        const auto die = r_.number();
        const auto face = die ? r_.number() : std::nullopt;
        if (!face) {
            bad_ = true;
            return *this;
        }
        if (*die != 0)
            out.push_back({*die, *face});
    }
    ++count_;
    return *this;
}

// One CMD_loadscores group per "+" piece; an empty piece carries nothing.
FieldSource& FieldSource::scoreGroups(std::vector<ScoreGroup>& out)
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
            return *this;
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
    return *this;
}

FieldWriter& FieldWriter::numbers(const std::vector<int>& values, List form)
{
    if (values.empty() && form != List::ZeroEnded)
        w_.field(0);
    for (int n : values)
        w_.field(n);
    if (form == List::ZeroEnded)
        w_.field(0);
    return *this;
}

FieldWriter& FieldWriter::pairs(const std::vector<DiePair>& pairs)
{
    if (pairs.empty()) {
        w_.field(0).field(0);
        return *this;
    }
    for (const DiePair& p : pairs)
        w_.field(p.die).field(p.face);
    return *this;
}

FieldWriter& FieldWriter::scoreGroups(const std::vector<ScoreGroup>& groups)
{
    for (const ScoreGroup& g : groups) {
        std::string group = std::to_string(g.seat);
        group += '*';
        group += g.flag;
        for (const auto& [row, value] : g.rows) {
            group += '*';
            group += std::to_string(row);
            group += '*';
            group += std::to_string(value);
        }
        w_.field(group);
    }
    return *this;
}

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

} // namespace zk::msg
