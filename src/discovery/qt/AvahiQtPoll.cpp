#include "discovery/qt/AvahiQtPoll.h"

#include <avahi-common/timeval.h>
#include <poll.h>

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <climits>

// Avahi declares the two types and leaves them to the poll's provider.
struct AvahiWatch {
    zk::AvahiQtPoll::Watch* self;
};
struct AvahiTimeout {
    zk::AvahiQtPoll::Timeout* self;
};

namespace zk {

struct AvahiQtPoll::Watch {
    AvahiQtPoll* owner = nullptr;
    AvahiWatch handle{this};
    int fd = -1;
    AvahiWatchEvent wanted{};
    AvahiWatchEvent happened{}; // what the running callback was told
    AvahiWatchCallback callback = nullptr;
    void* userdata = nullptr;
    std::unique_ptr<QSocketNotifier> readable;
    std::unique_ptr<QSocketNotifier> writable;
    int inCallback = 0;
    bool freed = false;

    void apply()
    {
        // Errors and hang-ups come with either direction; a watch for
        // writing alone must not wake on data waiting to be read (the
        // notifier would fire again and again with nothing to tell).
        const bool in = wanted & AVAHI_WATCH_IN;
        const bool out = wanted & AVAHI_WATCH_OUT;
        const bool errorsOnly = !in && !out && (wanted & (AVAHI_WATCH_ERR | AVAHI_WATCH_HUP));
        readable->setEnabled(!freed && (in || errorsOnly));
        writable->setEnabled(!freed && out);
    }

    void activated()
    {
        // What exactly happened: Qt reports errors and hang-ups as readable.
        pollfd p{fd, static_cast<short>(wanted | POLLERR | POLLHUP), 0};
        if (::poll(&p, 1, 0) <= 0)
            return;
        const auto events = static_cast<AvahiWatchEvent>(p.revents & (wanted | POLLERR | POLLHUP));
        if (!events)
            return;
        happened = events;
        ++inCallback;
        callback(&handle, fd, events, userdata);
        --inCallback;
        happened = AvahiWatchEvent{};
        if (freed && inCallback == 0)
            owner->forget(this, Deferred::Yes);
    }
};

struct AvahiQtPoll::Timeout {
    AvahiQtPoll* owner = nullptr;
    AvahiTimeout handle{this};
    AvahiTimeoutCallback callback = nullptr;
    void* userdata = nullptr;
    std::unique_ptr<QTimer> timer = std::make_unique<QTimer>();
    int inCallback = 0;
    bool freed = false;

    void arm(const struct timeval* tv)
    {
        if (!tv) {
            timer->stop();
            return;
        }
        // avahi_age: microseconds since *tv, negative while it lies ahead.
        const AvahiUsec ahead = -avahi_age(tv);
        const long long ms = ahead <= 0 ? 0 : (ahead + 999) / 1000;
        timer->start(static_cast<int>(std::min<long long>(ms, INT_MAX)));
    }

    void fired()
    {
        ++inCallback;
        callback(&handle, userdata);
        --inCallback;
        if (freed && inCallback == 0)
            owner->forget(this, Deferred::Yes);
    }
};

AvahiQtPoll::AvahiQtPoll()
{
    api_.userdata = this;
    api_.watch_new = &AvahiQtPoll::watchNew;
    api_.watch_update = &AvahiQtPoll::watchUpdate;
    api_.watch_get_events = &AvahiQtPoll::watchGetEvents;
    api_.watch_free = &AvahiQtPoll::watchFree;
    api_.timeout_new = &AvahiQtPoll::timeoutNew;
    api_.timeout_update = &AvahiQtPoll::timeoutUpdate;
    api_.timeout_free = &AvahiQtPoll::timeoutFree;
}

AvahiQtPoll::~AvahiQtPoll() = default;

AvahiWatch* AvahiQtPoll::watchNew(const AvahiPoll* api, int fd, AvahiWatchEvent events,
                                  AvahiWatchCallback callback, void* userdata)
{
    auto* self = static_cast<AvahiQtPoll*>(api->userdata);
    auto w = std::make_unique<Watch>();
    w->owner = self;
    w->fd = fd;
    w->wanted = events;
    w->callback = callback;
    w->userdata = userdata;
    Watch* raw = w.get();
    w->readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    w->writable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    QObject::connect(w->readable.get(), &QSocketNotifier::activated, w->readable.get(),
                     [raw] { raw->activated(); });
    QObject::connect(w->writable.get(), &QSocketNotifier::activated, w->writable.get(),
                     [raw] { raw->activated(); });
    w->apply();
    self->watches_.push_back(std::move(w));
    return &raw->handle;
}

void AvahiQtPoll::watchUpdate(AvahiWatch* w, AvahiWatchEvent events)
{
    w->self->wanted = events;
    w->self->apply();
}

AvahiWatchEvent AvahiQtPoll::watchGetEvents(AvahiWatch* w)
{
    return w->self->happened;
}

void AvahiQtPoll::watchFree(AvahiWatch* w)
{
    Watch* self = w->self;
    self->freed = true;
    self->apply();
    if (self->inCallback == 0)
        self->owner->forget(self, Deferred::No);
}

AvahiTimeout* AvahiQtPoll::timeoutNew(const AvahiPoll* api, const struct timeval* tv,
                                      AvahiTimeoutCallback callback, void* userdata)
{
    auto* self = static_cast<AvahiQtPoll*>(api->userdata);
    auto t = std::make_unique<Timeout>();
    t->owner = self;
    t->callback = callback;
    t->userdata = userdata;
    t->timer->setSingleShot(true);
    Timeout* raw = t.get();
    QObject::connect(t->timer.get(), &QTimer::timeout, t->timer.get(), [raw] { raw->fired(); });
    t->arm(tv);
    self->timeouts_.push_back(std::move(t));
    return &raw->handle;
}

void AvahiQtPoll::timeoutUpdate(AvahiTimeout* t, const struct timeval* tv)
{
    t->self->arm(tv);
}

void AvahiQtPoll::timeoutFree(AvahiTimeout* t)
{
    Timeout* self = t->self;
    self->freed = true;
    self->timer->stop();
    if (self->inCallback == 0)
        self->owner->forget(self, Deferred::No);
}

// A notifier or timer that is emitting its signal right now cannot be
// deleted under its own feet: it goes on the next loop turn, disabled.
void AvahiQtPoll::forget(Watch* w, Deferred deferred)
{
    if (deferred == Deferred::Yes) {
        w->readable.release()->deleteLater();
        w->writable.release()->deleteLater();
    }
    std::erase_if(watches_, [w](const auto& p) { return p.get() == w; });
}

void AvahiQtPoll::forget(Timeout* t, Deferred deferred)
{
    if (deferred == Deferred::Yes)
        t->timer.release()->deleteLater();
    std::erase_if(timeouts_, [t](const auto& p) { return p.get() == t; });
}

} // namespace zk
