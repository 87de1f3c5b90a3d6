// Tgamestart: the start-game options window "Zonkards - Start Game".
//
// A small tool window that stays on top: the heading "GAME OPTIONS", the
// caption "Bonus Rolls Limit" and four tick boxes (1 Roll, 2 Rolls, 5 Rolls,
// Unlimited) drawn from the Board's start window state, and the START GAME
// picture button. A box click chooses the limit, START GAME starts the game;
// both go to the table logic, which also hides the window through its
// environment. Closing it by its frame only hides it. It redraws on the
// Board's notice, and gives it after each of its own changes.
//
//     zk::Tgamestart start(logic);
//     // TableEnvironment::showStartGameWindow(): start.refresh(); start.show();
#pragma once

#include <QWidget>

#include <array>

#include "table/BoardNotice.h"

namespace zk {

class PictureButton;
class TableLogic;
class TickBox;

class Tgamestart : public QWidget {
    Q_OBJECT
public:
    explicit Tgamestart(TableLogic& logic, QWidget* parent = nullptr);

    // Shows the Board's tick boxes.
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    // 1, 2, 5 and 0 (or U) tick a limit; Enter or Space starts; Escape closes.
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    TableLogic& logic_;
    BoardNotice::Listening redraw_;
    std::array<TickBox*, 4> boxes_{}; // in the order 1, 2, 5, Unlimited
    PictureButton* start_ = nullptr;
};

} // namespace zk
