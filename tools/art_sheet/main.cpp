// zk-art-sheet: one PNG contact sheet of every picture of the art module.
//
// The sheet is laid out once in logical pixels and rendered twice, at 100%
// and at 200% device pixel ratio, one above the other, so both scales can be
// judged side by side at their true pixels. Its right half is a mock-up of the
// main board with every picture at its place.
//
//   zk-art-sheet docs/art-sheet.png
#include "table/qt/art/Art.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

using namespace zk;

namespace {

constexpr int kWidth = 1400;
constexpr int kHeight = 560;
constexpr int kBoardLeft = 712;
constexpr int kBoardTop = 40;

void label(QPainter& p, qreal x, qreal y, const QString& text)
{
    p.setFont(art::sansFont(10, false));
    p.setPen(QColor(0x30, 0x20, 0x10));
    p.drawText(QPointF(x, y), text);
}

// Draws a row of pictures from left; returns the x after the row.
qreal row(QPainter& p, qreal x, qreal y, std::initializer_list<ArtId> ids, qreal gap = 6)
{
    for (ArtId id : ids) {
        const QSize s = art::size(id);
        art::paint(p, QRectF(QPointF(x, y), QSizeF(s)), id);
        x += s.width() + gap;
    }
    return x;
}

void catalogue(QPainter& p)
{
    // A plain card behind the pictures keeps transparent parts visible and
    // the sheet small; the wood shows in the tile sample and the board.
    p.fillRect(QRectF(0, 0, kBoardLeft - 16, kHeight), QColor(0xE9, 0xDF, 0xCC));
    p.setFont(art::sansFont(13, true));
    p.setPen(QColor(0x30, 0x20, 0x10));

    qreal y = 20;
    label(p, 10, y - 6, QStringLiteral("dice list 0..8, starburst, roll counter 0..3"));
    qreal x = 10;
    for (int i = 0; i <= 8; ++i) {
        art::paint(p, QRectF(x, y, 48, 48), art::diceImage(i));
        x += 52;
    }
    art::paint(p, QRectF(x, y - 6, 58, 62), ArtId::Bonus);
    x += 64;
    for (int n = 0; n <= 3; ++n) {
        art::paint(p, QRectF(x, y + (n % 2) * 26, 66, 22), art::rollCounter(n));
        if (n % 2)
            x += 70;
    }

    y = 84;
    label(p, 10, y - 4, QStringLiteral("dice as drawn: body + face, bonus body + face"));
    x = 10;
    for (int face = 1; face <= 6; ++face) {
        const QRectF r(x, y, 48, 48);
        art::paint(p, r, face == 6 ? ArtId::BonusDieBody : ArtId::DieBody);
        art::paint(p, r, art::diceImage(face));
        x += 52;
    }
    x += 6;
    x = row(p, x, y + 4, {ArtId::CategoryArrow, ArtId::Eyes, ArtId::NotPlaying, ArtId::WinnerRing});
    row(p, x, y + 2, {ArtId::BoxEmpty, ArtId::BoxTicked});

    y = 146;
    label(p, 10, y - 4, QStringLiteral("picture buttons: normal, hover, pressed, disabled"));
    const Look looks[] = {Look::Normal, Look::Hover, Look::Pressed, Look::Disabled};
    for (int i = 0; i < 3; ++i) {
        const ArtId id = static_cast<ArtId>(static_cast<int>(ArtId::ButtonRoll) + i);
        for (int l = 0; l < 4; ++l)
            art::paint(p, QRectF(10 + l * 160, y + i * 40, 154, 36), id, looks[l]);
    }
    y += 122;
    for (int i = 0; i < 3; ++i) {
        const ArtId id = static_cast<ArtId>(static_cast<int>(ArtId::ButtonYes) + i);
        for (int l = 0; l < 4; ++l)
            art::paint(p, QRectF(10 + l * 100 + (i % 3) * 0, y + i * 36, 96, 32), id, looks[l]);
    }

    // Category buttons in two columns of looks.
    const qreal cy = 268;
    for (int c = 1; c <= 7; ++c) {
        for (int l = 0; l < 3; ++l)
            art::paint(p, QRectF(420 + l * 92, cy + (c - 1) * 27 - 12, 88, 24), art::categoryButton(c),
                       looks[l]);
    }

    y = 384;
    label(p, 10, y - 4, QStringLiteral("phrase buttons 1..10 (normal, hover, pressed)"));
    for (int n = 1; n <= 10; ++n) {
        for (int l = 0; l < 3; ++l)
            art::paint(p, QRectF(10 + (n - 1) * 31, y + l * 24, 27, 21), art::phraseButton(n), looks[l]);
    }

    y = 470;
    label(p, 10, y - 4, QStringLiteral("title, logo, About, background tile, bar"));
    row(p, 10, y, {ArtId::Logo, ArtId::About});
    art::paint(p, QRectF(210, y, 120, 86), ArtId::Background);
    art::paint(p, QRectF(340, y + 10, 120, 27), ArtId::Bar);
    art::paint(p, QRectF(340, y + 42, 60, 27), ArtId::Bar);
    art::paint(p, QRectF(470, y - 8, 220, 88), ArtId::PromptPanel);
}

void scoreAt(QPainter& p, QPointF card, int seat, int row, const QString& text, bool bold, QColor c)
{
    static const int lefts[] = {99, 141, 182, 224, 265, 307};
    static const int tops[] = {35, 61, 87, 112, 138, 164, 190, 217};
    QFont f = art::serifFont(16, bold);
    p.setFont(f);
    p.setPen(c);
    p.drawText(QRectF(card.x() + lefts[seat - 1], card.y() + tops[row - 1], 36, 18), Qt::AlignCenter, text);
}

// The main board as the window lays it out, mid-game: seat 1 on turn with
// fives chosen, two dice held, a bonus roll shown on the left dice.
void board(QPainter& p)
{
    p.save();
    p.translate(kBoardLeft, kBoardTop);
    const QRectF area(0, 0, 674, 487);
    art::paintBackground(p, area, area.topLeft());
    p.setPen(QColor(0x50, 0x30, 0x10));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area.adjusted(0, 0, -1, -1));

