// The art module: sizes, true high-resolution rendering, transparency where
// pictures lie over others, a seamless background, the dice faces, distinct
// buttons, the score card's grid against the cell geometry, vertical names.
#include "table/qt/art/Art.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace zk;

namespace {

ArtId at(int i)
{
    return static_cast<ArtId>(i);
}

QImage render(ArtId id, qreal dpr, Look look = Look::Normal, QSize logical = {})
{
    return art::pixmap(id, dpr, look, logical).toImage().convertToFormat(QImage::Format_ARGB32);
}

int alphaAt(const QImage& img, int x, int y)
{
    return qAlpha(img.pixel(x, y));
}

// Sum of all four channels' absolute differences of two pixels.
int distance(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) +
           std::abs(qAlpha(a) - qAlpha(b));
}

// Edge sharpness: the squared steps between neighbours over the plain
// steps. An edge of contrast C spread over k pixels scores C / k, so an
// image scaled up from half its size scores about half of one drawn at size.
double sharpness(const QImage& img)
{
    double squares = 0, steps = 0;
    auto add = [&](QRgb a, QRgb b) {
        for (int shift : {0, 8, 16, 24}) {
            const double d =
                std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
            squares += d * d;
            steps += d;
        }
    };
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (x + 1 < img.width())
                add(img.pixel(x, y), img.pixel(x + 1, y));
            if (y + 1 < img.height())
                add(img.pixel(x, y), img.pixel(x, y + 1));
        }
    return steps > 0 ? squares / steps : 0;
}

// How far each pixel strays from the mean of its 2 x 2 block.
double blockDetail(const QImage& img)
{
    double sum = 0;
    for (int y = 0; y + 1 < img.height(); y += 2) {
        for (int x = 0; x + 1 < img.width(); x += 2) {
            const QRgb q[4] = {img.pixel(x, y), img.pixel(x + 1, y), img.pixel(x, y + 1),
                               img.pixel(x + 1, y + 1)};
            for (int shift : {0, 8, 16, 24}) {
                auto channel = [shift](QRgb c) { return static_cast<int>((c >> shift) & 0xFF); };
                double mean = 0;
                for (QRgb c : q)
                    mean += channel(c) / 4.0;
                for (QRgb c : q)
                    sum += std::abs(channel(c) - mean);
            }
        }
    }
    return sum;
}

// Number of 4-connected blobs of pixels with alpha above the threshold.
int countBlobs(const QImage& img, int threshold = 128)
{
    const int w = img.width(), h = img.height();
    std::vector<char> seen(static_cast<size_t>(w * h), 0);
    int blobs = 0;
    std::vector<std::pair<int, int>> stack;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (seen[y * w + x] || alphaAt(img, x, y) <= threshold)
                continue;
            ++blobs;
            stack.push_back({x, y});
            seen[y * w + x] = 1;
            while (!stack.empty()) {
                auto [cx, cy] = stack.back();
                stack.pop_back();
                const int nx[4] = {cx + 1, cx - 1, cx, cx};
                const int ny[4] = {cy, cy, cy + 1, cy - 1};
                for (int k = 0; k < 4; ++k) {
                    if (nx[k] < 0 || ny[k] < 0 || nx[k] >= w || ny[k] >= h)
                        continue;
                    if (seen[ny[k] * w + nx[k]] || alphaAt(img, nx[k], ny[k]) <= threshold)
                        continue;
                    seen[ny[k] * w + nx[k]] = 1;
                    stack.push_back({nx[k], ny[k]});
                }
            }
        }
    }
    return blobs;
}

bool transparentRect(const QImage& img, const QRect& r)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (alphaAt(img, x, y) != 0)
                return false;
    return true;
}

int ink(const QImage& img, const QRect& r, int threshold = 100)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += alphaAt(img, x, y) > threshold ? 1 : 0;
    return n;
}

} // namespace

