#include "records/Tally.h"

#include <charconv>
#include <cstdint>
#include <stdexcept>
#include <system_error>

#include "records/CaseFold.h"
#include "records/FileIO.h"
#include "records/LZRW1KH.h"

namespace zk {
namespace {

std::optional<std::int64_t> parseNumber(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Lines as a text list reads them: ended by LF or CR LF, and a last line
// without an ending still counts; nothing after the last ending is no line.
std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t nl = text.find('\n', pos);
        const std::size_t end = nl == std::string_view::npos ? text.size() : nl;
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        pos = nl == std::string_view::npos ? text.size() : nl + 1;
    }
    return lines;
}

} // namespace

Tally::Row Tally::zeroRow()
{
    Row row;
    row.fill("0");
    return row;
}

Tally::Tally() : rows_{zeroRow()}
{
}

const std::string& Tally::cell(int column, int row) const
{
    if (column < 0 || column >= kColumns || row < 0 || row >= rowCount())
        throw std::out_of_range("tally cell out of range");
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

std::optional<std::size_t> Tally::findTallied(std::string_view name) const
{
    for (std::size_t i = 0; i < tallied_.size(); ++i) {
        if (equalsIgnoringCase(tallied_[i].name, name))
            return i;
    }
    return std::nullopt;
}

void Tally::addOne(int column, int row)
{
    std::string& cell = rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    // An empty or damaged count starts again from 0 rather than stopping the
    // whole record.
    cell = std::to_string(parseNumber(cell).value_or(0) + 1);
}

void Tally::syncCurrentTicks()
{
    for (Entry& e : current_)
        e.ticked = findTallied(e.name).has_value();
}

void Tally::showRow(std::size_t index)
{
    const Row& row = rows_[index + 1];
    for (std::size_t k = 0; k < 4; ++k) {
        panel_.total[k] = row[1 + k];
        panel_.session[k] = row[5 + k];
    }
    panel_.winsCaption = row[0] + " Wins:";
    panel_.heading = row[0] + "'s Tally";
}

void Tally::rebuildCurrentPlayers(const std::vector<std::string>& seated)
{
    current_.clear();
    for (const std::string& name : seated)
        current_.push_back({name, false});
    syncCurrentTicks();
}

void Tally::recordGame(const GameOutcome& outcome, const std::vector<std::string>& seated)
{
    rebuildCurrentPlayers(seated);
    addOne(kGames, 0);
    if (outcome.playerWon)
        addOne(kWins, 0);
    for (const Entry& player : current_) {
        const auto index = findTallied(player.name);
        if (!index)
            continue;
        const int row = static_cast<int>(*index) + 1;
        Row& cells = rows_[static_cast<std::size_t>(row)];
        for (int c = 1; c < kColumns; ++c) {
            if (cells[static_cast<std::size_t>(c)].empty())
                cells[static_cast<std::size_t>(c)].assign(1, '0');
        }
        addOne(1, row);
        addOne(5, row);
        if (!outcome.playerWon && cells[0] == outcome.winner) {
            addOne(2, row);
            addOne(6, row);
        } else if (outcome.playerWon) {
            addOne(3, row);
            addOne(7, row);
        } else {
            addOne(4, row);
            addOne(8, row);
        }
    }
    if (selected_)
        showRow(*selected_);
}

void Tally::countOwnZonkard()
{
    addOne(kZonkards, 0);
}

void Tally::countOwnBonusMode()
{
    addOne(kBonusModes, 0);
}

bool Tally::offerHighestScore(std::string_view total)
{
    const auto score = parseNumber(total);
    if (!score)
        return false;
    if (*score <= parseNumber(own(kHighestScore)).value_or(0))
        return false;
    rows_[0][kHighestScore] = std::to_string(*score);
    return true;
}

bool Tally::tickCurrentPlayer(std::size_t index)
{
    if (index >= current_.size())
        return false;
    const std::string name = current_[index].name;
    if (findTallied(name)) {
        syncCurrentTicks(); // whatever the click did to the box, it shows the truth
        return false;
    }
    tallied_.push_back({name, true});
    Row row = zeroRow();
    row[0] = name;
    rows_.push_back(std::move(row));
    syncCurrentTicks();
    return true;
}

std::string Tally::untickQuestion(std::string_view name)
{
    return "This will delete " + std::string(name) + "'s Tally, Are you want to delete it?";
}

bool Tally::untickTallied(std::size_t index, const Confirm& confirm)
{
    if (index >= tallied_.size())
        return false;
    if (!confirm || !confirm(untickQuestion(tallied_[index].name))) {
        tallied_[index].ticked = true;
        return false;
    }
    tallied_.erase(tallied_.begin() + static_cast<std::ptrdiff_t>(index));
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index) + 1);
    if (selected_ == index) {
        // The panel must not go on showing someone who is no longer tallied.
        selected_.reset();
        panel_ = OpponentPanel{};
    } else if (selected_ && *selected_ > index) {
        --*selected_;
    }
    syncCurrentTicks();
    return true;
}

