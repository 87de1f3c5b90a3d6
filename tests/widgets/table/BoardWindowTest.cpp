// The main window's board: elements at their places (points are taken from
// the board's published layout by hand, not from the code's constants),
// clicks reaching the logic, the seat menu, the menus and the size guard.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTimer>

#include <utility>

#include "TableWindowTestSupport.h"
#include "table/Narration.h"
#include "table/qt/board/Announcer.h"
#include "table/qt/board/BoardAccessible.h"
#include "kit/QtText.h"
#include "table/qt/board/BoardLayout.h"

namespace zk::test {
namespace {

using BoardWindow = TableWindowTest;

// The centre of a rectangle given as left, top, width, height.
QPoint centre(int left, int top, int width, int height)
{
    return {left + width / 2, top + height / 2};
}

TEST_F(BoardWindow, ClientAreaHoldsTheBoardAndTheChatAtTheirPlaces)
{
    EXPECT_EQ(chat.windowTitle(), QStringLiteral("Zonkards"));
    EXPECT_EQ(chat.centralWidget()->size(), QSize(676, 489));
    EXPECT_EQ(boardPanel()->geometry(), QRect(1, 1, 674, 487));
    EXPECT_EQ(chat.chatDisplay()->geometry(), QRect(4, 321, 667, 139));
    EXPECT_EQ(chat.chatEntry()->geometry(), QRect(4, 460, 665, 22));
    for (int n = 1; n <= 10; ++n) {
        auto* button = child(QStringLiteral("b_phrase%1").arg(n).toLatin1().constData());
        ASSERT_NE(button, nullptr) << n;
        EXPECT_EQ(button->geometry(), QRect(26 + 28 * (n - 1), 294, 27, 21)) << n;
    }

    // The size guard keeps the whole board visible in a smaller window.
    chat.resize(300, 200);
    QApplication::processEvents();
    EXPECT_GE(chat.centralWidget()->width(), 676);
    EXPECT_GE(chat.centralWidget()->height(), 489);
}

TEST_F(BoardWindow, DiceHoldAtTheirRaisedAndLoweredPlacesAndRollSendsTheRest)
{
    hostAs("Bob");
    host(host::startgame("Bob", 5));
    host(host::nextplayer(1, 1, {1, 2, 3, 4, 5, 6, 7}));
    auto* dicetimer = chat.findChild<QTimer*>(QStringLiteral("dicetimer"));
    ASSERT_NE(dicetimer, nullptr);
    EXPECT_TRUE(dicetimer->isActive()) << "the dice tumble until the first roll";
    EXPECT_EQ(dicetimer->interval(), 500);

    // ROLL DICE at (80, 198), 154 x 36.
    clickBoard(centre(80, 198, 154, 36));
    EXPECT_EQ(lastSent(), "CMD_rollthedice+1+1+2+3+4+5");
    host(host::createdice(1, 1, faces({6, 5, 4, 3, 2})));
    EXPECT_FALSE(dicetimer->isActive());

    // Die 3 lies at left 131, lowered at top 119.
    clickBoard(centre(131, 119, 48, 48));
    EXPECT_TRUE(board().die(3).held);
    EXPECT_TRUE(board().die(3).raised);
    // Raised, it covers rows 110 to 157: the rows just outside take no click,
    // the edge rows do.
    clickBoard({131 + 24, 109});
    clickBoard({131 + 24, 158});
    EXPECT_TRUE(board().die(3).held);
    clickBoard({131 + 24, 157});
    EXPECT_FALSE(board().die(3).held);
    // Lowered again, it covers rows 119 to 166.
    clickBoard({131 + 24, 118});
    clickBoard({131 + 24, 167});
    EXPECT_FALSE(board().die(3).held);
    clickBoard({131 + 24, 119});
    EXPECT_TRUE(board().die(3).held);
    clickBoard({131 + 24, 149}); // raised now
    EXPECT_FALSE(board().die(3).held);
    // Die 5 at left 243, from its left column to its right one.
    clickBoard({243, 140});
    EXPECT_TRUE(board().die(5).held);
    clickBoard({243 + 47, 140});
    EXPECT_FALSE(board().die(5).held);
    clickBoard({243 + 24, 140});
    EXPECT_TRUE(board().die(5).held);
    // The right button holds nothing.
    clickBoard(centre(19, 119, 48, 48), Qt::RightButton);
    EXPECT_FALSE(board().die(1).held);

    host(host::selectedcat(1, 6));
    env.clear();
    clickBoard(centre(80, 198, 154, 36));
    EXPECT_EQ(lastSent(), "CMD_rollthedice+1+1+2+3+4");
    EXPECT_FALSE(board().rollButtonShown);
}

TEST_F(BoardWindow, PromptPanelsTakeClicksOverTheDiceAndAnswerWithTheirButtons)
{
    hostAs("Bob");
    ownTurnRolledOnce();
    clickBoard(centre(131, 119, 48, 48)); // hold die 3
    ASSERT_TRUE(board().die(3).held);

    // A second roll without a category asks first (the reminder is on).
    clickBoard(centre(80, 198, 154, 36));
    ASSERT_TRUE(board().rollPromptShown);
    EXPECT_TRUE(env.sent.empty());
    // The panel (8, 22, 305 x 146) lies over the dice: die 3 takes no click.
    clickBoard(centre(131, 110, 48, 48));
    EXPECT_TRUE(board().die(3).held);

    const QPoint no = layout::onPrompt(layout::kNoButton).center();
    clickBoard(no);
    EXPECT_FALSE(board().rollPromptShown);
    clickBoard(centre(80, 198, 154, 36));
    ASSERT_TRUE(board().rollPromptShown);
    clickBoard(layout::onPrompt(layout::kYesButton).center());
    EXPECT_EQ(lastSent(), "CMD_rollthedice+1+1+2+3+4+5");
    EXPECT_FALSE(board().rollPromptShown);

    // The third roll without a category: the other panel, and OK closes it.
    host(host::createdice(1, 2, faces({1, 1, 2, 2, 3})));
    env.clear();
    clickBoard(centre(80, 198, 154, 36));
    ASSERT_TRUE(board().thirdRollPromptShown);
    EXPECT_TRUE(env.sent.empty());
    clickBoard(layout::onPrompt(layout::kOkButton).center());
    EXPECT_FALSE(board().thirdRollPromptShown);
}

TEST_F(BoardWindow, CategoryButtonsAndBarsChooseWhereTheCardShowsThem)
{
    hostAs("Bob");
    ownTurnRolledOnce();
    // The card lies at (317, 76); the Fives button at card (4, 135), 88 x 24.
    clickBoard({317 + 4 + 44, 76 + 135 + 12});
    EXPECT_EQ(lastSent(), "CMD_selectcat+1+5+");
    host(host::selectedcat(1, 5));
    env.clear();
    // Chosen, the button is still shown but no longer clicks.
    clickBoard({317 + 4 + 44, 76 + 135 + 12});
    EXPECT_TRUE(env.sent.empty());

    // The next own turn offers threes and fours: the Threes bar runs from
    // card left 87 along the row at card top 82, past the button's end, to
    // the right edge of seat 1's column.
    host(host::nextplayer(1, 2, {3, 4}));
    logic.rollClick();
    host(host::createdice(1, 1, faces({3, 3, 3, 4, 1})));
    env.clear();
    clickBoard({317 + 87 + 40, 76 + 82 + 24}); // on the bar, right of the button
    EXPECT_EQ(lastSent(), "CMD_selectcat+1+3+");
    host(host::selectedcat(1, 3));
    env.clear();
    // A hidden category's row takes no click.
    clickBoard({317 + 4 + 44, 76 + 57 + 12}); // Twos
    EXPECT_TRUE(env.sent.empty());
}

TEST_F(BoardWindow, StartButtonOpensTheStartWindowOnlyWhenLoggedIn)
{
    logic.processParams({"Bob", "127.0.0.1", "true"});
    refreshAll();
    // Not logged in yet: the Start button at (80, 198) only tells so.
    clickBoard(centre(80, 198, 154, 36));
    EXPECT_TRUE(env.has("message You are not connected"));
    EXPECT_FALSE(start.isVisible());

    host(host::sendlogininfo(1));
    host(host::newplayer(1, "Bob"));
    clickBoard(centre(80, 198, 154, 36));
    EXPECT_TRUE(start.isVisible());
}

TEST_F(BoardWindow, LogoClickIsTheAppsToAnswer)
{
    QSignalSpy clicked(&chat, &Tchat::logoClicked);
    clickBoard(centre(316, 17, 98, 56));
    EXPECT_EQ(clicked.count(), 1);
    clickBoard({316 - 3, 17 + 28}); // just left of it
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(BoardWindow, SeatMenuOnTheNameLabelsFollowsTheHostFlag)
{
    hostAs("Bob");
    host(host::newplayer(3, "Cid"));
    // Seat 3's label: left 499, top 3, 35 x 78. The left button opens nothing.
    clickBoard(centre(499, 3, 35, 78));
    EXPECT_EQ(openMenu("popup_kick"), nullptr);
    clickBoard(centre(499, 3, 35, 78), Qt::RightButton);
    QMenu* menu = openMenu("popup_kick");
    ASSERT_NE(menu, nullptr);
    QAction* remove = action(menu, QStringLiteral("Remove From Game"));
    ASSERT_NE(remove, nullptr);
    EXPECT_TRUE(remove->isEnabled());
    EXPECT_TRUE(action(menu, QStringLiteral("Set to Just Watch"))->isEnabled());
    EXPECT_TRUE(action(menu, QStringLiteral("Unset Just Watch"))->isEnabled());
    remove->trigger();
    EXPECT_EQ(lastSent(), "CMD_kickhim+1+3+");
    menu->hide();

    // An empty seat (5, left 584): no removal, but the watch items stay.
    clickBoard(centre(584, 3, 35, 78), Qt::RightButton);
    menu = openMenu("popup_kick");
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(action(menu, QStringLiteral("Remove From Game"))->isEnabled());
    EXPECT_TRUE(action(menu, QStringLiteral("Set to Just Watch"))->isEnabled());
    env.clear();
    action(menu, QStringLiteral("Set to Just Watch"))->trigger();
    EXPECT_EQ(lastSent(), "CMD_justwatch+5+1");
}

TEST_F(BoardWindow, SeatMenuIsDisabledOnAJoinedTable)
{
    joinAs("Cid", 3);
    host(host::existing(1, "Bob"));
    clickBoard(centre(414, 3, 35, 78), Qt::RightButton); // seat 1
    QMenu* menu = openMenu("popup_kick");
    ASSERT_NE(menu, nullptr);
    for (const char* text : {"Remove From Game", "Set to Just Watch", "Unset Just Watch"}) {
        QAction* a = action(menu, QString::fromLatin1(text));
        ASSERT_NE(a, nullptr) << text;
        EXPECT_FALSE(a->isEnabled()) << text;
    }
}

TEST_F(BoardWindow, MenusCarryTheirItemsShortcutsAndTheBoardsState)
{
    struct Item {
        const char* name;
        const char* text;
        const char* shortcut;
        bool checkable;
        bool checked;
        bool enabled;
    };
    const Item items[] = {
        {"StartGame1", "Start Game", "", false, false, false},
        {"Exit1", "Exit", "", false, false, true},
        {"PlaySounds1", "Play Sounds", "", true, true, true},
        {"PlayChatterSounds1", "Play Chatter Sounds", "", true, false, true},
        {"Classic1", "Classic", "", true, true, true},
        {"New1", "New", "", true, false, true},
        {"remindme1", "Remind Me to Select a Category", "", true, true, true},
        {"Slow1", "Slow", "", true, false, true},
        {"Normal1", "Normal", "", true, true, true},
        {"Fast1", "Fast", "", true, false, true},
        {"TextColor1", "Text Color", "", false, false, true},
        {"ActionColor1", "Action Color", "", false, false, true},
        {"TextSize8", "8", "", true, true, true},
        {"TextSize14", "14", "", true, false, true},
        {"ScrollChatOff1", "Scroll Chat Off", "Ctrl+S", true, false, true},
        {"ClearMainChat1", "Clear Main Chat", "", false, false, true},
        {"ResetScreenLocation1", "Reset Screen Location", "", false, false, true},
        {"JustWatch1", "Just Watch", "", true, false, true},
        {"ViewTally1", "View Tally", "", false, false, true},
        {"SpyList1", "Spy List", "", false, false, true},
        {"PhraseList1", "Phrase List", "", false, false, true},
        {"Content1", "Content", "F1", false, false, true},
        {"About1", "About", "", false, false, true},
    };
    for (const Item& item : items) {
        auto* a = chat.findChild<QAction*>(QString::fromLatin1(item.name));
        ASSERT_NE(a, nullptr) << item.name;
        EXPECT_EQ(a->text(), QString::fromLatin1(item.text)) << item.name;
        EXPECT_EQ(a->shortcut().toString(), QString::fromLatin1(item.shortcut)) << item.name;
        EXPECT_EQ(a->isCheckable(), item.checkable) << item.name;
        EXPECT_EQ(a->isChecked(), item.checked) << item.name;
        EXPECT_EQ(a->isEnabled(), item.enabled) << item.name;
    }
    QStringList titles;
    for (QAction* a : chat.menuBar()->actions())
        titles << a->text().remove(QLatin1Char('&'));
    EXPECT_EQ(titles, QStringList({"File", "Options", "View", "Help"}));

    // Items ask the logic and show what the Board then says.
    auto* fast = chat.findChild<QAction*>(QStringLiteral("Fast1"));
    fast->trigger();
    EXPECT_EQ(board().menu.botSpeed, 350);
    EXPECT_TRUE(env.has("save settings"));
    EXPECT_TRUE(fast->isChecked());
    EXPECT_FALSE(chat.findChild<QAction*>(QStringLiteral("Normal1"))->isChecked());

    // "Just Watch" sends, but its check mark waits for the host's answer.
    joinAs("Cid", 3);
    auto* justWatch = chat.findChild<QAction*>(QStringLiteral("JustWatch1"));
    justWatch->trigger();
    EXPECT_EQ(lastSent(), "CMD_justwatch+3+1");
    EXPECT_FALSE(justWatch->isChecked());
    host(host::justwatching(3, "1"));
    EXPECT_TRUE(justWatch->isChecked());

    // "Start Game" follows the Board: enabled once this table hosts.
    hostAs("Bob");
    EXPECT_TRUE(chat.findChild<QAction*>(QStringLiteral("StartGame1"))->isEnabled());

    // The app's items are signals; "Exit" closes the window.
    QSignalSpy about(&chat, &Tchat::aboutRequested);
    QSignalSpy closing(&chat, &Tchat::aboutToClose);
    chat.findChild<QAction*>(QStringLiteral("About1"))->trigger();
    EXPECT_EQ(about.count(), 1);
    chat.findChild<QAction*>(QStringLiteral("Exit1"))->trigger();
    EXPECT_EQ(closing.count(), 1);
    EXPECT_FALSE(chat.isVisible());
}

// Pictures at their places: the painted board shows a raised die nine pixels
// higher than a lowered one, and the winner panel only after a game.
TEST_F(BoardWindow, PaintedDiceAndWinnerPanelAppearWhereTheBoardPutsThem)
{
    auto redAt = [](const QImage& image, QPoint p) {
        const QColor c = image.pixelColor(p);
        return c.red() > 150 && c.green() < 110 && c.blue() < 120; // die red, not wood
    };
    hostAs("Bob");
    ownTurnRolledOnce({1, 1, 1, 1, 1});
    QImage lowered = boardPanel()->grab().toImage();
    lowered.setDevicePixelRatio(1);
    clickBoard(centre(131, 119, 48, 48));
    QImage raised = boardPanel()->grab().toImage();
    raised.setDevicePixelRatio(1);
    const qreal ratio = boardPanel()->devicePixelRatioF();
    auto at = [ratio](int x, int y) { return QPoint(qRound(x * ratio), qRound(y * ratio)); };
    // Die 3's body (face one has only a centre pip) at rows 116 and 160:
    // raised (110 to 158) it covers the first, lowered (119 to 167) the second.
    EXPECT_TRUE(redAt(raised, at(131 + 10, 116)));
    EXPECT_FALSE(redAt(lowered, at(131 + 10, 116)));
    EXPECT_TRUE(redAt(lowered, at(131 + 10, 160)));
    EXPECT_FALSE(redAt(raised, at(131 + 10, 160)));

    const QImage before = boardPanel()->grab().toImage();
    host(host::winner({1}));
    const QImage after = boardPanel()->grab().toImage();
    // The winner panel (8, 26, 304 x 41) covers the title's middle.
    EXPECT_NE(before.pixelColor(at(160, 46)), after.pixelColor(at(160, 46)));
    EXPECT_EQ(board().winnerText, "You have Won the Game!");
}

} // namespace
} // namespace zk::test

namespace zk::test {
namespace {

// The board repaints only what changed: after every step of a game, the
// picture built from the repainted parts alone equals a whole new painting,
// and a second roll leaves the score card alone.
TEST_F(BoardWindow, RepaintingWhatChangedDrawsWhatAWholePaintingDraws)
{
    BoardPanel* panel = boardPanel();
    const auto painting = [panel] {
        QImage image(panel->size(), QImage::Format_RGB32);
        panel->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground); // the board, not the chat
        return image;
    };
    hostAs("Bob");
    host(host::newplayer(2, "Ann"));
    QImage screen = painting();
    Board before = board();
    const auto step = [&](const std::function<void()>& change) {
        change();
        const QRegion damage = BoardPanel::damage(&before, board());
        panel->render(&screen, damage.boundingRect().topLeft(), damage, QWidget::DrawWindowBackground);
        before = board();
        return damage;
    };
    const std::vector<std::pair<const char*, std::function<void()>>> game = {
        {"start", [&] { host(host::startgame("Bob", 5)); }},
        {"own turn",
         [&] {
             host(host::nextplayer(1, 1, {1, 2, 3, 4, 5, 6, 7}));
         }},
        {"first roll",
         [&] {
             host(host::createdice(1, 1, faces({6, 2, 6, 4, 6})));
         }},
        {"hold", [&] { clickBoard(centre(131, 119, 48, 48)); }},
        {"second roll",
         [&] {
             host(host::createdice(1, 2, faces({6, 6, 6, 1, 6})));
         }},
        {"choose", [&] { host(host::selectedcat(1, 6)); }},
        {"score", [&] { host(host::postscores(1, 24, 24, 6)); }},
        {"chat", [&] { host(host::chat("Ann: well rolled|clBlue")); }},
        {"their turn",
         [&] {
             host(host::nextplayer(2, 1, {1, 2, 3, 4, 5, 6, 7}));
         }},
        {"their roll",
         [&] {
             host(host::createdice(2, 1, faces({1, 1, 1, 1, 1})));
         }},
        {"zonkard",
         [&] {
             host(host::zonkard(2, 50, 50, faces({1, 1, 1, 1, 1})));
         }},
        {"winner", [&] { host(host::winner({2})); }},
        {"name gone", [&] { host(host::disconnected(2, "Ann")); }},
    };
    for (const auto& [what, change] : game) {
        const QRegion damage = step(change);
        if (std::string_view(what) == "second roll") {
            EXPECT_FALSE(damage.intersects(layout::kCard)) << "a roll redrew the score card";
        }
        const QImage whole = painting();
        EXPECT_TRUE(screen == whole) << "after " << what;
        screen = whole;
    }
    EXPECT_TRUE(BoardPanel::damage(&before, board()).isEmpty());
    EXPECT_EQ(BoardPanel::damage(nullptr, board()), QRegion(QRect(QPoint(0, 0), panel->size())));
}

} // namespace
} // namespace zk::test