TEST(Art, EveryPictureHasItsLogicalSizeAtEveryScale)
{
    struct Stated {
        ArtId id;
        QSize size;
    };
    // The sizes the board's layout relies on.
    const Stated stated[] = {
        {ArtId::Title, {295, 86}},      {ArtId::Logo, {98, 56}},
        {ArtId::DiceFace3, {48, 48}},   {ArtId::BonusDieBody, {48, 48}},
        {ArtId::Bonus, {58, 62}},       {ArtId::Rolls2, {66, 22}},
        {ArtId::ButtonRoll, {154, 36}}, {ArtId::ButtonStartGame, {154, 36}},
        {ArtId::CatZonkard, {88, 24}},  {ArtId::CategoryArrow, {20, 20}},
        {ArtId::TurnFrame, {43, 235}},  {ArtId::Eyes, {22, 9}},
        {ArtId::NotPlaying, {27, 24}},  {ArtId::WinnerRing, {53, 45}},
        {ArtId::ScoreCard, {352, 242}}, {ArtId::BoxTicked, {28, 22}},
        {ArtId::Phrase10, {27, 21}},    {ArtId::PromptPanel, {305, 146}},
    };
    for (const Stated& s : stated)
        EXPECT_EQ(art::size(s.id), s.size) << art::name(s.id).toStdString();
    EXPECT_EQ(art::size(ArtId::Bar).height(), 27);
    // The prompt buttons fit side by side in the prompt panel.
    EXPECT_LT(2 * art::size(ArtId::ButtonYes).width() + 20, art::size(ArtId::PromptPanel).width());
    EXPECT_LT(art::size(ArtId::ButtonYes).height() + 60, art::size(ArtId::PromptPanel).height());

    for (int i = 0; i < art::kArtCount; ++i) {
        const ArtId id = at(i);
        const QSize logical = art::size(id);
        for (qreal dpr : {1.0, 1.5, 2.0}) {
            const QPixmap pm = art::pixmap(id, dpr);
            EXPECT_EQ(pm.size(), QSize(qCeil(logical.width() * dpr), qCeil(logical.height() * dpr)))
                << art::name(id).toStdString() << " at " << dpr;
            EXPECT_DOUBLE_EQ(pm.devicePixelRatio(), dpr);
            EXPECT_EQ(pm.deviceIndependentSize().toSize(), logical) << art::name(id).toStdString();
        }
    }
    // A stretched bar keeps its height and takes the asked width.
    EXPECT_EQ(art::pixmap(ArtId::Bar, 2.0, Look::Normal, QSize(259, 27)).size(), QSize(518, 54));
    // The cache hands back the same pixmap.
    EXPECT_EQ(art::pixmap(ArtId::Title, 2.0).cacheKey(), art::pixmap(ArtId::Title, 2.0).cacheKey());
}

