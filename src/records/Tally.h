// The win tally: the player's own totals and, for every opponent he follows,
// the games played together and who won them, in total and this session.
//
// A grid of 9 columns of decimal text. Row 0 holds the own totals (column 1
// games, 2 wins, 3 highest score, 4 bonus modes, 5 zonkards). Row i+1 belongs
// to entry i of the tallied list: column 0 the name, 1 to 4 games together,
// his wins, the player's wins, neither won, in total; 5 to 8 the same since
// this start of the program. The tallied list and the grid change together.
//
//     Tally t;                                  // or Tally::fromText(...)
//     t.tickCurrentPlayer(0);                   // follow the first opponent seated
//     t.recordGame(GameOutcome::ownWin(), seated);  // the player won
//     t.countOwnZonkard();
//     std::string text = t.toText();            // the tally file's text
//
// Names are Windows-1252 bytes, as the table's name labels hold them; looking
// one up ignores letter case, deciding who won does not.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/Game.h"    // kSeatCount, kWaitingName
#include "game/Outcome.h" // GameOutcome

namespace zk {

// The opponent panel of the tally window.
struct OpponentPanel {
    std::string heading;                  // name + "'s Tally", empty before a selection
    std::string winsCaption = "XX Wins:"; // name + " Wins:"
    std::array<std::string, 4> total = {"0", "0", "0", "0"};
    std::array<std::string, 4> session = {"0", "0", "0", "0"};
    friend bool operator==(const OpponentPanel&, const OpponentPanel&) = default;
};

class Tally {
public:
    static constexpr int kColumns = 9;
    // Own-total columns of row 0.
    static constexpr int kGames = 1;
    static constexpr int kWins = 2;
    static constexpr int kHighestScore = 3;
    static constexpr int kBonusModes = 4;
    static constexpr int kZonkards = 5;

    struct Entry {
        std::string name;
        bool ticked = true;
        friend bool operator==(const Entry&, const Entry&) = default;
    };
    // Asks the player a Yes/No question; true for Yes.
    using Confirm = std::function<bool(const std::string& question)>;

    Tally(); // row 0 all "0", nobody tallied

    int rowCount() const { return static_cast<int>(rows_.size()); }
    // Cell text; column 0-8, row 0 to rowCount()-1.
    const std::string& cell(int column, int row) const;
    const std::string& own(int column) const { return cell(column, 0); }

    const std::vector<Entry>& tallied() const { return tallied_; }
    const std::vector<Entry>& currentPlayers() const { return current_; }
    std::optional<std::size_t> findTallied(std::string_view name) const; // ignores case

    // The tallied entry whose values the opponent panel shows, if any.
    std::optional<std::size_t> selected() const { return selected_; }
    const OpponentPanel& panel() const { return panel_; }

    // The other players seated now, in seat order (own seat and "<Waiting>"
    // already left out; see seatedOpponents). Each is ticked when tallied.
    void rebuildCurrentPlayers(const std::vector<std::string>& seated);

    // Record game: one more game for the player and for every tallied
    // opponent seated in it, with its winner.
    void recordGame(const GameOutcome& outcome, const std::vector<std::string>& seated);
    void countOwnZonkard();
    void countOwnBonusMode();
    // The player's final total, as his score card shows it: when it is a
    // number greater than the highest score it becomes the highest score.
    // True when it did.
    bool offerHighestScore(std::string_view total);

    // A click on the tick box of current player index: a name not yet tallied
    // is appended to the tallied list with a row of zeros. True when added.
    bool tickCurrentPlayer(std::size_t index);
    // A click clearing the tick of tallied entry index: asks
    // "This will delete <name>'s Tally, Are you want to delete it?"; Yes
    // removes the entry and its row, No leaves it ticked. True when removed.
    bool untickTallied(std::size_t index, const Confirm& confirm);
    // A click on tallied entry index: the panel shows its eight values.
    void select(std::size_t index);
    // Reset Tally: asks "Are you sure you want to reset the Tally?"; Yes sets
    // the own totals to "0", removes every tallied opponent and shows "0" in
    // the panel's values. True when reset.
    bool reset(const Confirm& confirm);

    // The tally text: "9", the row count, then every cell column by column,
    // each line ended by CR LF. Line breaks inside a cell become spaces so a
    // name can never shift the cells after it.
    std::string toText() const;
    // A tally read back from its text as Load tally takes it: the session
    // columns start at "0" and every row's name is tallied, ticked. nullopt
    // when the text is not a tally (counts not numbers, not 9 columns, no
    // rows, too few lines).
    static std::optional<Tally> fromText(std::string_view text);

    static std::string untickQuestion(std::string_view name);
    static constexpr std::string_view kResetQuestion = "Are you sure you want to reset the Tally?";

private:
    using Row = std::array<std::string, kColumns>;
    static Row zeroRow();
    void addOne(int column, int row);
    void syncCurrentTicks();
    void showRow(std::size_t index);

    std::vector<Row> rows_;
    std::vector<Entry> tallied_;
    std::vector<Entry> current_;
    std::optional<std::size_t> selected_;
    OpponentPanel panel_;
};

// The other seated players as the tally takes them from the table's name
// labels of seats 1 to 6: the own seat and every "<Waiting>" seat left out.
// (Who won is decided by gameOutcomeToRecord, game/Outcome.h.)
std::vector<std::string> seatedOpponents(const std::array<std::string, kSeatCount>& nameLabels, int ownSeat);

// Load tally and Save tally on the tally file.
struct TallyLoad {
    Tally tally;
    std::string error; // the reader's message; empty when read or absent
};
// A missing file is no error: the tally starts empty. A file that cannot be
// read, or that holds no tally, gives its message and an empty tally.
TallyLoad loadTallyFile(const std::filesystem::path& file);
// Replaces the file atomically; the message of a failure, or nullopt (the
// previous file is then kept).
std::optional<std::string> saveTallyFile(const std::filesystem::path& file, const Tally& tally);
// The message for a container that decodes but holds no tally text.
std::string noTallyMessage(std::string_view path);

} // namespace zk
