// Decoding the lobby window's committed picture with libjpeg, and bad data
// that must give no picture and no crash.
#include "WindowsTestKit.h"

#include "windows/qt/JpegImage.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

namespace zk::test {
namespace {

QByteArray committedPicture()
{
    QFile file(QStringLiteral(ZK_SOURCE_DIR "/assets/lobby_closed.jpg"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

TEST(Jpeg, DecodesTheCommittedPicture)
{
    const QImage image = decodeJpeg(committedPicture());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(360, 200));
    // The felt in the lower middle is green; the band at the top is dark.
    const QColor felt = image.pixelColor(180, 185);
    EXPECT_GT(felt.green(), felt.red() + 40);
    EXPECT_GT(felt.green(), felt.blue() + 30);
    const QColor band = image.pixelColor(10, 45);
    EXPECT_LT(band.lightness(), 90);
    // The first die (a three, centred at 72,112) is near white beside its middle pip.
    const QColor die = image.pixelColor(60, 112);
    EXPECT_GT(die.lightness(), 200);
}

TEST(Jpeg, AgreesWithAnotherDecoderWherePresent)
{
    const QByteArray bytes = committedPicture();
    if (!QImageReader::supportedImageFormats().contains("jpeg"))
        GTEST_SKIP() << "Qt has no JPEG reader here";
    const QImage ours = decodeJpeg(bytes);
    const QImage theirs = QImage::fromData(bytes, "JPEG").convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(ours.size(), theirs.size());
    // Decoders may round differently by a step or two, never more on average.
    double difference = 0;
    for (int y = 0; y < ours.height(); ++y) {
        const uchar* a = ours.constScanLine(y);
        const uchar* b = theirs.constScanLine(y);
        for (int x = 0; x < ours.width() * 3; ++x)
            difference += std::abs(int(a[x]) - int(b[x]));
    }
    EXPECT_LT(difference / (ours.width() * ours.height() * 3), 2.0);
}

TEST(Jpeg, TruncatedDataGivesNoPicture)
{
    const QByteArray bytes = committedPicture();
    ASSERT_GT(bytes.size(), 1000);
    for (qsizetype length = 0; length < bytes.size() - 2; length += 97)
        EXPECT_TRUE(decodeJpeg(bytes.left(length)).isNull()) << "length " << length;
    // Without the end marker only.
    EXPECT_TRUE(decodeJpeg(bytes.left(bytes.size() - 2)).isNull());
}

TEST(Jpeg, DataThatIsNoJpegGivesNoPicture)
{
    EXPECT_TRUE(decodeJpeg(QByteArray()).isNull());
    EXPECT_TRUE(decodeJpeg(QByteArray("GIF89a not a jpeg at all")).isNull());
    QByteArray noise(4096, Qt::Uninitialized);
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    EXPECT_TRUE(decodeJpeg(noise).isNull());
    EXPECT_TRUE(decodeJpeg(QByteArray("\xFF\xD8\xFF\xD9", 4)).isNull());
}

// Finds the frame header (SOF0/SOF2) and returns the offset of its height.
qsizetype frameSizeOffset(const QByteArray& bytes)
{
    for (qsizetype i = 2; i + 9 < bytes.size(); ++i) {
        const auto m = static_cast<unsigned char>(bytes[i + 1]);
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && (m == 0xC0 || m == 0xC2))
            return i + 5;
    }
    return -1;
}

TEST(Jpeg, AHeaderClaimingAHugePictureIsRefused)
{
    QByteArray bytes = committedPicture();
    const qsizetype at = frameSizeOffset(bytes);
    ASSERT_GT(at, 0);
    ASSERT_EQ(static_cast<unsigned char>(bytes[at]) * 256 + static_cast<unsigned char>(bytes[at + 1]), 200);
    // 60000 by 60000 pixels: far beyond the limit, refused before decoding.
    bytes[at] = bytes[at + 2] = static_cast<char>(0xEA);
    bytes[at + 1] = bytes[at + 3] = static_cast<char>(0x60);
    EXPECT_TRUE(decodeJpeg(bytes).isNull());
}

TEST(Jpeg, DamagedBytesNeverCrashOrChangeTheSize)
{
    const QByteArray original = committedPicture();
    int refused = 0;
    for (qsizetype at = 2; at < original.size(); at += 37) {
        QByteArray bytes = original;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
        const QImage image = decodeJpeg(bytes);
        if (image.isNull())
            ++refused;
        else
            EXPECT_EQ(image.size(), QSize(360, 200)) << "damage at " << at;
    }
    EXPECT_GT(refused, 0);
}

} // namespace
} // namespace zk::test
