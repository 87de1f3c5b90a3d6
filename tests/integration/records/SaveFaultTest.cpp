// The tally and the settings under real faults: a saving process killed with
// SIGKILL at random moments, a full file system and a read-only folder. After
// every fault each file is the previous save or the next one, whole, never a
// mix of two; a failed save gives the player's message and keeps the file.
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "RecordsTestSupport.h"
#include "records/FileIO.h"
#include "records/Settings.h"
#include "records/Tally.h"

namespace zk::test {
namespace {

constexpr std::string_view kSection = "Zonkards";

// Save number n of each file: every number in it says n, so a file made of
// two saves shows two numbers. The tally has 40 opponents (a file of a few
// kilobytes). Its text is "9", the row count, then the cells column by column.
Tally tallyOf(int n)
{
    Tally t;
    for (int row = 1; row <= 40; ++row) {
        t.rebuildCurrentPlayers({"Opponent " + std::to_string(row)});
        t.tickCurrentPlayer(0);
    }
    std::vector<std::string> lines;
    const std::string text = t.toText();
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    const int rows = t.rowCount();
    for (int c = 1; c < Tally::kColumns; ++c) {
        for (int r = 0; r < rows; ++r)
            lines.at(static_cast<std::size_t>(2 + c * rows + r)) = std::to_string(n);
    }
    std::string out;
    for (const std::string& line : lines)
        out += line + "\r\n";
    return *Tally::fromText(out);
}

SettingsValues settingsOf(int n)
{
    SettingsValues v;
    v.bounds = {n, n, 400 + n, 300 + n};
    v.phrases.fill("phrase " + std::to_string(n));
    return v;
}

// The save number of the options in a settings file and that of its
// phrases (two saves of their own), or -1 for one whose keys disagree.
std::pair<int, int> settingsNumbers(const std::filesystem::path& file)
{
    SettingsValues v;
    loadSettings(file, kSection, v);
    const int n = v.bounds.top;
    const bool whole = v.bounds.left == n && v.bounds.width == 400 + n && v.bounds.height == 300 + n;
    const int p = std::stoi(v.phrases[0].substr(7));
    const bool phrasesWhole = std::all_of(v.phrases.begin(), v.phrases.end(), [&](const std::string& t) {
        return t == "phrase " + std::to_string(p);
    });
    return {whole ? n : -1, phrasesWhole ? p : -1};
}

// Saves everything once as save number n; the first failure's message.
std::optional<std::string> saveAll(const TempDir& dir, int n)
{
    if (auto m = saveTallyFile(dir / "tally.dat", tallyOf(n)))
        return m;
    if (auto m = saveSettings(dir / "game.ini", kSection, settingsOf(n)))
        return m;
    return savePhrases(dir / "game.ini", kSection, settingsOf(n).phrases);
}

TEST(SaveFaults, AKillAtAnyMomentLeavesThePreviousOrTheNextSaveWhole)
{
    TempDir dir;
    ASSERT_EQ(saveAll(dir, 0), std::nullopt);
    std::mt19937 rng(2026);
    int last = 0; // the save the files held before this run
    int mixed = 0, partial = 0;
    for (int run = 0; run < 200; ++run) {
        const int from = last + 1;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = from;; ++n)
                saveAll(dir, n);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 20000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        const TallyLoad tally = loadTallyFile(dir / "tally.dat");
        EXPECT_EQ(tally.error, "") << "run " << run;
        // The tally is whole when it is exactly the save its first number names.
        const int n = std::stoi(tally.tally.own(Tally::kGames));
        partial += tally.tally.toText() != tallyOf(n).toText();
        const auto [options, phrases] = settingsNumbers(dir / "game.ini");
        mixed += options < 0 || phrases < 0;
        last = std::max({last, options, phrases});
        removeStaleTemporaries(dir / "tally.dat");
        removeStaleTemporaries(dir / "game.ini");
    }
    EXPECT_EQ(partial, 0);
    EXPECT_EQ(mixed, 0);
    EXPECT_GT(last, 20) << "the saves were killed too early to test anything";
    // Nothing but the two files is left once the temporaries are cleaned.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 2);
}

// Mounts of this test stay in a mount namespace of its own, so nothing is
// left mounted on the machine whatever happens; false where that is not
// allowed (not root, or in a container without the right).
bool privateMounts()
{
    return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

TEST(SaveFaults, AFullFileSystemAndAReadOnlyFolderKeepThePreviousFiles)
{
    if (!privateMounts())
        GTEST_SKIP() << "no private mount namespace here (needs root): tmpfs faults not tried";
    TempDir dir;
    ASSERT_EQ(::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=64k"), 0);
    ASSERT_EQ(saveAll(dir, 1), std::nullopt);
    const std::string tallyBefore = readBytes(dir / "tally.dat");
    const std::string settingsBefore = readBytes(dir / "game.ini");

    // Fill the file system to its last few bytes.
    {
        std::ofstream fill(dir / "filler", std::ios::binary);
        const std::string block(512, 'f');
        while (fill.write(block.data(), block.size()) && fill.flush()) {
        }
    }
    const std::string unable = "Unable to write to " + (dir / "game.ini").string();
    EXPECT_NE(saveTallyFile(dir / "tally.dat", tallyOf(2)), std::nullopt);
    EXPECT_EQ(saveSettings(dir / "game.ini", kSection, settingsOf(2)), unable);
    EXPECT_EQ(savePhrases(dir / "game.ini", kSection, settingsOf(2).phrases), unable);
    EXPECT_EQ(readBytes(dir / "tally.dat"), tallyBefore);
    EXPECT_EQ(readBytes(dir / "game.ini"), settingsBefore);

    // Read-only: root may write anywhere the mount allows, so the folder's
    // file system itself is made read-only.
    std::filesystem::remove(dir / "filler");
    ASSERT_EQ(::mount(nullptr, dir.path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    EXPECT_NE(saveTallyFile(dir / "tally.dat", tallyOf(3)), std::nullopt);
    EXPECT_EQ(saveSettings(dir / "game.ini", kSection, settingsOf(3)), unable);
    EXPECT_EQ(readBytes(dir / "tally.dat"), tallyBefore);
    EXPECT_EQ(settingsNumbers(dir / "game.ini"), std::make_pair(1, 1));
    EXPECT_EQ(loadTallyFile(dir / "tally.dat").error, "");
    ::umount2(dir.path().c_str(), MNT_DETACH);
}

} // namespace
} // namespace zk::test
