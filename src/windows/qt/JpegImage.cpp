#include "windows/qt/JpegImage.h"

#include <algorithm>

namespace zk {

QImage decodeJpeg(const QByteArray& data)
{
    const std::optional<RgbPicture> raw = decodeJpegRgb(
        reinterpret_cast<const unsigned char*>(data.constData()), static_cast<std::size_t>(data.size()));
    if (!raw)
        return {};
    QImage image(raw->width, raw->height, QImage::Format_RGB888);
    if (image.isNull())
        return {};
    const std::size_t stride = static_cast<std::size_t>(raw->width) * 3;
    for (int y = 0; y < raw->height; ++y)
        std::copy_n(raw->rgb.data() + stride * static_cast<std::size_t>(y), stride, image.scanLine(y));
    return image;
}

} // namespace zk
