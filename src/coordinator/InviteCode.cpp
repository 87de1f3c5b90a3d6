#include "coordinator/InviteCode.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <stdexcept>

namespace zk::coord {
namespace {

constexpr std::string_view kHex = "0123456789abcdef";

std::array<unsigned char, 32> sha256(std::string_view bytes)
{
    std::array<unsigned char, 32> digest{};
    unsigned int size = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_sha256(), nullptr);
    return digest;
}

} // namespace

std::uint64_t strongRandom()
{
    std::uint64_t v = 0;
    // RAND_bytes fails only when the system has no entropy to seed from;
    // then a secret must not be made from it.
    if (RAND_bytes(reinterpret_cast<unsigned char*>(&v), sizeof v) != 1)
        throw std::runtime_error("no random numbers from the system");
    return v;
}

std::string newSecret(const std::function<std::uint64_t()>& random)
{
    std::string out;
    for (int half = 0; half < 2; ++half) {
        std::uint64_t bits = random();
        for (int i = 0; i < 16; ++i, bits >>= 4)
            out += kHex[bits & 0xF];
    }
    return out;
}

bool wellFormedSecret(std::string_view secret)
{
    if (secret.size() != kSecretHexDigits)
        return false;
    for (char c : secret) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex)
            return false;
    }
    return true;
}

std::string sha256Hex(std::string_view bytes)
{
    std::string out;
    for (unsigned char b : sha256(bytes)) {
        out += kHex[b >> 4];
        out += kHex[b & 0xF];
    }
    return out;
}

std::string inviteCode(std::string_view secret, int attempt)
{
    // Secrets are compared without regard to case, so the hash is of the lowercase form.
    std::string input = "zonkards invite code " + std::to_string(attempt) + " ";
    for (char c : secret)
        input += (c >= 'A' && c <= 'F') ? static_cast<char>(c - 'A' + 'a') : c;
    const auto digest = sha256(input);
    // 64 bits of the digest, read as a number in base 56: the first 7
    // digits are near enough uniform (56^7 is 2^-23 of 2^64).
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = (bits << 8) | digest[static_cast<std::size_t>(i)];
    std::string code;
    for (std::size_t i = 0; i < kCodeLength; ++i) {
        code += kCodeAlphabet[bits % kCodeAlphabet.size()];
        bits /= kCodeAlphabet.size();
    }
    return code;
}

std::optional<std::string> readInviteCode(std::string_view typed)
{
    while (!typed.empty() && (typed.front() == ' ' || typed.front() == '\t'))
        typed.remove_prefix(1);
    while (!typed.empty() && (typed.back() == ' ' || typed.back() == '\t'))
        typed.remove_suffix(1);
    if (typed.starts_with('+'))
        typed.remove_prefix(1);
    if (typed.size() != kCodeLength)
        return std::nullopt;
    for (char c : typed) {
        if (kCodeAlphabet.find(c) == std::string_view::npos)
            return std::nullopt;
    }
    return std::string(typed);
}

} // namespace zk::coord
