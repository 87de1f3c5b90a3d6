// AvahiQtPoll: Avahi's poll API (watches on file descriptors, timeouts at
// absolute times) on the Qt event loop of the thread that makes it, so
// libavahi-client runs without a loop of its own.
//
//     AvahiQtPoll poll;                    // in the thread that will run avahi
//     AvahiClient* c = avahi_client_new(poll.api(), AVAHI_CLIENT_NO_FAIL, cb, me, &error);
//
// A watch has one QSocketNotifier per direction, made once and enabled or
// disabled as the events wanted change. When one fires, the descriptor is
// polled once without waiting so the callback gets exactly what happened
// (also an error or a hang-up, which Qt reports as readable). A timeout is
// a single-shot QTimer; a time already past fires on the next loop turn.
// Freeing a watch or a timeout from inside its own callback is allowed
// (Avahi does it): the object is only marked and goes once the callback
// has returned (its notifier or timer is deleted on the next loop turn).
// Every watch and timeout still alive goes with the poll.
#pragma once

#include <avahi-common/watch.h>

#include <QObject>

#include <memory>
#include <vector>

namespace zk {

class AvahiQtPoll {
public:
    AvahiQtPoll();
    ~AvahiQtPoll();
    AvahiQtPoll(const AvahiQtPoll&) = delete;
    AvahiQtPoll& operator=(const AvahiQtPoll&) = delete;

    const AvahiPoll* api() const { return &api_; }
    // Watches and timeouts alive now (for tests).
    std::size_t watches() const { return watches_.size(); }
    std::size_t timeouts() const { return timeouts_.size(); }

    // The parts Avahi holds pointers to; public for the C callbacks only.
    struct Watch;
    struct Timeout;

private:
    static AvahiWatch* watchNew(const AvahiPoll* api, int fd, AvahiWatchEvent events,
                                AvahiWatchCallback callback, void* userdata);
    static void watchUpdate(AvahiWatch* w, AvahiWatchEvent events);
    static AvahiWatchEvent watchGetEvents(AvahiWatch* w);
    static void watchFree(AvahiWatch* w);
    static AvahiTimeout* timeoutNew(const AvahiPoll* api, const struct timeval* tv,
                                    AvahiTimeoutCallback callback, void* userdata);
    static void timeoutUpdate(AvahiTimeout* t, const struct timeval* tv);
    static void timeoutFree(AvahiTimeout* t);

    enum class Deferred { No, Yes };
    void forget(Watch* w, Deferred deferred);
    void forget(Timeout* t, Deferred deferred);

    AvahiPoll api_{};
    std::vector<std::unique_ptr<Watch>> watches_;
    std::vector<std::unique_ptr<Timeout>> timeouts_;
};

} // namespace zk
