// The wooden background tile, the title artwork, the logo, the About picture
// and the panels' backdrops.
#include "table/qt/art/ArtPaint.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace zk::art::detail {

namespace {

// ---- periodic noise for the wood -------------------------------------------

float lattice(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                      static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}

float smooth(float t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

int wrap(int i, int period)
{
    i %= period;
    return i < 0 ? i + period : i;
}

// Value noise on a lattice of cellsX by cellsY cells over the unit tile; it
// wraps at the tile's edges, so the tile joins its neighbours seamlessly.
float tileNoise(float u, float v, int cellsX, int cellsY, std::uint32_t seed)
{
    const float x = u * static_cast<float>(cellsX);
    const float y = v * static_cast<float>(cellsY);
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const float fx = smooth(x - static_cast<float>(x0));
    const float fy = smooth(y - static_cast<float>(y0));
    const int xa = wrap(x0, cellsX), xb = wrap(x0 + 1, cellsX);
    const int ya = wrap(y0, cellsY), yb = wrap(y0 + 1, cellsY);
    const float top = lattice(xa, ya, seed) + (lattice(xb, ya, seed) - lattice(xa, ya, seed)) * fx;
    const float bottom = lattice(xa, yb, seed) + (lattice(xb, yb, seed) - lattice(xa, yb, seed)) * fx;
    return top + (bottom - top) * fy;
}

// Sum of octaves, each twice as fine; stays within 0 .. 1.
float tileFractal(float u, float v, int cellsX, int cellsY, int octaves, std::uint32_t seed)
{
    float sum = 0, weight = 0, amp = 1;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * tileNoise(u, v, cellsX << o, cellsY << o, seed + 17u * o);
        weight += amp;
        amp *= 0.5f;
    }
    return sum / weight;
}

QColor lerp3(const QColor& a, const QColor& b, const QColor& c, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    return t < 0.5f ? mix(a, b, t * 2) : mix(b, c, (t - 0.5f) * 2);
}

QPainterPath fittedText(const QString& text, const QFont& font, const QRectF& box)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF b = path.boundingRect();
    const qreal scale = std::min(box.width() / b.width(), box.height() / b.height());
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.scale(scale, scale);
    t.translate(-b.center().x(), -b.center().y());
    return t.map(path);
}

} // namespace

QImage renderBackgroundTile(qreal devicePixelRatio)
{
    const int logical = 192;
    const int n = std::max(1, qRound(logical * devicePixelRatio));
    QImage image(n, n, QImage::Format_RGB32);
    image.setDevicePixelRatio(static_cast<qreal>(n) / logical);

    const QColor light(0xD8, 0xAB, 0x72);
    const QColor mid(0xC0, 0x8C, 0x54);
    const QColor dark(0x90, 0x5C, 0x2E);
    // Octaves finer than a device pixel only add shimmer, so the fibre count
    // follows the resolution: a 200% tile carries twice the fine grain.
    const int fineOctaves = devicePixelRatio >= 1.5 ? 4 : 3;

    for (int py = 0; py < n; ++py) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(py));
        const float v = (static_cast<float>(py) + 0.5f) / static_cast<float>(n);
        for (int px = 0; px < n; ++px) {
            const float u = (static_cast<float>(px) + 0.5f) / static_cast<float>(n);
            // Broad figure: the growth rings of a plank, bent by a slow warp.
            const float warp = tileFractal(u, v, 2, 3, 3, 11u);
            const float rings = v * 7.0f + warp * 2.4f + 0.35f * tileNoise(u, v, 4, 1, 5u);
            const float wave = 0.5f + 0.5f * std::sin(rings * 6.2831853f);
            const float ringDark = std::pow(wave, 5.0f);
            // Long fibres along the grain: stretched across, tight down.
            const float fibre = tileFractal(u, v, 3, 96, fineOctaves, 23u);
            // Pores: tiny dark flecks.
            const float pore = tileNoise(u, v, 24, 192, 41u);
            const float shade = 0.30f + 0.28f * ringDark + 0.42f * (fibre - 0.5f) * 1.6f +
                                0.18f * (warp - 0.5f) + (pore > 0.93f ? 0.10f : 0.0f);
            line[px] = lerp3(light, mid, dark, shade).rgb();
        }
    }
    return image;
}

