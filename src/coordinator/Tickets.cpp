#include "coordinator/Tickets.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <array>

#include "coordinator/InviteCode.h"

namespace zk::coord {
namespace {

constexpr std::string_view kHex = "0123456789abcdef";

std::string hex64(std::uint64_t value)
{
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4)
        out[static_cast<std::size_t>(i)] = kHex[value & 0xF];
    return out;
}

std::optional<std::uint64_t> readHex64(std::string_view text)
{
    std::uint64_t value = 0;
    for (char c : text) {
        const auto digit = kHex.find(c);
        if (digit == std::string_view::npos)
            return std::nullopt;
        value = (value << 4) | digit;
    }
    return value;
}

} // namespace

TicketSigner::TicketSigner(std::string_view key)
{
    if (key.size() == kRelayKeyBytes) {
        key_ = std::string(key);
    } else {
        const std::string digest = sha256Hex(key);
        for (std::size_t i = 0; i < kRelayKeyBytes; ++i)
            key_ += static_cast<char>(std::stoi(digest.substr(2 * i, 2), nullptr, 16));
    }
}

std::string TicketSigner::signature(std::string_view body) const
{
    std::array<unsigned char, EVP_MAX_MD_SIZE> mac{};
    unsigned int size = 0;
    HMAC(EVP_sha256(), key_.data(), static_cast<int>(key_.size()),
         reinterpret_cast<const unsigned char*>(body.data()), body.size(), mac.data(), &size);
    std::string out;
    for (unsigned int i = 0; i < 16; ++i) {
        out += kHex[mac[i] >> 4];
        out += kHex[mac[i] & 0xF];
    }
    return out;
}

std::string TicketSigner::issue(std::uint64_t game, std::int64_t expires, std::uint64_t nonce) const
{
    const std::string body = hex64(game) + hex64(static_cast<std::uint64_t>(expires)) + hex64(nonce);
    return body + signature(body);
}

std::optional<TicketFacts> TicketSigner::check(std::string_view ticket) const
{
    if (ticket.size() != kTicketHexDigits)
        return std::nullopt;
    const std::string_view body = ticket.substr(0, 48);
    const std::string expected = signature(body);
    const std::string_view given = ticket.substr(48);
    // Compared in constant time: a relay must not tell how much of a forged signature was right.
    if (CRYPTO_memcmp(expected.data(), given.data(), expected.size()) != 0)
        return std::nullopt;
    const auto game = readHex64(body.substr(0, 16));
    const auto expires = readHex64(body.substr(16, 16));
    if (!game || !expires || !readHex64(body.substr(32, 16)))
        return std::nullopt;
    return TicketFacts{*game, static_cast<std::int64_t>(*expires)};
}

} // namespace zk::coord