    p.setFont(art::sansFont(11, false));
    p.setPen(art::boardInk());
    p.drawText(QRectF(16, 4, 299, 14), Qt::AlignRight, QStringLiteral("Bonus Rolls Limited to 5 Rolls"));
    art::paint(p, QRectF(14, 19, 295, 86), ArtId::Title);

    const int lefts[] = {19, 75, 131, 187, 243};
    const int faces[] = {5, 2, 5, 6, 1};
    const bool raised[] = {true, false, true, false, false};
    for (int d = 0; d < 5; ++d) {
        const QRectF r(lefts[d], raised[d] ? 110 : 119, 48, 48);
        art::paint(p, r, d < 3 ? ArtId::BonusDieBody : ArtId::DieBody);
        art::paint(p, r, art::diceImage(faces[d]));
        if (raised[d])
            art::paint(p, QRectF(lefts[d] + 7, 74, 58, 62), ArtId::Bonus);
    }
    p.setFont(art::serifFont(16, true));
    p.setPen(art::boardInk());
    p.drawText(QPointF(8, 189), QStringLiteral("Round: 3"));
    p.setFont(art::sansFont(13, true));
    p.drawText(QPointF(192, 186), QStringLiteral("Rolls:"));
    art::paint(p, QRectF(234, 169, 66, 22), art::rollCounter(2));
    art::paint(p, QRectF(80, 198, 154, 36), ArtId::ButtonRoll, Look::Hover);
    p.setFont(art::sansFont(13, true));
    p.drawText(QRectF(7, 258, 304, 18), Qt::AlignHCenter, QStringLiteral("You recieved 10 bonus points!"));
    for (int n = 1; n <= 10; ++n)
        art::paint(p, QRectF(26 + 28 * (n - 1), 294, 27, 21), art::phraseButton(n));

    art::paint(p, QRectF(316, 17, 98, 56), ArtId::Logo);
    const int nameLefts[] = {414, 456, 499, 541, 584, 626};
    const QString names[] = {QStringLiteral("You"),       QStringLiteral("Klot"),
                             QStringLiteral("<Waiting>"), QStringLiteral("Annabelle"),
                             QStringLiteral("<Waiting>"), QStringLiteral("A very long player name")};
    for (int s = 0; s < 6; ++s)
        art::paintVerticalText(p, QRectF(nameLefts[s], 3, 35, 78), names[s], art::boardInk());

