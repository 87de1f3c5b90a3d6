// DrainPacer: when the drain step may hand out the next received message.
// At most one message per interval, measured from the last message handled:
// a message that arrives after the drain has been idle for an interval goes
// at once, a burst goes one per interval in arrival order, and a message that
// arrives 4 ms after the last one (interval 10 ms) waits the remaining 6 ms.
// Time is an input, so the rule is tested with stepped time.
//
//     DrainPacer pacer(std::chrono::milliseconds(kHostDrainIntervalMs));
//     if (pacer.wait(now) == 0ms) { handle(queue.take()); pacer.handled(now); }
#pragma once

#include <chrono>
#include <optional>

namespace zk {

class DrainPacer {
public:
    using Ms = std::chrono::milliseconds;

    explicit DrainPacer(Ms interval) : interval_(interval) {}

    // How long from now until the next message may be handled; 0 at once.
    Ms wait(Ms now) const
    {
        if (!last_)
            return Ms(0);
        const Ms due = *last_ + interval_;
        return due > now ? due - now : Ms(0);
    }
    // A message was handled now.
    void handled(Ms now) { last_ = now; }
    Ms interval() const { return interval_; }

private:
    Ms interval_;
    std::optional<Ms> last_;
};

} // namespace zk
