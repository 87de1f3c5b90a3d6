// Small helpers every auxiliary window shares: the tiled background picture
// and the non-blocking message box.
//
//     zk::applyBackground(this, backdrop);
//     zk::showMessage(this, "An Error has Occurred.");
#pragma once

#include <QPixmap>
#include <QString>

class QMessageBox;
class QWidget;

namespace zk {

// Tiles the picture over the widget's background. A null picture restores the
// style's plain background.
void applyBackground(QWidget* window, const QPixmap& picture);

// Shows a message box with one OK button over the window and returns at once;
// the box deletes itself when closed. Handlers that show a message do nothing
// more afterwards, so there is no need to wait in a nested event loop.
QMessageBox* showMessage(QWidget* parent, const QString& text);

} // namespace zk
