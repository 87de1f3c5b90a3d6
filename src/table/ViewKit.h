// ViewKit: where the board's bytes and colours meet the screen.
//
// The Board keeps text as Windows-1252 bytes and colours as colour values
// (0x00BBGGRR, or a system colour). The windows turn them into QString and
// QColor here, and typed text back into bytes, so no other view code crosses
// the code-page boundary.
//
//     label->setText(zk::toQt(board.seat(2).name));
//     logic.setChatEntry(zk::fromQt(field->text()));
//     format.setForeground(zk::toQColor(line.colour, palette()));
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

#include <string>
#include <string_view>

#include "protocol/Colour.h"

namespace zk {

// Windows-1252 bytes as text for a widget.
QString toQt(std::string_view cp1252);
// Text from a widget as Windows-1252 bytes (characters the code page lacks
// become "?").
std::string fromQt(const QString& text);

// The colour a colour value stands for. The 25 system colours take the
// matching role of the palette; clNone draws as the palette's text colour.
QColor toQColor(ColourValue value, const QPalette& palette);
// A colour chosen in a dialog as a colour value.
ColourValue fromQColor(const QColor& colour);

} // namespace zk
