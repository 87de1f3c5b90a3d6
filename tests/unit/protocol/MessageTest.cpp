// The field forms under every message: building, splitting, numbers and
// the malformed-number outcome. The messages themselves are MessagesTest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/FieldCodec.h"

namespace zk::test {
namespace {

using namespace std::string_literals;

// The argument text of a whole message, as a handler gets it.
std::string_view argsOf(std::string_view message)
{
    return splitCommand(message).args;
}

TEST(MessageWriter, JoinsFieldsWithPlusAndEndsWithOneTerminator)
{
    EXPECT_EQ(MessageWriter("CMD_sendlogininfo").field(4).finish(), "CMD_sendlogininfo+4\xFF"s);
    EXPECT_EQ(MessageWriter("CMD_selectcat").field(2).field(5).separator().finish(),
              "CMD_selectcat+2+5+\xFF"s);
    // A command without fields is its name and one "+".
    EXPECT_EQ(MessageWriter("CMD_full").separator().finish(), "CMD_full+\xFF"s);
    EXPECT_EQ(MessageWriter("CMD_wrongversion").separator().text(), "CMD_wrongversion+");
    // Negative numbers keep their sign; no leading zeros.
    EXPECT_EQ(MessageWriter("CMD_postscores").field(1).field(0).field(-1).field(70).text(),
              "CMD_postscores+1+0+-1+70");
}

TEST(MessageWriter, TypedTextNeverCarriesTheTerminator)
{
    // A typed "ÿ" (0xFF in Windows-1252) would cut the chat line in two.
    const std::string msg = MessageWriter("CMD_chat").field(2).field("caf\xFF + more|clRed"s).finish();
    EXPECT_EQ(msg, "CMD_chat+2+cafy + more|clRed\xFF"s);
    EXPECT_EQ(msg.find('\xFF'), msg.size() - 1);
    EXPECT_EQ(sanitizeField("\xFF\xFF"s), "yy");
    EXPECT_EQ(sanitizeField("plain"), "plain");
}

TEST(MessageWriter, LoginNameKeepsItsOwnTerminator)
{
    // The login name is stored with a terminator of its own, so the login
    // message ends with two of them.
    const std::string msg =
        MessageWriter("CMD_logininfo").field(3).field(kVersionText).rawField("Bob\xFF"s).finish();
    EXPECT_EQ(msg, "CMD_logininfo+3+1.0.2+Bob\xFF\xFF"s);
}

TEST(SplitCommand, NameIsTheTextBeforeTheFirstPlus)
{
    auto s = splitCommand("CMD_chat+1+a+b");
    EXPECT_EQ(s.name, "CMD_chat");
    EXPECT_EQ(s.args, "1+a+b");
    s = splitCommand("CMD_full+");
    EXPECT_EQ(s.name, "CMD_full");
    EXPECT_EQ(s.args, "");
    // No "+" at all, or an empty message: no command, to be ignored.
    EXPECT_EQ(splitCommand("CMD_full").name, "");
    EXPECT_EQ(splitCommand("").name, "");
    EXPECT_EQ(splitCommand("+5").name, "");
    EXPECT_EQ(splitCommand("+5").args, "5");
}

TEST(ParseDecimal, AcceptsDecimalIntegersOnly)
{
    EXPECT_EQ(parseDecimal("0"), 0);
    EXPECT_EQ(parseDecimal("42"), 42);
    EXPECT_EQ(parseDecimal("-1"), -1);
    EXPECT_EQ(parseDecimal("2147483647"), 2147483647);
    EXPECT_EQ(parseDecimal("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "-", "x", "4x", "x4", " 4", "4 ", "1.5", "2147483648", "-2147483649",
                            "99999999999999999999", "$10", "--1"}) {
        EXPECT_EQ(parseDecimal(bad), std::nullopt) << '"' << bad << '"';
    }
}

TEST(FieldReader, RestFieldsKeepTheirPlusSigns)
{
    // A login name that contains "+" arrives whole.
    FieldReader login(argsOf("CMD_logininfo+3+1.0.2+Bo+b the +great+"));
    EXPECT_EQ(login.number(), 3);
    EXPECT_EQ(login.text(), "1.0.2");
    EXPECT_EQ(login.rest(), "Bo+b the +great+");
    EXPECT_TRUE(login.atEnd());
    EXPECT_FALSE(login.failed());

    // Only the first "+" after the slot separates; the chat text stays whole.
    FieldReader chat(argsOf("CMD_chat+2+1+1=2, ok? ++|$00FF8000"));
    EXPECT_EQ(chat.number(), 2);
    EXPECT_EQ(chat.rest(), "1+1=2, ok? ++|$00FF8000");

    // The sound name is taken with its trailing separator.
    FieldReader sound(argsOf("CMD_playasound+4+wave12+"));
    EXPECT_EQ(sound.number(), 4);
    EXPECT_EQ(sound.rest(), "wave12+");
}

TEST(FieldReader, TrailingSeparatorAndMissingFields)
{
    FieldReader r(argsOf("CMD_selectcat+2+5+"));
    EXPECT_EQ(r.number(), 2);
    EXPECT_EQ(r.number(), 5);
    EXPECT_TRUE(r.atEnd()); // the trailing "+" carries nothing
    EXPECT_EQ(r.remaining(), "");
    // A field that is not there is not a number.
    EXPECT_EQ(r.number(), std::nullopt);
    EXPECT_TRUE(r.failed());
}

TEST(FieldReader, MalformedNumberStopsAtThatField)
{
    FieldReader r(argsOf("CMD_postscores+3+x9+12+4+"));
    auto seat = r.number();
    ASSERT_EQ(seat, 3); // what came before stands
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(r.number(), std::nullopt);
    EXPECT_TRUE(r.failed());
    // The reader has moved past the bad field only.
    EXPECT_EQ(r.remaining(), "12+4+");
}

} // namespace
} // namespace zk::test
