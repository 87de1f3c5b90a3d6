// Decodes MPEG Layer-3 audio held in memory (the data chunk of a RIFF WAVE
// file with format tag 0x55) with libmpg123, fed straight from the buffer.
//
//   if (auto audio = decodeMpegLayer3(data, 60.0))
//       Pcm pcm = toOutputFormat(audio->samples, audio->channels, audio->rate);
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zk {

struct DecodedAudio {
    std::vector<std::int16_t> samples; // interleaved
    int channels = 0;
    std::uint32_t rate = 0;
};

// The whole stream as signed 16-bit samples in the stream's own rate and
// channels; nothing when no frame decodes, the stream changes its format
// midway, or it runs longer than maxSeconds.
std::optional<DecodedAudio> decodeMpegLayer3(std::span<const std::uint8_t> data, double maxSeconds);

} // namespace zk
