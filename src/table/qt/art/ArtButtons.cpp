// Picture buttons (ROLL DICE, Start, START GAME, YES, NO, OK), the category
// buttons of the score card and the ten phrase buttons, each with its looks.
#include "table/qt/art/ArtPaint.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace zk::art::detail {

namespace {

QString pictureCaption(ArtId id)
{
    switch (id) {
    case ArtId::ButtonRoll: return QStringLiteral("ROLL DICE");
    case ArtId::ButtonStart: return QStringLiteral("Start");
    case ArtId::ButtonStartGame: return QStringLiteral("START GAME");
    case ArtId::ButtonYes: return QStringLiteral("YES");
    case ArtId::ButtonNo: return QStringLiteral("NO");
    case ArtId::ButtonOk: return QStringLiteral("OK");
    default: return {};
    }
}

QString categoryCaption(int category)
{
    static const char* const captions[] = {"Ones", "Twos", "Threes", "Fours", "Fives", "Sixes", "Zonkard"};
    return QString::fromLatin1(captions[std::clamp(category, 1, 7) - 1]);
}

// Greys a colour for the disabled look.
QColor dim(const QColor& c)
{
    const int g = qGray(c.rgb());
    return mix(QColor(g, g, g, c.alpha()), QColor(200, 195, 185), 0.35);
}

QColor lookColour(const QColor& c, Look look)
{
    switch (look) {
    case Look::Hover: return c.lighter(118);
    case Look::Pressed: return c.darker(118);
    case Look::Disabled: return dim(c);
    default: return c;
    }
}

// Red face with a gold rim: the style of every picture button and phrase button.
void drawRedButtonFace(QPainter& p, QRectF outer, qreal radius, Look look, qreal rimWidth)
{
    const bool pressed = look == Look::Pressed;
    p.setPen(Qt::NoPen);
    // Drop shadow (a pressed button sits flat on the table).
    if (!pressed) {
        p.setBrush(QColor(40, 15, 0, 70));
        p.drawRoundedRect(outer.translated(0, 1.5), radius, radius);
    }
    if (pressed)
        outer.translate(0, 1);

    QLinearGradient rim(outer.topLeft(), outer.bottomLeft());
    rim.setColorAt(0.0, lookColour(tone::goldLight, look));
    rim.setColorAt(0.5, lookColour(tone::gold, look));
    rim.setColorAt(1.0, lookColour(tone::goldDark, look));
    p.setBrush(rim);
    p.setPen(QPen(lookColour(QColor(0x5A, 0x3A, 0x06), look), 0.8));
    p.drawRoundedRect(outer, radius, radius);

    const QRectF face = outer.adjusted(rimWidth, rimWidth, -rimWidth, -rimWidth);
    const qreal faceRadius = std::max<qreal>(1.0, radius - rimWidth);
    QLinearGradient red(face.topLeft(), face.bottomLeft());
    if (pressed) {
        red.setColorAt(0.0, tone::dieDark.darker(115));
        red.setColorAt(1.0, tone::dieRed);
    } else {
        red.setColorAt(0.0, lookColour(tone::dieLight, look));
        red.setColorAt(0.55, lookColour(tone::dieRed, look));
        red.setColorAt(1.0, lookColour(tone::dieDark, look));
    }
    p.setBrush(red);
    p.setPen(QPen(lookColour(tone::dieEdge, look), 0.8));
    p.drawRoundedRect(face, faceRadius, faceRadius);

    // Gloss over the upper half.
    if (!pressed) {
        QRectF top = face.adjusted(1, 1, -1, -face.height() * 0.5);
        QLinearGradient gloss(top.topLeft(), top.bottomLeft());
        gloss.setColorAt(0.0, QColor(255, 255, 255, look == Look::Disabled ? 40 : 90));
        gloss.setColorAt(1.0, QColor(255, 255, 255, 8));
        p.setPen(Qt::NoPen);
        p.setBrush(gloss);
        p.drawRoundedRect(top, faceRadius - 1, faceRadius - 1);
    } else {
        // Sunken: a shade along the top edge.
        QRectF top = face.adjusted(1, 1, -1, -face.height() * 0.6);
        QLinearGradient shade(top.topLeft(), top.bottomLeft());
        shade.setColorAt(0.0, QColor(0, 0, 0, 80));
        shade.setColorAt(1.0, QColor(0, 0, 0, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(shade);
        p.drawRoundedRect(top, faceRadius - 1, faceRadius - 1);
    }
    if (look == Look::Hover) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 240, 180, 160), 1.0));
        p.drawRoundedRect(face.adjusted(1, 1, -1, -1), faceRadius - 1, faceRadius - 1);
    }
}

