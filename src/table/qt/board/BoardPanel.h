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
//     board.boardChanged(); // after the Board changed
//
// boardChanged() repaints only the parts whose picture changed since the
// last call (a roll redraws the dice, the counter and the status line, not
// the score card), so a roll reaches the screen in a fraction of a
// millisecond; the mouse's looks repaint only the button they are on.
#pragma once

#include <QList>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <memory>

#include "table/qt/art/Art.h"

class QAbstractButton;

namespace zk {

class Announcer;
class TableLogic;
struct Board;

class BoardPanel : public QWidget {
    Q_OBJECT
public:
    // The elements of the board that take the mouse.
    enum class Element {
        None,
        Die,
        Roll,
        Start,
        Yes,
        No,
        Ok,
        Logo,
        Name,
        CategoryButton,
        CategoryBar,
        Phrase
    };
    struct Hit {
        Element element = Element::None;
        int number = 0; // die, seat or category number
        QRect rect;     // where it lies on the board
        bool same(const Hit& other) const { return element == other.element && number == other.number; }
    };

    explicit BoardPanel(TableLogic& logic, QWidget* parent = nullptr);
    ~BoardPanel() override;

    const Board& board() const;

    // The Board may have changed: schedules a repaint of what did, and
    // tells a listening screen reader what it should hear.
    void boardChanged();
    // What a change from one Board to another repaints (the whole board
    // when either is missing). Public for the tests.
    static QRegion damage(const Board* before, const Board& after);

    // The topmost element at a point of the board (a panel over the dice
    // swallows the clicks it covers).
    Hit hitAt(QPoint pos) const;

    // The keyboard (each does what the click does, with the same checks):
    // Ctrl+R presses ROLL DICE or Start, whichever is shown.
    void pressRollOrStart();
    // Ctrl+1 to Ctrl+5: holds or releases die n.
    void toggleDie(int die);
    // Alt+1 to Alt+7: the category button of row n, where it is shown.
    void pressCategory(int category);
    // Y, N, Enter or Escape on a prompt: YES, NO or OK, while that is shown.
    void answerPrompt(Element button);
    // The phrase buttons (children of the board) that the focus ring visits
    // after the board's own parts.
    void setPhraseButtons(const QList<QAbstractButton*>& buttons);
    // What the focus ring is on while the board has the focus.
    Hit focused() const { return focus_; }
    // The parts the arrow keys visit, in order: the prompt's buttons while a
    // prompt is shown, else the dice, ROLL DICE or Start, the shown
    // category buttons and the phrase buttons.
    QList<Hit> focusRing() const;
    // The name of a category row 1 to 7 as the card shows it ("Sixes", "Zonkard").
    static QString categoryName(int category);
    // Where the game's events are spoken to a screen reader, and whether
    // the others' chat lines are among them.
    void setAnnouncer(Announcer* announcer) { announcer_ = announcer; }
    void setSpeakChat(bool speak) { speakChat_ = speak; }

signals:
    // A click reached the table logic; the Board may have changed.
    void acted();
    void logoClicked();
    // The right button on seat n's name label, at a global position.
    void seatMenuRequested(int seat, QPoint globalPos);
    // Escape on the board: the focus goes back to the chat entry.
    void leaveRequested();
    // The focus ring moved to another part.
    void focusMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    void activate(const Hit& hit);
    // Presses a part of the focus ring as Space or Enter does.
    void press(const Hit& hit);
    // Moves the ring by step (wrapping), or onto the first part.
    void moveFocus(int step);
    void setFocused(const Hit& hit);
    // Tells a listening reader that the ring is on that part.
    void tellFocus(const Hit& hit);
    // The ring's target is gone (a button hid, a prompt opened): the first part.
    void keepFocusValid();
    // Tells a listening screen reader what changed between two Boards.
    void announce(const Board& before, const Board& now);
    QString toolTipAt(const Hit& hit) const;
    void setHovered(const Hit& hit);
    // Repaints the picture buttons under these mouse states.
    void updateLooks(const Hit& a, const Hit& b);
    // Normal, Hover or Pressed for a picture button by the mouse's state.
    Look lookOf(Element element, int number = 0) const;

    void paintLeftHalf(QPainter& p, const Board& b, const QRegion& dirty) const;
    void paintNames(QPainter& p, const Board& b, const QRegion& dirty) const;
    void paintCard(QPainter& p, const Board& b, const QRegion& dirty) const;
    void paintPanels(QPainter& p, const Board& b, const QRegion& dirty) const;

    TableLogic& logic_;
    std::unique_ptr<Board> shown_; // the Board the last boardChanged() saw
    Hit hovered_;
    Hit pressed_;
    Hit focus_;
    QList<QAbstractButton*> phraseButtons_;
    Announcer* announcer_ = nullptr;
    bool speakChat_ = true;
};

} // namespace zk