namespace zk::test {
namespace {

// Keys go where the platform sends them: to the focused widget of the
// active window, through the window's shortcuts first.
void key(Qt::Key k, Qt::KeyboardModifiers mods = {})
{
    QTest::keyClick(QApplication::focusWidget(), k, mods);
    QApplication::processEvents();
}

TEST_F(BoardWindow, AWholeTurnPlaysByKeysWhileTheChatEntryKeepsItsTyping)
{
    chat.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&chat));
    hostAs("Bob");
    // Ctrl+R on Start opens the start window, which takes its keys itself.
    key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(start.isVisible());
    QTest::keyClick(&start, Qt::Key_2);
    QTest::keyClick(&start, Qt::Key_Return);
    EXPECT_EQ(lastSent(), "CMD_startgame+Bob+2+");
    env.clear();
    chat.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&chat));
    host(host::startgame("Bob", 5));
    host(host::nextplayer(2, 1, {1, 2, 3, 4, 5, 6, 7})); // another seat's turn
    ASSERT_EQ(QApplication::focusWidget(), chat.chatEntry());

    // Out of turn the same keys do nothing, and letters type into the chat.
    for (Qt::Key k : {Qt::Key_R, Qt::Key_2})
        key(k, Qt::ControlModifier);
    key(Qt::Key_5, Qt::AltModifier);
    EXPECT_TRUE(env.sent.empty());
    EXPECT_FALSE(board().die(2).held);
    key(Qt::Key_Y);
    key(Qt::Key_N);
    EXPECT_EQ(chat.chatEntry()->text(), QStringLiteral("yn"));

    host(host::nextplayer(1, 1, {1, 2, 3, 4, 5, 6, 7}));
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(lastSent(), "CMD_rollthedice+1+1+2+3+4+5");
    host(host::createdice(1, 1, faces({5, 2, 5, 5, 1})));
    key(Qt::Key_2, Qt::ControlModifier);
    EXPECT_TRUE(board().die(2).held);
    key(Qt::Key_5, Qt::AltModifier);
    EXPECT_EQ(lastSent(), "CMD_selectcat+1+5+");
    host(host::selectedcat(1, 5));
    key(Qt::Key_R, Qt::ControlModifier);

    EXPECT_EQ(lastSent(), "CMD_rollthedice+1+1+3+4+5");
    host(host::createdice(1, 2, faces({5, 2, 5, 5, 5}))); // a new roll: nothing held
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(lastSent(), "CMD_rollthedice+1+1+2+3+4+5");
    EXPECT_EQ(env.sent.size(), 4u);
    EXPECT_EQ(chat.chatEntry()->text(), QStringLiteral("yn")) << "no shortcut typed anything";
}

