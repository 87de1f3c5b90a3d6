// Starting the real zonkards program: --help and --version, the command-line
// modes, one copy per runtime directory, and a lock left by a killed copy.
#include <gtest/gtest.h>

#include <QFileInfo>

#include "ZonkardsProcess.h"
#include "protocol/Commands.h"

namespace zk::test {
namespace {

// Logged in and arrived: the settings are applied at the own arrival.
bool loggedIn(const QJsonObject& b)
{
    return b["loggedIn"].toBool() && chatHas(b, "You are Connected.");
}

// Runs the program with one option and returns its exit code and output.
std::pair<int, std::string> runWithOption(const std::string& option)
{
    Sandbox box;
    int out[2];
    if (::pipe(out) != 0)
        return {-1, {}};
    const int pid =
        ZonkardsProcess::spawn({option}, {"QT_QPA_PLATFORM=offscreen"}, box.file("option.stderr"), out[1]);
    ::close(out[1]);
    std::string text;
    readUntil(out[0], text, "\n\n\n", 10000); // reads to the end of the output
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

TEST(AppLaunch, VersionAndHelpPrintAndEnd)
{
    const auto [versionCode, version] = runWithOption("--version");
    EXPECT_EQ(versionCode, 0);
    EXPECT_EQ(version, "zonkards 1.0.2\n");
    const auto [helpCode, help] = runWithOption("--help");
    EXPECT_EQ(helpCode, 0);
    EXPECT_NE(help.find("usage: zonkards [NAME HOST-ADDRESS true|false]"), std::string::npos) << help;
}

TEST(AppLaunch, WithoutArgumentsASoloGameHostsAsYou)
{
    Sandbox box;
    const int port = freeTcpPort();
    ZonkardsProcess solo(box, {}, port);
    ASSERT_TRUE(solo.connect()) << solo.stderrText();
    QJsonObject b;
    ASSERT_TRUE(solo.waitForBoard(loggedIn, kAppDeadlineMs, &b)) << solo.stderrText();
    EXPECT_EQ(b["ownName"].toString(), "You");
    EXPECT_EQ(b["ownSeat"].toInt(), 1);
    EXPECT_TRUE(b["hostFlag"].toBool());
    EXPECT_EQ(b["listeningPort"].toInt(), port);
    EXPECT_EQ(name(b, 1), "You");
    EXPECT_TRUE(b["startButton"].toBool());
    EXPECT_EQ(chatTexts(b).front(), "Loading Solo Game..Please wait.");
    EXPECT_TRUE(chatHas(b, "You are Connected."));
    EXPECT_FALSE(b["lobbyConnection"].toBool()) << "a solo game leaves the lobby's port alone";
    const auto windows = texts(b["windows"]);
    EXPECT_NE(std::find(windows.begin(), windows.end(), "chat"), windows.end());
    EXPECT_NE(std::find(windows.begin(), windows.end(), "Tdownload"), windows.end())
        << "the lobby download is offered beside the table";
    EXPECT_EQ(solo.quit(), 0);
}

TEST(AppLaunch, OneOrTwoArgumentsStayIdle)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"Ann"}, std::vector<std::string>{"Ann", "127.0.0.1"}}) {
        Sandbox box;
        const int port = freeTcpPort();
        // A host at the game's port: an idle table must not connect to it.
        TcpListener host(port);
        ASSERT_TRUE(host.ok());
        ZonkardsProcess idle(box, args, port);
        ASSERT_TRUE(idle.connect()) << idle.stderrText();
        QJsonObject b;
        ASSERT_TRUE(idle.waitForBoard(
            [](const QJsonObject& board) { return !board["chat"].toArray().isEmpty(); }, kAppDeadlineMs, &b));
        EXPECT_EQ(chatTexts(b), std::vector<std::string>{"Loading Multi-player Game.. Please Wait."});
        EXPECT_FALSE(b["startButton"].toBool());
        EXPECT_FALSE(b["menu"].toObject()["startGameEnabled"].toBool());
        EXPECT_FALSE(b["hostFlag"].toBool());
        EXPECT_EQ(b["listeningPort"].toInt(), 0);
        EXPECT_FALSE(b["lobbyConnection"].toBool());
        EXPECT_EQ(host.accept(500), -1) << "nothing connects";
        EXPECT_EQ(idle.quit(), 0);
    }
}

