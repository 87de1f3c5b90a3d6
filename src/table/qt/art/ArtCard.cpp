// The score card backdrop and the markers that lie on it: bars, the
// chosen-category arrow, the turn frame, eyes, the not-playing cross and the
// winner ring.
#include "table/qt/art/ArtPaint.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace zk::art::detail {

namespace {

// Geometry of the card, shared with the widgets that lie on it: the turn
// frame of seat n starts at kFrameLeft[n - 1] and is 43 wide, so the rulings
// sit under the frames' sides.
constexpr qreal kFrameLeft[6] = {94, 136, 178, 220, 262, 304};
constexpr qreal kRowRule[9] = {30, 56, 82, 108, 134, 160, 186, 212, 238};
constexpr qreal kButtonTop[7] = {32, 57, 83, 109, 135, 161, 187};

QLinearGradient goldGradient(QPointF from, QPointF to)
{
    QLinearGradient g(from, to);
    g.setColorAt(0.0, tone::goldLight);
    g.setColorAt(0.5, tone::gold);
    g.setColorAt(1.0, tone::goldDark);
    return g;
}

} // namespace

void drawBar(QPainter& p, qreal width)
{
    p.save();
    p.setPen(Qt::NoPen);
    // Gold along the top edge, red along the bottom edge; each with a fine
    // dark line so it reads on the cream card.
    p.setBrush(tone::gold);
    p.drawRect(QRectF(0, 0.5, width, 2.0));
    p.setBrush(QColor(0x8A, 0x62, 0x10, 160));
    p.drawRect(QRectF(0, 2.5, width, 0.6));
    p.setBrush(tone::accentRed);
    p.drawRect(QRectF(0, 24.5, width, 2.0));
    p.setBrush(QColor(0x5A, 0x05, 0x0E, 150));
    p.drawRect(QRectF(0, 23.9, width, 0.6));
    p.restore();
}

void drawArrow(QPainter& p)
{
    p.save();
    QPainterPath arrow;
    arrow.moveTo(1.5, 7.2);
    arrow.lineTo(9.5, 7.2);
    arrow.lineTo(9.5, 2.0);
    arrow.lineTo(18.6, 10.0);
    arrow.lineTo(9.5, 18.0);
    arrow.lineTo(9.5, 12.8);
    arrow.lineTo(1.5, 12.8);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 20, 0, 70));
    p.drawPath(arrow.translated(0.6, 0.9));
    p.setBrush(goldGradient(QPointF(0, 2), QPointF(0, 18)));
    p.setPen(QPen(tone::accentRed, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(arrow);
    p.restore();
}

void drawTurnFrame(QPainter& p)
{
    p.save();
    const QRectF frame(1.5, 1.5, 40, 232);
    p.setBrush(Qt::NoBrush);
    // Soft glow outside, gold band, red line inside.
    p.setPen(QPen(QColor(0xE0, 0xB0, 0x3A, 70), 3.0));
    p.drawRoundedRect(frame.adjusted(-0.5, -0.5, 0.5, 0.5), 6, 6);
    p.setPen(QPen(QBrush(goldGradient(QPointF(0, 0), QPointF(43, 0))), 2.4));
    p.drawRoundedRect(frame, 5.5, 5.5);
    p.setPen(QPen(tone::accentRed, 1.0));
    p.drawRoundedRect(frame.adjusted(2.2, 2.2, -2.2, -2.2), 3.5, 3.5);
    p.restore();
}

void drawEyes(QPainter& p)
{
    p.save();
    for (qreal cx : {5.6, 16.4}) {
        const QPointF c(cx, 4.6);
        p.setPen(QPen(tone::ink, 0.9));
        p.setBrush(Qt::white);
        p.drawEllipse(c, 4.9, 3.7);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2E, 0x4A, 0x7A));
        p.drawEllipse(c + QPointF(1.4, 0.5), 2.2, 2.2);
        p.setBrush(QColor(10, 10, 20));
        p.drawEllipse(c + QPointF(1.6, 0.6), 1.1, 1.1);
        p.setBrush(Qt::white);
        p.drawEllipse(c + QPointF(0.9, -0.2), 0.5, 0.5);
        // Heavy upper lid: the look of someone who only watches.
        p.setPen(QPen(tone::ink, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(c.x() - 4.9, c.y() - 3.7, 9.8, 7.4), 20 * 16, 140 * 16);
    }
    p.restore();
}

