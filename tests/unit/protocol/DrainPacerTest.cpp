// The drain's pace with stepped time, for the host (10 ms) and a table (1 ms),
// and the order in which the host's queue hands out its connections' messages.
#include <gtest/gtest.h>

#include "game/Timing.h"
#include "protocol/DrainPacer.h"
#include "protocol/ReceiveQueue.h"

#include <map>
#include <string>
#include <vector>

namespace zk::test {
namespace {

using Ms = DrainPacer::Ms;

TEST(DrainPacer, AnIdleDrainHandlesAtOnceABurstGoesOnePerIntervalAndALateOneWaitsTheRest)
{
    for (const int interval : {kHostDrainIntervalMs, kTableDrainIntervalMs}) {
        SCOPED_TRACE(interval);
        const Ms step(interval);
        DrainPacer pacer(step);
        Ms now(5000);
        EXPECT_EQ(pacer.wait(now), Ms(0)) << "the first message ever goes at once";

        // Three messages in one read: at now, now + 1 interval, now + 2.
        std::vector<Ms> handledAt;
        for (int i = 0; i < 3; ++i) {
            now += pacer.wait(now);
            handledAt.push_back(now);
            pacer.handled(now);
        }
        EXPECT_EQ(handledAt, (std::vector<Ms>{Ms(5000), Ms(5000) + step, Ms(5000) + 2 * step}));

        // Idle for a whole interval: the next one goes at once again.
        now += step;
        EXPECT_EQ(pacer.wait(now), Ms(0));
        pacer.handled(now);
        // One that arrives 40% of an interval after the last waits the rest.
        if (interval == kHostDrainIntervalMs) {
            EXPECT_EQ(pacer.wait(now + Ms(4)), Ms(6));
        }
        EXPECT_EQ(pacer.wait(now + step / 2), step - step / 2);
    }
}

// Drains the queue at the host's pace from t = 0 until it is empty: when
// (in ms) each message of each sender was handled, in handling order.
std::map<int, std::vector<int>> drain(ReceiveQueue& queue, std::vector<std::string>* texts = nullptr)
{
    DrainPacer pacer{Ms(kHostDrainIntervalMs)};
    Ms now(0);
    std::map<int, std::vector<int>> at;
    while (!queue.empty()) {
        now += pacer.wait(now);
        const QueuedMessage m = queue.take();
        pacer.handled(now);
        at[m.origin].push_back(static_cast<int>(now.count()));
        if (texts)
            texts->push_back(std::to_string(m.origin) + ":" + m.text);
    }
    return at;
}

TEST(FairDrain, AnHonestRequestWaitsOneIntervalPerBusyConnectionAndKeepsItsOrder)
{
    // hogs: connections that each queued 60 messages before the honest one's.
    for (const int hogs : {1, 3, 7}) {
        SCOPED_TRACE(hogs);
        ReceiveQueue queue;
        for (int h = 1; h <= hogs; ++h) {
            for (int i = 0; i < 60; ++i)
                queue.push({h, "CMD_chat+x"});
        }
        for (const char* text : {"roll", "chat", "phrase"})
            queue.push({100, text});
        std::vector<std::string> order;
        const auto at = drain(queue, &order);
        // Every hog has had one turn before the honest request, none more.
        EXPECT_EQ(at.at(100).front(), hogs * kHostDrainIntervalMs);
        // The honest burst keeps its order, one turn per round of the others.
        std::vector<std::string> honest;
        for (const std::string& t : order) {
            if (t.rfind("100:", 0) == 0)
                honest.push_back(t);
        }
        EXPECT_EQ(honest, (std::vector<std::string>{"100:roll", "100:chat", "100:phrase"}));
        EXPECT_EQ(at.at(100).back() - at.at(100).front(), 2 * (hogs + 1) * kHostDrainIntervalMs);
    }

    // One sender alone: plain arrival order, as before; a discarded sender's
    // messages are gone and the others' stay.
    ReceiveQueue queue;
    for (int i = 0; i < 5; ++i)
        queue.push({7, std::to_string(i)});
    queue.push({8, "gone"});
    EXPECT_EQ(queue.waiting(7), 5u);
    queue.discard(8);
    std::vector<std::string> order;
    drain(queue, &order);
    EXPECT_EQ(order, (std::vector<std::string>{"7:0", "7:1", "7:2", "7:3", "7:4"}));
}

} // namespace
} // namespace zk::test
