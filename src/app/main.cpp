// zonkards: the game's program. One copy per user session; it makes the
// windows, reads its command line when the table window first shows, and
// ends when the table window closes (File, Exit; the close box; the host's
// connection closing; SIGINT or SIGTERM; the desktop session ending).
#include <QApplication>
#include <QPixmapCache>

#include <cstdio>
#include <cstring>

#include "app/Automation.h"
#include "app/GameSession.h"
#include "app/PrevInstance.h"
#include "host/qt/QuitSignals.h"
#include "protocol/Commands.h"
#include "kit/QtText.h"
#include "kit/QuietCursor.h"
#include "kit/WindowKit.h"
#include "table/qt/art/Art.h"

namespace {

constexpr const char* kUsage = "usage: zonkards [NAME HOST-ADDRESS true|false]\n"
                               "\n"
                               "  (no arguments)            play a solo game against the computer\n"
                               "  NAME HOST-ADDRESS true    host a game as NAME (HOST-ADDRESS is not used)\n"
                               "  NAME HOST-ADDRESS false   join the game hosted at HOST-ADDRESS as NAME\n"
                               "                            (HOST, HOST:PORT or [IPv6]:PORT)\n"
                               "\n"
                               "Only one copy runs per user session; starting another brings the running\n"
                               "one forward. ZONKARDS_PORT sets the TCP port (default 7772) and\n"
                               "ZONKARDS_DATA_DIR where the settings and the tally are kept.\n"
                               "\n"
                               "  --help      this text\n"
                               "  --version   the version\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("zonkards %s\n", zk::kVersionText.data());
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    QApplication app(argc, argv);
    // Before anything asks where the files live.
    QCoreApplication::setApplicationName(QStringLiteral("Zonkards"));
    QCoreApplication::setApplicationVersion(zk::toQt(zk::kVersionText));
    // The desktop entry's name (Wayland shows its icon) and the title bar's icon.
    QGuiApplication::setDesktopFileName(zk::toQt(zk::kAppId));
    QApplication::setWindowIcon(zk::art::applicationIcon());
    // The table window's close ends the program, not the last window's.
    app.setQuitOnLastWindowClosed(false);
    // Keys and windows as a screen reader needs them.
    zk::keepAltForShortcuts();
    zk::presentWindowsToReaders();
    // An idle table must not wake: the text cursor rests when nobody types.
    zk::QuietCursor quietCursor;
    // Qt's pixmap cache trims itself on a timer that runs while it holds
    // anything; the style's few cached frames are cheaper drawn again than a
    // program that wakes after the player has stopped.
    QPixmapCache::setCacheLimit(0);

    zk::PrevInstance instance;
    if (!instance.claim())
        return 0; // the running copy comes forward; no window was made

    zk::QuitSignals quitSignals;

    zk::GameSession::Options options;
    options.arguments = QCoreApplication::arguments().mid(1);
    options.releaseInstance = [&instance] { instance.release(); };
    options.restoreInstance = [&instance] { instance.reacquire(); };
    zk::GameSession session(std::move(options));
    QObject::connect(&instance, &zk::PrevInstance::comeForwardRequested, &session,
                     &zk::GameSession::comeForward);
    const auto automation = zk::Automation::fromEnvironment(session);

    session.start();
    const int code = app.exec();
    session.finish();
    return code;
}