TEST(Art, DoubleScaleIsDrawnAtDoubleResolutionNotScaledUp)
{
    for (int i = 0; i < art::kArtCount; ++i) {
        const ArtId id = at(i);
        if (id == ArtId::DiceEmpty)
            continue;
        const QImage one = render(id, 1.0);
        const QImage two = render(id, 2.0);
        QImage scaledUp = one.scaled(two.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QImage shrunk = two.scaled(one.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

        // Same picture: the 2x render brought down to 1x matches the 1x render.
        double diff = 0;
        for (int y = 0; y < one.height(); ++y)
            for (int x = 0; x < one.width(); ++x)
                diff += distance(one.pixel(x, y), shrunk.pixel(x, y));
        diff /= one.width() * one.height();
        EXPECT_LT(diff, 40.0) << art::name(id).toStdString();

        // Sharper than the 1x render blown up.
        const double native = sharpness(two);
        const double blown = sharpness(scaledUp);
        EXPECT_GT(native, 1.15 * blown)
            << art::name(id).toStdString() << " native " << native << " scaled " << blown;
        // Pixel doubling keeps edges hard but leaves every 2 x 2 block flat.
        EXPECT_GT(blockDetail(two), 0.5 * blockDetail(scaledUp)) << art::name(id).toStdString();
    }
}

TEST(Art, PaintingIntoAScaledPainterDrawsVectorsAtThatResolution)
{
    // A widget on a 200% screen paints with art::paint; the result matches the
    // cached 2x pixmap and is as sharp.
    QImage direct(QSize(308, 72), QImage::Format_ARGB32_Premultiplied);
    direct.setDevicePixelRatio(2.0);
    direct.fill(Qt::transparent);
    {
        QPainter p(&direct);
        art::paint(p, QRectF(0, 0, 154, 36), ArtId::ButtonRoll);
    }
    direct = direct.convertToFormat(QImage::Format_ARGB32);
    const QImage cached = render(ArtId::ButtonRoll, 2.0);
    double diff = 0;
    for (int y = 0; y < 72; ++y)
        for (int x = 0; x < 308; ++x)
            diff += distance(direct.pixel(x, y), cached.pixel(x, y));
    EXPECT_LT(diff / (308 * 72), 2.0);
}

TEST(Art, PicturesThatLieOverOthersAreTransparentAroundThem)
{
    EXPECT_TRUE(transparentRect(render(ArtId::DiceEmpty, 2.0), QRect(0, 0, 96, 96)));

    for (int face = 1; face <= 6; ++face) {
        for (qreal dpr : {1.0, 2.0}) {
            const QImage img = render(art::diceImage(face), dpr);
            const int n = img.width();
            const int corner = n / 6;
            EXPECT_TRUE(transparentRect(img, QRect(0, 0, corner, corner))) << face;
            EXPECT_TRUE(transparentRect(img, QRect(n - corner, n - corner, corner, corner))) << face;
            // Only the pips are drawn: most of the face is see-through.
            EXPECT_LT(ink(img, img.rect(), 0), n * n / 4) << face;
        }
    }
    // Two pips leave the centre clear; the body is opaque there.
    EXPECT_EQ(alphaAt(render(ArtId::DiceFace2, 1.0), 24, 24), 0);
    EXPECT_EQ(alphaAt(render(ArtId::DieBody, 1.0), 24, 24), 255);

    const QImage burst = render(ArtId::Bonus, 2.0);
    for (QPoint c : {QPoint(0, 0), QPoint(115, 0), QPoint(0, 123), QPoint(115, 123)})
        EXPECT_EQ(alphaAt(burst, c.x(), c.y()), 0);
    EXPECT_EQ(alphaAt(burst, 58, 62), 255);

    // The bar: two lines along its edges and nothing between, at any width.
    for (int width : {11, 50, 259}) {
        const QImage bar = render(ArtId::Bar, 2.0, Look::Normal, QSize(width, 27));
        EXPECT_TRUE(transparentRect(bar, QRect(0, 10, bar.width(), 34))) << width;
        EXPECT_EQ(ink(bar, QRect(0, 2, bar.width(), 1)), bar.width()) << width;
        EXPECT_EQ(ink(bar, QRect(0, 51, bar.width(), 1)), bar.width()) << width;
    }

    // The turn frame shows the column through it.
    const QImage frame = render(ArtId::TurnFrame, 2.0);
    EXPECT_TRUE(transparentRect(frame, QRect(14, 14, 86 - 28, 470 - 28)));
    EXPECT_GT(alphaAt(frame, 3, 235), 200);
    EXPECT_GT(alphaAt(frame, 82, 235), 200);

    const QImage arrow = render(ArtId::CategoryArrow, 2.0);
    EXPECT_TRUE(transparentRect(arrow, QRect(0, 0, 8, 6)));
    EXPECT_TRUE(transparentRect(arrow, QRect(0, 34, 8, 6)));
    EXPECT_EQ(alphaAt(arrow, 24, 20), 255);

    // The winner ring leaves the total inside it readable and the row above clear.
    const QImage ring = render(ArtId::WinnerRing, 2.0);
    EXPECT_TRUE(transparentRect(ring, QRect(34, 44, 38, 22)));
    EXPECT_TRUE(transparentRect(ring, QRect(30, 0, 46, 16)));

    for (ArtId id : {ArtId::Eyes, ArtId::NotPlaying, ArtId::Title}) {
        const QImage img = render(id, 2.0);
        EXPECT_EQ(alphaAt(img, 0, 0), 0) << art::name(id).toStdString();
        EXPECT_EQ(alphaAt(img, img.width() - 1, img.height() - 1), 0) << art::name(id).toStdString();
    }
}

TEST(Art, BackgroundTilesWithoutSeams)
{
    for (qreal dpr : {1.0, 2.0}) {
        const QImage tile = render(ArtId::Background, dpr);
        const int n = tile.width();
        ASSERT_EQ(tile.height(), n);
        EXPECT_EQ(ink(tile, tile.rect(), 254), n * n) << "the board's wood is opaque";
        double inside = 0, acrossX = 0, acrossY = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x + 1 < n; ++x)
                inside += distance(tile.pixel(x, y), tile.pixel(x + 1, y));
        inside /= n * (n - 1);
        for (int i = 0; i < n; ++i) {
            acrossX += distance(tile.pixel(n - 1, i), tile.pixel(0, i));
            acrossY += distance(tile.pixel(i, n - 1), tile.pixel(i, 0));
        }
        acrossX /= n;
        acrossY /= n;
        EXPECT_LT(acrossX, 2.0 * inside + 1.0) << "left and right edges meet, dpr " << dpr;
        // Going down crosses the grain, so neighbours differ more there.
        double insideY = 0;
        for (int y = 0; y + 1 < n; ++y)
            for (int x = 0; x < n; ++x)
                insideY += distance(tile.pixel(x, y), tile.pixel(x, y + 1));
        insideY /= n * (n - 1);
        EXPECT_GT(insideY, 1.0) << "the wood has grain";
        EXPECT_LT(acrossY, 2.0 * insideY + 1.0) << "top and bottom edges meet, dpr " << dpr;
    }

    // Filling a board at 200% lays the 2x tile pixel for pixel, lined up with
    // the origin, so the grain is as fine as the screen.
    const QImage tile = render(ArtId::Background, 2.0);
    QImage board(QSize(700, 500), QImage::Format_ARGB32);
    board.setDevicePixelRatio(2.0);
    {
        QPainter p(&board);
        art::paintBackground(p, QRectF(0, 0, 350, 250), QPointF(-10, -20));
    }
    int mismatches = 0;
    for (int y = 0; y < 500; y += 7)
        for (int x = 0; x < 700; x += 5)
            mismatches += distance(board.pixel(x, y), tile.pixel((x + 20) % 384, (y + 40) % 384)) > 4;
    EXPECT_EQ(mismatches, 0);

    // The brush form (a widget's palette) lays the same pixels.
    QImage brushed(QSize(400, 400), QImage::Format_ARGB32);
    brushed.setDevicePixelRatio(2.0);
    {
        QPainter p(&brushed);
        p.fillRect(QRectF(0, 0, 200, 200), art::backgroundBrush(2.0));
    }
    mismatches = 0;
    for (int y = 0; y < 400; y += 3)
        for (int x = 0; x < 400; x += 3)
            mismatches += distance(brushed.pixel(x, y), tile.pixel(x % 384, y % 384)) > 4;
    EXPECT_EQ(mismatches, 0);
}

TEST(Art, DiceFacesShowOneToSixPipsOnTheBody)
{
    const QImage body = render(ArtId::DieBody, 2.0);
    for (int face = 1; face <= 6; ++face) {
        for (qreal dpr : {1.0, 2.0}) {
            const QImage pips = render(art::diceImage(face), dpr);
            EXPECT_EQ(countBlobs(pips), face) << "face " << face << " at " << dpr;
        }
        // Every pip lies on the body, so a face never hangs over its edge.
        const QImage pips = render(art::diceImage(face), 2.0);
        for (int y = 0; y < 96; ++y) {
            for (int x = 0; x < 96; ++x) {
                if (alphaAt(pips, x, y) > 0) {
                    ASSERT_EQ(alphaAt(body, x, y), 255) << face << " at " << x << "," << y;
                }
            }
        }
    }
    // The list keeps its order: 0 empty, 7 plain body, 8 bonus body.
    EXPECT_EQ(art::diceImage(0), ArtId::DiceEmpty);
    EXPECT_EQ(art::diceImage(7), ArtId::DieBody);
    EXPECT_EQ(art::diceImage(8), ArtId::BonusDieBody);
    EXPECT_EQ(art::diceImage(9), ArtId::DiceEmpty);

    // The bonus body carries gold that the plain body lacks; both are red.
    auto count = [](const QImage& img, auto test) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += test(img.pixel(x, y)) ? 1 : 0;
        return n;
    };
    auto gold = [](QRgb c) { return qAlpha(c) == 255 && qRed(c) > 180 && qGreen(c) > 120 && qBlue(c) < 120; };
    auto red = [](QRgb c) { return qAlpha(c) == 255 && qRed(c) > 120 && qGreen(c) < 70 && qBlue(c) < 90; };
    const QImage bonus = render(ArtId::BonusDieBody, 2.0);
    EXPECT_LT(count(body, gold), 20);
    EXPECT_GT(count(bonus, gold), 600);
    EXPECT_GT(count(body, red), 96 * 96 / 2);
    EXPECT_GT(count(bonus, red), 96 * 96 / 3);
}

