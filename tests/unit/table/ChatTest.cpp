// Received chat and action lines, the entry field, phrase buttons with their
// gate, and chatter sounds.
#include "TableTestSupport.h"

namespace zk::test {
namespace {

using Chat = TableTest;

TEST_F(Chat, ReceivedLinesTakeTheirColourAndBoldThePartToTheFirstColon)
{
    host(host::chat("Bob chats: time: now|clGreen"));
    host(host::action("Ann says: Nice Try!|$00123456"));
    host(host::action("Ann waves|clgreen"));
    ASSERT_EQ(board().chat.lines.size(), 3u);
    const ChatLine& chat = board().chat.lines[0];
    EXPECT_EQ(chat.text, "Bob chats: time: now");
    EXPECT_EQ(chat.colour, colour::clGreen);
    EXPECT_EQ(chat.text.substr(0, chat.boldLength()), "Bob chats:");
    EXPECT_EQ(board().chat.lines[1].colour, 0x123456u);
    EXPECT_EQ(board().chat.lines[2].text, "Ann waves");
    EXPECT_EQ(board().chat.lines[2].colour, colour::clGreen) << "names in any letter case";
    EXPECT_EQ(board().chat.lines[2].boldLength(), 0u);
}

TEST_F(Chat, MissingOrUnreadableColourGivesRed)
{
    host(host::chat("Bob chats: no colour"));
    host(host::chat("Bob chats: reddish|reddish"));
    host(host::chat("Bob chats: a|b|clBlue"));
    host(host::chat("Bob chats: plus + signs|clBlue"));
    const auto& lines = board().chat.lines;
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "Bob chats: no colour");
    EXPECT_EQ(lines[0].colour, colour::clRed);
    EXPECT_EQ(lines[1].colour, colour::clRed);
    EXPECT_EQ(lines[2].text, "Bob chats: a") << "cut at the first bar";
    EXPECT_EQ(lines[2].colour, colour::clRed);
    EXPECT_EQ(lines[3].text, "Bob chats: plus + signs");
    EXPECT_EQ(lines[3].colour, colour::clBlue);
}

TEST_F(Chat, TypedLinesGoOutAsChatOrAction)
{
    joinAs("Bob", 3);
    logic.options().textColourConfirmed(colour::clNavy);
    logic.options().actionColourDialogClosed(colour::clMaroon);
    struct Case {
        std::string typed, sent;
    };
    for (const Case& c : std::vector<Case>{
             {"hello + all", "CMD_chat+3+hello + all|clNavy"},
             {"/me waves", "CMD_action+3+waves|clMaroon"},
             {"/meow", "CMD_action+3+w|clMaroon"},
             {"/me", "CMD_action+3+|clMaroon"},
         }) {
        env.clear();
        logic.chat().setChatEntry(c.typed);
        logic.chat().sendit();
        EXPECT_EQ(env.lastSent(), c.sent) << c.typed;
        EXPECT_EQ(board().chatEntry, "") << c.typed;
    }
}

TEST_F(Chat, OtherSlashLinesAreDroppedAndTheFieldEmptied)
{
    joinAs("Bob", 3);
    logic.chat().setChatEntry("/join lobby");
    logic.chat().sendit();
    EXPECT_TRUE(env.sent.empty());
    EXPECT_EQ(board().chatEntry, "");
}

TEST_F(Chat, TypedTextCannotCarryATerminator)
{
    joinAs("Bob", 3);
    logic.chat().setChatEntry(std::string("a\xFF") + "b");
    logic.chat().sendit();
    ASSERT_EQ(env.sent.size(), 1u);
    EXPECT_EQ(env.sent[0], std::string("CMD_chat+3+ayb|clBlack") + kTerminator);
}

TEST_F(Chat, BeforeLoginEnterKeepsTheText)
{
    logic.processParams({"Bob", "10.0.0.5", "false"});
    env.clear();
    logic.chat().setChatEntry("hello");
    logic.chat().chatEntryKeyPressed();
    logic.chat().sendit();
    EXPECT_TRUE(env.sent.empty());
    EXPECT_EQ(board().chatEntry, "hello");
}

TEST_F(Chat, TheFirstKeyEmptiesThePlaceholder)
{
    joinAs("Bob", 3);
    ASSERT_EQ(board().chatEntry, kChatPlaceholder);
    logic.chat().chatEntryKeyPressed(); // Enter at once
    logic.chat().sendit();
    EXPECT_TRUE(env.sent.empty());
    EXPECT_EQ(board().chatEntry, "");

    logic.chat().setChatEntry("hi");
    logic.chat().chatEntryKeyPressed();
    EXPECT_EQ(board().chatEntry, "hi") << "only the placeholder is emptied";

    logic.chat().setChatEntry(std::string(kChatPlaceholder));
    logic.chat().pasteIntoChatEntry("pasted");
    EXPECT_EQ(board().chatEntry, "pasted");
}

TEST_F(Chat, ThePhraseGateLetsOnePhraseThroughEveryTwoSeconds)
{
    joinAs("Bob", 3);
    logic.chat().phraseClick(1);
    EXPECT_EQ(env.lastSent(), "CMD_action+3+says: Way To Go!|clBlack");
    now += std::chrono::milliseconds(1);
    logic.chat().phraseClick(2);
    now += std::chrono::milliseconds(1998);
    logic.chat().phraseClick(2);
    EXPECT_EQ(env.sent.size(), 1u) << "closed for two seconds, and nothing queues";
    EXPECT_FALSE(logic.chat().phraseGateOpen());
    now += std::chrono::milliseconds(1);
    EXPECT_TRUE(logic.chat().phraseGateOpen());
    logic.chat().phraseClick(2);
    EXPECT_EQ(env.lastSent(), "CMD_action+3+says: Good One!|clBlack");
}

TEST_F(Chat, PhrasesBeginningWithMeSpaceAreActions)
{
    joinAs("Bob", 3);
    logic.options().actionColourDialogClosed(colour::clPurple);
    logic.board().phrases[3] = "/me dances";
    logic.board().phrases[4] = "/medances";
    logic.chat().phraseClick(4);
    EXPECT_EQ(env.lastSent(), "CMD_action+3+dances|clPurple");
    now += std::chrono::seconds(2);
    logic.chat().phraseClick(5);
    EXPECT_EQ(env.lastSent(), "CMD_action+3+says: /medances|clPurple");
}

TEST_F(Chat, APhraseThatCannotBeSentLeavesTheGateOpen)
{
    env.socketOpen = false; // idle: no connection was ever opened
    logic.chat().phraseClick(1);
    EXPECT_TRUE(env.sent.empty());
    EXPECT_TRUE(logic.chat().phraseGateOpen());
    env.socketOpen = true;
    logic.chat().phraseClick(1);
    EXPECT_EQ(env.sent.size(), 1u) << "the next click goes through at once";
}

TEST_F(Chat, ChatterSoundsAreSentOnlyWithASeat)
{
    logic.chat().chatterChoice(3);
    EXPECT_TRUE(env.sent.empty());
    joinAs("Bob", 3);
    logic.chat().chatterChoice(0); // <Cancel>
    EXPECT_TRUE(env.sent.empty());
    logic.chat().chatterChoice(12);
    EXPECT_EQ(env.lastSent(), "CMD_playasound+3+wave12+");
    EXPECT_TRUE(env.sounds.empty()) << "the sender hears it when the relay arrives";
}

TEST_F(Chat, ReceivedChatterPlaysWhenChatterSoundsAreOnWhateverPlaySounds)
{
    joinAs("Bob", 3);
    logic.options().togglePlayChatterSounds();
    logic.options().togglePlaySounds();
    ASSERT_TRUE(board().menu.playChatterSounds);
    ASSERT_FALSE(board().menu.playSounds);
    env.clear();
    host(host::playasound(7, "WAVE6"));
    EXPECT_EQ(env.sounds, std::vector<std::string>{"wave6"});
    host(host::createdice(3, 1, faces({1, 2, 3, 4, 5})));
    EXPECT_EQ(env.sounds.size(), 1u) << "game events are silent";
}

TEST_F(Chat, ReceivedChatterWithoutChatterSoundsBecomesALine)
{
    joinAs("Bob", 3);
    ASSERT_FALSE(board().menu.playChatterSounds);
    host(host::startgame("Bob", 0)); // seat 2 becomes Klot
    const auto count = board().chat.lines.size();
    host(host::playasound(2, "wave6"));
    ASSERT_EQ(board().chat.lines.size(), count + 1);
    const ChatLine& line = board().chat.lines.back();
    EXPECT_EQ(line.text, "Klot: <Chatter Sound> Snoring");
    EXPECT_EQ(line.colour, kSystemColour);
    EXPECT_EQ(line.text.substr(0, line.boldLength()), "Klot:");
    EXPECT_TRUE(env.sounds.empty());

    host(host::playasound(7, "wave6"));  // a spectator has no label
    host(host::playasound(2, "wave13")); // no such menu item
    host(host::playasound(2, "dice"));
    EXPECT_EQ(board().chat.lines.size(), count + 1);
}

} // namespace
} // namespace zk::test
