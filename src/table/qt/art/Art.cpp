// Catalogue, painter set-up, pixmap cache, fonts and vertical text of the art
// module. The drawing itself lives in the other Art*.cpp files.
#include "table/qt/art/Art.h"
#include "table/qt/art/ArtPaint.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QtMath>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace zk::art {

namespace {

struct Entry {
    const char* name;
    int width;
    int height;
    bool button;
};

// One row per ArtId, in the enum's order.
constexpr Entry kEntries[] = {
    {"Background", 192, 192, false}, {"Title", 295, 86, false},      {"Logo", 98, 56, true},
    {"About", 96, 96, false},        {"DiceEmpty", 48, 48, false},   {"DiceFace1", 48, 48, false},
    {"DiceFace2", 48, 48, false},    {"DiceFace3", 48, 48, false},   {"DiceFace4", 48, 48, false},
    {"DiceFace5", 48, 48, false},    {"DiceFace6", 48, 48, false},   {"DieBody", 48, 48, false},
    {"BonusDieBody", 48, 48, false}, {"Bonus", 58, 62, false},       {"Rolls0", 66, 22, false},
    {"Rolls1", 66, 22, false},       {"Rolls2", 66, 22, false},      {"Rolls3", 66, 22, false},
    {"ButtonRoll", 154, 36, true},   {"ButtonStart", 154, 36, true}, {"ButtonStartGame", 154, 36, true},
    {"ButtonYes", 96, 32, true},     {"ButtonNo", 96, 32, true},     {"ButtonOk", 96, 32, true},
    {"CatOnes", 88, 24, true},       {"CatTwos", 88, 24, true},      {"CatThrees", 88, 24, true},
    {"CatFours", 88, 24, true},      {"CatFives", 88, 24, true},     {"CatSixes", 88, 24, true},
    {"CatZonkard", 88, 24, true},    {"Bar", 64, 27, false},         {"CategoryArrow", 20, 20, false},
    {"TurnFrame", 43, 235, false},   {"Eyes", 22, 9, false},         {"NotPlaying", 27, 24, false},
    {"WinnerRing", 53, 45, false},   {"ScoreCard", 352, 242, false}, {"PromptPanel", 305, 146, false},
    {"WinnerPanel", 304, 41, false}, {"BoxEmpty", 28, 22, false},    {"BoxTicked", 28, 22, false},
    {"Phrase1", 27, 21, true},       {"Phrase2", 27, 21, true},      {"Phrase3", 27, 21, true},
    {"Phrase4", 27, 21, true},       {"Phrase5", 27, 21, true},      {"Phrase6", 27, 21, true},
    {"Phrase7", 27, 21, true},       {"Phrase8", 27, 21, true},      {"Phrase9", 27, 21, true},
    {"Phrase10", 27, 21, true},
};
static_assert(std::size(kEntries) == static_cast<size_t>(ArtId::Count), "one catalogue row per picture");

const Entry& entry(ArtId id)
{
    int i = std::clamp(static_cast<int>(id), 0, kArtCount - 1);
    return kEntries[i];
}

int offset(ArtId id, ArtId first)
{
    return static_cast<int>(id) - static_cast<int>(first);
}

bool inRange(ArtId id, ArtId first, ArtId last)
{
    return id >= first && id <= last;
}

// Draws picture id in logical coordinates at the given logical size.
void draw(QPainter& p, ArtId id, Look look, QSizeF s)
{
    using namespace detail;
    if (inRange(id, ArtId::DiceEmpty, ArtId::BonusDieBody)) {
        drawDiceImage(p, id);
    } else if (inRange(id, ArtId::Rolls0, ArtId::Rolls3)) {
        drawRollCounter(p, offset(id, ArtId::Rolls0));
    } else if (inRange(id, ArtId::ButtonRoll, ArtId::ButtonOk)) {
        drawPictureButton(p, id, look, s);
    } else if (inRange(id, ArtId::CatOnes, ArtId::CatZonkard)) {
        drawCategoryButton(p, offset(id, ArtId::CatOnes) + 1, look, s);
    } else if (inRange(id, ArtId::Phrase1, ArtId::Phrase10)) {
        drawPhraseButton(p, offset(id, ArtId::Phrase1) + 1, look, s);
    } else {
        switch (id) {
        case ArtId::Title: drawTitle(p); break;
        case ArtId::Logo: drawLogo(p); break;
        case ArtId::About: drawAbout(p); break;
        case ArtId::Bonus: drawBonusBurst(p); break;
        case ArtId::Bar: drawBar(p, s.width()); break;
        case ArtId::CategoryArrow: drawArrow(p); break;
        case ArtId::TurnFrame: drawTurnFrame(p); break;
        case ArtId::Eyes: drawEyes(p); break;
        case ArtId::NotPlaying: drawNotPlaying(p); break;
        case ArtId::WinnerRing: drawWinnerRing(p); break;
        case ArtId::ScoreCard: drawScoreCard(p); break;
        case ArtId::PromptPanel: drawPromptPanel(p, s); break;
        case ArtId::WinnerPanel: drawWinnerPanel(p, s); break;
        case ArtId::BoxEmpty: drawTickBox(p, false); break;
        case ArtId::BoxTicked: drawTickBox(p, true); break;
        default: break;
        }
    }
}

// The logo is clickable, so it shows a hover look; a light veil is enough.
void drawLogoLook(QPainter& p, Look look, QSizeF s)
{
    if (look == Look::Hover || look == Look::Pressed) {
        QColor veil = look == Look::Hover ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 40);
        p.setPen(Qt::NoPen);
        p.setBrush(veil);
        p.drawRoundedRect(QRectF(QPointF(0, 0), s).adjusted(2, 2, -2, -2), 7, 7);
    }
}

