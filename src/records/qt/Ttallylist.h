// Ttallylist: the win tally window. It shows the tally that TallyService
// holds for the run and changes it as the player ticks and unticks players
// and resets it; every other change (a game, a zonkard, a bonus mode, a
// loaded file) it is told of and shows at once. It is opened with View,
// "View Tally" and does not block the table. Its contents are made when it
// is first shown.
//
//     TallyService tally([&] { return seatedOpponents(labels(), ownSeat()); });
//     auto* window = new Ttallylist(tally);
//     window->setBackground(boardPicture);
//     window->viewTally();
#pragma once

#include <array>
#include <string>

#include <QDialog>

#include "kit/BuiltOnShow.h"
#include "records/TallyService.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace zk {

class Ttallylist : public BuiltOnShow<QDialog> {
    Q_OBJECT
public:
    explicit Ttallylist(TallyService& tally, QWidget* parent = nullptr);
    ~Ttallylist() override;

    void setBackground(const QPixmap& picture);
    // Defaults: a Yes/No question box.
    void setConfirm(Tally::Confirm confirm);

    // View Tally: rebuilds the current players, then shows the window.
    void viewTally();

private:
    void build() override;
    void refresh();
    void currentPlayerClicked(const std::string& name);
    void talliedClicked(const std::string& name, bool nowTicked);
    void resetClicked();

    TallyService& service_;
    Tally& tally_;
    Tally::Confirm confirm_;

    std::array<QLabel*, 5> ownValues_{}; // games, wins, highest, zonkards, bonus modes
    QLabel* heading_ = nullptr;
    // Rows games, his wins, the player's wins, neither won; columns total, session.
    QTableWidget* oppTable_ = nullptr;
    QListWidget* currentList_ = nullptr;
    QListWidget* talliedList_ = nullptr;
    QPushButton* resetButton_ = nullptr;
    QPushButton* doneButton_ = nullptr;
    bool syncing_ = false;
};

} // namespace zk
