// The drain step: one message per tick, in order, asleep while idle.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "SockTestSupport.h"
#include "game/Timing.h"
#include "protocol/Commands.h"
#include "protocol/Framer.h"
#include "protocol/qt/MessagePump.h"
#include "protocol/qt/TSock.h"

namespace zk::test {
namespace {

using namespace std::string_literals;
using test::spinFor;
using test::spinUntil;

// What the handler saw: the message and how many were still queued.
using Seen = std::vector<std::pair<std::string, std::size_t>>;

TEST(MessagePump, OneMessagePerTickInArrivalOrder)
{
    Seen seen;
    MessagePump* self = nullptr;
    MessagePump pump(kTableDrainIntervalMs,
                     [&](const QueuedMessage& m) { seen.emplace_back(m.text, self->queue().size()); });
    self = &pump;
    Framer framer;
    framer.feed("CMD_a+\xFF\xFF"
                "CMD_b+\xFF"s,
                pump.queue());
    ASSERT_EQ(pump.queue().size(), 2u); // the empty message between is not queued

    pump.tick();
    EXPECT_EQ(seen, (Seen{{"CMD_a+", 1}}));
    pump.tick();
    EXPECT_EQ(seen, (Seen{{"CMD_a+", 1}, {"CMD_b+", 0}}));
    pump.tick(); // nothing left: nothing happens
    EXPECT_EQ(seen.size(), 2u);
}

TEST(MessagePump, TimerRunsOnlyWhileTheQueueHoldsSomething)
{
    Seen seen;
    MessagePump* self = nullptr;
    MessagePump pump(kHostDrainIntervalMs,
                     [&](const QueuedMessage& m) { seen.emplace_back(m.text, self->queue().size()); });
    self = &pump;
    EXPECT_FALSE(pump.active());
    pump.wake();
    EXPECT_FALSE(pump.active()); // nothing to do: stays asleep

    Framer framer;
    framer.feed("CMD_one+\xFF"
                "CMD_two+\xFF"
                "CMD_three+\xFF"s,
                pump.queue());
    pump.wake();
    EXPECT_TRUE(pump.active());
    ASSERT_TRUE(spinUntil([&] { return seen.size() == 3; }));
    EXPECT_EQ(seen, (Seen{{"CMD_one+", 2}, {"CMD_two+", 1}, {"CMD_three+", 0}}));
    EXPECT_FALSE(pump.active());
    spinFor(50);
    EXPECT_EQ(seen.size(), 3u);

    framer.feed("CMD_four+\xFF"s, pump.queue());
    pump.wake();
    EXPECT_TRUE(pump.active());
    ASSERT_TRUE(spinUntil([&] { return seen.size() == 4; }));
    EXPECT_FALSE(pump.active());
}

TEST(MessagePump, AThrowingHandlerNeitherStopsNorBlocksTheQueue)
{
    std::vector<std::string> handled;
    std::vector<std::string> errors;
    MessagePump pump(kTableDrainIntervalMs, [&](const QueuedMessage& m) {
        handled.push_back(m.text);
        if (m.text == "CMD_bad+")
            throw std::runtime_error("bad message");
    });
    pump.setErrorHandler([&](const std::string& what) { errors.push_back(what); });
    pump.queue().push({0, "CMD_bad+"});
    pump.queue().push({0, "CMD_good+"});
    pump.wake();
    ASSERT_TRUE(spinUntil([&] { return handled.size() == 2; }));
    EXPECT_EQ(handled, (std::vector<std::string>{"CMD_bad+", "CMD_good+"}));
    EXPECT_EQ(errors, std::vector<std::string>{"bad message"});
    EXPECT_FALSE(pump.active());
}

TEST(MessagePump, ThreeMessagesInOneReadAreHandledOnThreeTicks)
{
    Seen seen;
    MessagePump* self = nullptr;
    MessagePump pump(kHostDrainIntervalMs,
                     [&](const QueuedMessage& m) { seen.emplace_back(m.text, self->queue().size()); });
    self = &pump;

    TSock listener;
    listener.portName = "0";
    std::unique_ptr<TSock> conn;
    Framer framer(1);
    listener.onAccept = [&](TSock& l) { conn = l.accept(); };
    listener.onRead = [&](TSock& s, std::size_t) {
        framer.feed(s.receive(), pump.queue());
        pump.wake();
    };
    listener.setListen(true);
    TSock client;
    client.hostName = "127.0.0.1";
    client.portName = std::to_string(listener.listeningPort());
    client.open();
    ASSERT_TRUE(spinUntil([&] { return client.connected() && conn; }));
    client.send("CMD_rollthedice+1+1+2+3+4+5\xFF"
                "CMD_selectcat+1+6+\xFF"
                "CMD_rollthedice+1+2+4\xFF"s);
    ASSERT_TRUE(spinUntil([&] { return seen.size() == 3; }));
    EXPECT_EQ(
        seen,
        (Seen{{"CMD_rollthedice+1+1+2+3+4+5", 2}, {"CMD_selectcat+1+6+", 1}, {"CMD_rollthedice+1+2+4", 0}}));
    EXPECT_FALSE(pump.active());
}

} // namespace
} // namespace zk::test