TEST(Art, RollCounterCrossesOutOneBoxPerRoll)
{
    auto redInk = [](const QImage& img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb c = img.pixel(x, y);
                n += (qAlpha(c) > 200 && qRed(c) > 150 && qGreen(c) < 80) ? 1 : 0;
            }
        return n;
    };
    std::vector<int> red;
    for (int used = 0; used <= 3; ++used)
        red.push_back(redInk(render(art::rollCounter(used), 2.0)));
    EXPECT_EQ(red[0], 0);
    // Each cross is the same size: the red grows by one cross per roll.
    for (int used = 1; used <= 3; ++used)
        EXPECT_NEAR(red[used], used * red[1], red[1] / 10 + 2);
    EXPECT_EQ(art::rollCounter(7), ArtId::Rolls3);
    EXPECT_EQ(art::rollCounter(-1), ArtId::Rolls0);
    // Three boxes side by side.
    EXPECT_EQ(countBlobs(render(ArtId::Rolls0, 1.0), 250), 3);
}

TEST(Art, DifferentButtonsAndLooksDiffer)
{
    auto distinct = [](const std::vector<QImage>& images) {
        for (size_t a = 0; a < images.size(); ++a)
            for (size_t b = a + 1; b < images.size(); ++b)
                if (images[a] == images[b])
                    return false;
        return true;
    };
    std::vector<QImage> pictureButtons, categories, phrases, looks;
    for (ArtId id : {ArtId::ButtonRoll, ArtId::ButtonStart, ArtId::ButtonStartGame}) {
        pictureButtons.push_back(render(id, 1.0));
        for (Look look : {Look::Normal, Look::Hover, Look::Pressed, Look::Disabled})
            looks.push_back(render(id, 1.0, look));
    }
    EXPECT_TRUE(distinct(pictureButtons));
    EXPECT_TRUE(distinct(looks));
    EXPECT_TRUE(distinct(
        {render(ArtId::ButtonYes, 2.0), render(ArtId::ButtonNo, 2.0), render(ArtId::ButtonOk, 2.0)}));
    for (int c = 1; c <= 7; ++c)
        categories.push_back(render(art::categoryButton(c), 1.0));
    EXPECT_TRUE(distinct(categories));
    for (int n = 1; n <= 10; ++n)
        phrases.push_back(render(art::phraseButton(n), 1.0));
    EXPECT_TRUE(distinct(phrases));
    EXPECT_TRUE(distinct({render(ArtId::BoxEmpty, 1.0), render(ArtId::BoxTicked, 1.0)}));
    EXPECT_TRUE(distinct({render(ArtId::CatOnes, 1.0, Look::Normal), render(ArtId::CatOnes, 1.0, Look::Hover),
                          render(ArtId::CatOnes, 1.0, Look::Pressed)}));
    // Pictures that are not buttons have a single look.
    EXPECT_EQ(render(ArtId::Title, 1.0, Look::Hover), render(ArtId::Title, 1.0, Look::Normal));
    EXPECT_EQ(art::categoryButton(7), ArtId::CatZonkard);
    EXPECT_EQ(art::phraseButton(10), ArtId::Phrase10);
    EXPECT_EQ(art::tickBox(true), ArtId::BoxTicked);
}

