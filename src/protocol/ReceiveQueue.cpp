#include "protocol/ReceiveQueue.h"

#include "protocol/Commands.h"

namespace zk {

void ReceiveQueue::push(QueuedMessage message)
{
    if (message.text.size() > kMaxMessageLength)
        message.text.resize(kMaxMessageLength);
    items_.push_back(std::move(message));
}

QueuedMessage ReceiveQueue::take()
{
    if (items_.empty())
        return {};
    QueuedMessage m = std::move(items_.front());
    items_.pop_front();
    return m;
}

} // namespace zk