TEST_F(BoardWindow, TabArrowsAndSpaceWalkTheBoardAndThePromptsAnswerByLetter)
{
    chat.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&chat));
    hostAs("Bob");
    ownTurnRolledOnce();
    key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), boardPanel());
    EXPECT_EQ(boardPanel()->focused().element, BoardPanel::Element::Die);
    EXPECT_EQ(boardPanel()->focused().number, 1);

    // Right twice, Space: die 3 held; Left from die 1 wraps to the last
    // phrase button; the ring is painted around what it is on.
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    key(Qt::Key_Space);
    EXPECT_TRUE(board().die(3).held);
    const QImage ring = boardPanel()->grab().toImage();
    QRect around = boardPanel()->focused().rect.adjusted(-3, -3, 3, 3);
    EXPECT_EQ(ring.pixelColor(around.center().x(), around.top()), QColor(255, 236, 120));
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Left);
    EXPECT_EQ(boardPanel()->focused().element, BoardPanel::Element::Phrase);

    // Right to ROLL DICE, Enter: the reminder asks; N declines, Y rolls.
    for (int i = 0; i < 6; ++i)
        key(Qt::Key_Right);
    ASSERT_EQ(boardPanel()->focused().element, BoardPanel::Element::Roll);
    key(Qt::Key_Return);
    ASSERT_TRUE(board().rollPromptShown);
    EXPECT_EQ(boardPanel()->focused().element, BoardPanel::Element::Yes) << "the ring moves onto the prompt";
    key(Qt::Key_N);
    EXPECT_FALSE(board().rollPromptShown);
    EXPECT_TRUE(env.sent.empty());
    key(Qt::Key_R, Qt::ControlModifier);
    key(Qt::Key_Y); // YES rolls all five, as its click does
    EXPECT_EQ(lastSent(), "CMD_rollthedice+1+1+2+3+4+5");

    // The third roll's prompt closes with Escape; Escape again: back to the chat.
    host(host::createdice(1, 2, faces({1, 1, 2, 2, 3})));
    key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(board().thirdRollPromptShown);
    key(Qt::Key_Escape);
    EXPECT_FALSE(board().thirdRollPromptShown);
    key(Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), chat.chatEntry());
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), chat.chatEntry()) << "Tab goes back from the board";
}

