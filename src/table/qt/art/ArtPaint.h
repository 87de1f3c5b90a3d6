// ArtPaint: the drawing routines behind Art.h, shared by the Art*.cpp files.
//
// Every routine draws one family of pictures in logical coordinates with the
// picture's top-left corner at (0, 0); Art.cpp sets up the painter (scale,
// antialiasing) and caches the results. The palette lives here so every
// picture uses the same reds, golds and creams.
#pragma once

#include "table/qt/art/Art.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>

namespace zk::art::detail {

namespace tone {
// Dice and the big buttons.
inline const QColor dieLight{0xE8, 0x3A, 0x44};
inline const QColor dieRed{0xC4, 0x12, 0x2A};
inline const QColor dieDark{0x86, 0x08, 0x18};
inline const QColor dieEdge{0x52, 0x05, 0x0E};
inline const QColor pip{0xFF, 0xF8, 0xEA};
inline const QColor pipShade{0xD9, 0xC9, 0xB0};
// Accents.
inline const QColor goldLight{0xFF, 0xEC, 0xA8};
inline const QColor gold{0xE0, 0xB0, 0x3A};
inline const QColor goldDark{0x9A, 0x70, 0x12};
inline const QColor accentRed{0xB0, 0x16, 0x22};
inline const QColor wine{0x6E, 0x0A, 0x14};
// Paper of the score card and the panels.
inline const QColor cream{0xFC, 0xF5, 0xE0};
inline const QColor creamDark{0xF2, 0xE4, 0xBE};
inline const QColor rule{0xBF, 0xA6, 0x78};
inline const QColor ink{0x3A, 0x22, 0x12};
inline const QColor paleYellow{0xFF, 0xF7, 0xC8};
} // namespace tone

// Linear interpolation of two colours, t in 0 .. 1.
QColor mix(const QColor& a, const QColor& b, qreal t);

// A die of the given face (0 for a blank body) inside box, optionally with
// the bonus border; used by the dice list, the title and the About picture.
void drawDie(QPainter& p, const QRectF& box, int face, bool bonus);
void drawDieBody(QPainter& p, const QRectF& box, bool bonus);
void drawPips(QPainter& p, const QRectF& box, int face);

// Text in a picture: centred in rect, with an optional soft shadow.
void drawCaption(QPainter& p, const QRectF& rect, const QString& text, const QFont& font,
                 const QColor& colour, const QColor& shadow = QColor());

// Star with the given number of points centred at c; turn rotates it (radians).
QPainterPath starPath(QPointF c, qreal outer, qreal inner, int points, qreal turn = 0);

// Families of pictures (size = the logical size the picture is drawn at).
void drawDiceImage(QPainter& p, ArtId id);
void drawRollCounter(QPainter& p, int crossed);
void drawBonusBurst(QPainter& p);
void drawPictureButton(QPainter& p, ArtId id, Look look, QSizeF size);
void drawCategoryButton(QPainter& p, int category, Look look, QSizeF size);
void drawPhraseButton(QPainter& p, int number, Look look, QSizeF size);
void drawTickBox(QPainter& p, bool ticked);

void drawBar(QPainter& p, qreal width);
void drawArrow(QPainter& p);
void drawTurnFrame(QPainter& p);
void drawEyes(QPainter& p);
void drawNotPlaying(QPainter& p);
void drawWinnerRing(QPainter& p);
void drawScoreCard(QPainter& p);

void drawTitle(QPainter& p);
void drawLogo(QPainter& p);
void drawAbout(QPainter& p);
void drawPromptPanel(QPainter& p, QSizeF size);
void drawWinnerPanel(QPainter& p, QSizeF size);

// The wood tile, computed pixel by pixel at the device resolution. Its
// pattern is periodic in the tile, so copies placed side by side join
// without a seam.
QImage renderBackgroundTile(qreal devicePixelRatio);

} // namespace zk::art::detail