void drawTitle(QPainter& p)
{
    p.save();
    // Two dice tumbling in from the left.
    auto die = [&](QPointF c, qreal s, qreal angle, int face) {
        p.save();
        p.translate(c);
        p.rotate(angle);
        drawDie(p, QRectF(-s / 2, -s / 2, s, s), face, false);
        p.restore();
    };
    die(QPointF(27, 38), 40, -16, 5);
    die(QPointF(58, 57), 32, 14, 3);

    // The word: gold with a dark red outline and a soft shadow.
    const QRectF box(82, 8, 208, 54);
    const QPainterPath word = fittedText(QStringLiteral("Zonkards"), serifFont(64, true), box);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 10, 0, 90));
    p.drawPath(word.translated(2.0, 2.5));
    p.setPen(QPen(tone::wine, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(word);
    QLinearGradient gold(QPointF(0, box.top()), QPointF(0, box.bottom()));
    gold.setColorAt(0.0, QColor(0xFF, 0xF6, 0xC8));
    gold.setColorAt(0.45, QColor(0xF2, 0xC6, 0x4A));
    gold.setColorAt(0.55, QColor(0xD8, 0xA0, 0x26));
    gold.setColorAt(1.0, QColor(0xB0, 0x78, 0x10));
    p.setPen(Qt::NoPen);
    p.setBrush(gold);
    p.drawPath(word);

    // A red and gold rule with a diamond, and a small line of caps under it.
    const qreal y = 68.5;
    p.setPen(QPen(tone::accentRed, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(96, y), QPointF(176, y));
    p.drawLine(QPointF(196, y), QPointF(276, y));
    p.setPen(QPen(tone::gold, 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(100, y + 2.2), QPointF(176, y + 2.2));
    p.drawLine(QPointF(196, y + 2.2), QPointF(272, y + 2.2));
    QPainterPath diamond;
    diamond.moveTo(186, y - 5);
    diamond.lineTo(191.5, y + 0.8);
    diamond.lineTo(186, y + 6.6);
    diamond.lineTo(180.5, y + 0.8);
    diamond.closeSubpath();
    p.setPen(QPen(tone::wine, 1.0));
    p.setBrush(tone::gold);
    p.drawPath(diamond);

    QFont small = sansFont(9, true);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 2.4);
    drawCaption(p, QRectF(82, 74, 208, 11), QStringLiteral("ROLL \u00B7 CHOOSE \u00B7 SCORE"), small,
                tone::wine, QColor(255, 236, 180, 160));
    p.restore();
}

void drawLogo(QPainter& p)
{
    p.save();
    const QRectF plate(2, 2, 94, 51);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 10, 0, 80));
    p.drawRoundedRect(plate.translated(0.8, 1.5), 8, 8);
    QLinearGradient gold(plate.topLeft(), plate.bottomLeft());
    gold.setColorAt(0.0, tone::goldLight);
    gold.setColorAt(0.5, tone::gold);
    gold.setColorAt(1.0, tone::goldDark);
    p.setBrush(gold);
    p.setPen(QPen(QColor(0x5A, 0x3A, 0x06), 0.8));
    p.drawRoundedRect(plate, 8, 8);
    const QRectF inner = plate.adjusted(3, 3, -3, -3);
    QLinearGradient wine(inner.topLeft(), inner.bottomLeft());
    wine.setColorAt(0.0, QColor(0x9A, 0x14, 0x24));
    wine.setColorAt(1.0, QColor(0x5A, 0x06, 0x10));
    p.setBrush(wine);
    p.setPen(QPen(tone::goldLight, 0.8));
    p.drawRoundedRect(inner, 6, 6);

    // A small gold die beside the monogram.
    p.save();
    p.translate(23, 25);
    p.rotate(-10);
    const QRectF die(-12, -12, 24, 24);
    p.setBrush(tone::cream);
    p.setPen(QPen(tone::goldDark, 1.4));
    p.drawRoundedRect(die, 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(tone::accentRed);
    for (QPointF c : {QPointF(-6, -6), QPointF(0, 0), QPointF(6, 6), QPointF(6, -6), QPointF(-6, 6)})
        p.drawEllipse(c, 2.3, 2.3);
    p.restore();

    const QPainterPath mono = fittedText(QStringLiteral("ZK"), serifFont(40, true), QRectF(43, 9, 44, 26));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawPath(mono.translated(0.8, 1.2));
    p.setBrush(gold);
    p.drawPath(mono);
    QFont small = sansFont(8, true);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 1.8);
    drawCaption(p, QRectF(37, 36, 56, 11), QStringLiteral("GAMES"), small, tone::goldLight);
    p.restore();
}

