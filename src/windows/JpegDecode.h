// Decodes a JPEG held in memory with libjpeg into RGB bytes. Bad data gives
// no picture, never a crash and never a half-grey one: libjpeg's fatal
// errors return through longjmp and its warnings (a truncated file, corrupt
// entropy data) count as failures too. Plain C++; the lobby window's QImage
// comes from windows/qt/JpegImage.h.
//
//     std::optional<RgbPicture> p = zk::decodeJpegRgb(bytes, size);
//     if (p) use(p->width, p->height, p->rgb); // rows of width * 3 bytes
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace zk {

// Largest picture accepted, in pixels; a header claiming more is refused
// before any memory is allocated for it.
inline constexpr long long kMaxJpegPixels = 16LL * 1024 * 1024;

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // height rows of width * 3 bytes, top row first
};

// The decoded picture, or nothing when the data is not a complete, valid
// JPEG of at most kMaxJpegPixels pixels.
std::optional<RgbPicture> decodeJpegRgb(const unsigned char* bytes, std::size_t size);

} // namespace zk
