#include "windows/JpegDecode.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace zk {
namespace {

// libjpeg reports errors through this manager. A fatal error jumps back to
// decodeRaw(); a warning is remembered, because libjpeg would otherwise paint
// a truncated or damaged file grey and call it a success.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool warned;
};

void onFatal(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr cinfo, int level)
{
    if (level < 0)
        reinterpret_cast<ErrorManager*>(cinfo->err)->warned = true;
}

// All C: nothing with a destructor lives in this frame, so longjmp may leave
// it safely. The output buffer belongs to the caller.
bool decodeRaw(const unsigned char* bytes, unsigned long size, RgbPicture& out)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = onFatal;
    err.base.emit_message = onMessage;
    err.warned = false;

    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes, size);
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    const long long pixels = static_cast<long long>(cinfo.image_width) * cinfo.image_height;
    if (pixels <= 0 || pixels > kMaxJpegPixels ||
        (cinfo.jpeg_color_space != JCS_GRAYSCALE && cinfo.jpeg_color_space != JCS_YCbCr &&
         cinfo.jpeg_color_space != JCS_RGB)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    const std::size_t stride = static_cast<std::size_t>(out.width) * 3;
    out.rgb.resize(stride * static_cast<std::size_t>(out.height));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.rgb.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return !err.warned;
}

} // namespace

std::optional<RgbPicture> decodeJpegRgb(const unsigned char* bytes, std::size_t size)
{
    if (size == 0)
        return std::nullopt;
    RgbPicture picture;
    if (!decodeRaw(bytes, static_cast<unsigned long>(size), picture))
        return std::nullopt;
    return picture;
}

} // namespace zk
