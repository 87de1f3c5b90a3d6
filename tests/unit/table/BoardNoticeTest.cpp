// The Board's "changed" notice: who is told, in which order, and for how long.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "table/BoardNotice.h"

namespace zk::test {
namespace {

TEST(BoardNotice, ListenersAreToldInTheOrderTheyBeganUntilTheyStop)
{
    BoardNotice notice;
    std::string told;
    BoardNotice::Listening chat = notice.listen([&] { told += "c"; });
    auto start = std::make_unique<BoardNotice::Listening>(notice.listen([&] { told += "s"; }));
    BoardNotice::Listening moved = notice.listen([&] { told += "p"; });
    BoardNotice::Listening spies = std::move(moved);
    notice.changed();
    start.reset(); // a window that goes stops listening
    notice.changed();
    EXPECT_EQ(told, "cspcp");
}

TEST(BoardNotice, AListenerMayStopAnotherWhileBothAreTold)
{
    BoardNotice notice;
    std::string told;
    BoardNotice::Listening second;
    BoardNotice::Listening first = notice.listen([&] {
        told += "1";
        second.stop();
    });
    second = notice.listen([&] { told += "2"; });
    notice.changed();
    EXPECT_EQ(told, "1");
}

} // namespace
} // namespace zk::test
