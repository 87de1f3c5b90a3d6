// The LZRW1/KH codec and the WRZL container: round trips, the exact block
// layout of runs, copies and stored pieces, and every way a file can be bad.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "RecordsTestSupport.h"
#include "records/LZRW1KH.h"

namespace zk::test {
namespace {

using namespace std::string_literals;

std::string roundTrip(const std::string& text)
{
    const std::string file = lzrw1kh::compress(text);
    const lzrw1kh::Result r = lzrw1kh::decompress(file, "t.tld");
    EXPECT_TRUE(r.ok()) << r.error;
    return r.text;
}

std::string container(std::uint32_t size, const std::string& blocks)
{
    std::string s = "WRZL";
    for (int k = 0; k < 4; ++k)
        s.push_back(static_cast<char>((size >> (8 * k)) & 0xFF));
    return s + blocks;
}

std::string withLength(const std::string& block)
{
    std::string s;
    s.push_back(static_cast<char>(block.size() & 0xFF));
    s.push_back(static_cast<char>(block.size() >> 8));
    return s + block;
}

// The blocks of a container as (length, bytes) pairs, read independently of
// the codec.
std::vector<std::string> blocksOf(const std::string& file)
{
    std::vector<std::string> blocks;
    std::size_t pos = 8;
    while (pos + 2 <= file.size()) {
        const std::size_t len =
            static_cast<unsigned char>(file[pos]) | (static_cast<unsigned char>(file[pos + 1]) << 8);
        blocks.push_back(file.substr(pos + 2, len));
        pos += 2 + len;
    }
    EXPECT_EQ(pos, file.size());
    return blocks;
}

TEST(Lzrw1khRoundTrip, RandomTextLikeAndRepetitiveDataComeBackUnchanged)
{
    for (std::size_t n : {0u, 1u, 2u, 3u, 17u, 1000u, 32767u, 32768u, 32769u, 65536u, 100000u}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(roundTrip(test::randomBytes(n, 7)), test::randomBytes(n, 7));
        EXPECT_EQ(roundTrip(test::textLike(n, 3)), test::textLike(n, 3));
        EXPECT_EQ(roundTrip(std::string(n, 'z')), std::string(n, 'z'));
        std::string pattern;
        for (std::size_t i = 0; i < n; ++i)
            pattern.push_back(static_cast<char>("ab\0\xff"[i % 4]));
        EXPECT_EQ(roundTrip(pattern), pattern);
    }
}

TEST(Lzrw1khRoundTrip, CompressibleDataShrinksAndIncompressibleIsStored)
{
    const std::string text = test::textLike(200000, 11);
    EXPECT_LT(lzrw1kh::compress(text).size(), text.size() * 3 / 4);
    EXPECT_LT(lzrw1kh::compress(std::string(200000, '\0')).size(), 1000u);

    // Random pieces cannot be made shorter: every block is stored, one byte
    // longer than its piece.
    const std::string noise = test::randomBytes(70000, 5);
    const auto blocks = blocksOf(lzrw1kh::compress(noise));
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].size(), 32769u);
    EXPECT_EQ(blocks[2].size(), 70000u - 65536u + 1u);
    for (const std::string& b : blocks)
        EXPECT_EQ(static_cast<unsigned char>(b[0]), lzrw1kh::kStoredFlag);
    EXPECT_EQ(blocks[1].substr(1), noise.substr(32768, 32768));
}

TEST(Lzrw1khContainer, HeaderAndTheLastBlockRule)
{
    // Empty text: the size 0 and one block for the empty piece.
    EXPECT_EQ(lzrw1kh::compress(""), container(0, "\x01\x00\x80"s));

    // Exactly 32768 bytes: two blocks, the second the single byte 0x80.
    const std::string text = test::textLike(32768, 1);
    const std::string file = lzrw1kh::compress(text);
    EXPECT_EQ(file.substr(0, 8), container(32768, ""));
    const auto blocks = blocksOf(file);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[1], "\x80");
    EXPECT_EQ(roundTrip(text), text);

    // A piece shorter than 3 bytes is always stored.
    EXPECT_EQ(blocksOf(lzrw1kh::compress("ab")), std::vector<std::string>{"\x80"
                                                                          "ab"});
}

