// The player's records through restarts of the real program: options, a
// phrase and the win tally are written by the program, survive SIGTERM and a
// new start; a tally file that cannot be read is reported and kept beside the
// new one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "ZonkardsProcess.h"
#include "records/Tally.h"

namespace zk::test {
namespace {

// Logged in and arrived: the settings are applied at the own arrival.
bool loggedIn(const QJsonObject& b)
{
    return b["loggedIn"].toBool() && chatHas(b, "You are Connected.");
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The INI text holds the line "key=value" (whatever its line ending).
bool hasLine(const std::string& ini, const std::string& line)
{
    for (std::size_t at = ini.find(line); at != std::string::npos; at = ini.find(line, at + 1)) {
        const bool starts = at == 0 || ini[at - 1] == '\n';
        const std::size_t end = at + line.size();
        const bool ends = end == ini.size() || ini[end] == '\r' || ini[end] == '\n';
        if (starts && ends)
            return true;
    }
    return false;
}

TEST(RecordsThroughRestarts, OptionsAPhraseAndTheTallySurviveSigtermAndANewStart)
{
    Sandbox box;
    const int port = freeTcpPort();
    QJsonArray tallyBefore;
    {
        ZonkardsProcess you(box, {}, port);
        ASSERT_TRUE(you.connect()) << you.stderrText();
        ASSERT_TRUE(you.waitForBoard(loggedIn)) << you.stderrText();

        for (const char* item : {"Play Sounds", "New", "12", "Remind Me to Select a Category", "Fast"})
            EXPECT_EQ(you.command(std::string("menu ") + item), "ok") << item;
        EXPECT_EQ(you.command("menu Phrase List"), "ok");
        EXPECT_EQ(you.command("set Tphrases edit_phrase3 Roll on, friends!"), "ok");
        EXPECT_EQ(you.command("press Tphrases button_done"), "ok");
        EXPECT_EQ(you.board()["phrases"].toArray()[2].toString(), "Roll on, friends!");

        // A whole game that the computer plays for both seats; its end goes
        // into the tally.
        EXPECT_EQ(you.command("click start"), "ok");
        EXPECT_EQ(you.command("press gamestart image_2"), "ok");
        EXPECT_EQ(you.command("press gamestart Image1"), "ok");
        ASSERT_TRUE(
            you.waitForBoard([](const QJsonObject& b) { return b["round"].toString() == "Round: 1"; }));
        EXPECT_EQ(you.command("menu Just Watch"), "ok");
        QJsonObject end;
        ASSERT_TRUE(you.waitForBoard(
            [](const QJsonObject& b) { return b["status"].toString() == "Game Over!"; }, 240000, &end));
        tallyBefore = end["tally"].toObject()["own"].toArray();
        EXPECT_EQ(tallyBefore[0].toString(), "1") << "one game played";
        EXPECT_EQ(tallyBefore[2].toString().toStdString(), cells(end)[0][7])
            << "the own total is the highest score";

        you.signal(SIGTERM);
        EXPECT_EQ(you.wait(), 0);
    }

    ZonkardsProcess again(box, {}, port, {}, "again");
    ASSERT_TRUE(again.connect()) << again.stderrText();
    QJsonObject b;
    ASSERT_TRUE(again.waitForBoard(loggedIn, kAppDeadlineMs, &b));
    const QJsonObject menu = b["menu"].toObject();
    EXPECT_FALSE(menu["playSounds"].toBool());
    EXPECT_EQ(menu["turnSound"].toString(), "New");
    EXPECT_EQ(menu["textSize"].toInt(), 12);
    EXPECT_FALSE(menu["remindMe"].toBool());
    EXPECT_EQ(menu["botSpeed"].toInt(), 350);
    EXPECT_EQ(b["startWindow"].toObject()["limit"].toInt(), 2);
    EXPECT_EQ(b["phrases"].toArray()[2].toString(), "Roll on, friends!");
    EXPECT_EQ(b["phrases"].toArray()[0].toString(), "Way To Go!");
    EXPECT_EQ(b["tally"].toObject()["own"].toArray(), tallyBefore);
    EXPECT_EQ(again.quit(), 0);
}

TEST(RecordsThroughRestarts, AnUnreadableTallyIsKeptAsideReportedAndANewOneWrittenAtExit)
{
    Sandbox box;
    const std::string tally = box.file("agametally.tld");
    const std::string damaged = "WRZL" + std::string("\x05\x00\x00\x00garbage that is no container", 32);
    {
        std::ofstream out(tally, std::ios::binary);
        out << damaged;
    }
    const std::string reason = loadTallyFile(tally).error;
    ASSERT_FALSE(reason.empty());

    ZonkardsProcess ann(box, {"Ann"}, freeTcpPort());
    ASSERT_TRUE(ann.connect()) << ann.stderrText();
    QJsonObject b;
    ASSERT_TRUE(ann.waitForBoard(
        [](const QJsonObject& board) { return !board["messages"].toArray().isEmpty(); }, kAppDeadlineMs, &b));
    // Kept under the date of the program's start, looked for by its form.
    std::vector<std::string> kept;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(tally).parent_path())) {
        if (entry.path().filename().string().starts_with("agametally.tld.unreadable-20"))
            kept.push_back(entry.path().string());
    }
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(fileText(kept[0]), damaged);
    EXPECT_EQ(b["messages"].toArray()[0].toString().toStdString(),
              "The win tally could not be read. It was kept as " + kept[0] +
                  " and a new tally was started.\n\n" + reason);
    EXPECT_EQ(b["tally"].toObject()["own"].toArray()[0].toString(), "0");
    EXPECT_TRUE(ann.running()) << "the game goes on with an empty tally";

