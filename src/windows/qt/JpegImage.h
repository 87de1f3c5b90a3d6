// The lobby download window's picture: a JPEG held in memory as a QImage,
// through the plain decoder (windows/JpegDecode.h). Bad data gives a null image.
//
//     QImage picture = zk::decodeJpeg(bytes);
//     if (!picture.isNull()) label->setPixmap(QPixmap::fromImage(picture));
#pragma once

#include "windows/JpegDecode.h"

#include <QByteArray>
#include <QImage>

namespace zk {

// Returns the decoded picture in RGB888, or a null image when the data is not
// a complete, valid JPEG of at most kMaxJpegPixels pixels.
QImage decodeJpeg(const QByteArray& data);

} // namespace zk
