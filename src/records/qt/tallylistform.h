// Ttallylist: the win tally window and the tally it shows.
//
// Owns the Tally for the whole run: the main window loads it once at program
// start and saves it once at the end, and the table's end-of-game, zonkard
// and bonus-mode steps go through it. The window itself is opened with
// View, "View Tally" and does not block the table.
//
//     auto* tally = new Ttallylist([&] { return seatedOpponents(labels(), ownSeat()); });
//     tally->setBackground(boardPicture);
//     tally->loadFrom(tallyFilePath());                  // a bad file is reported
//     ...
//     tally->gameOver(ownSeat, ownWon, resultText, ownTotalText);
//     tally->viewTally();
//     ...
//     tally->saveTo(tallyFilePath());                    // at exit, silently
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QDialog>

#include "records/Tally.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace zk {

class Ttallylist : public QDialog {
    Q_OBJECT
public:
    // The other players seated now, in seat order; see seatedOpponents().
    using NamesProvider = std::function<std::vector<std::string>()>;
    // Shows a message the player should read (a tally file that cannot be read).
    using Notify = std::function<void(const std::string& message)>;

    explicit Ttallylist(NamesProvider seatedNames, QWidget* parent = nullptr);

    void setBackground(const QPixmap& picture);
    // Defaults: a Yes/No question box and a warning box.
    void setConfirm(Tally::Confirm confirm);
    void setNotify(Notify notify);

    // Load tally: a missing file starts an empty tally; a file that cannot be
    // read is reported through Notify and the tally starts empty. False then.
    bool loadFrom(const std::filesystem::path& file);
    // Save tally: replaces the file atomically; failures are not reported.
    bool saveTo(const std::filesystem::path& file) const;

    // View Tally: rebuilds the current players, then shows the window.
    void viewTally();

    // The end of a game as the table sees it: records the game when the own
    // seat (1-6) won or a single other seat did, then offers the own total as
    // the highest score. A spectator's table records nothing.
    void gameOver(int ownSeat, bool ownSeatWon, std::string_view resultText,
                  std::string_view ownTotal);
    void recordGame(const GameOutcome& outcome);
    void countOwnZonkard();
    void countOwnBonusMode();
    void offerHighestScore(std::string_view ownTotal);

    const Tally& tally() const { return tally_; }

private:
    void refresh();
    void currentPlayerClicked(const std::string& name);
    void talliedClicked(const std::string& name, bool nowTicked);
    void resetClicked();

    NamesProvider seatedNames_;
    Tally::Confirm confirm_;
    Notify notify_;
    Tally tally_;

    std::array<QLabel*, 5> ownValues_{}; // games, wins, highest, zonkards, bonus modes
    QLabel* heading_ = nullptr;
    QLabel* winsCaption_ = nullptr;
    std::array<QLabel*, 4> totalValues_{};
    std::array<QLabel*, 4> sessionValues_{};
    QListWidget* currentList_ = nullptr;
    QListWidget* talliedList_ = nullptr;
    QPushButton* resetButton_ = nullptr;
    QPushButton* doneButton_ = nullptr;
    bool syncing_ = false;
};

} // namespace zk
