#include "table/qt/board/BoardAccessible.h"

#include <QAccessibleActionInterface>

#include <algorithm>

#include "kit/QtText.h"
#include "table/Narration.h"
#include "table/TableLogic.h"
#include "table/qt/board/BoardLayout.h"
#include "table/qt/board/BoardPanel.h"

namespace zk {
namespace {

using Part = BoardAccessible::Part;
using Child = BoardAccessible::Child;

QString faceWord(int face)
{
    static const char* const words[] = {"not rolled", "one", "two", "three", "four", "five", "six"};
    return QString::fromLatin1(face >= 0 && face <= 6 ? words[face] : words[0]);
}

QString seatName(const Board& b, int seat)
{
    const std::string& name = b.seat(seat).name;
    return name == kWaitingName ? QStringLiteral("Seat %1").arg(seat) : toQt(name);
}

QString seatState(const Board& b, int seat)
{
    const SeatColumn& s = b.seat(seat);
    // An empty seat out of the game and one whose player left look alike on
    // the board, but the one that was left keeps its scores.
    const bool scored =
        std::any_of(s.cells.begin(), s.cells.end(), [](const ScoreCell& c) { return !c.text.empty(); });
    QString state = s.name == kWaitingName
                        ? (s.notPlaying && scored ? QStringLiteral("left") : QStringLiteral("waiting"))
                    : s.eyes       ? QStringLiteral("just watching")
                    : s.notPlaying ? QStringLiteral("not playing")
                                   : QStringLiteral("playing");
    if (s.winnerRing)
        state += QStringLiteral(", winner");
    return state;
}

// The dice as a reader hears a roll: "five, two, five, five, one".
QString diceWords(const Board& b)
{
    QStringList words;
    for (int d = 1; d <= kDiceCount; ++d)
        words << faceWord(b.die(d).face);
    return words.join(QStringLiteral(", "));
}

// One part of the board.
class BoardPart : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    BoardPart(BoardPanel* board, int index, Child child) : board_(board), index_(index), child_(child) {}

    bool isValid() const override { return board_ != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return board_->window()->windowHandle(); }
    QAccessibleInterface* parent() const override
    {
        QAccessibleInterface* board = QAccessible::queryAccessibleInterface(board_);
        if (child_.part == Part::PromptButton && board)
            return board->child(BoardAccessible::indexOf(Part::Prompt, 0));
        return board;
    }
    // The prompt holds its buttons: YES and NO, or OK.
    QList<int> buttons() const
    {
        const Board& b = board_->board();
        if (child_.part != Part::Prompt)
            return {};
        if (b.thirdRollPromptShown)
            return {BoardAccessible::Ok};
        if (b.rollPromptShown)
            return {BoardAccessible::Yes, BoardAccessible::No};
        return {};
    }
    QAccessibleInterface* child(int index) const override
    {
        const QList<int> which = buttons();
        auto* board = static_cast<BoardAccessible*>(QAccessible::queryAccessibleInterface(board_));
        return index >= 0 && index < which.size() && board ? board->promptButton(which[index]) : nullptr;
    }
    int childCount() const override { return static_cast<int>(buttons().size()); }
    int indexOfChild(const QAccessibleInterface* c) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            if (child(i) == c)
                return i;
        }
        return -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    int index() const { return index_; }

    QRect localRect() const
    {
        const Board& b = board_->board();
        switch (child_.part) {
        case Part::Die: return layout::dieRect(child_.number, b.die(child_.number).raised);
        case Part::RollOrStart: return layout::kRollButton;
        case Part::Category: return layout::onCard(layout::categoryButtonRect(child_.number));
        case Part::Round: return layout::kRoundLabel;
        case Part::Rolls: return layout::kRollCounter;
        case Part::Status: return layout::kStatusLine;
        case Part::Name: return layout::nameRect(child_.number);
        case Part::Cell: return layout::onCard(layout::scoreCellRect(child_.number, child_.row));
        case Part::Prompt: return layout::kPromptPanel;
        case Part::Winner: return layout::kWinnerPanel;
        case Part::PromptButton:
            return layout::onPrompt(child_.number == BoardAccessible::Yes  ? layout::kYesButton
                                    : child_.number == BoardAccessible::No ? layout::kNoButton
                                                                           : layout::kOkButton);
        }
        return {};
    }
    QRect rect() const override
    {
        return QRect(board_->mapToGlobal(localRect().topLeft()), localRect().size());
    }

