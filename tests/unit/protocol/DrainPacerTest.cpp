// The drain's pace with stepped time, for the host (10 ms) and a table (1 ms).
#include <gtest/gtest.h>

#include "game/Timing.h"
#include "protocol/DrainPacer.h"

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

} // namespace
} // namespace zk::test
