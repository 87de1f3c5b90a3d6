// Shared by the table window tests: the three real windows over a real
// TableLogic whose link and environment record every request (the outbox of
// the logic tests) and shows the start-game window when the logic asks, as
// the program does; the windows redraw on the Board's notice. Host messages are built with the logic tests' helpers.
#pragma once

#include <QApplication>
#include <QMenu>
#include <QTest>

#include "WindowsTestKit.h"
#include "table/qt/board/BoardPanel.h"
#include "table/qt/windows/ChatEntry.h"
#include "table/qt/windows/ChatView.h"
#include "table/qt/windows/Tchat.h"
#include "table/qt/windows/Tgamestart.h"
#include "table/qt/windows/Tspylist.h"
#include "TableTestSupport.h"

namespace zk::test {

class WindowOutbox : public Outbox {
public:
    QWidget* startWindow = nullptr;
    void showStartGameWindow() override
    {
        Outbox::showStartGameWindow();
        if (startWindow)
            startWindow->show();
    }
    void hideStartGameWindow() override
    {
        Outbox::hideStartGameWindow();
        if (startWindow)
            startWindow->hide();
    }
};

class TableWindowTest : public ::testing::Test {
protected:
    WindowOutbox env;
    std::chrono::milliseconds now{100000};
    TableLogic logic{env, env, [](int n) { return n - 1; }, [this] { return now; }};
    Tchat chat{logic};
    Tgamestart start{logic};
    Tspylist spies{logic};

    void SetUp() override
    {
        env.startWindow = &start;
        chat.move(0, 0);
        chat.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chat));
    }

    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* menu = qobject_cast<QMenu*>(w))
                menu->hide();
        }
    }

    const Board& board() const { return logic.board(); }

    // One host message, then the Board's notice, as the connection gives it.
    void host(const std::string& message)
    {
        logic.handleMessage(message);
        logic.boardNotice().changed();
    }
    void refreshAll()
    {
        chat.refresh();
        start.refresh();
        spies.refresh();
    }
    void hostAs(const std::string& name)
    {
        logic.processParams({name, "127.0.0.1", "true"});
        host(host::sendlogininfo(1));
        host(host::newplayer(1, name));
        env.clear();
    }
    void joinAs(const std::string& name, int seat)
    {
        logic.processParams({name, "10.0.0.5", "false"});
        host(host::sendlogininfo(seat));
        host(host::newplayer(seat, name));
        env.clear();
    }
    // The own turn with the first roll shown: seat 1, all categories open.
    void ownTurnRolledOnce(std::array<int, 5> f = {1, 2, 3, 4, 5})
    {
        host(host::startgame(board().seat(1).name, 5));
        host(host::nextplayer(1, 1, {1, 2, 3, 4, 5, 6, 7}));
        logic.rollClick();
        host(host::createdice(1, 1, faces(f)));
        env.clear();
    }

    BoardPanel* boardPanel() const { return chat.boardPanel(); }
    // Mouse actions at a point of a widget, delivered through its window as
    // the platform delivers them (a right click there also opens the
    // widget's context menu).
    static void click(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(widget->window()->windowHandle(), button, {}, widget->mapTo(widget->window(), pos));
        QApplication::processEvents();
    }
    static void press(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(widget->window()->windowHandle(), button, {}, widget->mapTo(widget->window(), pos));
        QApplication::processEvents();
    }
    static void release(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseRelease(widget->window()->windowHandle(), button, {},
                            widget->mapTo(widget->window(), pos));
        QApplication::processEvents();
    }
    static void move(QWidget* widget, QPoint pos)
    {
        QTest::mouseMove(widget->window()->windowHandle(), widget->mapTo(widget->window(), pos));
        QApplication::processEvents();
    }
    // Clicks a point of the board (board coordinates).
    void clickBoard(QPoint pos, Qt::MouseButton button = Qt::LeftButton) { click(boardPanel(), pos, button); }
    template <typename T = QWidget>
    T* child(const char* name) const
    {
        return chat.findChild<T*>(QString::fromLatin1(name));
    }
    QMenu* openMenu(const char* name) const
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* menu = qobject_cast<QMenu*>(w);
            if (menu && menu->isVisible() && menu->objectName() == QLatin1String(name))
                return menu;
        }
        return nullptr;
    }
    static QAction* action(QMenu* menu, const QString& text)
    {
        for (QAction* a : menu->actions()) {
            if (a->text() == text)
                return a;
        }
        return nullptr;
    }
    std::string lastSent() const { return env.lastSent(); }
};

} // namespace zk::test