    QAccessible::Role role() const override
    {
        switch (child_.part) {
        case Part::Die: return QAccessible::CheckBox;
        case Part::RollOrStart:
        case Part::Category:
        case Part::PromptButton: return QAccessible::Button;
        case Part::Cell: return QAccessible::Cell;
        case Part::Prompt: return QAccessible::Dialog;
        case Part::Winner: return QAccessible::AlertMessage;
        default: return QAccessible::StaticText;
        }
    }

    bool pressable() const
    {
        return child_.part == Part::Die || child_.part == Part::RollOrStart ||
               child_.part == Part::Category || child_.part == Part::PromptButton;
    }

    BoardPanel::Element promptElement() const
    {
        return child_.number == BoardAccessible::Yes  ? BoardPanel::Element::Yes
               : child_.number == BoardAccessible::No ? BoardPanel::Element::No
                                                      : BoardPanel::Element::Ok;
    }

    bool shown() const
    {
        const Board& b = board_->board();
        switch (child_.part) {
        case Part::Die: return b.die(child_.number).picture.body != DieBody::None;
        case Part::RollOrStart: return b.rollButtonShown || b.startButtonShown;
        case Part::Category: return b.category(child_.number).buttonShown;
        case Part::Prompt: return b.rollPromptShown || b.thirdRollPromptShown;
        case Part::Winner: return b.winnerPanelShown;
        case Part::PromptButton:
            return child_.number == BoardAccessible::Ok ? b.thirdRollPromptShown : b.rollPromptShown;
        default: return true;
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        const Board& b = board_->board();
        s.invisible = !shown();
        if (child_.part == Part::Die) {
            s.checkable = true;
            s.checked = b.die(child_.number).held;
        }
        if (child_.part == Part::Category)
            s.disabled = !b.category(child_.number).buttonChoosable;
        if (pressable()) {
            s.focusable = true;
            const BoardPanel::Hit f = board_->focused();
            const bool here =
                (child_.part == Part::Die && f.element == BoardPanel::Element::Die) ||
                (child_.part == Part::Category && f.element == BoardPanel::Element::CategoryButton);
            const bool button = child_.part == Part::RollOrStart && (f.element == BoardPanel::Element::Roll ||
                                                                     f.element == BoardPanel::Element::Start);
            const bool answer = child_.part == Part::PromptButton && f.element == promptElement();
            s.focused = board_->hasFocus() && (button || answer || (here && f.number == child_.number));
        }
        // Enter answers YES, and closes the reminder.
        if (child_.part == Part::PromptButton)
            s.defaultButton = child_.number != BoardAccessible::No;
        if (child_.part == Part::Prompt)
            s.modal = true;
        if (child_.part == Part::Status)
            s.readOnly = true;
        return s;
    }

    QString name() const
    {
        const Board& b = board_->board();
        const int n = child_.number;
        switch (child_.part) {
        case Part::Die: {
            QString text = QStringLiteral("Die %1, %2").arg(n).arg(faceWord(b.die(n).face));
            if (b.die(n).held)
                text += QStringLiteral(", held");
            return text;
        }
        case Part::RollOrStart:
            return !b.rollButtonShown && b.startButtonShown ? QStringLiteral("Start")
                                                            : QStringLiteral("ROLL DICE");
        case Part::Category: return BoardPanel::categoryName(n);
        case Part::Round: return toQt(b.round);
        case Part::Rolls: return QStringLiteral("Rolls used: %1 of %2").arg(b.rollCount).arg(kRollsPerTurn);
        case Part::Status:
            return b.winnerPanelShown && !b.winnerText.empty()
                       ? toQt(b.statusLine()) + QStringLiteral(". ") + toQt(b.winnerText)
                       : toQt(b.statusLine());
        case Part::Name: return seatName(b, n) + QStringLiteral(", ") + seatState(b, n);
        case Part::Cell: {
            const std::string& text = b.seat(n).cell(child_.row).text;
            const QString what =
                child_.row == kTotalRow ? QStringLiteral("Total") : BoardPanel::categoryName(child_.row);
            return QStringLiteral("%1, %2, %3")
                .arg(seatName(b, n), what, text.empty() ? QStringLiteral("open") : toQt(text));
        }
        case Part::Prompt:
            return QString::fromLatin1(b.thirdRollPromptShown ? kPromptThirdRoll : kPromptQuestion);
        case Part::Winner: return toQt(b.winnerText);
        case Part::PromptButton:
            return child_.number == BoardAccessible::Yes  ? QStringLiteral("Yes")
                   : child_.number == BoardAccessible::No ? QStringLiteral("No")
                                                          : QStringLiteral("OK");
        }
        return {};
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: return name();
        case QAccessible::Description:
            if (child_.part == Part::Status)
                return QStringLiteral("Dice: ") + diceWords(board_->board());
            if (child_.part == Part::Prompt && !board_->board().thirdRollPromptShown)
                return QString::fromLatin1(kPromptText);
            return {};
        case QAccessible::Accelerator:
            switch (child_.part) {
            case Part::Die: return QStringLiteral("Ctrl+%1").arg(child_.number);
            case Part::RollOrStart: return QStringLiteral("Ctrl+R");
            case Part::Category: return QStringLiteral("Alt+%1").arg(child_.number);
            case Part::PromptButton:
                return child_.number == BoardAccessible::Yes  ? QStringLiteral("Y")
                       : child_.number == BoardAccessible::No ? QStringLiteral("N")
                                                              : QStringLiteral("Enter");
            default: return {};
            }
        default: return {};
        }
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ActionInterface && pressable())
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }
    QStringList actionNames() const override
    {
        return shown() ? QStringList{child_.part == Part::Die ? toggleAction() : pressAction()}
                       : QStringList{};
    }
    void doAction(const QString& action) override
    {
        if (!actionNames().contains(action))
            return;
        switch (child_.part) {
        case Part::Die: board_->toggleDie(child_.number); break;
        case Part::RollOrStart: board_->pressRollOrStart(); break;
        case Part::Category: board_->pressCategory(child_.number); break;
        case Part::PromptButton: board_->answerPrompt(promptElement()); break;
        default: break;
        }
    }
    QStringList keyBindingsForAction(const QString&) const override
    {
        const QString key = text(QAccessible::Accelerator);
        return key.isEmpty() ? QStringList{} : QStringList{key};
    }

