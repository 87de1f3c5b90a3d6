#include "records/Mp3Decoder.h"

#include <mpg123.h>

#include <cstring>
#include <memory>
#include <mutex>

namespace zk {

namespace {

struct HandleDeleter {
    void operator()(mpg123_handle* h) const { mpg123_delete(h); }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

Handle openFeedHandle()
{
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = mpg123_init() == MPG123_OK; });
    if (!ready)
        return {};
    int err = MPG123_OK;
    Handle h(mpg123_new(nullptr, &err));
    if (!h)
        return {};
    // A broken stream is skipped silently: no messages on stderr.
    mpg123_param(h.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // Signed 16-bit only, at whatever rate and channel count the stream has.
    mpg123_format_none(h.get());
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(h.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(h.get()) != MPG123_OK)
        return {};
    return h;
}

} // namespace

std::optional<DecodedAudio> decodeMpegLayer3(std::span<const std::uint8_t> data, double maxSeconds)
{
    if (data.empty())
        return std::nullopt;
    Handle h = openFeedHandle();
    if (!h)
        return std::nullopt;
    if (mpg123_feed(h.get(), data.data(), data.size()) != MPG123_OK)
        return std::nullopt;

    DecodedAudio audio;
    double maxSamples = 0;
    std::vector<unsigned char> buffer(16384);
    int idle = 0; // calls in a row that gave nothing, a guard against spinning
    for (;;) {
        size_t done = 0;
        const int r = mpg123_read(h.get(), buffer.data(), buffer.size(), &done);
        if (r == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0, encoding = 0;
            if (mpg123_getformat(h.get(), &rate, &channels, &encoding) != MPG123_OK)
                return std::nullopt;
            if (audio.channels != 0 && (audio.channels != channels || audio.rate != rate))
                return std::nullopt;
            if ((channels != 1 && channels != 2) || rate <= 0 || encoding != MPG123_ENC_SIGNED_16)
                return std::nullopt;
            audio.channels = channels;
            audio.rate = static_cast<std::uint32_t>(rate);
            maxSamples = maxSeconds * static_cast<double>(rate) * channels;
        }
        if (done > 0 && audio.channels != 0) {
            const std::size_t old = audio.samples.size();
            audio.samples.resize(old + done / sizeof(std::int16_t));
            std::memcpy(audio.samples.data() + old, buffer.data(),
                        done / sizeof(std::int16_t) * sizeof(std::int16_t));
            if (static_cast<double>(audio.samples.size()) > maxSamples)
                return std::nullopt;
        }
        idle = done > 0 ? 0 : idle + 1;
        if ((r == MPG123_OK || r == MPG123_NEW_FORMAT) && idle < 64)
            continue;
        // MPG123_NEED_MORE: the whole buffer was fed, so the stream has ended.
        // MPG123_DONE or an error: keep what decoded before it.
        break;
    }
    if (audio.samples.empty())
        return std::nullopt;
    return audio;
}

} // namespace zk
