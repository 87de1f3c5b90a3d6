#include "records/Pcm.h"

namespace zk {

Pcm toOutputFormat(std::span<const std::int16_t> interleaved, int channels, std::uint32_t rate)
{
    Pcm out;
    if ((channels != 1 && channels != 2) || rate == 0)
        return out;
    const std::uint64_t inFrames = interleaved.size() / static_cast<std::size_t>(channels);
    if (inFrames == 0)
        return out;
    const std::uint64_t outFrames = (inFrames * kOutputRate + rate - 1) / rate;
    out.samples.resize(outFrames * kOutputChannels);

    // Output frame j sits at input position j * rate / 44100; integer maths
    // keeps whole-number ratios (11025, 22050 Hz) exact.
    for (std::uint64_t j = 0; j < outFrames; ++j) {
        const std::uint64_t pos = j * rate;
        const std::uint64_t i = pos / kOutputRate;
        const std::int64_t frac = static_cast<std::int64_t>(pos % kOutputRate);
        const std::uint64_t next = i + 1 < inFrames ? i + 1 : i;
        for (int c = 0; c < kOutputChannels; ++c) {
            const int src = channels == 1 ? 0 : c;
            const std::int64_t a = interleaved[i * channels + src];
            const std::int64_t b = interleaved[next * channels + src];
            out.samples[j * kOutputChannels + c] =
                static_cast<std::int16_t>(a + (b - a) * frac / kOutputRate);
        }
    }
    return out;
}

} // namespace zk
