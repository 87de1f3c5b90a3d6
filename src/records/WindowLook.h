// What the records windows share: the main window's tiled background picture,
// and the step between Windows-1252 bytes (files, the wire) and screen text.
//
//     setTiledBackground(this, picture);
//     label->setText(screenText(name));      // bytes to QString
//     std::string bytes = fileText(edit->text());
#pragma once

#include <string>
#include <string_view>

#include <QString>

class QPixmap;
class QWidget;

namespace zk {

void setTiledBackground(QWidget* window, const QPixmap& picture);

QString screenText(std::string_view cp1252);
std::string fileText(const QString& text);

} // namespace zk
