// Every embedded recording is there under its name, has the format and the
// length it should, and decodes (the MPEG Layer-3 ones through libmpg123) to
// audible output-format audio.
#include "records/qt/SoundPlayer.h"
#include "records/WaveFile.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace zk::test {
namespace {

struct Expected {
    const char* name;
    std::uint16_t tag;
    std::uint16_t channels;
    std::uint32_t rate;
    std::uint16_t bits; // PCM only
    double minSeconds, maxSeconds;
};

constexpr std::uint16_t kPcm = kWaveFormatPcm, kMp3 = kWaveFormatMpegLayer3;

const Expected kRecordings[] = {
    {"DICE", kPcm, 1, 22050, 8, 0.76, 0.76},      {"ENTERBONUS", kPcm, 1, 11025, 8, 0.37, 0.37},
    {"ENTERED", kPcm, 1, 11025, 8, 0.79, 0.79},   {"ERROR", kPcm, 2, 11025, 16, 0.80, 0.80},
    {"EXITBONUS", kPcm, 1, 11025, 8, 0.97, 0.97}, {"GOTBONUS", kPcm, 1, 11025, 8, 0.67, 0.67},
    {"GOTPOINTS", kPcm, 1, 22050, 8, 2.28, 2.28}, {"ZONKARD", kMp3, 1, 11025, 0, 2.65, 2.65},
    {"NOPOINTS", kPcm, 1, 11025, 8, 0.25, 0.25},  {"SELECT", kPcm, 1, 11025, 8, 0.30, 0.30},
    {"SET", kPcm, 1, 44100, 16, 0.13, 0.13},      {"TURN", kPcm, 1, 44100, 8, 0.47, 0.47},
    {"TURNNEW", kPcm, 1, 44100, 8, 0.43, 0.43},   {"UNSET", kPcm, 1, 44100, 16, 0.22, 0.22},
    {"WAVE1", kPcm, 1, 11025, 8, 0.33, 0.95},     {"WAVE2", kPcm, 1, 11025, 8, 0.33, 0.95},
    {"WAVE3", kPcm, 1, 11025, 8, 0.33, 0.95},     {"WAVE4", kPcm, 1, 22254, 8, 0.33, 0.95},
    {"WAVE5", kPcm, 1, 11025, 8, 0.33, 0.95},     {"WAVE6", kMp3, 1, 11025, 0, 4.26, 4.26},
    {"WAVE7", kPcm, 1, 11025, 8, 0.61, 2.14},     {"WAVE8", kPcm, 1, 22254, 8, 0.61, 2.14},
    {"WAVE9", kPcm, 1, 22050, 8, 0.61, 2.14},     {"WAVE10", kPcm, 1, 11025, 8, 0.61, 2.14},
    {"WAVE11", kPcm, 1, 11025, 8, 0.61, 2.14},    {"WAVE12", kPcm, 1, 22050, 8, 0.61, 2.14},
    {"WINNER", kPcm, 1, 22050, 16, 2.79, 2.79},
};

// Within a tenth of the expected length (or range).
void expectLength(double seconds, const Expected& e, const char* what)
{
    EXPECT_GE(seconds, e.minSeconds * 0.9) << e.name << " " << what;
    EXPECT_LE(seconds, e.maxSeconds * 1.1) << e.name << " " << what;
}

std::span<const std::uint8_t> view(const QByteArray& b)
{
    return {reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<std::size_t>(b.size())};
}

TEST(EmbeddedRecordings, AreExactlyTheTwentySevenNamedOnes)
{
    ASSERT_TRUE(SoundPlayer::embeddedRecording("dice")); // registers the resources
    QStringList present = QDir(QStringLiteral(":/sounds")).entryList(QDir::Files);
    QStringList wanted;
    for (const Expected& e : kRecordings)
        wanted << QString::fromLatin1(e.name) + QStringLiteral(".wav");
    present.sort();
    wanted.sort();
    EXPECT_EQ(present, wanted);
}

TEST(EmbeddedRecordings, HaveTheirFormatAndLength)
{
    for (const Expected& e : kRecordings) {
        const auto bytes = SoundPlayer::embeddedRecording(e.name);
        ASSERT_TRUE(bytes) << e.name;
        const ParsedWave parsed = parseWave(view(*bytes));
        ASSERT_EQ(parsed.error, WaveError::None) << e.name;
        const WaveInfo& w = parsed.info;
        EXPECT_EQ(w.formatTag, e.tag) << e.name;
        EXPECT_EQ(w.channels, e.channels) << e.name;
        EXPECT_EQ(w.sampleRate, e.rate) << e.name;
        if (e.tag == kPcm) {
            EXPECT_EQ(w.bitsPerSample, e.bits) << e.name;
            expectLength(static_cast<double>(w.data.size()) / w.blockAlign / w.sampleRate, e, "stored");
        }
    }
}

TEST(EmbeddedRecordings, DecodeToAudibleOutputAudioOfTheirLength)
{
    for (const Expected& e : kRecordings) {
        const auto bytes = SoundPlayer::embeddedRecording(e.name);
        ASSERT_TRUE(bytes) << e.name;
        const DecodedWave d = decodeWave(view(*bytes));
        ASSERT_EQ(d.error, WaveError::None) << e.name;
        ASSERT_TRUE(d.pcm) << e.name;
        const Pcm& pcm = *d.pcm;
        ASSERT_EQ(pcm.samples.size() % 2, 0u);
        expectLength(pcm.seconds(), e, "decoded");

        // Loud enough to hear, and centred on zero: unsigned 8-bit samples
        // read as signed (or bytes in the wrong order) would show as a large
        // offset or as noise at full scale.
        int peak = 0;
        double sum = 0;
        for (const std::int16_t s : pcm.samples) {
            peak = std::max(peak, std::abs(static_cast<int>(s)));
            sum += s;
        }
        EXPECT_GT(peak, 8000) << e.name;
        EXPECT_LT(std::abs(sum / static_cast<double>(pcm.samples.size())), 1000.0) << e.name;

        bool channelsDiffer = false;
        for (std::size_t i = 0; i + 1 < pcm.samples.size(); i += 2)
            channelsDiffer = channelsDiffer || pcm.samples[i] != pcm.samples[i + 1];
        // Only ERROR is stereo with a different left and right.
        EXPECT_EQ(channelsDiffer, e.channels == 2) << e.name;
    }
}

} // namespace
} // namespace zk::test
