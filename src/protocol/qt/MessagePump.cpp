#include "protocol/qt/MessagePump.h"

#include <QPointer>
#include <QtGlobal>

#include <exception>
#include <optional>

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
        if (handler_) {
            // An exception must not unwind through Qt's event loop (that ends
            // the program); the message has left the queue either way.
            QPointer<MessagePump> self(this);
            std::optional<std::string> failure;
            try {
                auto handler = handler_; // the handler may replace itself
                handler(m);
            } catch (const std::exception& e) {
                failure = e.what();
            } catch (...) {
                failure = "unknown exception";
            }
            if (!self)
                return; // the handler let the pump go
            if (failure) {
                if (onError_)
                    onError_(*failure);
                else
                    qWarning("zonkards: message handler failed: %s", failure->c_str());
            }
        }
    }
    if (queue_.empty())
        timer_.stop();
}

} // namespace zk
