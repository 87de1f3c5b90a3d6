// Decoded sound in the one format the sound output plays: signed 16-bit
// stereo at 44100 Hz, left and right samples interleaved. Every recording is
// converted to it once, when it is loaded, so the output stream never has to
// change format between sounds.
//
//   Pcm pcm = toOutputFormat(samples, 1, 11025); // mono 11025 Hz in
//   pcm.frames();                                // 4 times as many frames out
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zk {

inline constexpr int kOutputRate = 44100;
inline constexpr int kOutputChannels = 2;

struct Pcm {
    std::vector<std::int16_t> samples; // L R L R ...

    std::size_t frames() const { return samples.size() / kOutputChannels; }
    double seconds() const { return static_cast<double>(frames()) / kOutputRate; }
};

// Converts interleaved signed 16-bit samples with 1 or 2 channels at any rate
// from 1 Hz up to the output format, resampling by linear interpolation and
// doubling a mono channel. A trailing half frame is ignored.
Pcm toOutputFormat(std::span<const std::int16_t> interleaved, int channels, std::uint32_t rate);

} // namespace zk
