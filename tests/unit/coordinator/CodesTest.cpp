// Invite codes, secrets, relay tickets and the protocol's messages.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "coordinator/CoordMessages.h"
#include "coordinator/InviteCode.h"
#include "coordinator/Tickets.h"

namespace zk::coord {
namespace {

TEST(InviteCode, SameSecretSameCodeOfTheAlphabetAndCodesSpread)
{
    std::mt19937_64 rng(7);
    std::set<std::string> codes;
    for (int i = 0; i < 2000; ++i) {
        const std::string secret = newSecret([&] { return rng(); });
        ASSERT_TRUE(wellFormedSecret(secret));
        const std::string code = inviteCode(secret);
        ASSERT_EQ(code.size(), kCodeLength);
        for (char c : code)
            ASSERT_NE(kCodeAlphabet.find(c), std::string_view::npos) << code;
        EXPECT_EQ(inviteCode(secret), code);
        EXPECT_NE(inviteCode(secret, 1), code);
        codes.insert(code);
    }
    EXPECT_EQ(codes.size(), 2000u);
    // Upper-case hex names the same secret.
    EXPECT_EQ(inviteCode("ABCDEF0123456789abcdef0123456789"), inviteCode("abcdef0123456789abcdef0123456789"));
    for (char lookAlike : std::string("0O1Il"))
        EXPECT_EQ(kCodeAlphabet.find(lookAlike), std::string_view::npos) << lookAlike;
    EXPECT_GE(kCodeLength * std::log2(static_cast<double>(kCodeAlphabet.size())), 40.0);
}

TEST(InviteCode, TypedCodesAndSecrets)
{
    struct Case {
        std::string_view typed;
        std::optional<std::string> read;
    };
    const Case cases[] = {
        {"+K7QM2Xr", "K7QM2Xr"},    {"K7QM2Xr", "K7QM2Xr"},      {"  +K7QM2Xr\t", "K7QM2Xr"},
        {"+K7QM2X", std::nullopt},  {"+K7QM2Xrr", std::nullopt}, {"+K7QM2X0", std::nullopt},
        {"+K7 QM2X", std::nullopt}, {"", std::nullopt},          {"++K7QM2Xr", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readInviteCode(c.typed), c.read) << c.typed;
    EXPECT_EQ(shownCode("K7QM2Xr"), "+K7QM2Xr");
    EXPECT_FALSE(wellFormedSecret("0123456789abcdef0123456789abcde"));
    EXPECT_FALSE(wellFormedSecret("0123456789abcdef0123456789abcdeg"));
}

TEST(Tickets, SignedFactsRoundTripAndForgeriesFail)
{
    const TicketSigner signer(std::string(32, 'k'));
    const std::string t = signer.issue(0x1234, 1'700'000'030'000, 99);
    ASSERT_EQ(t.size(), kTicketHexDigits);
    const auto facts = signer.check(t);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->game, 0x1234u);
    EXPECT_EQ(facts->expires, 1'700'000'030'000);
    // Another key, any changed digit, a cut ticket: not a ticket.
    EXPECT_FALSE(TicketSigner(std::string(32, 'j')).check(t));
    for (std::size_t i : {0u, 20u, 40u, 79u}) {
        std::string bad = t;
        bad[i] = bad[i] == '0' ? '1' : '0';
        EXPECT_FALSE(signer.check(bad)) << i;
    }
    EXPECT_FALSE(signer.check(t.substr(1)));
    EXPECT_FALSE(signer.check(""));
}

TEST(CoordMessages, RoundTripAndCutMessages)
{
    GameAdvert facts{.seated = 2,
                     .free = 3,
                     .spies = 1,
                     .state = GameAdvert::State::Play,
                     .round = 4,
                     .hostPlayer = "Ann + Bob"};
    const Register reg{kProtocol, "1.0.2", std::string(32, 'a'), "n0nce", Visibility::Public, 7772, facts};
    const std::string text = msg::text(reg);
    auto split = splitCommand(text);
    ASSERT_EQ(split.name, Register::command);
    auto back = msg::decode<Register>(split.args);
    EXPECT_TRUE(back.complete);
    EXPECT_EQ(back.message, reg);

    const Game game{"K7QM2Xr", "1.0.2", facts};
    EXPECT_EQ(msg::decode<Game>(splitCommand(msg::text(game)).args).message, game);
    const Connect connect{{"", 7780, std::string(80, 'f')}};
    EXPECT_EQ(msg::decode<Connect>(splitCommand(msg::text(connect)).args).message, connect);

    // A registration cut short, or with a port that is no number, is incomplete.
    EXPECT_FALSE(msg::decode<Register>(splitCommand(text.substr(0, text.find("+public"))).args).complete);
    EXPECT_FALSE(
        msg::decode<Register>(splitCommand("ZC_register+1+v+s+n+invite+port+1+5+0+wait+0+").args).complete);
}

} // namespace
} // namespace zk::coord
