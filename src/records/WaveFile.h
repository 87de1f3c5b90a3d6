// Reads RIFF WAVE recordings held in memory: walks the chunks with every size
// checked against the bytes there are, and decodes PCM (8-bit unsigned,
// 16-bit signed, mono or stereo) and MPEG Layer-3 content (format tag 0x55)
// to the output format. Anything else is rejected with a reason; nothing is
// ever read outside the given bytes.
//
//   DecodedWave d = decodeWave(bytes);
//   if (d.pcm) sink.start(std::make_shared<const Pcm>(std::move(*d.pcm)));
#pragma once

#include "records/Pcm.h"

#include <cstdint>
#include <optional>
#include <span>

namespace zk {

inline constexpr std::uint16_t kWaveFormatPcm = 0x0001;
inline constexpr std::uint16_t kWaveFormatMpegLayer3 = 0x0055;
// Longest recording accepted; the game's run to a few seconds.
inline constexpr double kMaxWaveSeconds = 60.0;

enum class WaveError {
    None,
    NotRiffWave,       // no "RIFF" ... "WAVE" header
    Truncated,         // a chunk or the RIFF body runs past the end of the bytes
    MissingFormat,     // no "fmt " chunk, or one shorter than 16 bytes
    MissingData,       // no "data" chunk, or it holds no whole frame
    BadFormat,         // fields that contradict each other or make no sense
    UnsupportedFormat, // a format tag, sample size or channel count we do not play
    TooLong,           // longer than kMaxWaveSeconds
    Undecodable,       // MPEG Layer-3 data that does not decode
};

struct WaveInfo {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::span<const std::uint8_t> data; // the data chunk, inside the parsed bytes
};

struct ParsedWave {
    WaveInfo info;
    WaveError error = WaveError::None;
};

struct DecodedWave {
    std::optional<Pcm> pcm;
    WaveError error = WaveError::None;
};

// Finds and checks the format and the data of a recording.
ParsedWave parseWave(std::span<const std::uint8_t> bytes);

// Parses and decodes a recording to the output format.
DecodedWave decodeWave(std::span<const std::uint8_t> bytes);

} // namespace zk
