// The receive queue of one role (the host's shared by all its connections,
// each table's its own): received messages in arrival order, handed out one
// at a time by the drain step.
#pragma once

#include <deque>
#include <string>

namespace zk {

struct QueuedMessage {
    // Who sent it: the host's connection id; 0 on a table.
    int origin = 0;
    // The message without its terminator, at most kMaxMessageLength bytes.
    std::string text;
};

class ReceiveQueue {
public:
    // Adds a message; the part beyond kMaxMessageLength is dropped.
    void push(QueuedMessage message);
    // Removes and returns the oldest message; an empty one if there is none.
    QueuedMessage take();
    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }

private:
    std::deque<QueuedMessage> items_;
};

} // namespace zk