// A glyph path of phrase button n, drawn in a 14 x 14 box centred at (0, 0).
void drawGlyph(QPainter& p, int n, const QColor& ink)
{
    QPen line(ink, 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setBrush(Qt::NoBrush);
    p.setPen(line);
    switch (n) {
    case 1: { // star: way to go
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(starPath(QPointF(0, 0.6), 7.2, 3.0, 5));
        break;
    }
    case 2: { // tick: good one
        QPainterPath tick;
        tick.moveTo(-5.5, 0.5);
        tick.lineTo(-1.8, 4.6);
        tick.lineTo(5.8, -5);
        p.setPen(QPen(ink, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
        break;
    }
    case 3: { // smile: nice try
        p.drawEllipse(QPointF(0, 0), 6.2, 6.2);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QPointF(-2.2, -1.8), 1.1, 1.3);
        p.drawEllipse(QPointF(2.2, -1.8), 1.1, 1.3);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(-3.6, -2.6, 7.2, 6.4), 200 * 16, 140 * 16);
        break;
    }
    case 4: { // exclamation mark: excellent
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        QPainterPath bar;
        bar.moveTo(-2.0, -6.8);
        bar.lineTo(2.0, -6.8);
        bar.lineTo(1.0, 2.4);
        bar.lineTo(-1.0, 2.4);
        bar.closeSubpath();
        p.drawPath(bar);
        p.drawEllipse(QPointF(0, 5.3), 1.6, 1.6);
        break;
    }
    case 5: { // sun: brilliant
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QPointF(0, 0), 3.4, 3.4);
        p.setPen(QPen(ink, 1.5, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 8; ++i) {
            const qreal a = i * M_PI / 4;
            p.drawLine(QPointF(5.0 * std::cos(a), 5.0 * std::sin(a)),
                       QPointF(7.0 * std::cos(a), 7.0 * std::sin(a)));
        }
        break;
    }
    case 6: { // lightning: wow
        QPainterPath bolt;
        bolt.moveTo(1.8, -7.2);
        bolt.lineTo(-4.6, 1.0);
        bolt.lineTo(-0.4, 1.0);
        bolt.lineTo(-2.0, 7.2);
        bolt.lineTo(4.6, -1.4);
        bolt.lineTo(0.4, -1.4);
        bolt.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(bolt);
        break;
    }
    case 7: { // heart: thanks
        QPainterPath heart;
        heart.moveTo(0, 6.4);
        heart.cubicTo(-9.5, -0.5, -4.8, -9.0, 0, -3.2);
        heart.cubicTo(4.8, -9.0, 9.5, -0.5, 0, 6.4);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(heart);
        break;
    }
    case 8: { // two heads: teamie
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        for (qreal x : {-3.4, 3.4}) {
            p.drawEllipse(QPointF(x, -3.0), 2.3, 2.3);
            QPainterPath body;
            body.moveTo(x - 3.6, 6.4);
            body.cubicTo(x - 3.6, 0.6, x + 3.6, 0.6, x + 3.6, 6.4);
            body.closeSubpath();
            p.drawPath(body);
        }
        break;
    }
    case 9: { // cup: good game
        QPainterPath cup;
        cup.moveTo(-4.6, -6.0);
        cup.lineTo(4.6, -6.0);
        cup.cubicTo(4.6, 0.0, 2.4, 1.6, 0.8, 1.8);
        cup.lineTo(0.8, 4.0);
        cup.lineTo(3.4, 5.0);
        cup.lineTo(3.4, 6.4);
        cup.lineTo(-3.4, 6.4);
        cup.lineTo(-3.4, 5.0);
        cup.lineTo(-0.8, 4.0);
        cup.lineTo(-0.8, 1.8);
        cup.cubicTo(-2.4, 1.6, -4.6, 0.0, -4.6, -6.0);
        cup.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(cup);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, 1.2));
        p.drawArc(QRectF(-7.4, -5.4, 4.2, 4.8), 90 * 16, 180 * 16);
        p.drawArc(QRectF(3.2, -5.4, 4.2, 4.8), 270 * 16, 180 * 16);
        break;
    }
    default: { // speaker with a note: chatter sounds
        QPainterPath speaker;
        speaker.moveTo(-7.2, -2.2);
        speaker.lineTo(-4.6, -2.2);
        speaker.lineTo(-1.2, -5.6);
        speaker.lineTo(-1.2, 5.6);
        speaker.lineTo(-4.6, 2.2);
        speaker.lineTo(-7.2, 2.2);
        speaker.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(speaker);
        // A quaver beside it.
        p.drawEllipse(QPointF(3.2, 4.4), 2.1, 1.6);
        p.setPen(QPen(ink, 1.2, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(5.2, 4.2), QPointF(5.2, -6.2));
        QPainterPath flag;
        flag.moveTo(5.2, -6.2);
        flag.cubicTo(7.2, -4.8, 8.2, -3.6, 7.0, -1.2);
        p.setBrush(Qt::NoBrush);
        p.drawPath(flag);
        break;
    }
    }
}

} // namespace

