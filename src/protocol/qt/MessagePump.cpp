#include "protocol/qt/MessagePump.h"

#include <QPointer>
#include <QtGlobal>

#include <exception>
#include <optional>

namespace zk {

MessagePump::MessagePump(int intervalMs, Handler handler, QObject* parent, Clock clock)
    : QObject(parent), pacer_(DrainPacer::Ms(intervalMs)), clock_(std::move(clock)),
      handler_(std::move(handler))
{
    if (!clock_) {
        clock_ = [] {
            return std::chrono::duration_cast<DrainPacer::Ms>(
                std::chrono::steady_clock::now().time_since_epoch());
        };
    }
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &MessagePump::tick);
}

void MessagePump::arm()
{
    timer_.start(static_cast<int>(pacer_.wait(clock_()).count()));
}

void MessagePump::wake()
{
    if (!queue_.empty() && !timer_.isActive())
        arm();
}

void MessagePump::tick()
{
    timer_.stop();
    if (!queue_.empty()) {
        pacer_.handled(clock_());
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
    if (!queue_.empty() && !timer_.isActive())
        arm();
}

} // namespace zk
