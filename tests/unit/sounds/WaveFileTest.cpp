// Decoding of RIFF WAVE data: PCM conversion to the output format, the
// chunk layouts real files have, and hostile or broken files rejected with a
// reason and without a read outside the bytes (the sanitizer build checks).
#include "WaveBytes.h"

#include "records/Mp3Decoder.h"
#include "records/WaveFile.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <random>

namespace zk::test {
namespace {

using test::Bytes;
using test::chunk;
using test::fmtBody;
using test::pcmWave;
using test::riff;

DecodedWave decode(const Bytes& b)
{
    return decodeWave(b);
}

// One of the recordings the program embeds, read from assets/sounds/.
Bytes embedded(const char* name)
{
    std::string file = ZK_SOURCE_DIR "/assets/sounds/";
    for (const char* c = name; *c; ++c)
        file += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    std::ifstream in(file + ".wav", std::ios::binary);
    EXPECT_TRUE(in) << name;
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(WaveDecode, EightBitMonoIsCentredWidenedAndResampled)
{
    // 11025 Hz is a quarter of the output rate: every input sample lands on
    // every fourth output frame, with straight lines between them.
    const DecodedWave d = decode(pcmWave(1, 11025, 8, {128, 192, 64, 0, 255}));
    ASSERT_EQ(d.error, WaveError::None);
    const Pcm& p = *d.pcm;
    ASSERT_EQ(p.frames(), 20u);
    auto left = [&](std::size_t f) { return p.samples[2 * f]; };
    EXPECT_EQ(left(0), 0);
    EXPECT_EQ(left(2), 8192);
    EXPECT_EQ(left(4), 16384);
    EXPECT_EQ(left(8), -16384);
    EXPECT_EQ(left(12), -32768);
    EXPECT_EQ(left(16), 32512);
    EXPECT_EQ(left(19), 32512);
    for (std::size_t f = 0; f < p.frames(); ++f)
        EXPECT_EQ(p.samples[2 * f], p.samples[2 * f + 1]) << "mono goes to both sides, frame " << f;
}

TEST(WaveDecode, SixteenBitStereoKeepsSidesAndByteOrder)
{
    Bytes data;
    for (const int v : {1000, -1000, 3000, -5000})
        test::put16(data, static_cast<std::uint16_t>(v));
    const DecodedWave d = decode(pcmWave(2, 22050, 16, data));
    ASSERT_EQ(d.error, WaveError::None);
    const std::vector<std::int16_t> want{1000, -1000, 2000, -3000, 3000, -5000, 3000, -5000};
    EXPECT_EQ(d.pcm->samples, want);

    // At the output rate nothing changes.
    const DecodedWave same = decode(pcmWave(2, 44100, 16, data));
    EXPECT_EQ(same.pcm->samples, (std::vector<std::int16_t>{1000, -1000, 3000, -5000}));
}

TEST(WaveDecode, AcceptsTheChunkLayoutsRealFilesHave)
{
    const Bytes fmt = chunk("fmt ", fmtBody(1, 1, 44100, 8));
    const Bytes data = chunk("data", {128, 255, 0}); // odd length, then a pad byte
    Bytes longFmtBody = fmtBody(1, 1, 44100, 8);
    longFmtBody.insert(longFmtBody.end(), {0, 0}); // cbSize of the extended form

    const std::vector<Bytes> files{
        riff({chunk("LIST", {'I', 'N', 'F', 'O', 'x'}), fmt, data}), // unknown, odd chunk first
        riff({data, fmt}),                                           // data before fmt
        riff({chunk("fmt ", longFmtBody), data}),
        riff({fmt, data, chunk("junk", Bytes(9, 7))}),
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        const DecodedWave d = decode(files[i]);
        ASSERT_EQ(d.error, WaveError::None) << "layout " << i;
        EXPECT_EQ(d.pcm->samples, (std::vector<std::int16_t>{0, 0, 32512, 32512, -32768, -32768})) << i;
    }

    // The pad byte after an odd last chunk may be missing; half a frame at the
    // end of the data is dropped.
    Bytes noPad = riff({fmt, data});
    noPad.pop_back();
    noPad[4] = static_cast<std::uint8_t>(noPad.size() - 8);
    EXPECT_EQ(decode(noPad).error, WaveError::None);
    const DecodedWave half = decode(pcmWave(1, 44100, 16, {0x10, 0x00, 0x20}));
    ASSERT_EQ(half.error, WaveError::None);
    EXPECT_EQ(half.pcm->frames(), 1u);
}

TEST(WaveDecode, RejectsBrokenFilesWithAReason)
{
    const Bytes fmt = chunk("fmt ", fmtBody(1, 1, 11025, 8));
    const Bytes data = chunk("data", Bytes(100, 128));
    struct Case {
        const char* what;
        Bytes bytes;
        WaveError error;
    };
    Bytes notRiff = riff({fmt, data});
    notRiff[3] = 'X';
    Bytes notWave = riff({fmt, data});
    notWave[8] = 'A';
    const std::vector<Case> cases{
        {"empty", {}, WaveError::NotRiffWave},
        {"header only", Bytes{'R', 'I', 'F', 'F', 4, 0, 0}, WaveError::NotRiffWave},
        {"RIFX", notRiff, WaveError::NotRiffWave},
        {"not WAVE", notWave, WaveError::NotRiffWave},
        {"RIFF size past the end", riff({fmt, data}, 0x7FFFFFF0), WaveError::Truncated},
        {"RIFF size of four gigabytes", riff({fmt, data}, 0xFFFFFFFF), WaveError::Truncated},
        {"data size past the end", riff({fmt, chunk("data", Bytes(100, 128), 0xFFFFFFF0)}),
         WaveError::Truncated},
        {"fmt size past the end", riff({chunk("fmt ", fmtBody(1, 1, 11025, 8), 0x80000000), data}),
         WaveError::Truncated},
        {"chunk header cut", riff({fmt, Bytes{'L', 'I', 'S'}}), WaveError::Truncated},
        {"no fmt", riff({data}), WaveError::MissingFormat},
        {"short fmt", riff({chunk("fmt ", Bytes(14, 1)), data}), WaveError::MissingFormat},
        {"no data", riff({fmt}), WaveError::MissingData},
        {"empty data", riff({fmt, chunk("data", {})}), WaveError::MissingData},
        {"float", riff({chunk("fmt ", fmtBody(3, 1, 11025, 32)), data}), WaveError::UnsupportedFormat},
        {"ADPCM", riff({chunk("fmt ", fmtBody(2, 1, 11025, 4)), data}), WaveError::UnsupportedFormat},
        {"extensible", riff({chunk("fmt ", fmtBody(0xFFFE, 1, 11025, 16)), data}),
         WaveError::UnsupportedFormat},
        {"24-bit", riff({chunk("fmt ", fmtBody(1, 1, 11025, 24)), data}), WaveError::UnsupportedFormat},
        {"three channels", riff({chunk("fmt ", fmtBody(1, 3, 11025, 8)), data}),
         WaveError::UnsupportedFormat},
        {"no channels", riff({chunk("fmt ", fmtBody(1, 0, 11025, 8, 1)), data}), WaveError::BadFormat},
        {"rate 0", riff({chunk("fmt ", fmtBody(1, 1, 0, 8)), data}), WaveError::BadFormat},
        {"rate 50", riff({chunk("fmt ", fmtBody(1, 1, 50, 8)), data}), WaveError::BadFormat},
        {"rate 4 GHz", riff({chunk("fmt ", fmtBody(1, 1, 0xFFFFFFFF, 8)), data}), WaveError::BadFormat},
        {"block align 0", riff({chunk("fmt ", fmtBody(1, 2, 11025, 16, 0)), data}), WaveError::BadFormat},
        {"block align too big", riff({chunk("fmt ", fmtBody(1, 1, 11025, 8, 4000)), data}),
         WaveError::BadFormat},
        {"over a minute", pcmWave(1, 1000, 8, Bytes(61000, 128)), WaveError::TooLong},
        {"MP3 tag, no MP3", riff({chunk("fmt ", fmtBody(0x55, 1, 11025, 0, 1)), data}),
         WaveError::Undecodable},
        {"MP3 tag, noise",
         riff({chunk("fmt ", fmtBody(0x55, 1, 11025, 0, 1)), chunk("data", Bytes(3000, 0xA5))}),
         WaveError::Undecodable},
    };
    for (const Case& c : cases) {
        const DecodedWave d = decode(c.bytes);
        EXPECT_EQ(d.error, c.error) << c.what;
        EXPECT_FALSE(d.pcm) << c.what;
    }
}

TEST(WaveDecode, EveryCutOfARecordingIsRejected)
{
    // Cut anywhere, a recording's own sizes point past the end: no prefix may
    // decode as if whole, and none may read beyond what is there.
    for (const char* name : {"SET", "ZONKARD"}) {
        const Bytes whole = embedded(name);
        for (std::size_t n = 0; n < whole.size(); n += (n < 200 ? 1 : 97)) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            const DecodedWave d = decode(cut);
            EXPECT_NE(d.error, WaveError::None) << name << " cut at " << n;
        }
    }
}

TEST(WaveDecode, DamagedRecordingsNeverReadOutOfBounds)
{
    // Seeded, so a failure repeats: random bytes of the headers overwritten
    // and random lengths cut off. Whatever comes out is either an error or
    // audio no longer than the limit.
    std::mt19937 rng(20261208);
    for (const char* name : {"ERROR", "WAVE6"}) {
        const Bytes whole = embedded(name);
        const int rounds = name[0] == 'W' ? 300 : 2000;
        for (int round = 0; round < rounds; ++round) {
            Bytes b = whole;
            const int edits = 1 + static_cast<int>(rng() % 4);
            for (int e = 0; e < edits; ++e) {
                const std::size_t at = rng() % std::min<std::size_t>(b.size(), 80);
                b[at] = static_cast<std::uint8_t>(rng());
            }
            if (rng() % 3 == 0)
                b.resize(rng() % b.size());
            b.shrink_to_fit(); // so the sanitizer sees the true end
            const DecodedWave d = decode(b);
            if (d.pcm)
                EXPECT_LE(d.pcm->seconds(), kMaxWaveSeconds + 1) << name << " round " << round;
            else
                EXPECT_NE(d.error, WaveError::None);
        }
    }
}

TEST(Mp3Decode, DecodesTheStreamInItsOwnFormat)
{
    const Bytes wave = embedded("ZONKARD");
    const ParsedWave parsed = parseWave(wave);
    ASSERT_EQ(parsed.error, WaveError::None);
    const auto audio = decodeMpegLayer3(parsed.info.data, kMaxWaveSeconds);
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->channels, 1);
    EXPECT_EQ(audio->rate, 11025u);
    EXPECT_NEAR(static_cast<double>(audio->samples.size()) / 11025, 2.65, 0.265);
    // A limit shorter than the stream refuses it rather than cutting it.
    EXPECT_FALSE(decodeMpegLayer3(parsed.info.data, 1.0));
    EXPECT_FALSE(decodeMpegLayer3({}, kMaxWaveSeconds));
}

} // namespace
} // namespace zk::test