TEST(Lzrw1khBlock, RunOfTwentyBytesIsOneRunItem)
{
    const std::string piece = "abcdefgh" + std::string(20, 'x') + "ijklmnop";
    std::string block;
    lzrw1kh::compressBlock(piece, block);
    // 8 literals, the run, 7 literals fill the first group (bit 8 set); the
    // last literal forms a second group whose control word has its one used
    // bit at the top.
    const std::string expected =
        "\x40"s + "\x00\x80"s + "abcdefgh" + "\x00\x00\x04x"s + "ijklmno" + "\x00\x00"s + "p";
    EXPECT_EQ(block, expected);
    std::string back;
    ASSERT_TRUE(lzrw1kh::decompressBlock(block, back));
    EXPECT_EQ(back, piece);
}

TEST(Lzrw1khBlock, CopyItemsCarryOffsetAndLengthAndMayOverlap)
{
    // Six literals, then one copy 6 back of 12 bytes: (6*16 + 9) = 0x0069.
    std::string block;
    lzrw1kh::compressBlock("abcdefabcdefabcdef", block);
    EXPECT_EQ(block, "\x40\x02\x00"s + "abcdef" + "\x00\x69"s);

    // A copy one byte back of 18 bytes repeats the byte it reads.
    std::string out;
    ASSERT_TRUE(lzrw1kh::decompressBlock("\x40\x40\x00"
                                         "x\x00\x1f"s,
                                         out));
    EXPECT_EQ(out, std::string(19, 'x'));

    // Runs longer than 4095 bytes are cut into several run items.
    std::string longRun;
    lzrw1kh::compressBlock(std::string(5000, 'q'), longRun);
    EXPECT_EQ(longRun, "\x40\xC0\x00"s + "\x00\x0F\xEFq"s + "\x00\x03\x79q"s);
}