TEST(AppLaunch, ThreeArgumentsWithTrueHostAtHomeWhateverTheAddress)
{
    Sandbox box;
    const int port = freeTcpPort();
    ZonkardsProcess ann(box, {"Ann", "192.0.2.1", "true"}, port);
    ASSERT_TRUE(ann.connect()) << ann.stderrText();
    QJsonObject b;
    ASSERT_TRUE(ann.waitForBoard(loggedIn, kAppDeadlineMs, &b)) << ann.stderrText();
    EXPECT_EQ(chatTexts(b).front(), "Loading Multi-player Game.. Please Wait.");
    EXPECT_EQ(name(b, 1), "Ann");
    EXPECT_TRUE(b["hostFlag"].toBool());
    EXPECT_EQ(b["listeningPort"].toInt(), port);
    EXPECT_TRUE(b["lobbyConnection"].toBool());
    const auto windows = texts(b["windows"]);
    EXPECT_EQ(std::find(windows.begin(), windows.end(), "Tdownload"), windows.end());
    EXPECT_EQ(ann.quit(), 0);
}

// A stand-in host on the game's port reads the login of a joining table.
std::string loginSeenByHost(TcpListener& host, int seat)
{
    const int conn = host.accept(kAppDeadlineMs);
    if (conn < 0)
        return "<no connection>";
    sendAll(conn, "CMD_sendlogininfo+" + std::to_string(seat) + '\xFF');
    std::string bytes;
    readUntil(conn, bytes, "\xFF\xFF", kAppDeadlineMs);
    return bytes;
}

TEST(AppLaunch, ThreeArgumentsOtherThanTrueJoinTheAddressAndOpenTheLobbyPort)
{
    // The lobby's port is fixed; when another program holds it, the table's
    // own report of the connection stands in for seeing it arrive.
    TcpListener lobby(kLobbyPort);
    for (const char* flag : {"True", "false"}) {
        Sandbox box;
        const int port = freeTcpPort();
        TcpListener host(port);
        ASSERT_TRUE(host.ok());
        ZonkardsProcess bob(box, {"Bob", "127.0.0.1", flag}, port);
        ASSERT_TRUE(bob.connect()) << bob.stderrText();
        EXPECT_EQ(loginSeenByHost(host, 3), std::string("CMD_logininfo+3+1.0.2+Bob\xFF\xFF")) << flag;
        QJsonObject b;
        // The stand-in host announces nobody: logged in, never arrived.
        ASSERT_TRUE(bob.waitForBoard([](const QJsonObject& board) { return board["loggedIn"].toBool(); },
                                     kAppDeadlineMs, &b));
        EXPECT_EQ(b["ownSeat"].toInt(), 3);
        EXPECT_FALSE(b["hostFlag"].toBool()) << flag << " joins";
        EXPECT_EQ(b["listeningPort"].toInt(), 0);
        EXPECT_FALSE(b["startButton"].toBool());
        EXPECT_TRUE(b["lobbyConnection"].toBool());
        if (lobby.ok()) {
            EXPECT_GE(lobby.accept(kAppDeadlineMs), 0) << "the lobby's port is connected";
        }
        EXPECT_EQ(bob.quit(), 0);
    }
}

