// The poll adapter on a real event loop and real descriptors (a socket
// pair): what Avahi is told, and the frees it does from inside callbacks.
#include <gtest/gtest.h>

#include <avahi-common/timeval.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include "discovery/qt/AvahiQtPoll.h"

namespace zk {
namespace {

struct SocketPair {
    int fd[2] = {-1, -1};
    SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fd), 0); }
    ~SocketPair()
    {
        for (int f : fd) {
            if (f >= 0)
                ::close(f);
        }
    }
};

struct Seen {
    std::vector<int> events;
    std::vector<int> reportedByGetEvents;
    const AvahiPoll* api = nullptr;
    bool freeInside = false;
    bool stopOut = false;
};

void onWatch(AvahiWatch* w, int fd, AvahiWatchEvent event, void* userdata)
{
    auto* seen = static_cast<Seen*>(userdata);
    seen->events.push_back(event);
    seen->reportedByGetEvents.push_back(seen->api->watch_get_events(w));
    if (event & AVAHI_WATCH_IN) {
        char buffer[64];
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
    }
    if (seen->stopOut)
        seen->api->watch_update(w, AVAHI_WATCH_IN);
    if (seen->freeInside)
        seen->api->watch_free(w);
}

void spin(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(AvahiQtPoll, WatchesReportWhatHappenedAndFollowTheirUpdates)
{
    AvahiQtPoll poll;
    SocketPair s;
    Seen seen;
    seen.api = poll.api();
    AvahiWatch* w = poll.api()->watch_new(poll.api(), s.fd[0], AVAHI_WATCH_IN, onWatch, &seen);
    spin(30);
    EXPECT_TRUE(seen.events.empty()) << "nothing to read yet";

    ASSERT_EQ(::write(s.fd[1], "x", 1), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !seen.events.empty(); }, 2000));
    EXPECT_EQ(seen.events[0], AVAHI_WATCH_IN);
    EXPECT_EQ(seen.reportedByGetEvents[0], AVAHI_WATCH_IN) << "watch_get_events inside the callback";

    // Writable at once; the callback takes OUT away again: one report only.
    seen.events.clear();
    seen.stopOut = true;
    poll.api()->watch_update(w, static_cast<AvahiWatchEvent>(AVAHI_WATCH_IN | AVAHI_WATCH_OUT));
    spin(50);
    EXPECT_EQ(seen.events, std::vector<int>{AVAHI_WATCH_OUT});

    // The peer hangs up: reported as such, not as plain input.
    seen.events.clear();
    seen.stopOut = false;
    ::close(s.fd[1]);
    s.fd[1] = -1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !seen.events.empty(); }, 2000));
    EXPECT_TRUE(seen.events[0] & AVAHI_WATCH_HUP) << seen.events[0];

    // Freed from inside its own callback: no further calls, nothing left.
    seen.freeInside = true;
    const std::size_t calls = seen.events.size();
    spin(50);
    EXPECT_EQ(seen.events.size(), calls + 1);
    EXPECT_EQ(poll.watches(), 0u);
}

struct Fired {
    int count = 0;
    const AvahiPoll* api = nullptr;
    bool freeInside = false;
    bool rearm = false;
};

void onTimeout(AvahiTimeout* t, void* userdata)
{
    auto* fired = static_cast<Fired*>(userdata);
    ++fired->count;
    if (fired->rearm) {
        fired->rearm = false;
        timeval soon{};
        fired->api->timeout_update(t, avahi_elapse_time(&soon, 10, 0));
    }
    if (fired->freeInside)
        fired->api->timeout_free(t);
}

TEST(AvahiQtPoll, TimeoutsFireOnceAtTheirTimeAndMayBeFreedFromInside)
{
    AvahiQtPoll poll;
    Fired past, later, never, selfFreeing;
    for (Fired* f : {&past, &later, &never, &selfFreeing})
        f->api = poll.api();

    timeval t{};
    gettimeofday(&t, nullptr);
    t.tv_sec -= 5; // already past: fires on the next loop turn
    poll.api()->timeout_new(poll.api(), &t, onTimeout, &past);
    timeval soon{};
    later.rearm = true; // fires, then arms itself once more
    poll.api()->timeout_new(poll.api(), avahi_elapse_time(&soon, 20, 0), onTimeout, &later);
    AvahiTimeout* off = poll.api()->timeout_new(poll.api(), nullptr, onTimeout, &never);
    selfFreeing.freeInside = true;
    poll.api()->timeout_new(poll.api(), avahi_elapse_time(&soon, 5, 0), onTimeout, &selfFreeing);
    EXPECT_EQ(poll.timeouts(), 4u);

    QCoreApplication::processEvents();
    EXPECT_EQ(past.count, 1);
    spin(150);
    EXPECT_EQ(past.count, 1) << "single shot";
    EXPECT_EQ(later.count, 2);
    EXPECT_EQ(never.count, 0);
    EXPECT_EQ(selfFreeing.count, 1);
    EXPECT_EQ(poll.timeouts(), 3u);

    // Armed, then disabled before its time.
    poll.api()->timeout_update(off, avahi_elapse_time(&soon, 10, 0));
    poll.api()->timeout_update(off, nullptr);
    spin(60);
    EXPECT_EQ(never.count, 0);
    poll.api()->timeout_free(off);
    EXPECT_EQ(poll.timeouts(), 2u); // the rest go with the poll
}

} // namespace
} // namespace zk