using CacheKey = std::tuple<int, int, int, int, int>;
std::map<CacheKey, QPixmap>& cache()
{
    static std::map<CacheKey, QPixmap> pixmaps;
    return pixmaps;
}

qreal painterRatio(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    qreal ratio = device ? device->devicePixelRatioF() : 1.0;
    // A painter that is itself scaled (a picture drawn larger) gets a finer tile.
    qreal scale = std::sqrt(std::abs(painter.worldTransform().determinant()));
    return std::max<qreal>(0.5, ratio * (scale > 0 ? scale : 1.0));
}

} // namespace

QSize size(ArtId id)
{
    const Entry& e = entry(id);
    return QSize(e.width, e.height);
}

QString name(ArtId id)
{
    return QString::fromLatin1(entry(id).name);
}

bool isButton(ArtId id)
{
    return entry(id).button;
}

void paint(QPainter& painter, const QRectF& rect, ArtId id, Look look)
{
    if (rect.isEmpty() || id == ArtId::DiceEmpty)
        return;
    if (id == ArtId::Background) {
        paintBackground(painter, rect, rect.topLeft());
        return;
    }
    const QSizeF natural = size(id);
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    painter.translate(rect.topLeft());
    QSizeF drawn = natural;
    if (id == ArtId::Bar) {
        // The bar keeps its line thickness and runs the whole width.
        painter.scale(1.0, rect.height() / natural.height());
        drawn.setWidth(rect.width());
    } else {
        painter.scale(rect.width() / natural.width(), rect.height() / natural.height());
    }
    draw(painter, id, look, drawn);
    if (id == ArtId::Logo)
        drawLogoLook(painter, look, drawn);
    painter.restore();
}

