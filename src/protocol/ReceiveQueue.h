// The receive queue of one role (the host's shared by all its connections,
// each table's its own): received messages handed out one at a time by the
// drain step, in arrival order within each sender and round-robin across
// senders. When several connections have messages waiting, each in turn
// gets one, so a connection that floods delays another's request by at most
// one drain interval per busy connection; with one sender (a table, or a
// host with one busy connection) the order is plain arrival order.
//
//     queue.push({id, text});      // the framer of connection id
//     queue.waiting(id);           // its messages not yet handed out
//     QueuedMessage m = queue.take();
//     queue.discard(id);           // the connection has gone
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>

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
    // Removes and returns the next message: the oldest of the sender whose
    // turn it is. An empty one if there is none.
    QueuedMessage take();
    // Drops every message of a sender.
    void discard(int origin);
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }
    std::size_t waiting(int origin) const;

private:
    std::unordered_map<int, std::deque<std::string>> bySender_;
    std::deque<int> turns_; // senders with messages waiting, next first
    std::size_t size_ = 0;
};

} // namespace zk
