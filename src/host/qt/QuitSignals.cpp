#include "host/qt/QuitSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#if !defined(_WIN32)
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zk {

#if !defined(_WIN32)
namespace {

int gPipe[2] = {-1, -1};

extern "C" void onQuitSignal(int)
{
    const char byte = 1;
    // Async-signal-safe; a full pipe already holds a pending quit.
    [[maybe_unused]] const auto n = ::write(gPipe[1], &byte, 1);
}

} // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent)
{
    if (gPipe[0] >= 0)
        return; // one watcher per process
    if (::pipe(gPipe) != 0)
        return;
    for (int fd : gPipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [] {
        char buf[16];
        while (::read(gPipe[0], buf, sizeof buf) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction sa {};
    sa.sa_handler = onQuitSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ok_ = ::sigaction(SIGINT, &sa, nullptr) == 0 && ::sigaction(SIGTERM, &sa, nullptr) == 0;
}

QuitSignals::~QuitSignals()
{
    if (!notifier_)
        return;
    struct sigaction sa {};
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    delete notifier_;
    notifier_ = nullptr;
    ::close(gPipe[0]);
    ::close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

#else

// Windows has no such signals for a console program's event loop here; the
// host there ends with its console window.
QuitSignals::QuitSignals(QObject* parent) : QObject(parent), ok_(true)
{
}
QuitSignals::~QuitSignals() = default;

#endif

} // namespace zk
