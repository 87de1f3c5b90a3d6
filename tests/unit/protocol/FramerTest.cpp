// Cutting byte streams into messages and queueing them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/Commands.h"
#include "protocol/Framer.h"
#include "protocol/ReceiveQueue.h"

namespace zk::test {
namespace {

using namespace std::string_literals;

std::vector<std::string> drain(ReceiveQueue& q)
{
    std::vector<std::string> out;
    while (!q.empty())
        out.push_back(q.take().text);
    return out;
}

TEST(Framer, ThreeMessagesInOneRead)
{
    Framer f;
    ReceiveQueue q;
    EXPECT_EQ(f.feed("CMD_nextplayer+1+1+1+2+3+4+5+6\xFF"
                     "CMD_chat+Bob chats: hi|clRed\xFF"
                     "CMD_needcat+1+\xFF"s,
                     q),
              Framer::Result::Ok);
    EXPECT_EQ(drain(q), (std::vector<std::string>{"CMD_nextplayer+1+1+1+2+3+4+5+6",
                                                  "CMD_chat+Bob chats: hi|clRed", "CMD_needcat+1+"}));
    EXPECT_EQ(f.pending(), "");
}

TEST(Framer, MessageSplitAcrossReadsIsQueuedOnceWhole)
{
    const std::string stream = "CMD_createdice+2+1+1+4+2+2+3+6+4+1+5+5\xFF"
                               "CMD_selectedcat+2+3+\xFF"s;
    // Every way of cutting the stream in two gives the same messages.
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        Framer f;
        ReceiveQueue q;
        f.feed(stream.substr(0, cut), q);
        const std::size_t before = q.size();
        f.feed(stream.substr(cut), q);
        EXPECT_EQ(drain(q), (std::vector<std::string>{"CMD_createdice+2+1+1+4+2+2+3+6+4+1+5+5",
                                                      "CMD_selectedcat+2+3+"}))
            << "cut at " << cut;
        EXPECT_LE(before, 2u);
    }
    // And byte by byte: nothing is queued before its terminator.
    Framer f;
    ReceiveQueue q;
    const std::string one = "CMD_chat+2+a+b|clRed\xFF"s;
    for (std::size_t i = 0; i + 1 < one.size(); ++i) {
        f.feed(one.substr(i, 1), q);
        ASSERT_TRUE(q.empty());
    }
    f.feed(one.substr(one.size() - 1), q);
    EXPECT_EQ(drain(q), std::vector<std::string>{"CMD_chat+2+a+b|clRed"});
}

TEST(Framer, EmptyMessagesAreNotQueued)
{
    Framer f;
    ReceiveQueue q;
    f.feed("\xFF"
           "CMD_logininfo+3+1.0.2+Bob\xFF\xFF\xFF"
           "CMD_chat+3+x|clRed\xFF"s +
               std::string(10000, '\xFF'),
           q);
    EXPECT_EQ(drain(q), (std::vector<std::string>{"CMD_logininfo+3+1.0.2+Bob", "CMD_chat+3+x|clRed"}));
}

TEST(Framer, ConnectionsNeverMix)
{
    Framer a(1), b(2);
    ReceiveQueue q;
    a.feed("CMD_chat+1+from ", q);
    b.feed("CMD_chat+2+from ", q);
    a.feed("one\xFF"s, q);
    b.feed("two\xFF"s, q);
    ASSERT_EQ(q.size(), 2u);
    QueuedMessage m1 = q.take();
    QueuedMessage m2 = q.take();
    EXPECT_EQ(m1.origin, 1);
    EXPECT_EQ(m1.text, "CMD_chat+1+from one");
    EXPECT_EQ(m2.origin, 2);
    EXPECT_EQ(m2.text, "CMD_chat+2+from two");
}

TEST(Framer, LongMessagesAreCutAt4096Characters)
{
    Framer f;
    ReceiveQueue q;
    std::string longText = "CMD_chat+1+";
    while (longText.size() < 5000)
        longText += static_cast<char>('a' + longText.size() % 26);
    // Arrives in pieces, as over a socket.
    f.feed(longText.substr(0, 1000), q);
    f.feed(longText.substr(1000) + "\xFF" + "CMD_needcat+1+" + "\xFF", q);
    auto got = drain(q);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].size(), kMaxMessageLength);
    EXPECT_EQ(got[0], longText.substr(0, kMaxMessageLength));
    EXPECT_EQ(got[1], "CMD_needcat+1+"); // the message behind it is intact

    q.push({0, std::string(kMaxMessageLength, 'x')});
    EXPECT_EQ(q.take().text.size(), kMaxMessageLength);
}

TEST(Framer, PendingTextWithoutTerminatorIsBounded)
{
    Framer f;
    ReceiveQueue q;
    const std::string chunk(kMaxReadChunk, 'z');
    EXPECT_EQ(f.feed(chunk, q), Framer::Result::Ok);
    EXPECT_EQ(f.feed(chunk, q), Framer::Result::Ok); // exactly at the limit
    EXPECT_EQ(f.pending().size(), kMaxPendingBytes);
    EXPECT_EQ(f.feed("z", q), Framer::Result::Overflow);
    EXPECT_TRUE(f.pending().empty()); // the memory is given back
    EXPECT_TRUE(q.empty());

    // Complete messages before the abusive tail are still queued.
    Framer g;
    EXPECT_EQ(g.feed("CMD_needcat+1+\xFF"s + std::string(kMaxPendingBytes + 1, 'q'), q),
              Framer::Result::Overflow);
    EXPECT_EQ(drain(q), std::vector<std::string>{"CMD_needcat+1+"});

    // A long message that does end in time is not abuse.
    Framer h;
    EXPECT_EQ(h.feed(std::string(kMaxPendingBytes - 10, 'w'), q), Framer::Result::Ok);
    EXPECT_EQ(h.feed("end\xFF"s, q), Framer::Result::Ok);
    EXPECT_EQ(q.take().text.size(), kMaxMessageLength);
}

TEST(ReceiveQueue, FirstInFirstOut)
{
    ReceiveQueue q;
    EXPECT_TRUE(q.empty());
    QueuedMessage none = q.take();
    EXPECT_EQ(none.origin, 0);
    EXPECT_EQ(none.text, "");
    q.push({3, "a"});
    q.push({1, "b"});
    q.push({3, "c"});
    EXPECT_EQ(q.size(), 3u);
    EXPECT_EQ(q.take().text, "a");
    QueuedMessage b = q.take();
    EXPECT_EQ(b.origin, 1);
    EXPECT_EQ(b.text, "b");
    EXPECT_EQ(q.take().text, "c");
    EXPECT_TRUE(q.empty());
}

} // namespace
} // namespace zk::test
