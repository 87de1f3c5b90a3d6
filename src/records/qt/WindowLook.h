// What the records windows share: the main window's tiled background
// picture. (Their text crosses to the screen with toQt and fromQt,
// protocol/QtText.h.)
//
//     setTiledBackground(this, picture);
#pragma once

class QPixmap;
class QWidget;

namespace zk {

void setTiledBackground(QWidget* window, const QPixmap& picture);

} // namespace zk