QStringList accessibleNames(QAccessibleInterface* iface, bool shownOnly = true)
{
    QStringList names;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* c = iface->child(i);
        if (c && !(shownOnly && c->state().invisible))
            names << c->text(QAccessible::Name);
    }
    return names;
}

TEST_F(BoardWindow, AScreenReaderFindsTheBoardsPartsByNameAndTheirNamesFollowThePlay)
{
    hostAs("Bob");
    ownTurnRolledOnce({4, 2, 6, 6, 1});
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(boardPanel());
    ASSERT_NE(reader, nullptr);
    QStringList names = accessibleNames(reader);
    for (const char* expected :
         {"Die 1, four", "Die 3, six", "ROLL DICE", "Ones", "Sixes", "Zonkard", "Round: 1",
          "Rolls used: 1 of 3", "Bob, playing", "Bob, Sixes, open", "Bob, Total, open", "Seat 3, waiting"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(expected))) << expected << "\n"
                                                                   << names.join('|').toStdString();
    EXPECT_TRUE(names.contains(toQt(board().status)));
    EXPECT_TRUE(names.contains(toQt(board().phrases[0]))) << "the phrase buttons are named by their phrase";

    // A hold by the reader's own action, and the next roll, rename the dice.
    const int die4 = BoardAccessible::indexOf(BoardAccessible::Part::Die, 4);
    QAccessibleActionInterface* action = reader->child(die4)->actionInterface();
    ASSERT_NE(action, nullptr);
    action->doAction(action->actionNames().value(0));
    EXPECT_TRUE(board().die(4).held);
    chat.refresh();
    EXPECT_EQ(reader->child(die4)->text(QAccessible::Name), QStringLiteral("Die 4, six, held"));
    EXPECT_TRUE(reader->child(die4)->state().checked);
    host(host::selectedcat(1, 6));
    host(host::createdice(1, 2, faces({5, 3, 1, 6, 6})));
    EXPECT_EQ(reader->child(BoardAccessible::indexOf(BoardAccessible::Part::Die, 1))->text(QAccessible::Name),
              QStringLiteral("Die 1, five"));
    EXPECT_EQ(reader->child(BoardAccessible::indexOf(BoardAccessible::Part::Status, 0))
                  ->text(QAccessible::Description),
              QStringLiteral("Dice: five, three, one, six, six"));
}

