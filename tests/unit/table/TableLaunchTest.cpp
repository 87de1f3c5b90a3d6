// The command line, hosting and joining, the login message, and the
// dispatcher's treatment of unknown, empty and malformed messages.
#include "TableTestSupport.h"

namespace zk::test {
namespace {

using Launch = TableTest;

TEST_F(Launch, NoArgumentsPlaysSoloAsYouAgainstTheLocalHost)
{
    logic.processParams({});
    EXPECT_EQ(chatTexts(), std::vector<std::string>{"Loading Solo Game..Please wait."});
    EXPECT_EQ(board().chat.lines[0].colour, kSystemColour);
    EXPECT_EQ(state().ownName, "You");
    EXPECT_EQ(state().loginName, std::string("You") + kTerminator);
    EXPECT_TRUE(state().hostFlag);
    EXPECT_EQ(env.log, (std::vector<std::string>{"lobby download", "listen", "connect 127.0.0.1"}));
    EXPECT_TRUE(board().startButtonShown);
    EXPECT_TRUE(board().menu.startGameEnabled);
    EXPECT_TRUE(board().spyList.removeEnabled);
}

TEST_F(Launch, OneOrTwoArgumentsStayIdle)
{
    for (const auto& args : {std::vector<std::string>{"Bob"}, {"Bob", "10.0.0.5"}}) {
        TableLogic fresh(env, env);
        env.clear();
        fresh.processParams(args);
        ASSERT_EQ(fresh.board().chat.lines.size(), 1u);
        EXPECT_EQ(fresh.board().chat.lines[0].text, "Loading Multi-player Game.. Please Wait.");
        EXPECT_TRUE(env.log.empty()) << "nothing connects";
        EXPECT_FALSE(fresh.board().startButtonShown);
        EXPECT_FALSE(fresh.board().menu.startGameEnabled);
    }
}

TEST_F(Launch, OnlyLowerCaseTrueHostsAndHostingIgnoresTheAddress)
{
    logic.processParams({"Bob", "10.0.0.5", "true", "ignored"});
    EXPECT_EQ(env.log, (std::vector<std::string>{"listen", "connect 127.0.0.1", "lobby connection"}));
    EXPECT_TRUE(state().hostFlag);

    for (const char* flag : {"True", "TRUE", "false"}) {
        TableLogic joiner(env, env);
        env.clear();
        joiner.processParams({"Ann", "10.0.0.5", flag});
        EXPECT_EQ(env.log, (std::vector<std::string>{"connect 10.0.0.5", "lobby connection"})) << flag;
        EXPECT_FALSE(joiner.state().hostFlag);
        EXPECT_FALSE(joiner.board().startButtonShown);
        EXPECT_FALSE(joiner.board().menu.startGameEnabled);
        EXPECT_FALSE(joiner.board().spyList.removeEnabled);
    }
}

TEST_F(Launch, AHostThatCannotListenDoesNotConnect)
{
    env.canListen = false;
    logic.processParams({});
    EXPECT_FALSE(env.has("connect 127.0.0.1"));
    EXPECT_FALSE(board().startButtonShown);
}

TEST_F(Launch, LoginEndsWithTwoTerminators)
{
    logic.processParams({"Bob", "10.0.0.5", "false"});
    env.clear();
    EXPECT_EQ(host(host::sendlogininfo(3)), HandlerResult::Handled);
    ASSERT_EQ(env.sent.size(), 1u);
    EXPECT_EQ(env.sent[0], std::string("CMD_logininfo+3+1.0.2+Bob") + kTerminator + kTerminator);
    EXPECT_EQ(state().ownSeat, 3);
    EXPECT_TRUE(state().loggedIn);
}

TEST_F(Launch, ATerminatorByteInTheNameCannotSplitTheLogin)
{
    logic.processParams({std::string("B\xFF") + "b", "10.0.0.5", "false"});
    host(host::sendlogininfo(2));
    ASSERT_EQ(env.sent.size(), 1u);
    EXPECT_EQ(env.sent[0], std::string("CMD_logininfo+2+1.0.2+Byb") + kTerminator + kTerminator);
}

TEST_F(Launch, SocketClosedEndsTheProgramOtherTextsDoNot)
{
    logic.socketInfo(SockInfoKind::Connect);
    logic.socketInfo(SockInfoKind::Error);
    EXPECT_FALSE(env.has("close"));
    logic.socketInfo(SockInfoKind::Close);
    EXPECT_TRUE(env.has("close"));
}

TEST_F(Launch, AConnectionThatCannotBeMadeIsToldInTheChatAndTheTableStays)
{
    logic.processParams({"Bob", "10.0.0.5", "false"});
    env.clear();
    logic.connectFailed("10.0.0.5", "Error #111 (ECONNREFUSED)");
    logic.socketInfo(SockInfoKind::Error);
    EXPECT_EQ(lastLine(), "Could not connect to 10.0.0.5 (Error #111 (ECONNREFUSED)).");
    EXPECT_EQ(board().chat.lines.back().colour, kSystemColour);
    EXPECT_TRUE(env.log.empty()) << "nothing closes, nothing is sent";
}

TEST_F(Launch, GameIsFullShowsTheMessageAndEnds)
{
    EXPECT_EQ(host("CMD_full"), HandlerResult::Ignored) << "no \"+\": no command";
    EXPECT_TRUE(env.log.empty());
    EXPECT_EQ(host(msg::text(msg::Full{})), HandlerResult::Handled);
    EXPECT_EQ(env.log, std::vector<std::string>{"message then close Game is full"});
}

TEST_F(Launch, VersionNoticesAreSystemLines)
{
    host(msg::text(msg::HaveWrongVersion{"Ann"}));
    host(msg::text(msg::WrongVersion{}));
    EXPECT_EQ(chatTexts(),
              (std::vector<std::string>{"Ann has a different version of the game then you.",
                                        "You have a differnt version of the game then the host."}));
    for (const auto& line : board().chat.lines)
        EXPECT_EQ(line.colour, kSystemColour);
}

TEST_F(Launch, UnknownEmptyAndMisspelledCommandsAreIgnored)
{
    joinAs("Bob", 3);
    const Board before = board();
    for (const std::string m : {"", "+", "CMD_bogus+1+2", "cmd_chat+Bob chats: hi|clRed", "CMD_CHAT+x|clRed"})
        EXPECT_EQ(host(m), HandlerResult::Ignored) << m;
    EXPECT_EQ(board().chat.lines.size(), before.chat.lines.size());
    EXPECT_TRUE(env.log.empty());
}

TEST_F(Launch, AMalformedNumberStopsTheHandlerAtThatField)
{
    joinAs("Bob", 3);
    EXPECT_EQ(host("CMD_newplayerinfo+x4+Ann"), HandlerResult::Malformed);
    EXPECT_EQ(board().seat(4).name, kWaitingName);
    EXPECT_TRUE(env.sounds.empty());

    // What came before the bad field stands: die 1 is drawn, die 2 is not,
    // and neither the roll button nor the sound follow.
    host(host::nextplayer(3, 1, {1, 2, 3, 4, 5, 6}));
    env.clear();
    EXPECT_EQ(host("CMD_createdice+3+1+1+4+2+x+3+5"), HandlerResult::Malformed);
    EXPECT_FALSE(board().dicetimerRunning);
    EXPECT_EQ(board().rollCount, 1);
    EXPECT_EQ(board().die(1).face, 4);
    EXPECT_EQ(board().die(2).face, 0);
    EXPECT_TRUE(board().die(2).raised);
    EXPECT_TRUE(env.sounds.empty());

    // The next message is handled as usual.
    EXPECT_EQ(host(host::createdice(3, 1, faces({1, 2, 3, 4, 5}))), HandlerResult::Handled);
    EXPECT_EQ(board().die(2).face, 2);
}

} // namespace
} // namespace zk::test
