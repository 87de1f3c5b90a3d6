// Relay tickets: what lets a joiner and a host meet on a relay. A ticket
// names the game it is for and when it expires, and carries a signature
// (HMAC-SHA-256 under a key the coordinator and its relays share), so a relay
// in another process checks it without asking the coordinator. It is 80 hex
// digits: the game (16), the expiry in ms of the wall clock (16), a random
// part (16) and the first half of the signature (32).
//
//     TicketSigner signer(key);                                // 32 bytes
//     std::string t = signer.issue(gameId, now + 30'000, random());
//     auto seen = signer.check(t);                             // nullopt: forged or garbled
//     if (seen && seen->expires > now) ...
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zk::coord {

inline constexpr std::size_t kTicketHexDigits = 80;
inline constexpr std::size_t kRelayKeyBytes = 32;

struct TicketFacts {
    std::uint64_t game = 0;
    std::int64_t expires = 0; // ms since the epoch
};

class TicketSigner {
public:
    // key: kRelayKeyBytes of secret bytes (a shorter or longer one is hashed to that size).
    explicit TicketSigner(std::string_view key);
    std::string issue(std::uint64_t game, std::int64_t expires, std::uint64_t nonce) const;
    // The ticket's facts when its signature holds; nullopt for anything else.
    std::optional<TicketFacts> check(std::string_view ticket) const;

private:
    std::string signature(std::string_view body) const;
    std::string key_;
};

} // namespace zk::coord