QPixmap pixmap(ArtId id, qreal devicePixelRatio, Look look, QSize logicalSize)
{
    if (devicePixelRatio <= 0)
        devicePixelRatio = 1.0;
    if (logicalSize.isEmpty())
        logicalSize = size(id);
    if (!isButton(id))
        look = Look::Normal;
    const CacheKey key{static_cast<int>(id), static_cast<int>(look), logicalSize.width(),
                       logicalSize.height(), qRound(devicePixelRatio * 1000)};
    auto found = cache().find(key);
    if (found != cache().end())
        return found->second;

    QImage image;
    if (id == ArtId::Background && logicalSize == size(id)) {
        image = detail::renderBackgroundTile(devicePixelRatio);
    } else {
        QSize device(qCeil(logicalSize.width() * devicePixelRatio),
                     qCeil(logicalSize.height() * devicePixelRatio));
        image = QImage(device, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(devicePixelRatio);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        paint(painter, QRectF(QPointF(0, 0), QSizeF(logicalSize)), id, look);
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(devicePixelRatio);
    cache().emplace(key, result);
    return result;
}

void paintBackground(QPainter& painter, const QRectF& area, QPointF origin)
{
    if (area.isEmpty())
        return;
    const QPixmap tile = pixmap(ArtId::Background, painterRatio(painter));
    const QSizeF logical = size(ArtId::Background);
    // Line the tile up with origin so neighbouring widgets share one grain.
    QPointF shift = area.topLeft() - origin;
    shift.setX(std::fmod(shift.x(), logical.width()));
    shift.setY(std::fmod(shift.y(), logical.height()));
    if (shift.x() < 0)
        shift.rx() += logical.width();
    if (shift.y() < 0)
        shift.ry() += logical.height();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawTiledPixmap(area, tile, shift);
    painter.restore();
}

QBrush backgroundBrush(qreal devicePixelRatio)
{
    return QBrush(pixmap(ArtId::Background, devicePixelRatio));
}

ArtId diceImage(int index)
{
    if (index < 0 || index > 8)
        return ArtId::DiceEmpty;
    return static_cast<ArtId>(static_cast<int>(ArtId::DiceEmpty) + index);
}

ArtId rollCounter(int rollsUsed)
{
    return static_cast<ArtId>(static_cast<int>(ArtId::Rolls0) + std::clamp(rollsUsed, 0, 3));
}

ArtId categoryButton(int category)
{
    return static_cast<ArtId>(static_cast<int>(ArtId::CatOnes) + std::clamp(category, 1, 7) - 1);
}

ArtId phraseButton(int number)
{
    return static_cast<ArtId>(static_cast<int>(ArtId::Phrase1) + std::clamp(number, 1, 10) - 1);
}

ArtId tickBox(bool ticked)
{
    return ticked ? ArtId::BoxTicked : ArtId::BoxEmpty;
}

QFont serifFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                      QStringLiteral("DejaVu Serif"), QStringLiteral("serif")});
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QFont sansFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QFont nameFont()
{
    return serifFont(13, true);
}

QColor boardInk()
{
    return QColor(0x20, 0x12, 0x08);
}

void paintVerticalText(QPainter& painter, const QRectF& rect, const QString& text, const QColor& colour,
                       TextRun run, const QFont& font)
{
    if (rect.isEmpty() || text.isEmpty())
        return;
    // The text runs along the rectangle's height. A long name first gets a
    // smaller font (down to ten pixels), then an ellipsis.
    const qreal room = rect.height() - 2;
    QFont shownFont = font;
    while (QFontMetricsF(shownFont).horizontalAdvance(text) > room && shownFont.pixelSize() > 10)
        shownFont.setPixelSize(shownFont.pixelSize() - 1);
    const QString shown = QFontMetricsF(shownFont).elidedText(text, Qt::ElideRight, room);
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.setFont(shownFont);
    painter.setPen(colour);
    painter.translate(rect.center());
    painter.rotate(run == TextRun::BottomToTop ? -90 : 90);
    const QRectF turned(-rect.height() / 2, -rect.width() / 2, rect.height(), rect.width());
    painter.drawText(turned, Qt::AlignCenter, shown);
    painter.restore();
}

void drawApplicationIcon(QPainter& painter, const QRectF& rect)
{
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    detail::drawDie(painter, rect, 5, false);
    painter.restore();
}

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        drawApplicationIcon(p, QRectF(0, 0, size, size));
        p.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace zk::art

namespace zk::art::detail {

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    t = std::clamp<qreal>(t, 0, 1);
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t,
                            a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

void drawCaption(QPainter& p, const QRectF& rect, const QString& text, const QFont& font,
                 const QColor& colour, const QColor& shadow)
{
    p.save();
    p.setFont(font);
    if (shadow.isValid()) {
        p.setPen(shadow);
        p.drawText(rect.translated(0, 1), Qt::AlignCenter, text);
    }
    p.setPen(colour);
    p.drawText(rect, Qt::AlignCenter, text);
    p.restore();
}

QPainterPath starPath(QPointF c, qreal outer, qreal inner, int points, qreal turn)
{
    QPainterPath path;
    for (int i = 0; i < points * 2; ++i) {
        qreal r = (i % 2 == 0) ? outer : inner;
        qreal a = turn - M_PI / 2 + i * M_PI / points;
        QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

} // namespace zk::art::detail
