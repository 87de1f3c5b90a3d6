// The dice image list, the roll counter, the BONUS starburst and the tick boxes.
#include "table/qt/art/ArtPaint.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>
#include <vector>

namespace zk::art::detail {

namespace {

// Pip centres of each face on a unit grid of -1, 0, 1 (column, row).
struct Pip {
    int x;
    int y;
};
const std::vector<Pip>& pipsOf(int face)
{
    static const std::vector<Pip> faces[7] = {
        {},
        {{0, 0}},
        {{-1, -1}, {1, 1}},
        {{-1, -1}, {0, 0}, {1, 1}},
        {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}},
        {{-1, -1}, {1, -1}, {0, 0}, {-1, 1}, {1, 1}},
        {{-1, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {1, 1}},
    };
    return faces[(face >= 0 && face <= 6) ? face : 0];
}

} // namespace

void drawDieBody(QPainter& p, const QRectF& box, bool bonus)
{
    const qreal u = box.width() / 48.0; // one pixel of the 48-pixel die
    const QRectF body = box.adjusted(2 * u, 1.5 * u, -2.5 * u, -3 * u);
    const qreal radius = 9 * u;

    p.save();
    p.setPen(Qt::NoPen);
    // Soft shadow under the die, inside the picture so the backdrop stays clean.
    p.setBrush(QColor(40, 10, 0, 60));
    p.drawRoundedRect(body.translated(1 * u, 2 * u), radius, radius);
    p.setBrush(QColor(40, 10, 0, 40));
    p.drawRoundedRect(body.translated(0.5 * u, 1 * u).adjusted(-0.5 * u, 0, 0.5 * u, 0.5 * u), radius,
                      radius);

    // Body: lit from the upper left.
    QLinearGradient shade(body.topLeft(), body.bottomRight());
    shade.setColorAt(0.0, tone::dieLight);
    shade.setColorAt(0.45, tone::dieRed);
    shade.setColorAt(1.0, tone::dieDark);
    p.setBrush(shade);
    p.setPen(QPen(tone::dieEdge, 1.0 * u));
    p.drawRoundedRect(body, radius, radius);

    if (bonus) {
        // A gold border set into the face.
        const QRectF rim = body.adjusted(2.2 * u, 2.2 * u, -2.2 * u, -2.2 * u);
        QLinearGradient goldShade(rim.topLeft(), rim.bottomRight());
        goldShade.setColorAt(0.0, tone::goldLight);
        goldShade.setColorAt(0.5, tone::gold);
        goldShade.setColorAt(1.0, tone::goldDark);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QBrush(goldShade), 3.0 * u));
        p.drawRoundedRect(rim, radius - 2 * u, radius - 2 * u);
        p.setPen(QPen(QColor(90, 50, 0, 150), 0.8 * u));
        p.drawRoundedRect(rim.adjusted(1.9 * u, 1.9 * u, -1.9 * u, -1.9 * u), radius - 4 * u, radius - 4 * u);
    }

    // Gloss: a soft highlight in the upper left and a bright rim along the top.
    QRadialGradient gloss(body.left() + body.width() * 0.3, body.top() + body.height() * 0.25,
                          body.width() * 0.6);
    gloss.setColorAt(0.0, QColor(255, 255, 255, 70));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawRoundedRect(body, radius, radius);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 220, 220, 90), 1.0 * u));
    p.drawRoundedRect(body.adjusted(1.2 * u, 1.2 * u, -1.2 * u, -1.2 * u), radius - 1.2 * u,
                      radius - 1.2 * u);
    p.restore();
}

void drawPips(QPainter& p, const QRectF& box, int face)
{
    const qreal u = box.width() / 48.0;
    // The pips sit on the centre of the body, which leaves room for its shadow.
    const QPointF centre(box.left() + 23.75 * u, box.top() + 23.25 * u);
    const qreal step = 11.5 * u;
    const qreal r = (face == 1 ? 5.6 : 4.4) * u;
    p.save();
    for (const Pip& pip : pipsOf(face)) {
        const QPointF c(centre.x() + pip.x * step, centre.y() + pip.y * step);
        // A drilled pip: dark lip below and right, bright face, light rim above.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 0, 8, 120));
        p.drawEllipse(c + QPointF(0.5 * u, 0.7 * u), r, r);
        QRadialGradient fill(c + QPointF(-r * 0.35, -r * 0.35), r * 1.3);
        fill.setColorAt(0.0, Qt::white);
        fill.setColorAt(0.6, tone::pip);
        fill.setColorAt(1.0, tone::pipShade);
        p.setBrush(fill);
        p.drawEllipse(c, r, r);
    }
    p.restore();
}

void drawDie(QPainter& p, const QRectF& box, int face, bool bonus)
{
    drawDieBody(p, box, bonus);
    drawPips(p, box, face);
}