TEST(Art, ScoreCardGridLeavesEveryScoreCellClear)
{
    const QImage card = render(ArtId::ScoreCard, 1.0);
    const int lefts[6] = {99, 141, 182, 224, 265, 307};
    const int tops[8] = {35, 61, 87, 112, 138, 164, 190, 217};
    // No ruling runs through a 36 x 18 score cell: each is plain paper.
    for (int seat = 0; seat < 6; ++seat) {
        for (int row = 0; row < 8; ++row) {
            int lo = 255, hi = 0;
            for (int y = tops[row]; y < tops[row] + 18; ++y)
                for (int x = lefts[seat]; x < lefts[seat] + 36; ++x) {
                    const int g = qGray(card.pixel(x, y));
                    lo = std::min(lo, g);
                    hi = std::max(hi, g);
                }
            EXPECT_LT(hi - lo, 20) << "seat " << seat + 1 << " row " << row + 1;
        }
    }
    // Rulings separate the columns: between neighbouring cells there is a line.
    for (int seat = 0; seat < 5; ++seat) {
        int darkest = 255;
        for (int x = lefts[seat] + 36; x < lefts[seat + 1]; ++x)
            darkest = std::min(darkest, qGray(card.pixel(x, tops[3] + 9)));
        EXPECT_LT(darkest, qGray(card.pixel(lefts[seat] + 18, tops[3] + 9)) - 30) << seat;
    }
    // Captions: every category row and the header carry text at the left.
    const QImage big = render(ArtId::ScoreCard, 2.0);
    auto darkPixels = [&](QRect r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += qGray(big.pixel(x, y)) < 120 ? 1 : 0;
        return n;
    };
    for (int row = 0; row < 8; ++row)
        EXPECT_GT(darkPixels(QRect(16, tops[row] * 2, 120, 36)), 40) << "row " << row + 1;
    for (int seat = 0; seat < 6; ++seat)
        EXPECT_GT(darkPixels(QRect(lefts[seat] * 2, 20, 72, 40)), 20) << "header " << seat + 1;
}