TEST(AppLaunch, AFailedConnectionLeavesTheTableOpenAndSaysSo)
{
    Sandbox box;
    const int port = freeTcpPort(); // nobody listens there
    ZonkardsProcess bob(box, {"Bob", "127.0.0.1", "false"}, port);
    ASSERT_TRUE(bob.connect()) << bob.stderrText();
    QJsonObject b;
    ASSERT_TRUE(bob.waitForBoard([](const QJsonObject& board) { return chatTexts(board).size() >= 2; },
                                 kAppDeadlineMs, &b));
    EXPECT_EQ(chatTexts(b)[1].rfind("Could not connect to 127.0.0.1 (", 0), 0u) << chatTexts(b)[1];
    EXPECT_FALSE(b["loggedIn"].toBool());
    EXPECT_TRUE(bob.running());
    // "Start Game" needs the login.
    EXPECT_EQ(bob.command("menu Start Game"), "error disabled");
    EXPECT_EQ(bob.quit(), 0);
}

TEST(AppLaunch, HostingOnAPortInUseIsReportedAndTheTableStaysIdle)
{
    Sandbox box;
    const int port = freeTcpPort();
    TcpListener other(port);
    ASSERT_TRUE(other.ok());
    ZonkardsProcess ann(box, {"Ann", "127.0.0.1", "true"}, port);
    ASSERT_TRUE(ann.connect()) << ann.stderrText();
    QJsonObject b;
    ASSERT_TRUE(ann.waitForBoard(
        [](const QJsonObject& board) { return !board["messages"].toArray().isEmpty(); }, kAppDeadlineMs, &b));
    const std::string message = b["messages"].toArray()[0].toString().toStdString();
    EXPECT_NE(message.find("port " + std::to_string(port)), std::string::npos) << message;
    EXPECT_FALSE(b["hostFlag"].toBool());
    EXPECT_FALSE(b["startButton"].toBool());
    EXPECT_EQ(other.accept(300), -1) << "a table that cannot host does not connect either";
    EXPECT_EQ(ann.quit(), 0);
}

TEST(AppLaunch, ASecondCopyBringsTheFirstForwardAndEndsWithoutAWindow)
{
    Sandbox box;
    const int port = freeTcpPort();
    ZonkardsProcess first(box, {"Ann"}, port);
    ASSERT_TRUE(first.connect()) << first.stderrText();
    ASSERT_TRUE(first.waitForBoard([](const QJsonObject& b) { return !b["chat"].toArray().isEmpty(); }));

    // The same runtime directory; an automation link of its own, which a copy
    // that made its windows would call.
    ZonkardsProcess second(box, {}, port, {}, "second");
    EXPECT_EQ(second.wait(), 0);
    EXPECT_FALSE(second.link().accept(200)) << "the second copy made no window";
    EXPECT_TRUE(first.link().waitForEvent("raised"));
    EXPECT_TRUE(first.running());
    EXPECT_EQ(first.board()["listeningPort"].toInt(), 0) << "the solo command line was never read";
    EXPECT_EQ(first.quit(), 0);
}

TEST(AppLaunch, ALockLeftByAKilledCopyDoesNotBlockTheNextStart)
{
    Sandbox box;
    const int port = freeTcpPort();
    {
        ZonkardsProcess killed(box, {"Ann"}, port);
        ASSERT_TRUE(killed.connect()) << killed.stderrText();
        killed.signal(SIGKILL);
        EXPECT_EQ(killed.wait(), -1);
    }
    ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(box.file("nalrouq"))))
        << "the killed copy left its lock file behind";
    ZonkardsProcess next(box, {"Ann"}, port, {}, "next");
    ASSERT_TRUE(next.connect()) << next.stderrText();
    EXPECT_TRUE(next.running());

    // And it is the one running copy now.
    ZonkardsProcess third(box, {"Ann"}, port, {}, "third");
    EXPECT_EQ(third.wait(), 0);
    EXPECT_TRUE(next.link().waitForEvent("raised"));
    EXPECT_EQ(next.quit(), 0);
}

} // namespace
} // namespace zk::test
