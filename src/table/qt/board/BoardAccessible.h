// BoardAccessible: what assistive technology sees of the painted board. The
// board is one widget; its interface gives it a child for every part a
// player reads or presses, in a fixed order:
//
//   the five dice ("Die 3, four, held"), ROLL DICE or Start, the seven
//   category buttons ("Sixes"), the round, the rolls used, the status line,
//   the six name labels ("Bob, playing"), then each seat's seven score cells
//   and its total ("Bob, Sixes, 18"; "open" while unscored), the prompt
//   (a dialog named by its question, with its YES and NO or OK buttons as
//   its own children) and the winner panel (an alert with the winner line).
//
// Parts not shown report the invisible state; the dice and buttons press as
// their clicks do. BoardPanel tells of changes (names, focus) through
// BoardAccessible::notify*, which are silent while no reader listens.
//
//     QAccessible::installFactory(zk::BoardAccessible::factory);  // once
#pragma once

#include <QAccessibleWidget>
#include <QList>
#include <QString>

#include <map>

namespace zk {

class BoardPanel;

class BoardAccessible : public QAccessibleWidget {
public:
    enum class Part {
        Die,
        RollOrStart,
        Category,
        Round,
        Rolls,
        Status,
        Name,
        Cell,
        Prompt,
        Winner,
        PromptButton
    };
    // The prompt's buttons (the number of a PromptButton).
    enum PromptButton { Yes = 1, No = 2, Ok = 3 };
    struct Child {
        Part part;
        int number = 0; // die, category or seat
        int row = 0;    // score row 1-8 for a cell
    };

    explicit BoardAccessible(BoardPanel* board);
    ~BoardAccessible() override;

    static QAccessibleInterface* factory(const QString& className, QObject* object);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // The children's order (public for BoardPanel and the tests).
    static QList<Child> layout();
    static int indexOf(Part part, int number, int row = 0);

    // Tells a listening reader that a part's name changed, or that the
    // focus ring moved onto a part.
    static void notifyNameChanged(BoardPanel* board, Part part, int number = 0, int row = 0);
    static void notifyFocus(BoardPanel* board, Part part, int number);
    // Tells a listening reader that a die was held or let go.
    static void notifyChecked(BoardPanel* board, int die);
    // Tells a listening reader that a part appeared (a prompt opening).
    static void notifyShown(BoardPanel* board, Part part);

    // A prompt's button (not a child of the board but of the prompt).
    QAccessibleInterface* promptButton(int which) const;

    BoardPanel* board() const;

private:
    QAccessibleInterface* part(int index, Child child) const;

    mutable std::map<int, QAccessible::Id> children_; // by index; the prompt's buttons at -1 to -3
};

} // namespace zk
