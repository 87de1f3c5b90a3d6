#include "records/WindowLook.h"

#include <QBrush>
#include <QPalette>
#include <QPixmap>
#include <QWidget>

#include "protocol/Text.h"

namespace zk {

void setTiledBackground(QWidget* window, const QPixmap& picture)
{
    QPalette palette = window->palette();
    palette.setBrush(QPalette::Window, QBrush(picture)); // a texture brush tiles
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

QString screenText(std::string_view cp1252)
{
    const std::string utf8 = fromCp1252(cp1252);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string fileText(const QString& text)
{
    return toCp1252(text.toStdString());
}

} // namespace zk
