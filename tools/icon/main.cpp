// zk-icon: writes the application icon into a folder: <id>-<size>.png at the
// hicolor sizes, drawn by art::drawApplicationIcon (a red five), and
// <id>.svg, the same die written out as SVG from the same geometry (the
// 48-unit die of the dice list: body, shadow, gloss and drilled pips).
//
//   zk-icon assets/icons
#include "table/qt/art/Art.h"
#include "table/qt/art/ArtPaint.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

constexpr const char* kId = "example.zonkards.Zonkards";
constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};

QString hex(const QColor& c)
{
    return c.name(QColor::HexRgb);
}

// The die of zk::art::detail::drawDie on its 48-unit box, face five.
QString svg()
{
    using namespace zk::art::detail;
    const double left = 2, top = 1.5, width = 48 - 2 - 2.5, height = 48 - 1.5 - 3, radius = 9;
    QString pips;
    const int grid[5][2] = {{-1, -1}, {1, -1}, {0, 0}, {-1, 1}, {1, 1}};
    for (const auto& g : grid) {
        const double x = 23.75 + g[0] * 11.5, y = 23.25 + g[1] * 11.5, r = 4.4;
        pips +=
            QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"#3c0008\" fill-opacity=\"0.47\"/>\n"
                           "  <circle cx=\"%4\" cy=\"%5\" r=\"%3\" fill=\"url(#pip)\"/>\n")
                .arg(x + 0.5)
                .arg(y + 0.7)
                .arg(r)
                .arg(x)
                .arg(y);
    }
    const QString rect = QStringLiteral("x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\"")
                             .arg(left)
                             .arg(top)
                             .arg(width)
                             .arg(height)
                             .arg(radius);
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"48\" height=\"48\" viewBox=\"0 0 48 48\">\n"
               "  <defs>\n"
               "    <linearGradient id=\"body\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\">\n"
               "      <stop offset=\"0\" stop-color=\"%1\"/><stop offset=\"0.45\" stop-color=\"%2\"/>"
               "<stop offset=\"1\" stop-color=\"%3\"/>\n"
               "    </linearGradient>\n"
               "    <radialGradient id=\"gloss\" cx=\"0.3\" cy=\"0.25\" r=\"0.6\">\n"
               "      <stop offset=\"0\" stop-color=\"#ffffff\" stop-opacity=\"0.27\"/>"
               "<stop offset=\"1\" stop-color=\"#ffffff\" stop-opacity=\"0\"/>\n"
               "    </radialGradient>\n"
               "    <radialGradient id=\"pip\" cx=\"0.33\" cy=\"0.33\" r=\"0.65\">\n"
               "      <stop offset=\"0\" stop-color=\"#ffffff\"/><stop offset=\"0.6\" stop-color=\"%4\"/>"
               "<stop offset=\"1\" stop-color=\"%5\"/>\n"
               "    </radialGradient>\n"
               "  </defs>\n"
               "  <rect %6 transform=\"translate(1 2)\" fill=\"#280a00\" fill-opacity=\"0.24\"/>\n"
               "  <rect %6 fill=\"url(#body)\" stroke=\"%7\" stroke-width=\"1\"/>\n"
               "  <rect %6 fill=\"url(#gloss)\"/>\n"
               "%8"
               "</svg>\n")
        .arg(hex(tone::dieLight), hex(tone::dieRed), hex(tone::dieDark), hex(tone::pip), hex(tone::pipShade),
             rect, hex(tone::dieEdge), pips);
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zk-icon <folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    for (const int size : kSizes) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        zk::art::drawApplicationIcon(p, QRectF(0, 0, size, size));
        p.end();
        const QString path = out.filePath(QStringLiteral("%1-%2.png").arg(QLatin1String(kId)).arg(size));
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "zk-icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QString svgPath = out.filePath(QStringLiteral("%1.svg").arg(QLatin1String(kId)));
    if (!write(svgPath, svg().toUtf8())) {
        std::fprintf(stderr, "zk-icon: cannot write %s\n", qPrintable(svgPath));
        return 1;
    }
    return 0;
}
