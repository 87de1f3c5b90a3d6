// The tally window driven by clicks: its captions, the two lists with their
// tick boxes, the questions, Reset Tally and Done, and the table's calls.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "RecordsTestSupport.h"
#include "WidgetTestSupport.h"
#include "records/qt/Ttallylist.h"

namespace zk::test {
namespace {

class TallyWindow : public ::testing::Test {
protected:
    TallyWindow()
    {
        window.ensureBuilt();
        window.setConfirm([this](const std::string& q) {
            questions.push_back(q);
            return answer;
        });
    }

    QLabel* label(const char* name) { return window.findChild<QLabel*>(QString::fromLatin1(name)); }
    QString text(const char* name) { return label(name)->text(); }
    QListWidget* current() { return window.findChild<QListWidget*>(QStringLiteral("list_current")); }
    QListWidget* tallied() { return window.findChild<QListWidget*>(QStringLiteral("list_tallied")); }
    QPushButton* button(const char* name)
    {
        return window.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QTableWidget* opponent() { return window.findChild<QTableWidget*>(QStringLiteral("table_opponent")); }
    // The opponent table's total column, then its session column.
    QStringList panelValues()
    {
        QStringList v;
        for (int column = 0; column < 2; ++column) {
            for (int row = 0; row < 4; ++row)
                v << opponent()->item(row, column)->text();
        }
        return v;
    }

    std::vector<std::string> seated;
    bool answer = true;
    std::vector<std::string> questions;
    TallyService tally{[this] { return seated; }};
    Ttallylist window{tally};
};

TEST_F(TallyWindow, ShowsItsPanelsCaptionsAndZeroesBeforeAnything)
{
    window.viewTally();
    EXPECT_EQ(window.windowTitle(), "Zonkards - Tally List");
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isModal());
    EXPECT_EQ(window.minimumSize(), window.maximumSize()); // a fixed frame

    auto* own = window.findChild<QGroupBox*>(QStringLiteral("panel_total"));
    EXPECT_EQ(own->title(), "Your Total Tally");
    QStringList captions = test::labelTexts(own).filter(QStringLiteral(":"));
    EXPECT_EQ(captions,
              (QStringList{"Total Games:", "Your Wins:", "Highest Score:", "Zonkards:", "Bonus Modes:"}));
    for (const char* n :
         {"label_totalgames", "label_yourwins", "label_highscore", "label_zonkards", "label_bonusmodes"})
        EXPECT_EQ(text(n), "0") << n;

    // The opponent's values are a read-only table whose headers a screen
    // reader speaks with each value.
    EXPECT_EQ(text("label_oppheading"), "");
    EXPECT_EQ(panelValues(), QStringList(8, QStringLiteral("0")));
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(opponent());
    ASSERT_TRUE(table && table->tableInterface());
    EXPECT_EQ(table->role(), QAccessible::Table);
    QAccessibleTableInterface* cells = table->tableInterface();
    ASSERT_EQ(cells->columnCount(), 2);
    ASSERT_EQ(cells->rowCount(), 4);
    EXPECT_EQ(cells->columnDescription(0) + "|" + cells->columnDescription(1), "Total|Session");
    QStringList rows;
    for (int row = 0; row < 4; ++row)
        rows << cells->rowDescription(row);
    EXPECT_EQ(rows, (QStringList{"Number of Games", "XX Wins:", "Your Wins:", "Neither Won:"}));
    QAccessibleInterface* cell = cells->cellAt(1, 1);
    ASSERT_TRUE(cell && cell->tableCellInterface());
    EXPECT_EQ(cell->text(QAccessible::Name), "0");
    EXPECT_EQ(cell->tableCellInterface()->columnIndex(), 1);

    QStringList boxTitles;
    for (auto* box : window.findChildren<QGroupBox*>())
        boxTitles << box->title();
    EXPECT_TRUE(boxTitles.contains("Players In Current Game"));
    EXPECT_TRUE(boxTitles.contains("Players Being Tallied"));
    EXPECT_EQ(button("button_reset")->text(), "Reset Tally");
    EXPECT_EQ(button("button_done")->text(), "Done");

