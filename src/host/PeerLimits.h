// What the host allows one connection, as plain rules with time as an
// input (TServer applies them to its sockets; the tests step the clock).
//
// Incoming: a token bucket for messages and one for bytes. A connection may
// send a burst of a few seconds' worth at once and then a steady rate; one
// that spends more than its buckets hold is closed as abusive before its
// chat is relayed to everybody. The numbers are far above what a person at a
// table produces:
//   - messages: 25 a second, bursts of 125. A player's requests come at human
//     speed (a roll, a category, a seat menu choice); phrases pass a gate of
//     one per few seconds at the table; a fast typist sends a line or two a
//     second; pressing Ctrl+R with the key held repeats about 30 times a
//     second, and the burst lets five seconds of that through.
//   - bytes: 16 KiB a second, bursts of 128 KiB: thirty pasted lines of the
//     longest message a receiver keeps (4 KiB), then a 4 KiB line every
//     quarter second. Every line is relayed to up to nine connections.
//
// Outgoing: a connection that falls behind (more than kBehindBytes unsent)
// gets no relayed chat, action or chatter-sound lines until it has caught up;
// game messages always go. Only a peer that takes nothing at all for
// kStallTime while behind is closed, or one whose unsent game messages pass
// kMaxUnsentBytes.
//
//     RateBudget budget;
//     if (!budget.spend(now, terminators, bytes)) close();
//     switch (sendVerdict(isRelayedLine(bytes), sock.unsentBytes(), now - lastProgress)) ...
#pragma once

#include <chrono>
#include <cstddef>
#include <string_view>

namespace zk {

// Messages one connection may have waiting in the receive queue. A table has
// at most a few game requests in flight (a roll, a category, a seat menu
// choice); the burstiest honest traffic is a player's chat: lines typed,
// phrases and chatter sounds. 64 is more than a fast typist sends in the
// 0.64 s that the drain needs for them even alone, and under fair draining
// it keeps a flooding connection's backlog to 64 of its own turns.
inline constexpr std::size_t kMaxQueuedMessages = 64;

// Unsent bytes beyond which a connection is behind: relayed lines skip it.
inline constexpr std::size_t kBehindBytes = 16 * 1024;
// How long a connection that is behind may take nothing before it is closed.
inline constexpr std::chrono::milliseconds kStallTime{30000};
// The kernel's send buffer asked for on each accepted connection. A large
// buffer would hide a slow link's backlog from the host (and put a player's
// next game message behind megabytes of chat); this one still carries far
// more than the game needs over a slow, distant link.
inline constexpr int kSendBufferBytes = 32 * 1024;

class RateBudget {
public:
    using Ms = std::chrono::milliseconds;

    struct Limits {
        double messagesPerSecond;
        double messageBurst;
        double bytesPerSecond;
        double byteBurst;
    };
    static constexpr Limits kDefault{25, 125, 16 * 1024, 128 * 1024};

    explicit RateBudget(Limits limits = kDefault);

    // Spends what one read brought: the messages (terminators) and bytes in
    // it. False once the connection has gone over either budget; it stays
    // false (the connection is to be closed).
    bool spend(Ms now, std::size_t messages, std::size_t bytes);

private:
    void refill(Ms now);

    Limits limits_;
    double messages_;
    double bytes_;
    Ms last_{-1};
    bool over_ = false;
};

// A relayed line that a connection which is behind can do without: chat,
// "/me" actions and phrases, chatter sounds (bytes of one whole message).
bool isRelayedLine(std::string_view message);

enum class SendVerdict {
    Send,
    Skip,  // a relayed line for a connection that is behind
    Close, // a peer that takes nothing, or has too much unsent
};

// What to do with one outgoing message, given the connection's unsent bytes
// and the time since it last took any.
SendVerdict sendVerdict(bool relayedLine, std::size_t unsentBytes, std::chrono::milliseconds sinceProgress);

} // namespace zk