private:
    BoardPanel* board_;
    int index_;
    Child child_;
};

} // namespace

BoardAccessible::BoardAccessible(BoardPanel* board)
    : QAccessibleWidget(board, QAccessible::Pane, QStringLiteral("Board"))
{
}

BoardAccessible::~BoardAccessible()
{
    for (const auto& [index, id] : children_)
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* BoardAccessible::factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("zk::BoardPanel") && object && object->isWidgetType())
        return new BoardAccessible(static_cast<BoardPanel*>(object));
    return nullptr;
}

BoardPanel* BoardAccessible::board() const
{
    return static_cast<BoardPanel*>(widget());
}

QList<BoardAccessible::Child> BoardAccessible::layout()
{
    QList<Child> parts;
    for (int d = 1; d <= kDiceCount; ++d)
        parts.append({Part::Die, d});
    parts.append({Part::RollOrStart});
    for (int c = 1; c <= kCategoryCount; ++c)
        parts.append({Part::Category, c});
    parts.append({Part::Round});
    parts.append({Part::Rolls});
    parts.append({Part::Status});
    for (int s = 1; s <= kSeatCount; ++s)
        parts.append({Part::Name, s});
    for (int s = 1; s <= kSeatCount; ++s) {
        for (int row = 1; row <= kScoreRows; ++row)
            parts.append({Part::Cell, s, row});
    }
    parts.append({Part::Prompt});
    parts.append({Part::Winner});
    return parts;
}