void drawNotPlaying(QPainter& p)
{
    p.save();
    QPainterPath cross;
    cross.moveTo(5.0, 4.0);
    cross.lineTo(22.0, 20.0);
    cross.moveTo(22.0, 4.0);
    cross.lineTo(5.0, 20.0);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(60, 0, 6, 200), 5.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(cross);
    QLinearGradient red(QPointF(0, 3), QPointF(0, 21));
    red.setColorAt(0.0, tone::dieLight);
    red.setColorAt(1.0, tone::dieDark);
    p.setPen(QPen(QBrush(red), 3.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(cross);
    p.restore();
}

void drawWinnerRing(QPainter& p)
{
    p.save();
    // The ring's centre meets the centre of the total cell (the picture's top
    // lies over the row above, so it stays empty there).
    const QPointF c(26.5, 27.5);
    const qreal rx = 23.6, ry = 14.6;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(70, 40, 0, 110), 4.4));
    p.drawEllipse(c + QPointF(0.4, 0.8), rx, ry);
    p.setPen(QPen(QBrush(goldGradient(QPointF(0, c.y() - ry), QPointF(0, c.y() + ry))), 3.2));
    p.drawEllipse(c, rx, ry);
    p.setPen(QPen(tone::accentRed, 0.9));
    p.drawEllipse(c, rx - 2.3, ry - 2.2);
    p.setPen(QPen(QColor(255, 250, 220, 210), 0.8));
    p.drawArc(QRectF(c.x() - rx - 0.6, c.y() - ry - 0.6, 2 * rx + 1.2, 2 * ry + 1.2), 60 * 16, 60 * 16);

    // Two small gold stars sit on the ring's shoulders.
    for (qreal x : {7.5, 45.5}) {
        const QPainterPath star = starPath(QPointF(x, 16.5), 5.2, 2.2, 5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 20, 0, 80));
        p.drawPath(star.translated(0.4, 0.6));
        p.setBrush(goldGradient(QPointF(0, 11), QPointF(0, 22)));
        p.setPen(QPen(tone::accentRed, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(star);
    }
    p.restore();
}

void drawScoreCard(QPainter& p)
{
    p.save();
    const QRectF card(1, 1, 350, 240);

    // Paper with a faint warm vignette.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 25, 0, 70));
    p.drawRoundedRect(card.translated(0.5, 1.0), 6, 6);
    QRadialGradient paper(card.center(), card.width() * 0.7);
    paper.setColorAt(0.0, QColor(0xFF, 0xFB, 0xEE));
    paper.setColorAt(1.0, tone::cream.darker(103));
    p.setBrush(paper);
    p.drawRoundedRect(card, 6, 6);

    // Bands: the header, the category column and the totals row are tinted.
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(card, 6, 6);
    p.setClipPath(clip);
    QLinearGradient head(QPointF(0, 0), QPointF(0, kRowRule[0]));
    head.setColorAt(0.0, QColor(0xF6, 0xE2, 0xA8));
    head.setColorAt(1.0, QColor(0xEE, 0xD6, 0x96));
    p.setBrush(head);
    p.drawRect(QRectF(0, 0, 352, kRowRule[0]));
    p.setBrush(QColor(0xE0, 0xB0, 0x3A, 34));
    p.drawRect(QRectF(0, kRowRule[0], kFrameLeft[0] + 1.5, kRowRule[7] - kRowRule[0]));
    for (int row = 1; row < 7; row += 2)
        p.fillRect(QRectF(kFrameLeft[0] + 1.5, kRowRule[row], 352, kRowRule[row + 1] - kRowRule[row]),
                   QColor(0xC0, 0x90, 0x40, 20));
    QLinearGradient foot(QPointF(0, kRowRule[7]), QPointF(0, 242));
    foot.setColorAt(0.0, QColor(0xF3, 0xDD, 0xA0));
    foot.setColorAt(1.0, QColor(0xEA, 0xD0, 0x8A));
    p.setBrush(foot);
    p.drawRect(QRectF(0, kRowRule[7], 352, 242 - kRowRule[7]));
    p.restore();

    // Rulings: rows, then columns; a double rule above the totals.
    p.setPen(QPen(tone::rule, 1.0));
    for (int i = 0; i < 7; ++i)
        p.drawLine(QPointF(card.left(), kRowRule[i] + 0.5), QPointF(card.right(), kRowRule[i] + 0.5));
    p.setPen(QPen(tone::goldDark, 1.0));
    p.drawLine(QPointF(card.left(), kRowRule[7] - 1.0), QPointF(card.right(), kRowRule[7] - 1.0));
    p.drawLine(QPointF(card.left(), kRowRule[7] + 1.5), QPointF(card.right(), kRowRule[7] + 1.5));
    p.setPen(QPen(tone::rule, 1.0));
    for (int seat = 0; seat < 6; ++seat) {
        const qreal x = kFrameLeft[seat] + 1.5;
        p.drawLine(QPointF(x, card.top()), QPointF(x, card.bottom()));
    }
    p.setPen(QPen(tone::goldDark, 1.2));
    p.drawLine(QPointF(kFrameLeft[0] + 1.5, card.top()), QPointF(kFrameLeft[0] + 1.5, card.bottom()));

    // Captions.
    drawCaption(p, QRectF(4, 2, 88, kRowRule[0] - 2), QStringLiteral("Category"), serifFont(14, true),
                tone::wine, QColor(255, 250, 225, 180));
    for (int seat = 0; seat < 6; ++seat) {
        const QRectF col(kFrameLeft[seat] + 1.5, 0, 42, kRowRule[0]);
        // The just-watching eyes lie over the top of the column, so the
        // caption keeps to the lower part of the header.
        drawCaption(p, QRectF(col.left(), 11, col.width(), 9), QStringLiteral("Player"), sansFont(8, true),
                    tone::ink);
        drawCaption(p, QRectF(col.left(), 19.5, col.width(), 11), QString::number(seat + 1),
                    serifFont(11, true), tone::wine);
    }
    // Row captions printed under the category buttons, so a row still says
    // what it is when its button is hidden.
    static const char* const rows[] = {"Ones", "Twos", "Threes", "Fours", "Fives", "Sixes", "Zonkard"};
    for (int row = 0; row < 7; ++row) {
        QRectF place(9, kButtonTop[row], 58, 23);
        p.setFont(serifFont(13, false));
        p.setPen(QColor(0x6A, 0x4A, 0x2A));
        p.drawText(place, Qt::AlignVCenter | Qt::AlignLeft, QString::fromLatin1(rows[row]));
    }
    p.setFont(serifFont(14, true));
    p.setPen(tone::wine);
    p.drawText(QRectF(9, kRowRule[7] + 2, 80, kRowRule[8] - kRowRule[7] - 2),
               Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Totals"));

    // Border: a gold line with a red hairline inside.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(goldGradient(QPointF(0, 0), QPointF(0, 242))), 2.0));
    p.drawRoundedRect(card, 6, 6);
    p.setPen(QPen(QColor(0xB0, 0x16, 0x22, 140), 0.8));
    p.drawRoundedRect(card.adjusted(2.2, 2.2, -2.2, -2.2), 4, 4);
    p.restore();
}

} // namespace zk::art::detail