void drawDiceImage(QPainter& p, ArtId id)
{
    const QRectF box(0, 0, 48, 48);
    switch (id) {
    case ArtId::DieBody: drawDieBody(p, box, false); break;
    case ArtId::BonusDieBody: drawDieBody(p, box, true); break;
    case ArtId::DiceEmpty: break;
    default: drawPips(p, box, static_cast<int>(id) - static_cast<int>(ArtId::DiceEmpty)); break;
    }
}

void drawRollCounter(QPainter& p, int crossed)
{
    p.save();
    for (int i = 0; i < 3; ++i) {
        const QRectF box(1.5 + i * 22, 1.5, 19, 19);
        // Sunken paper box.
        QLinearGradient paper(box.topLeft(), box.bottomLeft());
        paper.setColorAt(0.0, tone::creamDark);
        paper.setColorAt(1.0, tone::cream);
        p.setBrush(paper);
        p.setPen(QPen(tone::ink, 1.2));
        p.drawRoundedRect(box, 3, 3);
        p.setPen(QPen(QColor(0, 0, 0, 40), 1.0));
        p.drawLine(QPointF(box.left() + 2, box.top() + 1.6), QPointF(box.right() - 2, box.top() + 1.6));
        if (i < crossed) {
            const QRectF x = box.adjusted(4, 4, -4, -4);
            QPen shadow(QColor(80, 0, 0, 90), 3.6, Qt::SolidLine, Qt::RoundCap);
            p.setPen(shadow);
            p.drawLine(x.topLeft() + QPointF(0.6, 0.8), x.bottomRight() + QPointF(0.6, 0.8));
            p.drawLine(x.topRight() + QPointF(0.6, 0.8), x.bottomLeft() + QPointF(0.6, 0.8));
            QPen red(tone::dieRed, 3.0, Qt::SolidLine, Qt::RoundCap);
            p.setPen(red);
            p.drawLine(x.topLeft(), x.bottomRight());
            p.drawLine(x.topRight(), x.bottomLeft());
        }
    }
    p.restore();
}

void drawBonusBurst(QPainter& p)
{
    p.save();
    const QPointF c(29, 31);
    // A burst of sixteen points, a little taller than wide like the picture.
    QPainterPath burst;
    const int points = 16;
    for (int i = 0; i < points * 2; ++i) {
        const bool tip = i % 2 == 0;
        const qreal a = -M_PI / 2 + i * M_PI / points;
        const qreal rx = tip ? 27.5 : 20.0;
        const qreal ry = tip ? 29.5 : 21.5;
        QPointF pt(c.x() + rx * std::cos(a), c.y() + ry * std::sin(a));
        if (i == 0)
            burst.moveTo(pt);
        else
            burst.lineTo(pt);
    }
    burst.closeSubpath();

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 20, 0, 70));
    p.drawPath(burst.translated(0.8, 1.2));
    QRadialGradient fill(c + QPointF(-4, -6), 30);
    fill.setColorAt(0.0, QColor(0xFF, 0xFB, 0xD8));
    fill.setColorAt(0.45, QColor(0xFF, 0xD9, 0x4A));
    fill.setColorAt(1.0, QColor(0xE8, 0x8A, 0x12));
    p.setBrush(fill);
    p.setPen(QPen(tone::accentRed, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(burst);

    // Inner disc that carries the word.
    p.setPen(QPen(QColor(0xB0, 0x16, 0x22, 150), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 18, 19.5);

    // The word, slightly tilted like a sticker, red with a light halo.
    QFont font = sansFont(11, true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.3);
    font.setStretch(92);
    QPainterPath word;
    word.addText(0, 0, font, QStringLiteral("BONUS"));
    const QRectF wb = word.boundingRect();
    p.translate(c);
    p.rotate(-12);
    p.translate(-wb.center());
    p.setPen(QPen(QColor(255, 255, 235, 230), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(word);
    p.setPen(Qt::NoPen);
    p.setBrush(tone::accentRed);
    p.drawPath(word);
    p.restore();
}

void drawTickBox(QPainter& p, bool ticked)
{
    p.save();
    const QRectF box(5.5, 2.5, 17, 17);
    QLinearGradient paper(box.topLeft(), box.bottomLeft());
    paper.setColorAt(0.0, tone::creamDark);
    paper.setColorAt(1.0, Qt::white);
    p.setBrush(paper);
    p.setPen(QPen(tone::ink, 1.3));
    p.drawRoundedRect(box, 3, 3);
    p.setPen(QPen(tone::gold, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(box.adjusted(1.5, 1.5, -1.5, -1.5), 2, 2);
    if (ticked) {
        QPainterPath tick;
        tick.moveTo(8.5, 11.5);
        tick.lineTo(13, 16.5);
        tick.lineTo(24.5, 2.5);
        p.setPen(QPen(QColor(60, 0, 0, 90), 3.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick.translated(0.6, 0.8));
        p.setPen(QPen(tone::dieRed, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
    }
    p.restore();
}

} // namespace zk::art::detail
