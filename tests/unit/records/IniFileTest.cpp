// Private-profile access: reading one key, changing one key while every
// other byte stays, and replacing the file atomically.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "RecordsTestSupport.h"
#include "records/IniFile.h"

namespace zk::test {
namespace {

const std::string kFile = "; options of the lobby\r\n"
                          "[Lobby]\r\n"
                          "Top=99\r\n"
                          "Server = lobby.example\r\n"
                          "\r\n"
                          "[AGame]\r\n"
                          "  top = 40 \r\n"
                          "; a comment = not a key\r\n"
                          "Left=7\r\n"
                          "Top=1\r\n"
                          "\r\n"
                          "[agame]\r\n"
                          "Width=500\r\n";

TEST(IniRead, SectionAndKeyMatchWithoutCaseAndTheFirstOneCounts)
{
    EXPECT_EQ(ini::findValue(kFile, "agame", "Top"), "40");
    EXPECT_EQ(ini::findValue(kFile, "AGAME", "LEFT"), "7");
    EXPECT_EQ(ini::findValue(kFile, "lobby", "top"), "99");
    EXPECT_EQ(ini::findValue(kFile, "Lobby", "Server"), "lobby.example");
    // Only the first section of a name is read, as the platform does.
    EXPECT_EQ(ini::findValue(kFile, "agame", "Width"), std::nullopt);
    EXPECT_EQ(ini::findValue(kFile, "agame", "Height"), std::nullopt);
    EXPECT_EQ(ini::findValue(kFile, "agame", "; a comment"), std::nullopt);
    EXPECT_EQ(ini::findValue(kFile, "other", "Top"), std::nullopt);
    EXPECT_EQ(ini::findValue("", "agame", "Top"), std::nullopt);
    // An empty value is a value; a byte-order mark does not hide the header.
    EXPECT_EQ(ini::findValue("[agame]\nPhrase1=\n", "agame", "Phrase1"), "");
    EXPECT_EQ(ini::findValue("\xEF\xBB\xBF[agame]\r\nTop=5\r\n", "agame", "Top"), "5");
    // Accented names fold too (Windows-1252 É and é).
    EXPECT_EQ(ini::findValue("[\xC9t\xE9]\r\nK=v\r\n", "\xE9t\xC9", "k"), "v");
}

TEST(IniWrite, ChangingOneKeyKeepsEveryOtherByte)
{
    // The key keeps its spelling and spacing up to "="; only the value changes.
    std::string expected = kFile;
    expected.replace(expected.find("  top = 40 "), 11, "  top =650");
    EXPECT_EQ(ini::withValue(kFile, "agame", "Top", "650"), expected);

    // A new key goes after the section's last non-blank line.
    expected = kFile;
    expected.insert(expected.find("Top=1\r\n") + 7, "Height=535\r\n");
    EXPECT_EQ(ini::withValue(kFile, "AGAME", "Height", "535"), expected);

    // A missing section goes at the end; a missing final line break is added.
    EXPECT_EQ(ini::withValue("[x]\r\na=1", "agame", "Top", "3"), "[x]\r\na=1\r\n[agame]\r\nTop=3\r\n");
    EXPECT_EQ(ini::withValue("", "agame", "Top", "3"), "[agame]\r\nTop=3\r\n");
    EXPECT_EQ(ini::withValue("[agame]", "agame", "Top", "3"), "[agame]\r\nTop=3\r\n");
    // A file of plain line feeds keeps them.
    EXPECT_EQ(ini::withValue("[agame]\nLeft=1\n\n[b]\n", "agame", "Top", "3"),
              "[agame]\nLeft=1\nTop=3\n\n[b]\n");
    // A value can never add lines of its own.
    EXPECT_EQ(ini::withValue("", "agame", "Phrase1", "a\r\n[evil]\nb"), "[agame]\r\nPhrase1=a  [evil] b\r\n");
}

TEST(IniWrite, ALastLineEndingInALoneCarriageReturnGetsItsLineFeed)
{
    // A file cut between the CR and the LF of its last line: a key or a
    // section written after it starts a line of its own, and the cut line
    // reads as it did.
    struct Case {
        std::string_view content, section, key, expected;
        std::optional<std::string> top; // what Top of agame reads afterwards
    };
    for (const Case& c : {
             Case{"[agame]\r\nTop=1\r", "agame", "Left", "[agame]\r\nTop=1\r\nLeft=5\r\n", "1"},
             Case{"[agame]\nTop=1\r", "lobby", "Left", "[agame]\nTop=1\r\n[lobby]\nLeft=5\n", "1"},
             Case{"[agame]\r", "agame", "Left", "[agame]\r\nLeft=5\r\n", std::nullopt},
             Case{"[agame]\r\nTop=1\r", "agame", "Top", "[agame]\r\nTop=5\r", "5"},
         }) {
        const std::string out = ini::withValue(c.content, c.section, c.key, "5");
        EXPECT_EQ(out, c.expected) << c.content;
        EXPECT_EQ(ini::findValue(out, c.section, c.key), "5") << c.content;
        EXPECT_EQ(ini::findValue(out, "agame", "Top"), c.top) << c.content;
    }
}

TEST(IniFile, WritesCreateReplaceAndReadBack)
{
    test::TempDir dir;
    const auto file = dir / "quorlanlobby.ini";
    EXPECT_EQ(ini::readKey(file, "agame", "Top"), std::nullopt);
    ASSERT_TRUE(ini::writeKey(file, "agame", "Top", "12"));
    ASSERT_TRUE(ini::writeKey(file, "agame", "Left", "34"));
    EXPECT_EQ(test::readBytes(file), "[agame]\r\nTop=12\r\nLeft=34\r\n");
    EXPECT_EQ(ini::readKey(file, "AGAME", "left"), "34");

    // The file is replaced, not rewritten in place: a reader that opened the
    // old file keeps seeing the old content whole.
    struct stat before {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    std::ifstream oldReader(file, std::ios::binary);
    ASSERT_TRUE(ini::writeKey(file, "agame", "Top", "5678"));
    struct stat after {};
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    const std::string oldContent(std::istreambuf_iterator<char>(oldReader), {});
    EXPECT_EQ(oldContent, "[agame]\r\nTop=12\r\nLeft=34\r\n");
    EXPECT_EQ(test::readBytes(file), "[agame]\r\nTop=5678\r\nLeft=34\r\n");
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()),
        1);
}

TEST(IniFile, FailuresAreReportedAndLoseNothing)
{
    test::TempDir dir;
    // A folder where the file should be: nothing can be read or written.
    const auto blocked = dir / "quorlanlobby.ini";
    std::filesystem::create_directory(blocked);
    EXPECT_FALSE(ini::writeKey(blocked, "agame", "Top", "1"));
    EXPECT_EQ(ini::readKey(blocked, "agame", "Top"), std::nullopt);
    EXPECT_TRUE(std::filesystem::is_empty(blocked));

    // A write that runs out of room leaves the previous file exactly as it was.
    const auto file = dir / "big.ini";
    const std::string original = kFile + std::string(6000, ';') + "\r\n";
    test::writeBytes(file, original);
    {
        test::FileSizeLimit limit(4096);
        EXPECT_FALSE(ini::writeKey(file, "agame", "Top", "1"));
    }
    EXPECT_EQ(test::readBytes(file), original);
}

TEST(IniFile, ReadOnlyFolderRefusesWrites)
{
    if (test::runningAsRoot())
        GTEST_SKIP() << "running as root: folder permissions do not stop root's writes "
                        "(the folder-in-the-way and file-size-limit cases cover failures)";
    test::TempDir dir;
    const auto file = dir / "quorlanlobby.ini";
    test::writeBytes(file, "[agame]\r\nTop=1\r\n");
    std::filesystem::permissions(dir.path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(ini::writeKey(file, "agame", "Top", "2"));
    EXPECT_EQ(test::readBytes(file), "[agame]\r\nTop=1\r\n");
}

} // namespace
} // namespace zk::test
