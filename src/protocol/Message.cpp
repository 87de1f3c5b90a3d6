#include "Message.h"

#include <limits>

namespace zk {

std::string sanitizeField(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == kTerminator)
            c = 'y'; // "ÿ" reads as the nearest plain letter
    }
    return out;
}

MessageWriter::MessageWriter(std::string_view command) : text_(command) {}

MessageWriter& MessageWriter::field(std::string_view text)
{
    text_ += '+';
    text_ += sanitizeField(text);
    return *this;
}

MessageWriter& MessageWriter::field(int number)
{
    text_ += '+';
    text_ += std::to_string(number);
    return *this;
}

MessageWriter& MessageWriter::rawField(std::string_view bytes)
{
    text_ += '+';
    text_ += bytes;
    return *this;
}

MessageWriter& MessageWriter::diePairs(std::span<const DiePair> pairs)
{
    if (pairs.empty())
        return field(0).field(0);
    for (const DiePair& p : pairs)
        field(p.die).field(p.face);
    return *this;
}

MessageWriter& MessageWriter::numberList(std::span<const int> numbers)
{
    if (numbers.empty())
        return field(0);
    for (int n : numbers)
        field(n);
    return *this;
}

MessageWriter& MessageWriter::winnerList(std::span<const int> seats)
{
    for (int seat : seats)
        field(seat);
    return field(0).separator();
}

MessageWriter& MessageWriter::scoreGroup(int seat, bool playing, std::span<const int, kScoreRows> rows)
{
    text_ += '+';
    text_ += std::to_string(seat);
    text_ += playing ? "*t" : "*f";
    for (int r = 0; r < kScoreRows; ++r) {
        text_ += '*';
        text_ += std::to_string(r + 1);
        text_ += '*';
        text_ += std::to_string(rows[static_cast<std::size_t>(r)]);
    }
    return *this;
}

MessageWriter& MessageWriter::separator()
{
    text_ += '+';
    return *this;
}

std::string MessageWriter::finish() const
{
    std::string out = text_;
    out += kTerminator;
    return out;
}

CommandSplit splitCommand(std::string_view message)
{
    const auto plus = message.find('+');
    if (plus == std::string_view::npos)
        return {{}, {}};
    return {message.substr(0, plus), message.substr(plus + 1)};
}

std::optional<int> parseDecimal(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    const bool negative = text.front() == '-';
    std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty())
        return std::nullopt;
    long long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return std::nullopt;
    return static_cast<int>(value);
}

std::string_view FieldReader::text()
{
    const auto plus = rest_.find('+');
    std::string_view field;
    if (plus == std::string_view::npos) {
        field = rest_;
        rest_ = {};
    } else {
        field = rest_.substr(0, plus);
        rest_.remove_prefix(plus + 1);
    }
    return field;
}

std::optional<int> FieldReader::number()
{
    auto value = parseDecimal(text());
    if (!value)
        failed_ = true;
    return value;
}

std::string_view FieldReader::rest()
{
    std::string_view all = rest_;
    rest_ = {};
    return all;
}

ListRead<DiePair> readDiePairs(FieldReader& reader)
{
    ListRead<DiePair> out;
    while (!reader.atEnd()) {
        auto die = reader.number();
        if (!die) {
            out.malformed = true;
            break;
        }
        auto face = reader.number();
        if (!face) {
            out.malformed = true;
            break;
        }
        if (*die != 0)
            out.items.push_back({*die, *face});
    }
    return out;
}

ListRead<int> readNumbers(FieldReader& reader)
{
    ListRead<int> out;
    while (!reader.atEnd()) {
        auto n = reader.number();
        if (!n) {
            out.malformed = true;
            break;
        }
        out.items.push_back(*n);
    }
    return out;
}

ListRead<int> readNumberList(FieldReader& reader)
{
    ListRead<int> out = readNumbers(reader);
    std::erase(out.items, 0);
    return out;
}

ListRead<int> readWinners(FieldReader& reader)
{
    ListRead<int> out;
    while (!reader.atEnd()) {
        auto n = reader.number();
        if (!n) {
            out.malformed = true;
            break;
        }
        if (*n == 0)
            break; // the list's closing 0
        out.items.push_back(*n);
    }
    return out;
}

ListRead<ScoreGroup> readScoreGroups(FieldReader& reader)
{
    ListRead<ScoreGroup> out;
    while (!reader.atEnd()) {
        std::string_view group = reader.text();
        if (group.empty())
            continue; // a trailing "+" carries nothing
        // Split the group at every "*": seat, flag, then row and value pairs.
        std::vector<std::string_view> parts;
        std::size_t start = 0;
        while (true) {
            const auto star = group.find('*', start);
            if (star == std::string_view::npos) {
                parts.push_back(group.substr(start));
                break;
            }
            parts.push_back(group.substr(start, star - start));
            start = star + 1;
        }
        ScoreGroup g;
        auto seat = parseDecimal(parts[0]);
        if (!seat) {
            out.malformed = true;
            return out;
        }
        g.seat = *seat;
        if (parts.size() > 1)
            g.flag = std::string(parts[1]);
        for (std::size_t i = 2; i + 1 < parts.size(); i += 2) {
            auto row = parseDecimal(parts[i]);
            auto value = parseDecimal(parts[i + 1]);
            if (!row || !value) {
                out.items.push_back(std::move(g));
                out.malformed = true;
                return out;
            }
            g.rows.emplace_back(*row, *value);
        }
        if (parts.size() > 2 && parts.size() % 2 != 0) {
            // A row number without its value.
            out.items.push_back(std::move(g));
            out.malformed = true;
            return out;
        }
        out.items.push_back(std::move(g));
    }
    return out;
}

} // namespace zk