TEST(Art, VerticalNamesAreCentredAndStayInTheirLabel)
{
    auto draw = [](const QString& text, TextRun run) {
        QImage img(QSize(70, 156), QImage::Format_ARGB32_Premultiplied);
        img.setDevicePixelRatio(2.0);
        img.fill(Qt::transparent);
        QPainter p(&img);
        art::paintVerticalText(p, QRectF(0, 0, 35, 78), text, Qt::black, run);
        p.end();
        return img.convertToFormat(QImage::Format_ARGB32);
    };
    auto bounds = [](const QImage& img) {
        QRect box;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (alphaAt(img, x, y) > 60)
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    const QImage up = draw(QStringLiteral("<Waiting>"), TextRun::BottomToTop);
    const QRect box = bounds(up);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_GT(box.height(), 2 * box.width()) << "the text runs upwards";
    EXPECT_NEAR(box.center().x(), 35, 4);
    EXPECT_NEAR(box.center().y(), 78, 6);
    // The whole of "<Waiting>" is shown, not cut: it is nearly as tall as the label.
    EXPECT_GT(box.height(), 110);

    // The other run is the same text half a turn round.
    const QImage down = draw(QStringLiteral("<Waiting>"), TextRun::TopToBottom);
    EXPECT_NE(up, down);
    const QRect turned = bounds(down.mirrored(true, true));
    EXPECT_NEAR(turned.top(), box.top(), 2);
    EXPECT_NEAR(turned.bottom(), box.bottom(), 2);
    EXPECT_NEAR(turned.left(), box.left(), 2);
    EXPECT_NEAR(turned.right(), box.right(), 2);

    const QImage longName = draw(QStringLiteral("Bartholomew the Magnificent"), TextRun::BottomToTop);
    const QRect longBox = bounds(longName);
    EXPECT_GE(longBox.top(), 0);
    EXPECT_LE(longBox.bottom(), 155);
    EXPECT_GT(longBox.top(), 0) << "cut to fit, it does not touch the label's ends";
    EXPECT_LT(longBox.bottom(), 155);
}
