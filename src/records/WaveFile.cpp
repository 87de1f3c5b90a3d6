#include "records/WaveFile.h"

#include "records/Mp3Decoder.h"

#include <cstring>
#include <vector>

namespace zk {

namespace {

std::uint16_t le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool isId(const std::uint8_t* p, const char* id)
{
    return std::memcmp(p, id, 4) == 0;
}

ParsedWave fail(WaveError e)
{
    return ParsedWave{{}, e};
}

WaveError checkFormat(const WaveInfo& w)
{
    if (w.channels == 0 || w.sampleRate == 0)
        return WaveError::BadFormat;
    if (w.formatTag != kWaveFormatPcm && w.formatTag != kWaveFormatMpegLayer3)
        return WaveError::UnsupportedFormat;
    if (w.channels > 2)
        return WaveError::UnsupportedFormat;
    // Below 1000 Hz is no recording of ours; above 192 kHz neither.
    if (w.sampleRate < 1000 || w.sampleRate > 192000)
        return WaveError::BadFormat;
    if (w.formatTag == kWaveFormatPcm) {
        if (w.bitsPerSample != 8 && w.bitsPerSample != 16)
            return WaveError::UnsupportedFormat;
        if (w.blockAlign != w.channels * w.bitsPerSample / 8)
            return WaveError::BadFormat;
    }
    return WaveError::None;
}

} // namespace

ParsedWave parseWave(std::span<const std::uint8_t> bytes)
{
    const std::uint8_t* base = bytes.data();
    const std::size_t size = bytes.size();
    if (size < 12 || !isId(base, "RIFF") || !isId(base + 8, "WAVE"))
        return fail(WaveError::NotRiffWave);
    const std::uint64_t riffEnd = std::uint64_t{le32(base + 4)} + 8;
    if (riffEnd > size)
        return fail(WaveError::Truncated);

    WaveInfo info;
    bool haveFormat = false, haveData = false;
    std::uint64_t pos = 12;
    while (pos < riffEnd && !(haveFormat && haveData)) {
        if (riffEnd - pos < 8)
            return fail(WaveError::Truncated);
        const std::uint8_t* chunk = base + pos;
        const std::uint64_t length = le32(chunk + 4);
        if (length > riffEnd - pos - 8)
            return fail(WaveError::Truncated);
        const std::uint8_t* body = chunk + 8;
        if (isId(chunk, "fmt ") && !haveFormat) {
            if (length < 16)
                return fail(WaveError::MissingFormat);
            info.formatTag = le16(body);
            info.channels = le16(body + 2);
            info.sampleRate = le32(body + 4);
            info.blockAlign = le16(body + 12);
            info.bitsPerSample = le16(body + 14);
            haveFormat = true;
        } else if (isId(chunk, "data") && !haveData) {
            info.data = bytes.subspan(pos + 8, length);
            haveData = true;
        }
        // Chunks are word aligned: an odd length is followed by a pad byte.
        pos += 8 + length + (length & 1);
    }
    if (!haveFormat)
        return fail(WaveError::MissingFormat);
    if (!haveData)
        return fail(WaveError::MissingData);
    if (const WaveError e = checkFormat(info); e != WaveError::None)
        return fail(e);
    return ParsedWave{info, WaveError::None};
}

DecodedWave decodeWave(std::span<const std::uint8_t> bytes)
{
    const ParsedWave parsed = parseWave(bytes);
    if (parsed.error != WaveError::None)
        return {std::nullopt, parsed.error};
    const WaveInfo& w = parsed.info;

    if (w.formatTag == kWaveFormatMpegLayer3) {
        auto audio = decodeMpegLayer3(w.data, kMaxWaveSeconds);
        if (!audio)
            return {std::nullopt, WaveError::Undecodable};
        return {toOutputFormat(audio->samples, audio->channels, audio->rate), WaveError::None};
    }

    const std::size_t frames = w.data.size() / w.blockAlign;
    if (frames == 0)
        return {std::nullopt, WaveError::MissingData};
    if (static_cast<double>(frames) > kMaxWaveSeconds * w.sampleRate)
        return {std::nullopt, WaveError::TooLong};
    std::vector<std::int16_t> samples(frames * w.channels);
    const std::uint8_t* p = w.data.data();
    if (w.bitsPerSample == 8) {
        // 8-bit WAVE samples are unsigned with silence at 128.
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<std::int16_t>((p[i] - 128) * 256);
    } else {
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<std::int16_t>(le16(p + 2 * i));
    }
    return {toOutputFormat(samples, w.channels, w.sampleRate), WaveError::None};
}

} // namespace zk