void drawPictureButton(QPainter& p, ArtId id, Look look, QSizeF size)
{
    p.save();
    const QRectF outer = QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -2.0);
    const qreal radius = std::min<qreal>(10.0, outer.height() / 2.5);
    drawRedButtonFace(p, outer, radius, look, 2.6);

    const qreal shift = look == Look::Pressed ? 1.0 : 0.0;
    QFont font = sansFont(size.height() >= 36 ? 16 : 15, true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    const QColor ink = look == Look::Disabled ? QColor(235, 230, 222) : tone::cream;
    drawCaption(p, outer.translated(0, shift - 0.5), pictureCaption(id), font, ink, QColor(70, 0, 10, 200));
    p.restore();
}

void drawCategoryButton(QPainter& p, int category, Look look, QSizeF size)
{
    p.save();
    const bool pressed = look == Look::Pressed;
    QRectF plate = QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -1.5);
    p.setPen(Qt::NoPen);
    if (!pressed) {
        p.setBrush(QColor(60, 30, 0, 60));
        p.drawRoundedRect(plate.translated(0, 1.0), 5, 5);
    } else {
        plate.translate(0, 1);
    }
    QLinearGradient goldShade(plate.topLeft(), plate.bottomLeft());
    if (pressed) {
        goldShade.setColorAt(0.0, tone::goldDark);
        goldShade.setColorAt(1.0, tone::gold);
    } else {
        goldShade.setColorAt(0.0, lookColour(tone::goldLight, look));
        goldShade.setColorAt(0.5, lookColour(tone::gold, look));
        goldShade.setColorAt(1.0, lookColour(tone::goldDark, look));
    }
    p.setBrush(goldShade);
    p.setPen(QPen(lookColour(QColor(0x6A, 0x46, 0x08), look), 1.0));
    p.drawRoundedRect(plate, 5, 5);
    // An inner red hairline keeps the plate in the red-and-gold family.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(lookColour(QColor(0xB0, 0x16, 0x22, 150), look), 0.8));
    p.drawRoundedRect(plate.adjusted(2, 2, -2, -2), 3.5, 3.5);
    if (!pressed && look != Look::Disabled) {
        QRectF top = plate.adjusted(1.5, 1.5, -1.5, -plate.height() * 0.5);
        QLinearGradient gloss(top.topLeft(), top.bottomLeft());
        gloss.setColorAt(0.0, QColor(255, 255, 255, 110));
        gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(gloss);
        p.drawRoundedRect(top, 4, 4);
    }

    // The caption keeps clear of the right end, where the chosen-category
    // arrow sits (20 pixels from x 63).
    const QString caption = categoryCaption(category);
    QFont font = serifFont(13, true);
    const QRectF area(plate.left() + 5, plate.top(), 58, plate.height());
    while (QFontMetricsF(font).horizontalAdvance(caption) > area.width() && font.pixelSize() > 9)
        font.setPixelSize(font.pixelSize() - 1);
    const QColor ink = look == Look::Disabled ? QColor(110, 95, 80) : tone::wine;
    drawCaption(p, area.translated(0, -0.5), caption, font, ink, QColor(255, 246, 210, 170));
    p.restore();
}

void drawPhraseButton(QPainter& p, int number, Look look, QSizeF size)
{
    p.save();
    const QRectF outer = QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -1.5);
    drawRedButtonFace(p, outer, 4.5, look, 1.6);
    const qreal shift = look == Look::Pressed ? 1.0 : 0.0;
    const QPointF centre = outer.center() + QPointF(0, shift - 0.2);
    const qreal scale = std::min(outer.width(), outer.height()) / 19.0;
    const QColor ink = look == Look::Disabled ? QColor(230, 226, 218) : tone::goldLight;
    p.translate(centre);
    p.scale(scale * 0.92, scale * 0.92);
    p.save();
    p.translate(0.5, 0.7);
    drawGlyph(p, number, QColor(60, 0, 8, 160));
    p.restore();
    drawGlyph(p, number, ink);
    p.restore();
}

} // namespace zk::art::detail