    const QPointF card(317, 76);
    art::paint(p, QRectF(card, QSizeF(352, 242)), ArtId::ScoreCard);
    const QColor grey(89, 89, 89);
    const char* const scores[6][8] = {
        {"3", "6", "", "12", "", "", "", "21"}, {"2", "", "9", "", "", "", "", "11"},
        {"", "", "", "", "", "", "", ""},       {"1", "4", "", "", "", "", "41", "46"},
        {"", "", "", "", "", "", "", ""},       {"", "8", "", "", "", "18", "", "26"}};
    for (int s = 1; s <= 6; ++s)
        for (int r = 1; r <= 8; ++r)
            scoreAt(p, card, s, r, QString::fromLatin1(scores[s - 1][r - 1]), s == 1,
                    s == 1 ? QColor(Qt::black) : grey);
    // Seat 1 on turn, fives chosen: its button, bar and arrow.
    art::paint(p, QRectF(card + QPointF(87, 134), QSizeF(50, 27)), ArtId::Bar);
    art::paint(p, QRectF(card + QPointF(4, 135), QSizeF(88, 24)), ArtId::CatFives);
    art::paint(p, QRectF(card + QPointF(67, 137), QSizeF(20, 20)), ArtId::CategoryArrow);
    art::paint(p, QRectF(card + QPointF(94, 3), QSizeF(43, 235)), ArtId::TurnFrame);
    art::paint(p, QRectF(card + QPointF(138, 4), QSizeF(22, 9)), ArtId::Eyes);
    art::paint(p, QRectF(card + QPointF(186, 15), QSizeF(27, 24)), ArtId::NotPlaying);
    art::paint(p, QRectF(card + QPointF(269, 15), QSizeF(27, 24)), ArtId::NotPlaying);
    art::paint(p, QRectF(card + QPointF(214, 199), QSizeF(53, 45)), ArtId::WinnerRing);

    p.fillRect(QRectF(4, 321, 667, 139), Qt::white);
    p.fillRect(QRectF(4, 460, 665, 22), Qt::white);
    p.setPen(QColor(0x80, 0x70, 0x60));
    p.drawRect(QRectF(4, 321, 667, 139));
    p.drawRect(QRectF(4, 460, 665, 22));
    p.setFont(art::sansFont(12, false));
    p.setPen(Qt::blue);
    p.drawText(QPointF(10, 338), QStringLiteral("You are Connected."));
    p.restore();

    // The other pictures in a strip under the board: the starting state.
    p.save();
    p.translate(kBoardLeft, kBoardTop + 494);
    art::paint(p, QRectF(0, 0, 154, 36), ArtId::ButtonStart);
    art::paint(p, QRectF(160, 0, 154, 36), ArtId::ButtonStartGame);
    art::paint(p, QRectF(320, -2, 304, 41), ArtId::WinnerPanel);
    p.setFont(art::sansFont(16, true));
    p.setPen(QColor(128, 128, 128));
    p.drawText(QRectF(321, -3, 304, 41), Qt::AlignCenter, QStringLiteral("You have Won the Game!"));
    p.setPen(Qt::black);
    p.drawText(QRectF(320, -2, 304, 41), Qt::AlignCenter, QStringLiteral("You have Won the Game!"));
    p.restore();
}

QImage render(qreal ratio)
{
    QImage image(qRound(kWidth * ratio), qRound(kHeight * ratio), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(QColor(0xD6, 0xC8, 0xB0));
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    catalogue(p);
    board(p);
    p.setFont(art::sansFont(14, true));
    p.setPen(QColor(0x30, 0x20, 0x10));
    p.drawText(QPointF(kBoardLeft, 26), QStringLiteral("Board at %1%").arg(qRound(ratio * 100)));
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("art-sheet.png");

    QImage one = render(1.0);
    QImage two = render(2.0);
    // Compose at device pixels: each render is copied pixel for pixel.
    one.setDevicePixelRatio(1.0);
    two.setDevicePixelRatio(1.0);
    QImage sheet(two.width(), one.height() + two.height(), QImage::Format_RGB32);
    sheet.fill(QColor(0xD6, 0xC8, 0xB0));
    QPainter p(&sheet);
    p.drawImage(QPoint(0, 0), one); // the 100% render at its own pixels
    p.drawImage(QPoint(0, one.height()), two);
    p.end();
    sheet.setDevicePixelRatio(1.0);
    if (!sheet.save(out)) {
        std::fprintf(stderr, "zk-art-sheet: cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s: %d x %d\n", qPrintable(out), sheet.width(), sheet.height());
    return 0;
}
