#include "table/qt/windows/ChatEntry.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

#include "table/qt/art/Art.h"
#include "table/TableLogic.h"
#include "table/qt/windows/ViewKit.h"

namespace zk {

ChatEntry::ChatEntry(TableLogic& logic, QWidget* parent) : QLineEdit(parent), logic_(logic)
{
    setObjectName(QStringLiteral("mychat"));
    setFont(art::sansFont(13, false));
    connect(this, &QLineEdit::textEdited, this, &ChatEntry::edited);
    sync();
}

void ChatEntry::sync()
{
    const Board& b = logic_.board();
    if (b.chatEntry != shown_) {
        shown_ = b.chatEntry;
        setText(toQt(shown_));
    }
    QPalette pal = palette();
    const QColor colour = toQColor(b.menu.textColour, pal);
    if (pal.color(QPalette::Text) != colour) {
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            pal.setColor(group, QPalette::Text, colour);
        setPalette(pal);
    }
}

void ChatEntry::edited(const QString& text)
{
    shown_ = fromQt(text);
    logic_.chat().setChatEntry(shown_);
}

void ChatEntry::keyPressEvent(QKeyEvent* event)
{
    // While a prompt is open its keys answer it from here too: Y or Enter
    // says YES, N or Escape NO; Enter or Escape closes the reminder.
    const Board& b = logic_.board();
    if ((b.rollPromptShown || b.thirdRollPromptShown) && !(event->modifiers() & ~Qt::KeypadModifier)) {
        const int key = event->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        bool answered = true;
        if (b.thirdRollPromptShown && (enter || key == Qt::Key_Escape))
            logic_.okClick();
        else if (b.rollPromptShown && (key == Qt::Key_Y || enter))
            logic_.yesClick();
        else if (b.rollPromptShown && (key == Qt::Key_N || key == Qt::Key_Escape))
            logic_.noClick();
        else
            answered = false;
        if (answered) {
            emit acted();
            event->accept();
            return;
        }
    }
    // Any key first meets the placeholder rule.
    logic_.chat().chatEntryKeyPressed();
    sync();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        logic_.chat().sendit();
        sync();
        emit acted();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        pasteFromClipboard();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void ChatEntry::pasteFromClipboard()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    logic_.chat().pasteIntoChatEntry(fromQt(text));
    sync();
}

void ChatEntry::contextMenuEvent(QContextMenuEvent* event)
{
    if (popup_)
        popup_->popup(event->globalPos());
    event->accept();
}

} // namespace zk
