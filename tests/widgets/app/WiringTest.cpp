// The session's windows answer the table window's menus and buttons, and
// the options reach the chat: one idle table (one argument, no connection).
#include "SessionTestSupport.h"

#include <QAbstractButton>

#include "table/qt/windows/ChatEntry.h"
#include "table/qt/windows/ChatView.h"
#include "records/qt/DataPaths.h"

namespace zk::test {
namespace {

class Wiring : public SessionTest {
protected:
    void startIdle()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Zonkards"));
        qputenv("ZONKARDS_DATA_DIR", dataDir.path().toLocal8Bit());
        GameSession::Options options;
        options.arguments = {QStringLiteral("Ann")};
        options.sounds = std::make_unique<SoundPlayer>(std::make_unique<RecordingSink>());
        options.quitOnClose = false;
        session = std::make_unique<GameSession>(std::move(options));
        session->start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&session->chat()));
    }
};

TEST_F(Wiring, TheNineWindowsExistAndOnlyTheTableShows)
{
    startIdle();
    EXPECT_TRUE(session->chat().isVisible());
    for (QWidget* w : std::initializer_list<QWidget*>{
             &session->tallyWindow(), &session->aboutWindow(), &session->downloadWindow(),
             &session->helpWindow(), &session->phraseEditor(), &session->spyList(), &session->startWindow()})
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_EQ(session->server().listeningPort(), 0) << "the engine exists but does not listen";
    EXPECT_EQ(board().chat.lines.front().text, "Loading Multi-player Game.. Please Wait.")
        << "the command line was read at the first showing";
}

TEST_F(Wiring, MenusOpenTheirWindows)
{
    startIdle();
    menu(QStringLiteral("View Tally"));
    EXPECT_TRUE(session->tallyWindow().isVisible());
    menu(QStringLiteral("Spy List"));
    EXPECT_TRUE(session->spyList().isVisible());
    menu(QStringLiteral("Phrase List"));
    EXPECT_TRUE(session->phraseEditor().isVisible());
    menu(QStringLiteral("Content"));
    EXPECT_TRUE(session->helpWindow().isVisible());
    EXPECT_FALSE(session->aboutWindow().isVisible());
    auto* about = session->helpWindow().findChild<QAbstractButton*>(QStringLiteral("button_about"));
    ASSERT_NE(about, nullptr);
    about->click();
    EXPECT_TRUE(session->aboutWindow().isVisible()) << "the help window's About";
    session->aboutWindow().hide();
    menu(QStringLiteral("About"));
    EXPECT_TRUE(session->aboutWindow().isVisible());
    menu(QStringLiteral("Host or Join a Game..."));
    ASSERT_NE(session->hostJoinDialog(), nullptr);
    EXPECT_TRUE(session->hostJoinDialog()->isVisible());
    EXPECT_EQ(session->hostJoinDialog()->choice().name, "Ann") << "the own name is offered";
    EXPECT_FALSE(session->hostJoinDialog()->choice().host);
}

TEST_F(Wiring, TheTextSizeAndColourReachTheChat)
{
    startIdle();
    menu(QStringLiteral("14"));
    EXPECT_EQ(session->chat().chatDisplay()->font().pointSize(), 14);
    session->logic().options().textColourConfirmed(colour::clRed);
    session->chat().refresh();
    EXPECT_EQ(session->chat().chatEntry()->palette().color(QPalette::Text), QColor(Qt::red));
}

TEST_F(Wiring, ClosingTheTableWritesItsBoundsReducedToTheWorkAreaAndTheTally)
{
    startSolo(1); // arrived, so the settings were applied and may be written
    const QRect work = session->chat().screen()->availableGeometry();
    // Wider and taller than the work area: each is reduced by 15 once.
    session->chat().setOuterBounds(QRect(20, 30, work.width() + 100, work.height() + 40));
    ASSERT_EQ(session->chat().outerBounds().width(), work.width() + 100);
    session->finish();
    EXPECT_TRUE(session->closed());
    const WindowBounds stored{30, 20, work.width() + 85, work.height() + 25};
    EXPECT_EQ(session->rememberedBounds(), stored);
    const auto ini = settingsFilePath();
    EXPECT_EQ(readSetting(ini, kGameKey, "Left"), "20");
    EXPECT_EQ(readSetting(ini, kGameKey, "Top"), "30");
    EXPECT_EQ(readSetting(ini, kGameKey, "Width"), std::to_string(stored.width));
    EXPECT_EQ(readSetting(ini, kGameKey, "Height"), std::to_string(stored.height));
    EXPECT_TRUE(std::filesystem::exists(tallyFilePath())) << "the tally is written at the end";
}

} // namespace
} // namespace zk::test