int BoardAccessible::indexOf(Part part, int number, int row)
{
    const QList<Child> parts = layout();
    for (int i = 0; i < parts.size(); ++i) {
        if (parts[i].part == part && parts[i].number == number && parts[i].row == row)
            return i;
    }
    return -1;
}

int BoardAccessible::childCount() const
{
    // The board's own parts, then its real child widgets (phrase buttons, chat).
    return static_cast<int>(layout().size()) + QAccessibleWidget::childCount();
}

QAccessibleInterface* BoardAccessible::child(int index) const
{
    const QList<Child> parts = layout();
    if (index < 0)
        return nullptr;
    if (index >= parts.size())
        return QAccessibleWidget::child(index - static_cast<int>(parts.size()));
    return part(index, parts[index]);
}

QAccessibleInterface* BoardAccessible::part(int index, Child child) const
{
    auto found = children_.find(index);
    if (found != children_.end())
        return QAccessible::accessibleInterface(found->second);
    auto* made = new BoardPart(board(), index, child);
    children_[index] = QAccessible::registerAccessibleInterface(made);
    return made;
}

QAccessibleInterface* BoardAccessible::promptButton(int which) const
{
    if (which < Yes || which > Ok)
        return nullptr;
    return part(-which, {Part::PromptButton, which});
}

int BoardAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (const auto& [index, id] : children_) {
        if (index >= 0 && QAccessible::accessibleInterface(id) == child)
            return index;
    }
    const int widgetIndex = QAccessibleWidget::indexOfChild(child);
    return widgetIndex < 0 ? -1 : widgetIndex + static_cast<int>(layout().size());
}

QAccessibleInterface* BoardAccessible::childAt(int x, int y) const
{
    if (QAccessibleInterface* w = QAccessibleWidget::childAt(x, y))
        return w;
    for (int i = 0; i < layout().size(); ++i) {
        QAccessibleInterface* c = child(i);
        if (!c->state().invisible && c->rect().contains(x, y))
            return c;
    }
    return nullptr;
}

QAccessibleInterface* BoardAccessible::focusChild() const
{
    if (!board()->hasFocus())
        return QAccessibleWidget::focusChild();
    const BoardPanel::Hit f = board()->focused();
    int index = -1;
    switch (f.element) {
    case BoardPanel::Element::Die: index = indexOf(Part::Die, f.number); break;
    case BoardPanel::Element::Roll:
    case BoardPanel::Element::Start: index = indexOf(Part::RollOrStart, 0); break;
    case BoardPanel::Element::CategoryButton: index = indexOf(Part::Category, f.number); break;
    case BoardPanel::Element::Yes: return promptButton(Yes);
    case BoardPanel::Element::No: return promptButton(No);
    case BoardPanel::Element::Ok: return promptButton(Ok);
    default: break;
    }
    return index >= 0 ? child(index) : nullptr;
}

void BoardAccessible::notifyNameChanged(BoardPanel* board, Part part, int number, int row)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(board);
    QAccessibleInterface* c = iface ? iface->child(indexOf(part, number, row)) : nullptr;
    if (!c)
        return;
    QAccessibleEvent event(c, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void BoardAccessible::notifyFocus(BoardPanel* board, Part part, int number)
{
    if (!QAccessible::isActive())
        return;
    auto* iface = static_cast<BoardAccessible*>(QAccessible::queryAccessibleInterface(board));
    QAccessibleInterface* c = !iface                       ? nullptr
                              : part == Part::PromptButton ? iface->promptButton(number)
                                                           : iface->child(indexOf(part, number));
    if (!c)
        return;
    QAccessibleEvent event(c, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

void BoardAccessible::notifyChecked(BoardPanel* board, int die)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(board);
    QAccessibleInterface* c = iface ? iface->child(indexOf(Part::Die, die)) : nullptr;
    if (!c)
        return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(c, changed);
    QAccessible::updateAccessibility(&event);
}

void BoardAccessible::notifyShown(BoardPanel* board, Part part)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(board);
    QAccessibleInterface* c = iface ? iface->child(indexOf(part, 0)) : nullptr;
    if (!c)
        return;
    QAccessibleEvent event(c, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&event);
}

} // namespace zk