void drawAbout(QPainter& p)
{
    p.save();
    const QPointF c(48, 48);
    // A gold medallion with three dice on it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 10, 0, 80));
    p.drawEllipse(c + QPointF(1, 2), 45, 45);
    QRadialGradient medal(c + QPointF(-14, -16), 70);
    medal.setColorAt(0.0, tone::goldLight);
    medal.setColorAt(0.5, tone::gold);
    medal.setColorAt(1.0, tone::goldDark);
    p.setBrush(medal);
    p.setPen(QPen(QColor(0x5A, 0x3A, 0x06), 1.0));
    p.drawEllipse(c, 45, 45);
    QRadialGradient felt(c, 40);
    felt.setColorAt(0.0, QColor(0x9A, 0x14, 0x24));
    felt.setColorAt(1.0, QColor(0x58, 0x06, 0x10));
    p.setBrush(felt);
    p.setPen(QPen(tone::goldLight, 1.0));
    p.drawEllipse(c, 38, 38);
    p.setPen(QPen(QColor(0xE0, 0xB0, 0x3A, 120), 0.8, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 34, 34);

    auto die = [&](QPointF at, qreal s, qreal angle, int face) {
        p.save();
        p.translate(at);
        p.rotate(angle);
        drawDie(p, QRectF(-s / 2, -s / 2, s, s), face, face == 6);
        p.restore();
    };
    die(QPointF(34, 58), 30, -12, 4);
    die(QPointF(63, 60), 28, 10, 2);
    die(QPointF(49, 32), 30, 4, 6);
    p.restore();
}

void drawPromptPanel(QPainter& p, QSizeF size)
{
    p.save();
    const QRectF panel = QRectF(QPointF(0, 0), size).adjusted(1, 1, -2, -2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 15, 0, 80));
    p.drawRoundedRect(panel.translated(1, 1.5), 9, 9);
    QLinearGradient paper(panel.topLeft(), panel.bottomLeft());
    paper.setColorAt(0.0, QColor(0xFF, 0xFC, 0xE0));
    paper.setColorAt(1.0, tone::paleYellow.darker(104));
    p.setBrush(paper);
    p.setPen(QPen(tone::goldDark, 1.0));
    p.drawRoundedRect(panel, 9, 9);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(tone::gold, 2.0));
    p.drawRoundedRect(panel.adjusted(2.5, 2.5, -2.5, -2.5), 7, 7);
    p.setPen(QPen(QColor(0xB0, 0x16, 0x22, 170), 0.9));
    p.drawRoundedRect(panel.adjusted(5, 5, -5, -5), 5, 5);
    p.restore();
}

void drawWinnerPanel(QPainter& p, QSizeF size)
{
    p.save();
    const QRectF panel = QRectF(QPointF(0, 0), size).adjusted(1, 1, -2, -2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 15, 0, 80));
    p.drawRoundedRect(panel.translated(1, 1.5), 8, 8);
    QLinearGradient paper(panel.topLeft(), panel.bottomLeft());
    paper.setColorAt(0.0, QColor(0xFF, 0xFA, 0xE6));
    paper.setColorAt(1.0, QColor(0xF4, 0xE0, 0xA8));
    p.setBrush(paper);
    p.setPen(QPen(QBrush(QColor(0xC8, 0x96, 0x20)), 2.0));
    p.drawRoundedRect(panel, 8, 8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xB0, 0x16, 0x22, 170), 0.9));
    p.drawRoundedRect(panel.adjusted(3, 3, -3, -3), 6, 6);
    // A star at each end frames the result line.
    for (qreal x : {14.0, panel.right() - 13.0}) {
        const QPainterPath star = starPath(QPointF(x, panel.center().y()), 7.0, 3.0, 5);
        p.setPen(QPen(tone::accentRed, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QLinearGradient gold(QPointF(0, panel.center().y() - 7), QPointF(0, panel.center().y() + 7));
        gold.setColorAt(0.0, tone::goldLight);
        gold.setColorAt(1.0, tone::goldDark);
        p.setBrush(gold);
        p.drawPath(star);
    }
    p.restore();
}

} // namespace zk::art::detail
