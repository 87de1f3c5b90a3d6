#include "table/qt/windows/ChatView.h"

#include <algorithm>

#include <QAbstractTextDocumentLayout>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QUrl>

#include "table/qt/art/Art.h"
#include "table/Board.h"
#include "table/qt/windows/ViewKit.h"

namespace zk {

ChatView::ChatView(QWidget* parent) : QTextEdit(parent)
{
    setObjectName(QStringLiteral("mainchat"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    document()->setDocumentMargin(5); // the 5-pixel inner border

    QPalette pal = palette();
    pal.setColor(QPalette::Base, background());
    // The selection stays visible when the display loses the focus.
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    setPalette(pal);

    viewport()->setMouseTracking(true);
    normalCursor_ = viewport()->cursor();
}

void ChatView::sync(const ChatDisplay& chat, bool scrollLock, int textSize)
{
    if (textSize != textSize_ && textSize > 0) {
        textSize_ = textSize;
        QFont f = art::sansFont(12, false);
        f.setPointSize(textSize);
        setFont(f);
    }
    // Line numbers count from the last clear; the display may have let its
    // oldest lines go (chat.dropped) since this view last looked.
    const std::uint64_t total = chat.dropped + chat.lines.size();
    const bool cleared =
        chat.clearCount != shownClears_ || total < shownLines_ || chat.dropped < shownDropped_;
    if (!cleared && total == shownLines_)
        return;

    // One repaint for the whole batch, so a burst of lines does not flicker.
    setUpdatesEnabled(false);
    QScrollBar* bar = verticalScrollBar();
    const int keptScroll = bar->value();
    const QTextCursor keptCaret = textCursor();
    if (cleared) {
        clear();
        shownLines_ = chat.dropped;
        shownDropped_ = chat.dropped;
        shownClears_ = chat.clearCount;
    }
    if (chat.dropped > shownDropped_) {
        // The oldest lines went: their blocks go too (all of them when even
        // lines this view never showed went).
        const std::uint64_t gone = std::min<std::uint64_t>(chat.dropped, shownLines_) - shownDropped_;
        QTextCursor front(document());
        front.movePosition(QTextCursor::Start);
        front.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, static_cast<int>(gone));
        if (gone >= shownLines_ - shownDropped_)
            front.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        front.removeSelectedText();
        shownDropped_ = chat.dropped;
        shownLines_ = std::max(shownLines_, shownDropped_);
    }
    for (; shownLines_ < total; ++shownLines_)
        appendLine(chat.lines[static_cast<std::size_t>(shownLines_ - chat.dropped)]);
    if (scrollLock && !cleared) {
        setTextCursor(keptCaret);
        bar->setValue(keptScroll);
    } else {
        bar->setValue(bar->maximum());
    }
    setUpdatesEnabled(true);
    viewport()->update();
}

void ChatView::appendLine(const ChatLine& line)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (shownLines_ > shownDropped_)
        cursor.insertBlock();
    const QColor colour = toQColor(line.colour, palette());
    QTextCharFormat bold;
    bold.setForeground(colour);
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat regular;
    regular.setForeground(colour);
    regular.setFontWeight(QFont::Normal);
    const std::size_t boldLength = line.boldLength();
    const std::string_view text(line.text);
    cursor.insertText(toQt(text.substr(0, boldLength)), bold);
    cursor.insertText(toQt(text.substr(boldLength)), regular);
}

std::optional<ChatView::LinkHit> ChatView::linkAt(QPoint viewportPos) const
{
    const QPointF onDocument(viewportPos.x() + horizontalScrollBar()->value(),
                             viewportPos.y() + verticalScrollBar()->value());
    // The character under the pointer; none beyond the end of a line's text.
    const int position = document()->documentLayout()->hitTest(onDocument, Qt::ExactHit);
    if (position < 0)
        return std::nullopt;
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid())
        return std::nullopt;
    // One Windows-1252 byte per character, so positions carry over.
    const std::string text = fromQt(block.text());
    const auto link = findLink(text, static_cast<std::size_t>(position - block.position()));
    if (!link)
        return std::nullopt;
    return LinkHit{block.position() + static_cast<int>(link->start), *link};
}

void ChatView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (const auto hit = linkAt(event->position().toPoint())) {
            QTextCursor select(document());
            select.setPosition(hit->position);
            select.setPosition(hit->position + static_cast<int>(hit->link.text.size()),
                               QTextCursor::KeepAnchor);
            setTextCursor(select);
            const QString link = toQt(hit->link.text);
            // The platform's handler opens it as it reads ("www." goes to the web).
            QDesktopServices::openUrl(QUrl::fromUserInput(link));
            emit linkOpened(link);
            event->accept();
            return;
        }
    }
    QTextEdit::mousePressEvent(event);
}

void ChatView::mouseMoveEvent(QMouseEvent* event)
{
    viewport()->setCursor(linkAt(event->position().toPoint()) ? QCursor(Qt::PointingHandCursor)
                                                              : normalCursor_);
    QTextEdit::mouseMoveEvent(event);
}

void ChatView::mouseReleaseEvent(QMouseEvent* event)
{
    QTextEdit::mouseReleaseEvent(event);
    emit released();
}

void ChatView::contextMenuEvent(QContextMenuEvent* event)
{
    if (popup_)
        popup_->popup(event->globalPos());
    event->accept();
}

QMimeData* ChatView::createMimeDataFromSelection() const
{
    auto* mime = new QMimeData;
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    mime->setText(text);
    return mime;
}

} // namespace zk
