// The win tally: the end-of-game cases, the lists kept in step with the
// grid, the questions, the text and the file.
#include <gtest/gtest.h>

#include "RecordsTestSupport.h"
#include "records/LZRW1KH.h"
#include "records/Tally.h"
#include "records/TallyService.h"

namespace zk::test {
namespace {

std::vector<std::string> row(const Tally& t, int r)
{
    std::vector<std::string> cells;
    for (int c = 0; c < Tally::kColumns; ++c)
        cells.push_back(t.cell(c, r));
    return cells;
}

std::vector<std::string> ownTotals(const Tally& t)
{
    return {t.own(1), t.own(2), t.own(3), t.own(4), t.own(5)};
}

// A tally following the given players (ticked from the current players).
Tally following(const std::vector<std::string>& names)
{
    Tally t;
    t.rebuildCurrentPlayers(names);
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_TRUE(t.tickCurrentPlayer(i));
    return t;
}

const auto yes = [](const std::string&) { return true; };
const auto no = [](const std::string&) { return false; };

TEST(TallyGame, WinsLossesAndWhoIsCounted)
{
    Tally t = following({"Ann", "Bob", "Cy"});
    // The player wins against Ann and Bob; Cy is tallied but not seated.
    t.recordGame(GameOutcome::ownWin(), {"Ann", "bob"});
    EXPECT_EQ(ownTotals(t), (std::vector<std::string>{"1", "1", "0", "0", "0"}));
    EXPECT_EQ(row(t, 1), (std::vector<std::string>{"Ann", "1", "0", "1", "0", "1", "0", "1", "0"}));
    EXPECT_EQ(row(t, 2), (std::vector<std::string>{"Bob", "1", "0", "1", "0", "1", "0", "1", "0"}));
    EXPECT_EQ(row(t, 3), (std::vector<std::string>{"Cy", "0", "0", "0", "0", "0", "0", "0", "0"}));

    // Ann wins: her columns 1, 2, 5, 6; Bob and Cy, seated too, get "neither".
    t.recordGame(GameOutcome::wonBy("Ann"), {"Ann", "Bob", "Cy", "Dee"});
    EXPECT_EQ(ownTotals(t), (std::vector<std::string>{"2", "1", "0", "0", "0"}));
    EXPECT_EQ(row(t, 1), (std::vector<std::string>{"Ann", "2", "1", "1", "0", "2", "1", "1", "0"}));
    EXPECT_EQ(row(t, 2), (std::vector<std::string>{"Bob", "2", "0", "1", "1", "2", "0", "1", "1"}));
    EXPECT_EQ(row(t, 3), (std::vector<std::string>{"Cy", "1", "0", "0", "1", "1", "0", "0", "1"}));

    // Finding a tallied name ignores case; deciding the winner does not.
    t.recordGame(GameOutcome::wonBy("ANN"), {"ANN"});
    EXPECT_EQ(row(t, 1), (std::vector<std::string>{"Ann", "3", "1", "1", "1", "3", "1", "1", "1"}));
}

TEST(TallyGame, WhatTheEndOfAGameRecords)
{
    EXPECT_EQ(gameOutcomeToRecord(2, true, "Bob and You"), GameOutcome::ownWin());
    EXPECT_EQ(gameOutcomeToRecord(1, false, "Ann"), GameOutcome::wonBy("Ann"));
    EXPECT_EQ(gameOutcomeToRecord(1, false, "Ann and Cy"), std::nullopt); // shared by others
    EXPECT_EQ(gameOutcomeToRecord(7, false, "Ann"), std::nullopt);        // a spectator
    EXPECT_EQ(gameOutcomeToRecord(7, true, "Ann"), std::nullopt);
    EXPECT_EQ(gameOutcomeToRecord(0, true, "You"), std::nullopt);

    // An opponent whose name is the old marker word cannot pass for the player.
    Tally t = following({"addtomine"});
    t.recordGame(GameOutcome::wonBy("addtomine"), {"addtomine"});
    EXPECT_EQ(t.own(Tally::kWins), "0");
    EXPECT_EQ(t.cell(2, 1), "1");

    EXPECT_EQ(seatedOpponents({"Ann", "Me", "<Waiting>", "Bob", "<Waiting>", "Cy"}, 2),
              (std::vector<std::string>{"Ann", "Bob", "Cy"}));
}

TEST(TallyOwn, CountsHighestScoreAndDamagedCells)
{
    Tally t;
    t.countOwnZonkard();
    t.countOwnZonkard();
    t.countOwnBonusMode();
    EXPECT_EQ(t.own(Tally::kZonkards), "2");
    EXPECT_EQ(t.own(Tally::kBonusModes), "1");

    EXPECT_TRUE(t.offerHighestScore("57"));
    EXPECT_FALSE(t.offerHighestScore("57"));
    EXPECT_FALSE(t.offerHighestScore("40"));
    EXPECT_FALSE(t.offerHighestScore("abc"));
    EXPECT_FALSE(t.offerHighestScore(""));
    EXPECT_TRUE(t.offerHighestScore("101"));
    EXPECT_EQ(t.own(Tally::kHighestScore), "101");

    // Empty or damaged cells from a file count as 0.
    // Column by column, two rows: own games empty, own wins "x", the rest
    // of both rows empty.
    std::string text = "9\r\n2\r\n0\r\nAnn\r\n"
                       "\r\n\r\n"
                       "x\r\n\r\n";
    for (int c = 3; c < Tally::kColumns; ++c)
        text += "\r\n\r\n";
    auto loaded = Tally::fromText(text);
    ASSERT_TRUE(loaded);
    loaded->recordGame(GameOutcome::ownWin(), {"Ann"});
    loaded->countOwnZonkard();
    EXPECT_EQ(ownTotals(*loaded), (std::vector<std::string>{"1", "1", "", "", "1"}));
    EXPECT_EQ(row(*loaded, 1), (std::vector<std::string>{"Ann", "1", "0", "1", "0", "1", "0", "1", "0"}));
    EXPECT_TRUE(loaded->offerHighestScore("5")); // an empty highest score stands for 0
}

TEST(TallyLists, TickingUntickingAndSelectingKeepListsAndRowsInStep)
{
    Tally t;
    t.rebuildCurrentPlayers({"Ann", "Bob", "Cy"});
    EXPECT_EQ(t.currentPlayers()[0], (Tally::Entry{"Ann", false}));
    EXPECT_TRUE(t.tickCurrentPlayer(0));
    EXPECT_FALSE(t.tickCurrentPlayer(0)); // already tallied: nothing more
    EXPECT_TRUE(t.tickCurrentPlayer(1));
    EXPECT_TRUE(t.tickCurrentPlayer(2));
    EXPECT_EQ(t.rowCount(), 4);
    EXPECT_TRUE(t.currentPlayers()[2].ticked);
    t.recordGame(GameOutcome::wonBy("Ann"), {"Ann", "Bob", "Cy"});
    t.recordGame(GameOutcome::wonBy("Cy"), {"Cy"});

    t.select(2);
    EXPECT_EQ(t.panel().heading, "Cy's Tally");
    EXPECT_EQ(t.panel().winsCaption, "Cy Wins:");
    EXPECT_EQ(t.panel().total, (std::array<std::string, 4>{"2", "1", "0", "1"}));

    // No keeps Bob, ticked; Yes removes him and only him.
    std::string asked;
    EXPECT_FALSE(t.untickTallied(1, [&](const std::string& q) {
        asked = q;
        return false;
    }));
    EXPECT_EQ(asked, "This will delete Bob's Tally, Are you want to delete it?");
    EXPECT_EQ(t.tallied()[1], (Tally::Entry{"Bob", true}));
    t.rebuildCurrentPlayers({"Ann", "Bob", "Cy"});
    EXPECT_TRUE(t.untickTallied(1, yes));
    EXPECT_EQ(t.tallied(), (std::vector<Tally::Entry>{{"Ann", true}, {"Cy", true}}));
    EXPECT_EQ(row(t, 1), (std::vector<std::string>{"Ann", "1", "1", "0", "0", "1", "1", "0", "0"}));
    EXPECT_EQ(row(t, 2), (std::vector<std::string>{"Cy", "2", "1", "0", "1", "2", "1", "0", "1"}));
    ASSERT_EQ(t.currentPlayers().size(), 3u);
    EXPECT_FALSE(t.currentPlayers()[1].ticked); // Bob is no longer tallied
    EXPECT_EQ(t.selected(), 1u);                // the selection follows Cy

    // A game refreshes the selected entry's panel.
    t.recordGame(GameOutcome::wonBy("Cy"), {"Cy"});
    EXPECT_EQ(t.panel().session, (std::array<std::string, 4>{"3", "2", "0", "1"}));

    // Removing the selected entry empties the panel.
    EXPECT_TRUE(t.untickTallied(1, yes));
    EXPECT_EQ(t.selected(), std::nullopt);
    EXPECT_EQ(t.panel(), OpponentPanel{});
}

TEST(TallyLists, ResetAsksFirst)
{
    Tally t = following({"Ann", "Bob"});
    t.recordGame(GameOutcome::ownWin(), {"Ann", "Bob"});
    t.countOwnZonkard();
    t.select(0);
    const std::string before = t.toText();
    EXPECT_FALSE(t.reset(no));
    EXPECT_EQ(t.toText(), before);

    std::string asked;
    EXPECT_TRUE(t.reset([&](const std::string& q) {
        asked = q;
        return true;
    }));
    EXPECT_EQ(asked, "Are you sure you want to reset the Tally?");
    EXPECT_EQ(t.toText(), Tally().toText());
    EXPECT_TRUE(t.tallied().empty());
    EXPECT_FALSE(t.currentPlayers()[0].ticked);
    EXPECT_EQ(t.panel().total, (std::array<std::string, 4>{"0", "0", "0", "0"}));
    EXPECT_EQ(t.panel().session, (std::array<std::string, 4>{"0", "0", "0", "0"}));
}

TEST(TallyText, WrittenColumnByColumnAndReadBackWithAFreshSession)
{
    EXPECT_EQ(Tally().toText(), "9\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");

    Tally t = following({"Ann", "Bob"});
    t.recordGame(GameOutcome::wonBy("Bob"), {"Ann", "Bob"});
    EXPECT_EQ(t.toText(), "9\r\n3\r\n"
                          "0\r\nAnn\r\nBob\r\n"
                          "1\r\n1\r\n1\r\n"
                          "0\r\n0\r\n1\r\n"
                          "0\r\n0\r\n0\r\n"
                          "0\r\n1\r\n0\r\n"
                          "0\r\n1\r\n1\r\n"
                          "0\r\n0\r\n1\r\n"
                          "0\r\n0\r\n0\r\n"
                          "0\r\n1\r\n0\r\n");

    // As after a restart: totals kept, session columns back to "0".
    const auto back = Tally::fromText(t.toText());
    ASSERT_TRUE(back);
    EXPECT_EQ(row(*back, 2), (std::vector<std::string>{"Bob", "1", "1", "0", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(back->tallied(), (std::vector<Tally::Entry>{{"Ann", true}, {"Bob", true}}));
    EXPECT_EQ(ownTotals(*back), ownTotals(t));

    // A name carrying line breaks cannot shift the cells after it.
    Tally odd = following({"Evil\r\n9"});
    EXPECT_EQ(Tally::fromText(odd.toText())->cell(0, 1), "Evil  9");

    for (const char* bad :
         {"", "9", "x\r\n1\r\n", "8\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n", "9\r\n0\r\n",
          "9\r\n-1\r\n", "9\r\n2\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n",
          "9\r\n99999999999999999999\r\n"}) {
        EXPECT_EQ(Tally::fromText(bad), std::nullopt) << bad;
    }
    // Lines ended by LF alone and a last line without an ending read too.
    EXPECT_TRUE(Tally::fromText("9\n1\n0\n0\n0\n0\n0\n0\n0\n0\n0"));
}

TEST(TallyFile, SaveThenLoadAndTheBadFiles)
{
    test::TempDir dir;
    const auto file = dir / "agametally.tld";

    TallyLoad first = loadTallyFile(file); // first start: no file, no message
    EXPECT_TRUE(first.error.empty());
    EXPECT_EQ(first.tally.toText(), Tally().toText());
    ASSERT_EQ(saveTallyFile(file, first.tally), std::nullopt);
    EXPECT_EQ(lzrw1kh::readFile(file).text, Tally().toText());

    Tally t = following({"Ann", "Bob", "Cy"});
    t.recordGame(GameOutcome::ownWin(), {"Ann", "Bob", "Cy"});
    t.offerHighestScore("88");
    ASSERT_EQ(saveTallyFile(file, t), std::nullopt);
    const TallyLoad again = loadTallyFile(file);
    EXPECT_TRUE(again.error.empty());
    EXPECT_EQ(ownTotals(again.tally), (std::vector<std::string>{"1", "1", "88", "0", "0"}));
    EXPECT_EQ(row(again.tally, 3), (std::vector<std::string>{"Cy", "1", "0", "1", "0", "0", "0", "0", "0"}));

    // A failed save keeps the previous file.
    const std::string saved = test::readBytes(file);
    Tally big;
    std::vector<std::string> many;
    for (int i = 0; i < 300; ++i)
        many.push_back(test::randomBytes(12, static_cast<unsigned>(i)));
    big.rebuildCurrentPlayers(many);
    for (std::size_t i = 0; i < many.size(); ++i)
        big.tickCurrentPlayer(i);
    {
        test::FileSizeLimit limit(saved.size() + 64);
        EXPECT_TRUE(saveTallyFile(file, big).has_value());
    }
    EXPECT_EQ(test::readBytes(file), saved);

    // A damaged file is reported and the tally starts empty.
    test::writeBytes(file, "not a tally");
    TallyLoad damaged = loadTallyFile(file);
    EXPECT_EQ(damaged.error, file.string() + " : Lzrw1 decompression : this file has no valid header !");
    EXPECT_EQ(damaged.tally.toText(), Tally().toText());

    // A container that decodes but holds no tally text.
    test::writeBytes(file, lzrw1kh::compress("hello\r\n"));
    damaged = loadTallyFile(file);
    EXPECT_EQ(damaged.error, noTallyMessage(file.string()));
    EXPECT_EQ(damaged.tally.rowCount(), 1);

    // Something that is not a file stands where the tally should be.
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    EXPECT_EQ(loadTallyFile(file).error,
              "Lzrw1 (de)compression : Failed to open input file : " + file.string());
}

TEST(TallyFile, AnUnreadableFileIsKeptBesideItAndANewTallyStarts)
{
    test::TempDir dir;
    const auto file = dir / "agametally.tld";
    const std::string kept = file.string() + ".unreadable-2026-12-10";
    const std::string notATally = lzrw1kh::compress("hello\r\n");
    struct Case {
        std::string bytes;
        std::string keptAs; // the first free name
    } cases[] = {
        {"not a tally", kept},
        {notATally, kept + "-2"},
        {std::string("WRZL\x10"), kept + "-3"},
    };
    Tally t = following({"Ann"});
    for (const Case& c : cases) {
        test::writeBytes(file, c.bytes);
        const std::string reason = loadTallyFile(file).error;
        TallyService service(nullptr);
        service.tally() = t;
        EXPECT_EQ(service.loadFrom(file, "2026-12-10"), "The win tally could not be read. It was kept as " +
                                                            c.keptAs + " and a new tally was started.\n\n" +
                                                            reason);
        EXPECT_EQ(test::readBytes(c.keptAs), c.bytes);
        EXPECT_FALSE(std::filesystem::exists(file));
        EXPECT_EQ(service.tally().toText(), Tally().toText());
        // The new tally is saved where the old one was; the kept file stays.
        ASSERT_TRUE(service.saveTo(file));
        EXPECT_EQ(loadTallyFile(file).error, "");
        EXPECT_EQ(test::readBytes(c.keptAs), c.bytes);
    }

    // Something that is not a file stands there: left alone, never saved over.
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    TallyService service(nullptr);
    const auto message = service.loadFrom(file, "2026-12-11");
    ASSERT_TRUE(message.has_value());
    EXPECT_TRUE(message->starts_with("The win tally could not be read. It was left as it is")) << *message;
    EXPECT_TRUE(std::filesystem::is_directory(file));
    EXPECT_FALSE(service.saveTo(file));
}

} // namespace
} // namespace zk::test