    ann.signal(SIGTERM);
    EXPECT_EQ(ann.wait(), 0);
    const TallyLoad after = loadTallyFile(tally);
    EXPECT_EQ(after.error, "");
    EXPECT_EQ(after.tally.own(Tally::kGames), "0");
    EXPECT_EQ(fileText(kept[0]), damaged);
}

TEST(RecordsThroughRestarts, TheWindowBoundsFollowTheCloseRule)
{
    Sandbox box;
    const int port = freeTcpPort();
    {
        std::ofstream ini(box.file("quorlanlobby.ini"));
        ini << "[agame]\r\nTop=40\r\nLeft=50\r\nWidth=700\r\nHeight=560\r\n";
    }
    ZonkardsProcess you(box, {}, port);
    ASSERT_TRUE(you.connect()) << you.stderrText();
    QJsonObject b;
    ASSERT_TRUE(you.waitForBoard(loggedIn, kAppDeadlineMs, &b));
    EXPECT_EQ(b["bounds"].toArray(), (QJsonArray{50, 40, 700, 560}));
    EXPECT_EQ(b["remembered"].toArray(), (QJsonArray{50, 40, 700, 560}));
    // Reset Screen Location moves the window but writes nothing; closing it
    // then writes the new bounds.
    EXPECT_EQ(you.command("menu Reset Screen Location"), "ok");
    EXPECT_TRUE(
        you.waitForBoard([](const QJsonObject& board) { return board["bounds"].toArray()[0].toInt() == 3; }));
    EXPECT_TRUE(hasLine(fileText(box.file("quorlanlobby.ini")), "Left=50"));
    EXPECT_EQ(you.quit(), 0);
    const std::string after = fileText(box.file("quorlanlobby.ini"));
    EXPECT_TRUE(hasLine(after, "Left=3")) << after;
    EXPECT_TRUE(hasLine(after, "Top=3")) << after;
}

TEST(RecordsThroughRestarts, ATableThatNeverAppliedTheSettingsKeepsThemAndHugeBoundsFit)
{
    Sandbox box;
    const std::string ini = box.file("quorlanlobby.ini");
    // A save cut short by a kill, and a copy the player made himself.
    const std::string stale = box.file("quorlanlobby.ini.zktmp-00c0ffee00c0ffee~");
    const std::string players = box.file("quorlanlobby.ini.2024ok");
    {
        std::ofstream out(ini, std::ios::binary);
        out << "[agame]\r\nTop=10\r\nLeft=10\r\nWidth=100000\r\nHeight=100000\r\n"
               "ChatterSounds=true\r\nPlaysounds=false\r\n";
        std::ofstream(stale) << "half";
        std::ofstream(players) << "mine";
    }
    const std::string stored = fileText(ini);
    {
        // Nobody listens at this port: the table never arrives and never
        // reads its settings.
        ZonkardsProcess ann(box, {"Ann", "127.0.0.1", "false"}, freeTcpPort());
        ASSERT_TRUE(ann.connect()) << ann.stderrText();
        ASSERT_TRUE(ann.waitForBoard([](const QJsonObject& b) {
            return chatTexts(b).back().rfind("Could not connect", 0) == 0;
        })) << ann.stderrText();
        EXPECT_EQ(ann.command("menu Play Sounds"), "ok"); // an option change before the settings
        EXPECT_EQ(ann.quit(), 0);
    }
    EXPECT_EQ(fileText(ini), stored) << "nothing of the player's was overwritten";
    EXPECT_FALSE(std::filesystem::exists(stale)) << "removed at start";
    EXPECT_EQ(fileText(players), "mine");

    ZonkardsProcess you(box, {}, freeTcpPort(), {}, "again");
    ASSERT_TRUE(you.connect()) << you.stderrText();
    QJsonObject b;
    ASSERT_TRUE(you.waitForBoard(
        [](const QJsonObject& board) { return board["menu"].toObject()["playChatterSounds"].toBool(); },
        kAppDeadlineMs, &b))
        << you.stderrText();
    EXPECT_FALSE(b["menu"].toObject()["playSounds"].toBool());
    const QJsonArray bounds = b["bounds"].toArray(), work = b["workArea"].toArray();
    EXPECT_GE(bounds[0].toInt(), work[0].toInt());
    EXPECT_GE(bounds[1].toInt(), work[1].toInt());
    EXPECT_LE(bounds[0].toInt() + bounds[2].toInt(), work[0].toInt() + work[2].toInt());
    EXPECT_LE(bounds[1].toInt() + bounds[3].toInt(), work[1].toInt() + work[3].toInt());
    EXPECT_EQ(you.quit(), 0);
    const std::string after = fileText(ini);
    EXPECT_FALSE(hasLine(after, "Width=100000")) << "the fitted bounds were stored at close";
    EXPECT_TRUE(hasLine(after, "ChatterSounds=true")) << after;
}

} // namespace
} // namespace zk::test
