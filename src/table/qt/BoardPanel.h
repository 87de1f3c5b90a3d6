// BoardPanel: the 674 x 487 board of the main window (panel_board), painted
// from the Board in one widget.
//
// It owns no state of the game: every paint reads logic.board(), every click
// on a picture goes to the table logic. It keeps only what the mouse is
// doing (the element under the pointer and the one pressed) for the hover
// and pressed looks of its picture buttons. The real widgets of the board
// (phrase buttons, chat display, entry field) are children placed by Tchat.
//
//     BoardPanel board(logic, window);
//     connect(&board, &BoardPanel::acted, window, &Tchat::refresh);
//     board.update(); // after the Board changed
#pragma once

#include <QRect>
#include <QWidget>

#include "table/qt/Art.h"

namespace zk {

class TableLogic;
struct Board;

class BoardPanel : public QWidget {
    Q_OBJECT
public:
    // The elements of the board that take the mouse.
    enum class Element { None, Die, Roll, Start, Yes, No, Ok, Logo, Name, CategoryButton, CategoryBar };
    struct Hit {
        Element element = Element::None;
        int number = 0; // die, seat or category number
        QRect rect;     // where it lies on the board
        bool same(const Hit& other) const { return element == other.element && number == other.number; }
    };

    explicit BoardPanel(TableLogic& logic, QWidget* parent = nullptr);

    // The topmost element at a point of the board (a panel over the dice
    // swallows the clicks it covers).
    Hit hitAt(QPoint pos) const;

signals:
    // A click reached the table logic; the Board may have changed.
    void acted();
    void logoClicked();
    // The right button on seat n's name label, at a global position.
    void seatMenuRequested(int seat, QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void activate(const Hit& hit);
    void setHovered(const Hit& hit);
    // Normal, Hover or Pressed for a picture button by the mouse's state.
    Look lookOf(Element element, int number = 0) const;

    void paintLeftHalf(QPainter& p, const Board& b) const;
    void paintNames(QPainter& p, const Board& b) const;
    void paintCard(QPainter& p, const Board& b) const;
    void paintPanels(QPainter& p, const Board& b) const;

    TableLogic& logic_;
    Hit hovered_;
    Hit pressed_;
};

} // namespace zk
