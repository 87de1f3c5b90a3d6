// Tspylist: the spy list window "Zonkards - Spys": who only watches.
//
// It lists the Board's spy entries ("7: Ann") in listbox_spys. Moving the
// mouse over the list tells the table logic which entry is under the pointer
// (-1 below the last); the right button opens popup_kick with "Remove From
// Game", enabled as the Board says (only on the hosting table), which removes
// the spectator under the pointer. "Done" and the frame's close box hide it.
//
//     zk::Tspylist spies(logic);
//     QObject::connect(&chat, &zk::Tchat::spyListRequested, &spies, &QWidget::show);
//     logic.boardNotice().changed(); // spies.refresh(), as every window that listens
//
// It gives the Board's notice after each of its own changes.
#pragma once

#include <QDialog>

class QAction;
class QListWidget;
class QMenu;

#include "table/BoardNotice.h"

namespace zk {

class TableLogic;

class Tspylist : public QDialog {
    Q_OBJECT
public:
    explicit Tspylist(TableLogic& logic, QWidget* parent = nullptr);

    // Shows the Board's entries and the enabling of "Remove From Game".
    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void pointerAt(QPoint viewportPos);

    TableLogic& logic_;
    BoardNotice::Listening redraw_;
    QListWidget* list_ = nullptr;
    QMenu* popup_ = nullptr;
    QAction* remove_ = nullptr;
};

} // namespace zk
