#include "records/qt/WindowLook.h"

#include <QBrush>
#include <QPalette>
#include <QPixmap>
#include <QWidget>

namespace zk {

void setTiledBackground(QWidget* window, const QPixmap& picture)
{
    QPalette palette = window->palette();
    palette.setBrush(QPalette::Window, QBrush(picture)); // a texture brush tiles
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

} // namespace zk
