// Decodes a JPEG held in memory with libjpeg, for the lobby download window's
// picture. Bad data gives a null image, never a crash and never a half-grey
// picture: libjpeg's fatal errors return through longjmp and its warnings
// (a truncated file, corrupt entropy data) count as failures too.
//
//     QImage picture = zk::decodeJpeg(bytes);
//     if (!picture.isNull()) label->setPixmap(QPixmap::fromImage(picture));
#pragma once

#include <QByteArray>
#include <QImage>

namespace zk {

// Largest picture accepted, in pixels; a header claiming more is refused
// before any memory is allocated for it.
inline constexpr long long kMaxJpegPixels = 16LL * 1024 * 1024;

// Returns the decoded picture in RGB888, or a null image when the data is not
// a complete, valid JPEG of at most kMaxJpegPixels pixels.
QImage decodeJpeg(const QByteArray& data);

} // namespace zk
