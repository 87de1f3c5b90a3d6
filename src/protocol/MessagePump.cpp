#include "MessagePump.h"

namespace zk {

MessagePump::MessagePump(int intervalMs, Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler))
{
    timer_.setInterval(intervalMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &MessagePump::tick);
}

void MessagePump::wake()
{
    if (!queue_.empty() && !timer_.isActive())
        timer_.start();
}

void MessagePump::tick()
{
    if (!queue_.empty()) {
        QueuedMessage m = queue_.take(); // removed before handling: a failing
                                         // handler never blocks the queue
        if (handler_)
            handler_(m);
    }
    if (queue_.empty())
        timer_.stop();
}

} // namespace zk
