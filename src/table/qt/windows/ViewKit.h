// ViewKit: where the board's bytes and colours meet the screen.
//
// The Board keeps text as Windows-1252 bytes and colours as colour values
// (0x00BBGGRR, or a system colour). The windows turn them into QColor here,
// and text into QString and back with toQt and fromQt (kit/QtText.h, which
// this header brings along).
//
//     label->setText(zk::toQt(board.seat(2).name));
//     logic.chat().setChatEntry(zk::fromQt(field->text()));
//     format.setForeground(zk::toQColor(line.colour, palette()));
//     window.setGeometry(zk::toQRect(kDefaultBounds));
#pragma once

#include <QColor>
#include <QPalette>
#include <QRect>

#include "game/Colour.h"
#include "kit/QtText.h" // toQt, fromQt
#include "game/Options.h"

namespace zk {

// The colour a colour value stands for. The 25 system colours take the
// matching role of the palette; clNone draws as the palette's text colour.
QColor toQColor(ColourValue value, const QPalette& palette);
// A colour chosen in a dialog as a colour value.
ColourValue fromQColor(const QColor& colour);

// The main window's bounds as the settings keep them, as a rectangle and back.
QRect toQRect(const WindowBounds& bounds);
WindowBounds fromQRect(const QRect& rect);

} // namespace zk