TEST(Lzrw1khReader, EveryBadFileGetsItsMessage)
{
    const std::string path = "/data/agametally.tld";
    const std::string noHeader = path + " : Lzrw1 decompression : this file has no valid header !";
    const std::string mismatch =
        "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
    const std::string readError = "Lzrw1 : Error reading from input file : " + path;
    const std::string good = lzrw1kh::compress("hello hello hello hello");

    struct Case {
        const char* what;
        std::string bytes;
        std::string message;
    };
    const Case cases[] = {
        {"empty file", "", noHeader},
        {"short identifier", "WRZ", noHeader},
        {"wrong identifier", "LZRW" + good.substr(4), noHeader},
        {"ends in the size", "WRZL\x05\x00"s, readError},
        {"ends in a length", container(3, "\x04"s), readError},
        {"no block at all", container(3, ""), readError},
        {"ends in a block",
         container(3, "\x04\x00\x80"
                      "a"s),
         readError},
        {"full piece then nothing", container(32768, withLength("\x80" + std::string(32768, 'a'))),
         readError},
        {"size too large",
         container(5, withLength("\x80"
                                 "abc")),
         mismatch},
        {"size too small",
         container(2, withLength("\x80"
                                 "abc")),
         mismatch},
        {"more than the size, early", container(10, withLength("\x80" + std::string(32768, 'a'))), mismatch},
        {"empty block", container(0, "\x00\x00"s), mismatch},
        {"unknown flag",
         container(1, withLength("\x20"
                                 "a")),
         mismatch},
        {"stored block too long", container(32769, withLength("\x80" + std::string(32769, 'a'))), mismatch},
        {"copy before the start", container(3, withLength("\x40\x80\x00\x00\x10"s)), mismatch},
        {"copy further back than written",
         container(4, withLength("\x40\x40\x00"
                                 "a\x00\x20"s)),
         mismatch},
        {"control word cut", container(0, withLength("\x40\x00"s)), mismatch},
        {"copy item cut",
         container(1, withLength("\x40\x40\x00"
                                 "a\x00"s)),
         mismatch},
        {"run item cut", container(20, withLength("\x40\x80\x00\x00\x00\x04"s)), mismatch},
        {"run longer than 4095", container(4111, withLength("\x40\x80\x00\x00\x0F\xFFq"s)), mismatch},
        {"runs past a piece",
         container(40000, withLength("\x40\xFF\x80"s +
                                     [] {
                                         std::string items;
                                         for (int i = 0; i < 9; ++i)
                                             items += "\x00\x0F\xEFq"s; // 9 * 4095 > 32768
                                         return items;
                                     }())),
         mismatch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const lzrw1kh::Result r = lzrw1kh::decompress(c.bytes, path);
        EXPECT_EQ(r.error, c.message);
        EXPECT_TRUE(r.text.empty());
    }
}

TEST(Lzrw1khReader, EveryCutOrFlippedByteOfAGoodFileIsReportedNotCrashed)
{
    const std::string text = test::textLike(40000, 9) + std::string(300, '-');
    const std::string good = lzrw1kh::compress(text);
    for (std::size_t n = 0; n < good.size(); n += 97) {
        const lzrw1kh::Result r = lzrw1kh::decompress(good.substr(0, n), "f");
        EXPECT_FALSE(r.ok()) << n;
    }
    std::mt19937 rng(4);
    for (int i = 0; i < 500; ++i) {
        std::string bad = good;
        bad[8 + rng() % (bad.size() - 8)] ^= static_cast<char>(1 + rng() % 255);
        const lzrw1kh::Result r = lzrw1kh::decompress(bad, "f");
        // A flip inside a literal decodes to a different text of the right
        // size; anything else is caught. Never both a success and a wrong size.
        if (r.ok()) {
            EXPECT_EQ(r.text.size(), text.size());
        }
    }
}

TEST(Lzrw1khFile, WriteReadAndTheFileErrors)
{
    test::TempDir dir;
    const auto file = dir / "agametally.tld";
    ASSERT_FALSE(lzrw1kh::writeFile(file, "9\r\n1\r\n").has_value());
    EXPECT_EQ(test::readBytes(file), lzrw1kh::compress("9\r\n1\r\n"));
    const lzrw1kh::Result r = lzrw1kh::readFile(file);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.text, "9\r\n1\r\n");

    const auto missing = dir / "missing.tld";
    EXPECT_EQ(lzrw1kh::readFile(missing).error,
              "Lzrw1 (de)compression : Failed to open input file : " + missing.string());
    EXPECT_EQ(lzrw1kh::readFile(dir.path()).error,
              "Lzrw1 (de)compression : Failed to open input file : " + dir.path().string());

    const auto noFolder = dir / "no-such-folder" / "agametally.tld";
    EXPECT_EQ(lzrw1kh::writeFile(noFolder, "x"),
              "Lzrw1 (de)compression : Failed to open output file : " + noFolder.string());

    // A folder in the way of the file: the write fails and the folder stays.
    const auto blocked = dir / "blocked.tld";
    std::filesystem::create_directory(blocked);
    EXPECT_TRUE(lzrw1kh::writeFile(blocked, "x").has_value());
    EXPECT_TRUE(std::filesystem::is_directory(blocked));
}

TEST(Lzrw1khFile, AFailedWriteKeepsThePreviousFile)
{
    test::TempDir dir;
    const auto file = dir / "agametally.tld";
    ASSERT_FALSE(lzrw1kh::writeFile(file, "first").has_value());
    const std::string before = test::readBytes(file);
    {
        test::FileSizeLimit limit(4096);
        EXPECT_TRUE(lzrw1kh::writeFile(file, test::randomBytes(20000, 2)).has_value());
    }
    EXPECT_EQ(test::readBytes(file), before);
    // No temporary sibling is left behind.
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()),
        1);
}

} // namespace
} // namespace zk::test
