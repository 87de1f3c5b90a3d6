// Feeds the lobby window's JPEG decoding (decodeJpeg over libjpeg) any bytes
// as a download would bring them. It must return, without a crash or a
// libjpeg error escaping, either no picture or a whole one: RGB888, at least
// one pixel wide and high, within kMaxJpegPixels, each of its rows readable;
// and the same bytes decode to the same picture again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QImage>

#include "FuzzCheck.h"
#include "windows/qt/JpegImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QImage image = zk::decodeJpeg(bytes);
    if (image.isNull())
        return 0;
    CHECK(image.format() == QImage::Format_RGB888);
    CHECK(image.width() >= 1 && image.height() >= 1);
    CHECK(static_cast<long long>(image.width()) * image.height() <= zk::kMaxJpegPixels);
    // Both ends of every row (AddressSanitizer sees a row that is short).
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        volatile uchar ends = static_cast<uchar>(row[0] ^ row[image.width() * 3 - 1]);
        (void)ends;
    }
    const QImage again = zk::decodeJpeg(bytes);
    CHECK(again == image);
    return 0;
}
