// The start-game options window and the spy list window, clicked as a
// player clicks them, with the main window beside them.
#include <QAccessible>
#include <QListWidget>
#include <QPushButton>

#include "TableWindowTestSupport.h"
#include "table/qt/windows/PictureButton.h"
#include "table/qt/windows/TickBox.h"

namespace zk::test {
namespace {

using SmallWindows = TableWindowTest;

TEST_F(SmallWindows, StartWindowTicksOneBoxAndStartsWithTheChosenLimit)
{
    hostAs("Bob");
    logic.startOptions().startClick();
    ASSERT_TRUE(start.isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&start));
    EXPECT_EQ(start.windowTitle(), QStringLiteral("Zonkards - Start Game"));
    EXPECT_EQ(start.size(), QSize(224, 214));
    EXPECT_TRUE(start.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(start.windowType(), Qt::Tool);

    auto box = [this](const char* name) { return start.findChild<TickBox*>(QString::fromLatin1(name)); };
    const char* const names[] = {"image_1", "image_2", "image_5", "image_0"};
    const char* const captions[] = {"1 Roll", "2 Rolls", "5 Rolls", "Unlimited"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(box(names[i]), nullptr) << names[i];
        EXPECT_EQ(box(names[i])->text(), QString::fromLatin1(captions[i]));
        EXPECT_EQ(box(names[i])->height(), 22);
        EXPECT_EQ(box(names[i])->ticked(), i == 3) << "Unlimited until another is chosen";
    }
    // The box picture (28 x 22 at the box's left) takes the click.
    for (int pass = 0; pass < 2; ++pass) { // the ticked box clicked again stays ticked
        click(box("image_2"), {14, 11});
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(box(names[i])->ticked(), i == 1) << names[i];
    }
    // A reader hears the boxes as radio buttons with the chosen one checked,
    // inside a window whose focus it follows.
    for (int i = 0; i < 4; ++i) {
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(box(names[i]));
        EXPECT_EQ(reader->role(), QAccessible::RadioButton);
        EXPECT_EQ(reader->text(QAccessible::Name), QString::fromLatin1(captions[i]));
        EXPECT_EQ(reader->state().checked, i == 1) << names[i];
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&start)->role(), QAccessible::Window);
    EXPECT_EQ(board().startWindow.limit, 2);
    EXPECT_TRUE(env.sent.empty()) << "a box sends nothing";

    auto* startGame = start.findChild<PictureButton*>(QStringLiteral("Image1"));
    ASSERT_NE(startGame, nullptr);
    EXPECT_EQ(startGame->size(), QSize(154, 36));
    click(startGame, {77, 18});
    EXPECT_EQ(lastSent(), "CMD_startgame+Bob+2+");
    EXPECT_TRUE(env.has("save settings"));
    EXPECT_FALSE(start.isVisible());
}

TEST_F(SmallWindows, StartWindowClosedByItsFrameKeepsTheChoice)
{
    hostAs("Bob");
    logic.startOptions().startClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&start));
    click(start.findChild<TickBox*>(QStringLiteral("image_5")), {14, 11});
    start.close();
    EXPECT_FALSE(start.isVisible());
    EXPECT_FALSE(board().startWindow.shown);
    EXPECT_TRUE(env.sent.empty());

    logic.startOptions().startClick();
    EXPECT_TRUE(start.isVisible());
    EXPECT_TRUE(start.findChild<TickBox*>(QStringLiteral("image_5"))->ticked());
    EXPECT_EQ(board().startWindow.limit, 5);
}

class SpyListWindow : public TableWindowTest {
protected:
    QListWidget* list() const { return spies.findChild<QListWidget*>(QStringLiteral("listbox_spys")); }
    QPoint entryPoint(int row) const { return list()->visualItemRect(list()->item(row)).center(); }
    void showSpies()
    {
        chat.findChild<QAction*>(QStringLiteral("SpyList1"))->trigger();
        spies.show(); // as the app answers spyListRequested
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&spies));
    }
};

TEST_F(SpyListWindow, HostRemovesTheSpectatorUnderThePointer)
{
    hostAs("Bob");
    host(host::newplayer(7, "Ann"));
    host(host::newplayer(8, "Cid"));
    host(host::newplayer(9, "Dee"));
    showSpies();
    EXPECT_EQ(spies.windowTitle(), QStringLiteral("Zonkards - Spys"));
    EXPECT_EQ(spies.size(), QSize(162, 168));
    EXPECT_TRUE(spies.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(list()->geometry(), QRect(5, 5, 154, 130));
    ASSERT_EQ(list()->count(), 3);
    EXPECT_EQ(list()->item(1)->text(), QStringLiteral("8: Cid"));

    // A selected entry does not matter; the one under the pointer does.
    list()->setCurrentRow(0);
    move(list()->viewport(), entryPoint(1));
    EXPECT_EQ(board().spyList.entryUnderPointer, 1);
    click(list()->viewport(), entryPoint(1), Qt::RightButton);
    QMenu* popup = openMenu("popup_kick");
    ASSERT_NE(popup, nullptr);
    QAction* remove = action(popup, QStringLiteral("Remove From Game"));
    ASSERT_NE(remove, nullptr);
    EXPECT_TRUE(remove->isEnabled());
    remove->trigger();
    EXPECT_EQ(lastSent(), "CMD_kickhim+1+8+");
    popup->hide();

    // Below the last entry: -1, and the item does nothing.
    env.clear();
    const QPoint below(20, list()->viewport()->height() - 5);
    click(list()->viewport(), below, Qt::RightButton);
    EXPECT_EQ(board().spyList.entryUnderPointer, -1);
    ASSERT_NE(openMenu("popup_kick"), nullptr);
    popup = openMenu("popup_kick");
    ASSERT_NE(popup, nullptr);
    action(popup, QStringLiteral("Remove From Game"))->trigger();
    EXPECT_TRUE(env.sent.empty());
    popup->hide();

    // The entry goes when the host reports the departure.
    host(host::disconnected(8, "Cid"));
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(list()->item(1)->text(), QStringLiteral("9: Dee"));

    // "Done" hides the window; the list stays.
    click(spies.findChild<QPushButton*>(QStringLiteral("button_done")), {20, 10});
    EXPECT_FALSE(spies.isVisible());
    EXPECT_EQ(list()->count(), 2);
}

TEST_F(SpyListWindow, JoinedTableCannotRemoveASpectator)
{
    joinAs("Eve", 7); // a spectator lists itself
    host(host::existing(8, "Cid"));
    showSpies();
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(list()->item(0)->text(), QStringLiteral("7: Eve"));
    click(list()->viewport(), entryPoint(1), Qt::RightButton);
    QMenu* popup = openMenu("popup_kick");
    ASSERT_NE(popup, nullptr);
    QAction* remove = action(popup, QStringLiteral("Remove From Game"));
    EXPECT_FALSE(remove->isEnabled());
    remove->trigger();
    EXPECT_TRUE(env.sent.empty());
}

} // namespace
} // namespace zk::test
