// Invite codes and the secrets behind them. A code is "+" and 7 characters
// of a 56-letter alphabet without the look-alikes 0/O/o, 1/I/l (56^7 is
// about 2^40.6); it is cut from a SHA-256 of the host's secret, so the same
// secret always gives the same code (a host that restarts, or a coordinator
// that restarts, keeps it) and nobody can guess a code without the secret.
//
// On the wire and in the registry a code is its 7 characters ("+" is the
// wire's field separator); players see it with its "+".
//
//     std::string secret = newSecret(random);            // kept by the host
//     std::string code = inviteCode(secret);             // "K7QM2Xr"
//     shownCode(code);                                   // "+K7QM2Xr"
//     auto typed = readInviteCode(" +K7QM2Xr ");          // "K7QM2Xr"; case counts
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zk::coord {

inline constexpr std::string_view kCodeAlphabet = "23456789ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnpqrstuvwxyz";
inline constexpr std::size_t kCodeLength = 7;       // characters after the "+"
inline constexpr std::size_t kSecretHexDigits = 32; // 128 bits

// 64 bits from the system's cryptographic random source (OpenSSL).
std::uint64_t strongRandom();
// A new secret: 32 lowercase hex digits from the random source.
std::string newSecret(const std::function<std::uint64_t()>& random);
// True for 32 hex digits (either case).
bool wellFormedSecret(std::string_view secret);
// The secret's code; a later attempt gives another code for the same secret,
// for the rare case that two secrets meet on one code.
std::string inviteCode(std::string_view secret, int attempt = 0);
// A typed code: blanks around it dropped, the "+" optional; nullopt when the
// rest is not kCodeLength letters of the alphabet.
std::optional<std::string> readInviteCode(std::string_view typed);
// The code as players see it: "+" and its letters.
inline std::string shownCode(std::string_view code)
{
    return "+" + std::string(code);
}
// The SHA-256 of the bytes, as 64 lowercase hex digits.
std::string sha256Hex(std::string_view bytes);

} // namespace zk::coord
