// The drain step: a receive queue worked off one message per tick of a timer
// that runs only while the queue holds something, so an idle program never
// wakes up. While busy the pace is exactly one message per interval, in
// arrival order.
//
//     MessagePump pump(kHostDrainIntervalMs, [&](const QueuedMessage& m) { dispatch(m); });
//     framer.feed(bytes, pump.queue());
//     pump.wake();                       // after feeding
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

#include "protocol/ReceiveQueue.h"

namespace zk {

class MessagePump : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const QueuedMessage&)>;
    // Told about an exception that escaped the handler (its what() text).
    using ErrorHandler = std::function<void(const std::string& what)>;

    MessagePump(int intervalMs, Handler handler, QObject* parent = nullptr);

    ReceiveQueue& queue() { return queue_; }
    // Starts the timer if the queue holds something and it is not running.
    void wake();
    // One drain step: takes the oldest message and hands it to the handler;
    // stops the timer once the queue is empty. Tests call it directly.
    // An exception thrown by the handler does not leave the tick: it goes to
    // the error handler (or the log), and the next message is handled on the
    // next tick as usual.
    void tick();
    void setErrorHandler(ErrorHandler onError) { onError_ = std::move(onError); }
    bool active() const { return timer_.isActive(); }

private:
    ReceiveQueue queue_;
    QTimer timer_;
    Handler handler_;
    ErrorHandler onError_;
};

} // namespace zk