void Tally::select(std::size_t index)
{
    if (index >= tallied_.size())
        return;
    selected_ = index;
    showRow(index);
}

bool Tally::reset(const Confirm& confirm)
{
    if (!confirm || !confirm(std::string(kResetQuestion)))
        return false;
    rows_.assign(1, zeroRow());
    tallied_.clear();
    selected_.reset();
    panel_.total.fill("0");
    panel_.session.fill("0");
    syncCurrentTicks();
    return true;
}

std::string Tally::toText() const
{
    std::string text = std::to_string(kColumns) + "\r\n" + std::to_string(rows_.size()) + "\r\n";
    for (int c = 0; c < kColumns; ++c) {
        for (const Row& row : rows_) {
            for (char ch : row[static_cast<std::size_t>(c)])
                text.push_back(ch == '\r' || ch == '\n' ? ' ' : ch);
            text.append("\r\n");
        }
    }
    return text;
}

std::optional<Tally> Tally::fromText(std::string_view text)
{
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.size() < 2)
        return std::nullopt;
    const auto columns = parseNumber(trimBlanks(lines[0]));
    const auto rows = parseNumber(trimBlanks(lines[1]));
    if (!columns || *columns != kColumns || !rows || *rows < 1)
        return std::nullopt;
    const std::size_t available = (lines.size() - 2) / kColumns;
    if (static_cast<std::uint64_t>(*rows) > available)
        return std::nullopt;
    const auto n = static_cast<std::size_t>(*rows);

    Tally t;
    t.rows_.assign(n, Row{});
    for (std::size_t c = 0; c < static_cast<std::size_t>(kColumns); ++c) {
        for (std::size_t r = 0; r < n; ++r)
            t.rows_[r][c] = std::string(lines[2 + c * n + r]);
    }
    for (std::size_t r = 1; r < n; ++r) {
        for (std::size_t c = 5; c < static_cast<std::size_t>(kColumns); ++c)
            t.rows_[r][c].assign(1, '0');
        t.tallied_.push_back({t.rows_[r][0], true});
    }
    return t;
}

std::vector<std::string> seatedOpponents(const std::array<std::string, kSeatCount>& nameLabels, int ownSeat)
{
    std::vector<std::string> names;
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        const std::string& label = nameLabels[static_cast<std::size_t>(seat - 1)];
        if (seat == ownSeat || label == kWaitingName)
            continue;
        names.push_back(label);
    }
    return names;
}

std::string noTallyMessage(std::string_view path)
{
    return std::string(path) + " : Lzrw1 decompression : this file holds no valid tally !";
}

TallyLoad loadTallyFile(const std::filesystem::path& file)
{
    TallyLoad result;
    std::error_code ec;
    if (std::filesystem::status(file, ec).type() == std::filesystem::file_type::not_found)
        return result;
    const lzrw1kh::Result read = lzrw1kh::readFile(file);
    if (!read.ok()) {
        result.error = read.error;
        return result;
    }
    if (auto tally = Tally::fromText(read.text))
        result.tally = std::move(*tally);
    else
        result.error = noTallyMessage(pathText(file));
    return result;
}

std::optional<std::string> saveTallyFile(const std::filesystem::path& file, const Tally& tally)
{
    return lzrw1kh::writeFile(file, tally.toText());
}

} // namespace zk
