// The drain step: a receive queue worked off one message at a time, paced
// by DrainPacer: at most one message per interval from the last one handled,
// so a message that finds the drain idle is handled at once (on the next
// turn of the event loop) and a burst is spread one per interval, in arrival
// order. Its single-shot timer runs only while the queue holds something, so
// an idle program never wakes up.
//
//     MessagePump pump(kHostDrainIntervalMs, [&](const QueuedMessage& m) { dispatch(m); });
//     framer.feed(bytes, pump.queue());
//     pump.wake();                       // after feeding
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

#include "protocol/DrainPacer.h"
#include "protocol/ReceiveQueue.h"

namespace zk {

class MessagePump : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const QueuedMessage&)>;
    // Told about an exception that escaped the handler (its what() text).
    using ErrorHandler = std::function<void(const std::string& what)>;

    // A monotonic clock (its origin does not matter); the steady clock by default.
    using Clock = std::function<DrainPacer::Ms()>;

    MessagePump(int intervalMs, Handler handler, QObject* parent = nullptr, Clock clock = {});

    ReceiveQueue& queue() { return queue_; }
    // Arms the timer for the next message's turn if the queue holds
    // something and it is not armed: at once after an idle interval.
    void wake();
    // One drain step: takes the oldest message and hands it to the handler;
    // arms the timer one interval on while more wait. Tests call it directly.
    // An exception thrown by the handler does not leave the tick: it goes to
    // the error handler (or the log), and the next message is handled on the
    // next tick as usual.
    void tick();
    void setErrorHandler(ErrorHandler onError) { onError_ = std::move(onError); }
    bool active() const { return timer_.isActive(); }

private:
    void arm();

    ReceiveQueue queue_;
    DrainPacer pacer_;
    Clock clock_;
    QTimer timer_;
    Handler handler_;
    ErrorHandler onError_;
};

} // namespace zk