// The sentences the table gives a screen reader, read from the announcer
// (offscreen there is no reader, so no accessibility event goes out).
class Listening : public BoardWindow {
protected:
    QStringList said;
    void SetUp() override
    {
        BoardWindow::SetUp();
        chat.announcer()->setWantedWithoutReader(true);
        QObject::connect(chat.announcer(), &Announcer::announced,
                         [this](const QString& text) { said << text; });
    }
    // What was announced since the last call.
    QStringList spoken()
    {
        chat.announcer()->flush();
        return std::exchange(said, {});
    }
};

TEST_F(Listening, TheGameIsToldWhileTheFocusStaysInTheChatEntryAndThePromptsAreDialogsWithButtons)
{
    chat.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&chat));
    hostAs("Bob");
    host(host::startgame("Bob", 5));
    host(host::nextplayer(1, 1, {1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(spoken().join(' ').endsWith(QStringLiteral("has started a game. Round: 1 Your Turn")));
    key(Qt::Key_R, Qt::ControlModifier);
    host(host::createdice(1, 1, faces({4, 2, 6, 6, 1})));
    EXPECT_EQ(spoken(), QStringList{QStringLiteral("Roll 1 of 3: 4, 2, 6, 6, 1.")});
    env.clear();

    // The roll prompt opens as a dialog named by its question, with YES
    // (the default) and NO; the chat entry's keys answer it and type nothing.
    const QString question = QString::fromLatin1(kPromptQuestion.data(), kPromptQuestion.size());
    key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(board().rollPromptShown);
    QStringList heard = spoken();
    ASSERT_EQ(heard.size(), 1);
    EXPECT_TRUE(heard[0].startsWith(question + QLatin1Char(' '))) << heard[0].toStdString();
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(boardPanel());
    QAccessibleInterface* prompt = reader->child(BoardAccessible::indexOf(BoardAccessible::Part::Prompt, 0));
    ASSERT_NE(prompt, nullptr);
    EXPECT_FALSE(prompt->state().invisible);
    EXPECT_EQ(prompt->text(QAccessible::Description),
              QString::fromLatin1(kPromptText.data(), kPromptText.size()));
    ASSERT_EQ(prompt->childCount(), 2);
    EXPECT_EQ(prompt->child(0)->text(QAccessible::Name), QStringLiteral("Yes"));
    EXPECT_EQ(prompt->role(), QAccessible::Dialog);
    EXPECT_TRUE(prompt->child(0)->state().defaultButton);
    EXPECT_EQ(prompt->child(1)->text(QAccessible::Name), QStringLiteral("No"));
    EXPECT_EQ(prompt->child(1)->parent()->text(QAccessible::Name), question);
    EXPECT_EQ(prompt->indexOfChild(prompt->child(1)), 1);
    key(Qt::Key_N);
    EXPECT_FALSE(board().rollPromptShown);
    EXPECT_TRUE(env.sent.empty());
    key(Qt::Key_R, Qt::ControlModifier);
    key(Qt::Key_Return); // YES: all five again
    EXPECT_EQ(lastSent(), "CMD_rollthedice+1+1+2+3+4+5");
    host(host::createdice(1, 2, faces({3, 3, 5, 5, 2})));
    spoken();

    // The reminder: a dialog with OK, closed by Escape from the entry.
    key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(board().thirdRollPromptShown);
    ASSERT_EQ(prompt->childCount(), 1);
    EXPECT_EQ(prompt->child(0)->text(QAccessible::Name), QStringLiteral("OK"));
    EXPECT_EQ(spoken(), QStringList{QString::fromLatin1(kPromptThirdRoll.data(), kPromptThirdRoll.size()) +
                                    QStringLiteral(" Enter for OK.")});
    key(Qt::Key_Escape);
    EXPECT_FALSE(board().thirdRollPromptShown);
    EXPECT_EQ(QApplication::focusWidget(), chat.chatEntry());
    EXPECT_EQ(chat.chatEntry()->text(), QString()) << "the answers typed nothing";

    // On the board the ring goes onto the prompt's buttons, and a reader is told.
    key(Qt::Key_Tab);
    key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(board().thirdRollPromptShown);
    EXPECT_EQ(reader->focusChild(), prompt->child(0));
    EXPECT_TRUE(prompt->child(0)->state().focused);
    key(Qt::Key_Return);
    key(Qt::Key_3, Qt::AltModifier);
    host(host::selectedcat(1, 3));
    host(host::createdice(1, 3, faces({3, 3, 3, 5, 2})));
    host(host::postscores(1, 9, 9, 3));
    host(host::winner({1}));
    const QString end = spoken().join(' ');
    EXPECT_TRUE(end.contains(QStringLiteral("Bob, Threes, 9. Total 9."))) << end.toStdString();
    EXPECT_TRUE(end.contains(QStringLiteral("Game Over! You have Won the Game! Totals: Bob 9.")))
        << end.toStdString();
    QAccessibleInterface* winner = reader->child(BoardAccessible::indexOf(BoardAccessible::Part::Winner, 0));
    EXPECT_EQ(winner->role(), QAccessible::AlertMessage);
    EXPECT_EQ(winner->text(QAccessible::Name), QStringLiteral("You have Won the Game!"));
}

} // namespace
} // namespace zk::test
