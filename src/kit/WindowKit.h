// What every window shares: the tiled background picture and the message
// box that never stops the event loop.
//
//     zk::applyBackground(this, backdrop);
//     zk::showMessage(this, "An Error has Occurred.");                     // over this window
//     zk::showMessage(&tableWindow, text, Blocking::Nothing);              // the table plays on
#pragma once

#include <QPixmap>
#include <QString>

class QMessageBox;
class QWidget;

namespace zk {

// Tiles the picture over the widget's background. A null picture restores the
// style's plain background.
void applyBackground(QWidget* window, const QPixmap& picture);

// What a message box keeps from the player while it shows: its window (the
// auxiliary windows' messages), or nothing (the table's notices, which must
// not stop a game).
enum class Blocking { Window, Nothing };

// Shows a message box with one OK button over the window and returns at once;
// the box deletes itself when closed. Handlers that show a message do nothing
// more afterwards, so there is no need to wait in a nested event loop. The
// boxes are named "zk_message", so a window can list the ones open.
QMessageBox* showMessage(QWidget* parent, const QString& text, Blocking blocking = Blocking::Window);

// Our own top-level windows made from plain widgets (the start window,
// Help, the lobby download) are windows to a screen reader, which follows
// the focus only inside windows, frames and dialogs; Qt would give them the
// role of a bare client area. Installed once, before the first window shows.
void presentWindowsToReaders();

// Alt tapped alone does not move the focus into the menu bar: the table's
// Alt+1 to Alt+7 choose categories, and a screen reader that passes the
// Alt key on by itself would otherwise leave the player in the menus. The
// menus still open with their letters (Alt+F, Alt+O, ...). Call once after
// the QApplication is made.
void keepAltForShortcuts();

} // namespace zk
