// ChatEntry: the entry field mychat under the chat display.
//
// The field shows the Board's entry text and keeps the logic told of every
// edit. Keys go through the logic's rules first: any key while the field
// shows "<Enter Chat Here>" empties it, Enter sends the line (sendit) and is
// consumed, and Paste (Ctrl+V or the pop-up menu popup_mychat) replaces the
// whole text with the clipboard's. Its text colour is the own text colour.
//
//     entry->sync(); // after the Board changed
#pragma once

#include <QLineEdit>

#include <string>

class QMenu;

namespace zk {

class TableLogic;

class ChatEntry : public QLineEdit {
    Q_OBJECT
public:
    explicit ChatEntry(TableLogic& logic, QWidget* parent = nullptr);

    // Shows the Board's entry text when the logic changed it, and the colour.
    void sync();
    void setPopup(QMenu* menu) { popup_ = menu; }

public slots:
    // "Paste": the clipboard's text, if it holds any, replaces the whole field.
    void pasteFromClipboard();

signals:
    // The logic acted on a key (a line may have been sent).
    void acted();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void edited(const QString& text);

    TableLogic& logic_;
    QMenu* popup_ = nullptr;
    std::string shown_; // the entry text as last given to or taken from the logic
};

} // namespace zk
