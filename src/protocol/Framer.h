// Cuts one connection's byte stream into messages at every terminator byte.
//
//     Framer framer;                        // one per connection
//     if (framer.feed(bytes, queue) == Framer::Result::Overflow)
//         closeTheConnection();             // abusive peer
//
// Bytes after the last terminator stay pending until a later read completes
// them, so a message cut across two reads is queued once, whole. Two
// terminators in a row frame an empty message, which means nothing and is not
// queued (a storm of terminators costs no drain steps).
#pragma once

#include <string>
#include <string_view>

#include "protocol/ReceiveQueue.h"

namespace zk {

class Framer {
public:
    enum class Result {
        Ok,
        // The pending text without a terminator has grown past
        // kMaxPendingBytes; the owner should close the connection.
        Overflow,
    };

    explicit Framer(int origin = 0) : origin_(origin) {}

    // Appends bytes and moves every complete message into the queue, tagged
    // with this framer's origin.
    Result feed(std::string_view bytes, ReceiveQueue& queue);

    const std::string& pending() const { return pending_; }
    int origin() const { return origin_; }

private:
    int origin_;
    std::string pending_;
};

} // namespace zk
