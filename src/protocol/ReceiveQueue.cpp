#include "protocol/ReceiveQueue.h"

#include <algorithm>

#include "protocol/Commands.h"

namespace zk {

void ReceiveQueue::push(QueuedMessage message)
{
    if (message.text.size() > kMaxMessageLength)
        message.text.resize(kMaxMessageLength);
    std::deque<std::string>& own = bySender_[message.origin];
    if (own.empty())
        turns_.push_back(message.origin); // a sender that starts waiting takes the last turn
    own.push_back(std::move(message.text));
    ++size_;
}

QueuedMessage ReceiveQueue::take()
{
    if (turns_.empty())
        return {};
    const int origin = turns_.front();
    turns_.pop_front();
    auto it = bySender_.find(origin);
    QueuedMessage m{origin, std::move(it->second.front())};
    it->second.pop_front();
    --size_;
    if (it->second.empty())
        bySender_.erase(it);
    else
        turns_.push_back(origin);
    return m;
}

void ReceiveQueue::discard(int origin)
{
    auto it = bySender_.find(origin);
    if (it == bySender_.end())
        return;
    size_ -= it->second.size();
    bySender_.erase(it);
    turns_.erase(std::remove(turns_.begin(), turns_.end(), origin), turns_.end());
}

std::size_t ReceiveQueue::waiting(int origin) const
{
    auto it = bySender_.find(origin);
    return it == bySender_.end() ? 0 : it->second.size();
}

} // namespace zk
