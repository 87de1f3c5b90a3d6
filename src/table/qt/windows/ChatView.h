// ChatView: the chat display mainchat, a read-only rich-text view of the
// Board's chat lines.
//
// Lines are appended as the Board's chat grows (never rebuilt), each with its
// part up to and including the first ":" in bold and the rest regular, both
// in the line's colour. With the scroll lock on, new lines leave the view
// and the caret where they were; otherwise the view follows the end. Links
// (see ChatLinks.h) show the hand cursor and open on a left press; any mouse
// button released over the view emits released(), so the window can hand
// the keyboard back to the entry field.
//
//     view->sync(board.chat, board.menu.scrollLock, board.menu.textSize);
#pragma once

#include <QCursor>
#include <QTextEdit>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "table/ChatLinks.h"

class QMenu;

namespace zk {

struct ChatDisplay;
struct ChatLine;

class ChatView : public QTextEdit {
    Q_OBJECT
public:
    // The display's background, RGB 254, 248, 211.
    static QColor background() { return {254, 248, 211}; }

    explicit ChatView(QWidget* parent = nullptr);

    // Brings the display up to the Board's chat: after a clear it starts over,
    // otherwise it appends the lines it has not shown yet.
    void sync(const ChatDisplay& chat, bool scrollLock, int textSize);
    // The pop-up menu (popup_mainchat) the right button opens.
    void setPopup(QMenu* menu) { popup_ = menu; }

    struct LinkHit {
        int position = 0; // document position of the link's first character
        ChatLink link;
    };
    // The link under a point of the viewport, if any.
    std::optional<LinkHit> linkAt(QPoint viewportPos) const;

signals:
    // A mouse button went up over the display.
    void released();
    // A link was pressed and handed to the platform to open.
    void linkOpened(const QString& link);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Copies the selection as plain text only.
    QMimeData* createMimeDataFromSelection() const override;

private:
    void appendLine(const ChatLine& line);

    QMenu* popup_ = nullptr;
    QCursor normalCursor_;
    std::uint64_t shownLines_ = 0;   // lines shown since the last clear, dropped ones too
    std::uint64_t shownDropped_ = 0; // of them, the ones removed from the front
    std::uint64_t shownClears_ = 0;
    int textSize_ = 0;
};

} // namespace zk