    QTest::mouseClick(button("button_done"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(TallyWindow, TickingFollowsAPlayerAndUntickingAsksBeforeDeleting)
{
    seated = {"Ann", "Bob", "\xC9mile"}; // Windows-1252 É
    window.viewTally();
    EXPECT_EQ(test::entryTexts(current()), (QStringList{"Ann", "Bob", QString::fromUtf8("Émile")}));
    EXPECT_EQ(test::entryTicks(current()), (QList<bool>{false, false, false}));

    test::clickTickBox(current(), 1);
    test::clickTickBox(current(), 2);
    EXPECT_EQ(test::entryTexts(tallied()), (QStringList{"Bob", QString::fromUtf8("Émile")}));
    EXPECT_EQ(test::entryTicks(tallied()), (QList<bool>{true, true}));
    EXPECT_EQ(test::entryTicks(current()), (QList<bool>{false, true, true}));
    EXPECT_EQ(tally.tally().rowCount(), 3);

    // Clicking the tick of someone already tallied changes nothing.
    test::clickTickBox(current(), 1);
    EXPECT_EQ(tally.tally().rowCount(), 3);
    EXPECT_EQ(test::entryTicks(current()), (QList<bool>{false, true, true}));

    // No: the tick comes back. Yes: Bob's entry and row go.
    answer = false;
    test::clickTickBox(tallied(), 0);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "This will delete Bob's Tally, Are you want to delete it?");
    EXPECT_EQ(test::entryTicks(tallied()), (QList<bool>{true, true}));
    answer = true;
    test::clickTickBox(tallied(), 0);
    EXPECT_EQ(test::entryTexts(tallied()), (QStringList{QString::fromUtf8("Émile")}));
    EXPECT_EQ(test::entryTicks(current()), (QList<bool>{false, false, true}));
    EXPECT_EQ(tally.tally().cell(0, 1), "\xC9mile");
}

TEST_F(TallyWindow, GamesShowAtOnceAndSelectingShowsAnOpponent)
{
    seated = {"Ann", "Bob"};
    window.viewTally();
    test::clickTickBox(current(), 0);
    test::clickTickBox(current(), 1);

    tally.recordGame(GameOutcome::ownWin()); // the player wins
    tally.offerHighestScore("71");
    tally.recordGame(GameOutcome::wonBy("Ann"));
    tally.offerHighestScore("40");
    tally.countOwnZonkard();
    tally.countOwnBonusMode();
    tally.countOwnBonusMode();
    EXPECT_EQ(text("label_totalgames"), "2");
    EXPECT_EQ(text("label_yourwins"), "1");
    EXPECT_EQ(text("label_highscore"), "71");
    EXPECT_EQ(text("label_zonkards"), "1");
    EXPECT_EQ(text("label_bonusmodes"), "2");

    test::clickEntry(tallied(), 0);
    EXPECT_EQ(text("label_oppheading"), "Ann's Tally");
    EXPECT_EQ(opponent()->verticalHeaderItem(1)->text(), "Ann Wins:");
    EXPECT_EQ(panelValues(), (QStringList{"2", "1", "1", "0", "2", "1", "1", "0"}));

    // A game while Ann is selected shows her new values.
    tally.recordGame(GameOutcome::wonBy("Bob"));
    EXPECT_EQ(panelValues(), (QStringList{"3", "1", "1", "1", "3", "1", "1", "1"}));

    // Reset Tally: No keeps everything, Yes clears it.
    answer = false;
    QTest::mouseClick(button("button_reset"), Qt::LeftButton);
    EXPECT_EQ(questions.back(), "Are you sure you want to reset the Tally?");
    EXPECT_EQ(text("label_totalgames"), "3");
    answer = true;
    QTest::mouseClick(button("button_reset"), Qt::LeftButton);
    for (const char* n :
         {"label_totalgames", "label_yourwins", "label_highscore", "label_zonkards", "label_bonusmodes"})
        EXPECT_EQ(text(n), "0") << n;
    EXPECT_EQ(tallied()->count(), 0);
    EXPECT_EQ(panelValues(), QStringList(8, QStringLiteral("0")));
    EXPECT_EQ(test::entryTicks(current()), (QList<bool>{false, false}));
}

TEST_F(TallyWindow, LoadsAtStartSavesAtExitAndReportsABadFile)
{
    test::TempDir dir;
    const auto file = dir / "agametally.tld";
    seated = {"Ann"};
    window.viewTally();
    test::clickTickBox(current(), 0);
    tally.recordGame(GameOutcome::ownWin()); // shared with Ann
    tally.offerHighestScore("64");
    ASSERT_TRUE(tally.saveTo(file));

    // The next run: totals back, Ann tallied, her session columns at 0.
    TallyService nextTally([] { return std::vector<std::string>{}; });
    Ttallylist next(nextTally);
    EXPECT_EQ(nextTally.loadFrom(file, "2026-12-10"), std::nullopt);
    next.show(); // made now, from the tally as loaded
    EXPECT_EQ(next.findChild<QLabel*>("label_highscore")->text(), "64");
    EXPECT_EQ(next.findChild<QLabel*>("label_yourwins")->text(), "1");
    auto* list = next.findChild<QListWidget*>("list_tallied");
    EXPECT_EQ(test::entryTexts(list), QStringList{"Ann"});
    EXPECT_EQ(test::entryTicks(list), QList<bool>{true});
    EXPECT_EQ(nextTally.tally().cell(3, 1), "1");
    EXPECT_EQ(nextTally.tally().cell(7, 1), "0");

    test::writeBytes(file, "WRZL\x10");
    const auto message = nextTally.loadFrom(file, "2026-12-10");
    ASSERT_TRUE(message.has_value());
    EXPECT_TRUE(message->ends_with("\n\nLzrw1 : Error reading from input file : " + file.string()))
        << *message;
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(next.findChild<QLabel*>("label_highscore")->text(), "0");

    // Saving at exit into a place that cannot take it fails quietly.
    EXPECT_FALSE(nextTally.saveTo(dir / "missing-folder" / "agametally.tld"));
}

} // namespace
} // namespace zk::test
