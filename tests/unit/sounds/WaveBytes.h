// Builds RIFF WAVE files byte by byte for the decoding tests, so each test
// can say exactly which field is wrong.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zk::test {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void put32(Bytes& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

inline void putId(Bytes& b, const char* id)
{
    b.insert(b.end(), id, id + 4);
}

// One chunk; sizeField overrides the length written in its header.
inline Bytes chunk(const char* id, const Bytes& body, std::int64_t sizeField = -1)
{
    Bytes b;
    putId(b, id);
    put32(b, sizeField < 0 ? static_cast<std::uint32_t>(body.size()) : static_cast<std::uint32_t>(sizeField));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2)
        b.push_back(0);
    return b;
}

inline Bytes fmtBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                     std::int32_t blockAlign = -1)
{
    const std::uint16_t align = blockAlign < 0 ? static_cast<std::uint16_t>(channels * bits / 8)
                                               : static_cast<std::uint16_t>(blockAlign);
    Bytes b;
    put16(b, tag);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * align);
    put16(b, align);
    put16(b, bits);
    return b;
}

// "RIFF" size "WAVE" and the chunks; riffSize overrides the size field.
inline Bytes riff(const std::vector<Bytes>& chunks, std::int64_t riffSize = -1)
{
    Bytes body;
    putId(body, "WAVE");
    for (const Bytes& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    Bytes b;
    putId(b, "RIFF");
    put32(b, riffSize < 0 ? static_cast<std::uint32_t>(body.size()) : static_cast<std::uint32_t>(riffSize));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

inline Bytes pcmWave(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, const Bytes& data)
{
    return riff({chunk("fmt ", fmtBody(1, channels, rate, bits)), chunk("data", data)});
}

} // namespace zk::test
