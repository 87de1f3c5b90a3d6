// The zonkards-coordinator program from outside, at the level of its TLS
// connections: what is not TLS is closed and costs it nothing; a relayed
// stream far larger than the relay's backlog, held up by a host that reads
// late, arrives whole and in order; the other way works on the same pair;
// the joiner's leaving closes the host's end.
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <thread>

#include "HostProcess.h"
#include "LoopbackKit.h"
#include "TestCa.h"
#include "TlsClient.h"
#include "coordinator/InviteCode.h"

namespace zk {
namespace {

// Waits for the socket to be readable (bytes or its end), at most ms.
bool readable(int fd, int ms)
{
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) == 1;
}

char byteAt(std::size_t i)
{
    return static_cast<char>('a' + (i * 7 + i / 4099) % 26);
}

TEST(CoordinatorProgram, NotTlsIsClosedAndABackedUpRelayedStreamArrivesWhole)
{
    test::TestCa ca({"localhost", "127.0.0.1"});
    ASSERT_TRUE(ca.ok()) << ca.error();
    const int port = test::freeTcpPort();
    test::HostProcess coordinator(test::HostProcess::Program{ZK_BINARY_DIR "/zonkards-coordinator"},
                                  {"--listen", "127.0.0.1:" + std::to_string(port), "--cert", ca.serverCert(),
                                   "--key", ca.serverKey(), "--relay-budget", "1048576"});
    ASSERT_TRUE(coordinator.waitForOut("coordinator listening")) << coordinator.err();

    // A message in plain text where TLS is spoken: the connection is closed.
    {
        test::LineClient plain(port);
        plain.sendRaw(msg::encode(coord::Resolve{coord::kProtocol, "+abcdefg"}));
        EXPECT_TRUE(plain.waitForClose(5000));
    }

    const test::TlsContext tls(ca.caCert());
    const std::string secret = coord::newSecret([] { return 42u; });
    const coord::Register registration{coord::kProtocol,
                                       std::string(kVersionText),
                                       secret,
                                       "n1",
                                       coord::Visibility::Invite,
                                       9,
                                       GameAdvert{.seated = 1, .free = 5}};
    auto pair = test::pairThroughRelay(tls, port, msg::encode(registration), coord::inviteCode(secret));
    ASSERT_TRUE(pair) << coordinator.err();

    // More than the kernel buffers between relay and host hold, so the relay
    // keeps a backlog of its own and stops reading the joiner; the host
    // starts reading only when that has long happened.
    const int small = 128 * 1024;
    ::setsockopt(pair->host.fd(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    constexpr std::size_t kTotal = 12 * 1024 * 1024;
    std::thread sender([&] {
        std::string chunk;
        for (std::size_t at = 0; at < kTotal; at += chunk.size()) {
            chunk.resize(std::min<std::size_t>(50000, kTotal - at));
            for (std::size_t i = 0; i < chunk.size(); ++i)
                chunk[i] = byteAt(at + i);
            if (!pair->joiner.send(chunk))
                return;
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    std::string got;
    char buf[65536];
    while (got.size() < kTotal && (pair->host.pending() || readable(pair->host.fd(), 10000))) {
        const int n = pair->host.read(buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    if (got.size() < kTotal) {
        // The stream stalled: the sender is let go (its write fails, without a SIGPIPE).
        ::signal(SIGPIPE, SIG_IGN);
        ::shutdown(pair->joiner.fd(), SHUT_RDWR);
    }
    sender.join();
    ASSERT_EQ(got.size(), kTotal);
    std::size_t same = 0;
    while (same < kTotal && got[same] == byteAt(same))
        ++same;
    EXPECT_EQ(same, kTotal) << "the stream differs from byte " << same;

    ASSERT_TRUE(pair->host.send("answer"));
    ASSERT_TRUE(readable(pair->joiner.fd(), 5000));
    EXPECT_EQ(pair->joiner.read(buf, sizeof buf), 6);
    EXPECT_EQ(std::string(buf, 6), "answer");

    pair->joiner.close();
    ASSERT_TRUE(readable(pair->host.fd(), 5000));
    EXPECT_LT(pair->host.read(buf, sizeof buf), 0);
    EXPECT_TRUE(coordinator.running()) << coordinator.err();
}

} // namespace
} // namespace zk
