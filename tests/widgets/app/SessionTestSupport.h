// The whole program in the test's process: a GameSession with its real
// windows (offscreen), its real host engine listening on a free loopback
// port, its real table socket, files in a temporary folder, seeded dice and
// a sound output that the test reads instead of a device. Clicks are
// synthesized mouse events on the windows, as a player makes them.
#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/GameSession.h"
#include "records/qt/SoundPlayer.h"
#include "records/WaveFile.h"
#include "table/qt/board/BoardLayout.h"
#include "table/qt/board/BoardPanel.h"

namespace zk::test {

// Keeps what the player was asked to play; no device involved.
class RecordingSink : public AudioSink {
public:
    void start(std::shared_ptr<const Pcm> pcm) override { started.push_back(std::move(pcm)); }
    void stop() override {}
    std::vector<std::shared_ptr<const Pcm>> started;
};

// The recording of a name decoded here, to tell which one the player started.
inline const Pcm& decodedRecording(const std::string& name)
{
    static std::map<std::string, Pcm> cache;
    auto it = cache.find(name);
    if (it == cache.end()) {
        const auto bytes = SoundPlayer::embeddedRecording(name);
        Pcm pcm;
        if (bytes) {
            const DecodedWave d = decodeWave({reinterpret_cast<const std::uint8_t*>(bytes->constData()),
                                              static_cast<std::size_t>(bytes->size())});
            if (d.pcm)
                pcm = *d.pcm;
        }
        it = cache.emplace(name, std::move(pcm)).first;
    }
    return it->second;
}

inline std::vector<std::string> soundNames()
{
    std::vector<std::string> names = {"turn",    "turnnew",    "dice",     "set",       "unset",
                                      "select",  "gotpoints",  "nopoints", "entered",   "winner",
                                      "zonkard", "enterbonus", "gotbonus", "exitbonus", "error"};
    for (int n = 1; n <= 12; ++n)
        names.push_back("wave" + std::to_string(n));
    return names;
}

inline int freeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class SessionTest : public ::testing::Test {
protected:
    QTemporaryDir dataDir;
    RecordingSink* sink = nullptr;
    std::unique_ptr<GameSession> session;

    void startSolo(std::uint64_t seed)
    {
        ASSERT_TRUE(dataDir.isValid());
        QCoreApplication::setApplicationName(QStringLiteral("Zonkards"));
        qputenv("ZONKARDS_DATA_DIR", dataDir.path().toLocal8Bit());
        qputenv("ZONKARDS_PORT", QByteArray::number(freeLoopbackPort()));
        auto owned = std::make_unique<RecordingSink>();
        sink = owned.get();
        GameSession::Options options;
        options.sounds = std::make_unique<SoundPlayer>(std::move(owned));
        options.dice = seededDice(seed);
        options.quitOnClose = false;
        session = std::make_unique<GameSession>(std::move(options));
        session->start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&session->chat()));
        ASSERT_TRUE(waitFor([&] { return state().loggedIn && board().seat(1).name == "You"; }));
    }

    void TearDown() override
    {
        if (session)
            session->finish();
        session.reset();
    }

    const Board& board() { return session->logic().board(); }
    const TableState& state() { return session->logic().state(); }

    static bool waitFor(const std::function<bool()>& condition, int timeoutMs = 30000)
    {
        return QTest::qWaitFor(condition, timeoutMs);
    }

    // A left click at a point of the board, through the window.
    void clickBoard(QPoint pos)
    {
        BoardPanel* panel = session->chat().boardPanel();
        QTest::mouseClick(panel->window()->windowHandle(), Qt::LeftButton, {},
                          panel->mapTo(panel->window(), pos));
        QCoreApplication::processEvents();
    }
    void clickWidget(QWidget* widget)
    {
        QTest::mouseClick(widget->window()->windowHandle(), Qt::LeftButton, {},
                          widget->mapTo(widget->window(), widget->rect().center()));
        QCoreApplication::processEvents();
    }

    // A menu item of the main window by its text.
    void menu(const QString& text)
    {
        QAction* action = findAction(session->chat().menuBar()->actions(), text);
        ASSERT_NE(action, nullptr) << text.toStdString();
        ASSERT_TRUE(action->isEnabled()) << text.toStdString();
        action->trigger();
        QCoreApplication::processEvents();
    }
    static QAction* findAction(const QList<QAction*>& actions, const QString& text)
    {
        for (QAction* a : actions) {
            if (QString(a->text()).remove(QLatin1Char('&')) == text)
                return a;
            if (a->menu()) {
                if (QAction* inner = findAction(a->menu()->actions(), text))
                    return inner;
            }
        }
        return nullptr;
    }

    // Start, then START GAME in the start-game window.
    void startGame()
    {
        clickBoard(layout::kRollButton.center());
        ASSERT_TRUE(waitFor([&] { return session->startWindow().isVisible(); }));
        auto* startGame = session->startWindow().findChild<QWidget*>(QStringLiteral("Image1"));
        ASSERT_NE(startGame, nullptr);
        clickWidget(startGame);
        ASSERT_TRUE(waitFor([&] { return board().round == "Round: 1"; }));
    }

    // The names of the recordings the player was asked to start, in order.
    std::vector<std::string> soundsPlayed() const
    {
        std::vector<std::string> out;
        for (const auto& pcm : sink->started) {
            std::string which = "?";
            for (const std::string& name : soundNames()) {
                if (decodedRecording(name).samples == pcm->samples) {
                    which = name;
                    break;
                }
            }
            out.push_back(which);
        }
        return out;
    }
    bool played(const std::string& name) const
    {
        const auto names = soundsPlayed();
        return std::find(names.begin(), names.end(), name) != names.end();
    }
};

} // namespace zk::test
