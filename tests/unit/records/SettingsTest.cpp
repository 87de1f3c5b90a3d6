// The settings file: every key's reading rule, the save order, the
// stop-on-failure rule, the phrase keys and the close rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "RecordsTestSupport.h"
#include "records/DataDir.h"
#include "records/FileIO.h"
#include "records/IniFile.h"
#include "records/Settings.h"

namespace zk::test {
namespace {

SettingsValues loadFrom(const std::string& content, const PhraseList& phrases = kBuiltInPhrases)
{
    test::TempDir dir;
    const auto file = dir / "quorlanlobby.ini";
    test::writeBytes(file, content);
    SettingsValues v;
    v.phrases = phrases;
    loadSettings(file, kGameKey, v);
    return v;
}

TEST(SettingsLoad, MissingFileSectionOrKeysGiveTheDefaults)
{
    test::TempDir dir;
    SettingsValues v;
    v.bounds = {100, 200, 300, 400};
    v.playSounds = false;
    v.botSpeed = kBotSpeedBeforeSettings;
    v.rolls = 5;
    v.textColour = colour::clRed;
    loadSettings(dir / "none.ini", kGameKey, v);
    const SettingsValues defaults = loadFrom("[other]\r\nTop=50\r\n");
    for (const SettingsValues& d : {v, defaults}) {
        EXPECT_EQ(d.bounds, (WindowBounds{3, 3, 684, 535}));
        EXPECT_EQ(d.turnSound, TurnSound::Classic);
        EXPECT_TRUE(d.playSounds);
        EXPECT_TRUE(d.playChatterSounds);
        EXPECT_TRUE(d.remindMe);
        EXPECT_EQ(d.textSize, 8);
        EXPECT_EQ(d.textColour, colour::clBlack);
        EXPECT_EQ(d.actionColour, colour::clBlack);
        EXPECT_EQ(d.botSpeed, 650);
        EXPECT_EQ(d.phrases, kBuiltInPhrases);
        EXPECT_EQ(d.rolls, 0);
    }
}

TEST(SettingsLoad, EachKeysReadingRule)
{
    const SettingsValues v = loadFrom("[agame]\r\nTop=-20\r\nleft=x\r\nWidth=1000\r\nHeight=\r\n"
                                      "Turnsound=1\r\nChatterSounds=false\r\nTextsize=9\r\n"
                                      "Textcolor=clRed\r\nActioncolor=reddish\r\nBotspeed=750\r\n"
                                      "Playsounds=False\r\nRemindme=\r\nRolls=5\r\n");
    EXPECT_EQ(v.bounds, (WindowBounds{-20, 3, 1000, 535}));
    EXPECT_EQ(v.turnSound, TurnSound::New);
    EXPECT_FALSE(v.playChatterSounds);
    EXPECT_TRUE(v.playSounds); // only exactly "false" turns an option off
    EXPECT_TRUE(v.remindMe);
    EXPECT_EQ(v.textSize, 9);
    EXPECT_EQ(v.textColour, colour::clRed);
    EXPECT_EQ(v.actionColour, colour::clBlack);
    EXPECT_EQ(v.botSpeed, kBotSpeedNormal);
    EXPECT_EQ(v.rolls, 5);

    struct Case {
        const char* line;
        bool (*check)(const SettingsValues&);
    };
    const Case cases[] = {
        {"Textcolor=$000000FF", [](const SettingsValues& s) { return s.textColour == colour::clRed; }},
        {"Textcolor=CLRED", [](const SettingsValues& s) { return s.textColour == colour::clRed; }},
        {"Actioncolor=clNavy", [](const SettingsValues& s) { return s.actionColour == colour::clNavy; }},
        {"Actioncolor=", [](const SettingsValues& s) { return s.actionColour == colour::clBlack; }},
        {"Turnsound=2", [](const SettingsValues& s) { return s.turnSound == TurnSound::Classic; }},
        {"Turnsound=New", [](const SettingsValues& s) { return s.turnSound == TurnSound::Classic; }},
        {"Botspeed=1000", [](const SettingsValues& s) { return s.botSpeed == 1000; }},
        {"Botspeed=350", [](const SettingsValues& s) { return s.botSpeed == 350; }},
        {"Botspeed=fast", [](const SettingsValues& s) { return s.botSpeed == 650; }},
        {"Rolls=1", [](const SettingsValues& s) { return s.rolls == 1; }},
        {"Rolls=2", [](const SettingsValues& s) { return s.rolls == 2; }},
        {"Rolls=3", [](const SettingsValues& s) { return s.rolls == 0; }},
        {"Rolls=55", [](const SettingsValues& s) { return s.rolls == 0; }},
        {"Textsize=12pt", [](const SettingsValues& s) { return s.textSize == 8; }},
        {"Textsize=0", [](const SettingsValues& s) { return s.textSize == 8; }},
        {"Textsize=14", [](const SettingsValues& s) { return s.textSize == 14; }},
        {"Remindme=false", [](const SettingsValues& s) { return !s.remindMe; }},
        {"Remindme=FALSE", [](const SettingsValues& s) { return s.remindMe; }},
        {"Playsounds=false", [](const SettingsValues& s) { return !s.playSounds; }},
        {"Top=3.5", [](const SettingsValues& s) { return s.bounds.top == 3; }},
        {"Height=99999999999", [](const SettingsValues& s) { return s.bounds.height == 535; }},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(c.check(loadFrom(std::string("[agame]\r\n") + c.line + "\r\n"))) << c.line;
}

TEST(SettingsLoad, PhrasesReplaceOnlyWhenNotEmpty)
{
    PhraseList current = kBuiltInPhrases;
    current[2] = "edited before";
    const std::string longPhrase(70, 'L');
    const SettingsValues v =
        loadFrom("[agame]\r\nPhrase1=/me dances\r\nPhrase3=\r\nphrase9=" + longPhrase + "\r\n", current);
    EXPECT_EQ(v.phrases[0], "/me dances");
    EXPECT_EQ(v.phrases[1], "Good One!");
    EXPECT_EQ(v.phrases[2], "edited before"); // empty leaves the button as it is
    EXPECT_EQ(v.phrases[8], longPhrase);      // taken unchanged, however long
}

// Records the keys written, in order, and can make one key's write fail for
// real by putting a folder where the file is while that key is written.
struct WriteLog {
    std::vector<std::string> keys;
    std::vector<std::string> failOn;
    KeyWriter writer()
    {
        return [this](const std::filesystem::path& file, std::string_view section, std::string_view key,
                      std::string_view value) {
            keys.emplace_back(key);
            const bool fail = std::find(failOn.begin(), failOn.end(), key) != failOn.end();
            const auto aside = file.string() + ".aside";
            if (fail) {
                std::filesystem::rename(file, aside);
                std::filesystem::create_directory(file);
            }
            const bool ok = ini::writeKey(file, section, key, value);
            if (fail) {
                std::filesystem::remove(file);
                std::filesystem::rename(aside, file);
            }
            return ok;
        };
    }
};

TEST(SettingsSave, WritesEveryOptionInItsOrderAndNeverThePhrases)
{
    test::TempDir dir;
    const auto file = dir / "quorlanlobby.ini";
    test::writeBytes(file, "[agame]\r\nPhrase4=mine\r\n");
    SettingsValues v;
    v.bounds = {10, 20, 700, 550};
    v.turnSound = TurnSound::New;
    v.playChatterSounds = false;
    v.textSize = 12;
    v.textColour = colour::clRed;
    v.actionColour = 0x123456;
    v.botSpeed = kBotSpeedBeforeSettings; // Normal is ticked: written as 650
    v.phrases[3] = "not written by Save settings";
    v.rolls = 2;
    v.remindMe = false;
    WriteLog log;
    EXPECT_EQ(saveSettings(file, kGameKey, v, log.writer()), std::nullopt);
    EXPECT_EQ(log.keys, std::vector<std::string>(kSaveOrder.begin(), kSaveOrder.end()));
    EXPECT_EQ(test::readBytes(file),
              "[agame]\r\nPhrase4=mine\r\nTextsize=12\r\nTextcolor=clRed\r\n"
              "Actioncolor=$00123456\r\nBotspeed=650\r\nRolls=2\r\nTop=10\r\nLeft=20\r\n"
              "Width=700\r\nHeight=550\r\nTurnsound=1\r\nChatterSounds=false\r\n"
              "Playsounds=true\r\nRemindme=false\r\n");

    // Loading what was saved gives the same options back.
    SettingsValues back;
    loadSettings(file, kGameKey, back);
    v.botSpeed = 650;
    v.phrases = kBuiltInPhrases;
    v.phrases[3] = "mine";
    EXPECT_EQ(back.bounds, v.bounds);
    EXPECT_EQ(back.textColour, v.textColour);
    EXPECT_EQ(back.actionColour, v.actionColour);
    EXPECT_EQ(back.botSpeed, v.botSpeed);
    EXPECT_EQ(back.phrases, v.phrases);
    EXPECT_EQ(back.rolls, 2);
    EXPECT_EQ(back.turnSound, TurnSound::New);
    EXPECT_FALSE(back.playChatterSounds);
    EXPECT_FALSE(back.remindMe);
}

TEST(SettingsSave, AFailedKeyStopsTheSaveExceptTheColours)
{
    test::TempDir dir;
    const auto file = dir / "quorlanlobby.ini";
    SettingsValues v;

    test::writeBytes(file, "");
    WriteLog stop;
    stop.failOn = {"Botspeed"};
    EXPECT_EQ(saveSettings(file, kGameKey, v, stop.writer()), "Unable to write to " + file.string());
    EXPECT_EQ(stop.keys, (std::vector<std::string>{"Textsize", "Textcolor", "Actioncolor", "Botspeed"}));
    EXPECT_EQ(test::readBytes(file), "[agame]\r\nTextsize=8\r\nTextcolor=clBlack\r\nActioncolor=clBlack\r\n");

    test::writeBytes(file, "");
    WriteLog colours;
    colours.failOn = {"Textcolor", "Actioncolor"};
    EXPECT_EQ(saveSettings(file, kGameKey, v, colours.writer()), std::nullopt);
    EXPECT_EQ(colours.keys.size(), kSaveOrder.size());
    EXPECT_EQ(ini::readKey(file, kGameKey, "Textcolor"), std::nullopt);
    EXPECT_EQ(ini::readKey(file, kGameKey, "Remindme"), "true");

    // The real writer on a path that is a folder: the first key stops it.
    const auto blocked = dir / "blocked.ini";
    std::filesystem::create_directory(blocked);
    EXPECT_EQ(saveSettings(blocked, kGameKey, v), "Unable to write to " + blocked.string());
}

TEST(SettingsSave, PhrasesAreWrittenAloneAndStopAtTheFirstFailure)
{
    test::TempDir dir;
    const auto file = dir / "quorlanlobby.ini";
    test::writeBytes(file, "[agame]\r\nTop=44\r\n");
    PhraseList phrases = kBuiltInPhrases;
    phrases[3] = "Edited four";
    phrases[5] = "";
    ASSERT_EQ(savePhrases(file, kGameKey, phrases), std::nullopt);
    EXPECT_EQ(ini::readKey(file, kGameKey, "Phrase4"), "Edited four");
    EXPECT_EQ(ini::readKey(file, kGameKey, "Phrase6"), ""); // written, empty
    EXPECT_EQ(ini::readKey(file, kGameKey, "Top"), "44");

    // An option saved afterwards keeps the phrases.
    ASSERT_EQ(saveSettings(file, kGameKey, SettingsValues{}), std::nullopt);
    SettingsValues v; // starts with the built-in phrases, as after a restart
    loadSettings(file, kGameKey, v);
    EXPECT_EQ(v.phrases[3], "Edited four");
    EXPECT_EQ(v.phrases[5], "Wow, WTG!"); // the empty one gives the built-in back

    WriteLog log;
    log.failOn = {"Phrase3"};
    EXPECT_EQ(savePhrases(file, kGameKey, phrases, log.writer()), "Unable to write to " + file.string());
    EXPECT_EQ(log.keys, (std::vector<std::string>{"Phrase1", "Phrase2", "Phrase3"}));
}

TEST(SettingsClose, BoundsAreWrittenOnlyWhenChangedAndShrunkToTheWorkArea)
{
    const WindowBounds remembered{3, 3, 684, 535};
    EXPECT_EQ(boundsToSaveOnClose(remembered, remembered, 1920, 1040), std::nullopt);
    EXPECT_EQ(boundsToSaveOnClose({3, 4, 684, 535}, remembered, 1920, 1040), (WindowBounds{3, 4, 684, 535}));
    EXPECT_EQ(boundsToSaveOnClose({0, 0, 1000, 535}, remembered, 800, 600), (WindowBounds{0, 0, 985, 535}));
    // Once each, whatever the excess; equal to the work area is not greater.
    EXPECT_EQ(boundsToSaveOnClose({0, 0, 3000, 2000}, remembered, 800, 600),
              (WindowBounds{0, 0, 2985, 1985}));
    EXPECT_EQ(boundsToSaveOnClose({0, 0, 800, 600}, remembered, 800, 600), (WindowBounds{0, 0, 800, 600}));
    // Before the first load the remembered bounds are all 0.
    EXPECT_TRUE(boundsToSaveOnClose(remembered, WindowBounds{}, 1920, 1040).has_value());
}

TEST(SettingsLoad, StoredBoundsFitTheWorkArea)
{
    const WindowBounds work{24, 0, 1280, 776}; // a panel above
    struct Case {
        WindowBounds stored, fitted;
    } cases[] = {
        {{30, 10, 684, 535}, {30, 10, 684, 535}},                // already inside
        {{0, 0, 100000, 100000}, {24, 0, 1280, 776}},            // the crash size
        {{5000, -300, 684, 535}, {24 + 776 - 535, 0, 684, 535}}, // below and left of it
        {{30, 1200, 684, 535}, {30, 1280 - 684, 684, 535}},      // right of it
        {{30, 10, 10, -5}, {30, 10, 600, 400}},                  // below the minimum
    };
    for (const Case& c : cases)
        EXPECT_EQ(fitToWorkArea(c.stored, work, 600, 400), c.fitted)
            << c.stored.top << "," << c.stored.left << " " << c.stored.width << "x" << c.stored.height;
    // A work area smaller than the minimum: the minimum at the area's corner.
    EXPECT_EQ(fitToWorkArea({50, 50, 684, 535}, {0, 0, 640, 480}, 700, 520), (WindowBounds{0, 0, 700, 520}));
}

TEST(SettingsFiles, StaleSaveTemporariesAreRemovedAndNothingOfThePlayers)
{
    test::TempDir dir;
    struct Case {
        const char* name;
        bool ours;
    } cases[] = {
        {"quorlanlobby.ini.zktmp-0123456789abcdef~", true},
        {"quorlanlobby.ini.zktmp-ffffffffffffffff~", true},
        {"agametally.tld.zktmp-a1b2c3d4e5f60718~", true},
        {"quorlanlobby.ini", false},
        {"quorlanlobby.ini.a1B2c3", false}, // the six-character form of older versions
        {"quorlanlobby.ini.2024ok", false},
        {"agametally.tld.backup", false},
        {"agametally.tld.unreadable-2026-12-10", false},
        {"quorlanlobby.ini.zktmp-0123456789ABCDEF~", false}, // upper case
        {"quorlanlobby.ini.zktmp-0123456789abcdef", false},  // no end mark
        {"quorlanlobby.ini.zktmp-0123456789abcde~", false},  // 15 digits
        {"quorlanlobby.ini.zktmp-0123456789abcdef0~", false},
        {"quorlanlobby.ini.zktmp-0123456789abcdeg~", false},
        {"quorlanlobby.ini.zktmp-0123456789abcdef~~", false},
        {"other.ini.zktmp-0123456789abcdef~", false},
        {"xquorlanlobby.ini.zktmp-0123456789abcdef~", false},
    };
    for (const Case& c : cases)
        test::writeBytes(dir / c.name, "x");
    // Only files: a folder of the right name stays.
    std::filesystem::create_directory(dir / "quorlanlobby.ini.zktmp-00000000000000aa~");
    EXPECT_EQ(
        removeStaleTemporaries(dir / "quorlanlobby.ini") + removeStaleTemporaries(dir / "agametally.tld"), 3);
    for (const Case& c : cases)
        EXPECT_EQ(std::filesystem::exists(dir / c.name), !c.ours) << c.name;
    EXPECT_TRUE(std::filesystem::is_directory(dir / "quorlanlobby.ini.zktmp-00000000000000aa~"));
}

TEST(SettingsFiles, OtherKeysAndWhereTheFilesLive)
{
    test::TempDir dir;
    const auto file = dir / "quorlanlobby.ini";
    test::writeBytes(file, "[AGAME]\r\nlobbyurl = http://lobby.example/ \r\n");
    EXPECT_EQ(readSetting(file, kGameKey, "LobbyUrl"), "http://lobby.example/");
    EXPECT_EQ(readSetting(file, kGameKey, "LobbyPath"), std::nullopt);

    EXPECT_EQ(chooseDataDirectory(std::filesystem::path("/o"), "/prog", true, "/user"), "/o");
    EXPECT_EQ(chooseDataDirectory(std::filesystem::path(""), "/prog", true, "/user"), "/prog");
    EXPECT_EQ(chooseDataDirectory(std::nullopt, "/prog", false, "/user"), "/user");
}

} // namespace
} // namespace zk::test
