// Where Windows-1252 bytes meet a person: the step between the bytes of the
// wire and the files, and the QString of a widget. Every view, window and
// dialog crosses the code-page boundary here and nowhere else.
//
//     label->setText(zk::toQt(board.seat(2).name));
//     std::string bytes = zk::fromQt(edit->text());   // "?" for what 1252 lacks
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace zk {

// Windows-1252 bytes as text for a widget.
QString toQt(std::string_view cp1252);
// Text from a widget as Windows-1252 bytes (characters the code page lacks
// become "?"; see toCp1252).
std::string fromQt(const QString& text);

} // namespace zk
