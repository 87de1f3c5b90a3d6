// Several real zonkards programs at one game over loopback, each in its own
// runtime and data directory: a host and a joiner log in, chat and part; a
// late joiner sees the running game's score card.
#include <gtest/gtest.h>

#include "HostProcess.h"
#include "ZonkardsProcess.h"

namespace zk::test {
namespace {

TEST(Tables, HostAndJoinerLogInChatAndTheHostRemovesTheJoiner)
{
    Sandbox annBox, bobBox;
    const int port = freeTcpPort();
    ZonkardsProcess ann(annBox, {"Ann", "127.0.0.1", "true"}, port);
    ASSERT_TRUE(ann.connect()) << ann.stderrText();
    ASSERT_TRUE(ann.waitForBoard(seated({"Ann"}))) << ann.stderrText();
    ZonkardsProcess bob(bobBox, {"Bob", "127.0.0.1", "false"}, port);
    ASSERT_TRUE(bob.connect()) << bob.stderrText();

    QJsonObject a, b;
    ASSERT_TRUE(ann.waitForBoard(seated({"Ann", "Bob"}), kAppDeadlineMs, &a));
    ASSERT_TRUE(bob.waitForBoard(seated({"Ann", "Bob"}), kAppDeadlineMs, &b));
    EXPECT_EQ(a["ownSeat"].toInt(), 1);
    EXPECT_EQ(b["ownSeat"].toInt(), 2);
    EXPECT_TRUE(chatHas(a, "Bob is Connected."));
    EXPECT_TRUE(chatHas(b, "You are Connected."));

    // Typed into Bob's entry field, seen on both tables with his name.
    EXPECT_EQ(bob.command("type Hi Ann, deal the dice!"), "ok");
    const auto hasLine = [](const QJsonObject& board) {
        return chatHas(board, "Bob chats: Hi Ann, deal the dice!");
    };
    EXPECT_TRUE(bob.waitForBoard(hasLine));
    EXPECT_TRUE(ann.waitForBoard(hasLine));
    EXPECT_EQ(bob.board()["entry"].toString(), "") << "the entry field is empty again";

    // A joiner has no seat menu; the host does.
    EXPECT_EQ(bob.command("seatmenu 1 Remove From Game"), "error disabled");
    EXPECT_EQ(ann.command("seatmenu 2 Remove From Game"), "ok");
    EXPECT_EQ(bob.wait(), 0) << "the removed table's program ends";
    EXPECT_TRUE(ann.waitForBoard([](const QJsonObject& board) {
        return chatHas(board, "Bob disconnected.") && name(board, 2) != "Bob";
    }));
    EXPECT_EQ(ann.quit(), 0);
}

// The first category the board offers, 0 when none.
int offeredCategory(const QJsonObject& b)
{
    const QJsonArray rows = b["categories"].toArray();
    for (int c = 0; c < rows.size(); ++c) {
        const QJsonObject row = rows[c].toObject();
        if (row["button"].toBool() && row["flag"].toString() == "t")
            return c + 1;
    }
    return 0;
}

TEST(Tables, TheFirstTableOfAHeadlessHostStartsAGameAndPlaysItToTheWinner)
{
    HostProcess host({"--port", "0", "--bot-speed", "1"});
    ASSERT_GT(host.port(), 0);
    Sandbox box;
    ZonkardsProcess ann(box, {"Ann", "127.0.0.1", "false"}, host.port());
    ASSERT_TRUE(ann.connect()) << ann.stderrText();
    QJsonObject b;
    ASSERT_TRUE(ann.waitForBoard(seated({"Ann"}), kAppDeadlineMs, &b));
    EXPECT_EQ(b["ownSeat"].toInt(), 1);
    EXPECT_TRUE(b["startButton"].toBool());
    EXPECT_TRUE(b["menu"].toObject()["startGameEnabled"].toBool());
    EXPECT_EQ(ann.command("click start"), "ok");
    EXPECT_EQ(ann.command("press gamestart Image1"), "ok");

    // Ann plays every turn of hers: a roll, the first category offered,
    // then rolls until the third; the computer plays seat 2.
    const auto actionable = [](const QJsonObject& board) {
        const bool own = board["currentSeat"].toInt() == board["ownSeat"].toInt();
        return board["status"].toString() == "Game Over!" || (own && board["rollButton"].toBool());
    };
    int ownTurns = 0;
    while (true) {
        ASSERT_TRUE(ann.waitForBoard(actionable, 60000, &b)) << ann.stderrText();
        if (b["status"].toString() == "Game Over!")
            break;
        if (b["rollCount"].toInt() >= 1 && b["selectedCategory"].toInt() == 0) {
            const int category = offeredCategory(b);
            ASSERT_GT(category, 0);
            EXPECT_EQ(ann.command("click category " + std::to_string(category)), "ok");
        } else {
            ownTurns += b["rollCount"].toInt() == 0;
            EXPECT_EQ(ann.command("click roll"), "ok");
        }
        // The request is answered before the table acts again.
        ASSERT_TRUE(ann.waitForBoard([](const QJsonObject& board) {
            return board["currentSeat"].toInt() != 0;
        })) << ann.stderrText();
    }
    EXPECT_EQ(ownTurns, 7);
    EXPECT_TRUE(b["winnerPanel"].toBool());
    EXPECT_TRUE(b["startButton"].toBool()) << "the first table may start the next game";
    EXPECT_EQ(ann.quit(), 0);
}

TEST(Tables, WhenTheHostEndsEveryJoinedTableEnds)
{
    Sandbox annBox, bobBox;
    const int port = freeTcpPort();
    ZonkardsProcess ann(annBox, {"Ann", "127.0.0.1", "true"}, port);
    ASSERT_TRUE(ann.connect());
    ASSERT_TRUE(ann.waitForBoard(seated({"Ann"})));
    ZonkardsProcess bob(bobBox, {"Bob", "127.0.0.1", "false"}, port);
    ASSERT_TRUE(bob.connect());
    ASSERT_TRUE(bob.waitForBoard(seated({"Ann", "Bob"})));
    ann.signal(SIGINT);
    EXPECT_EQ(ann.wait(), 0) << "Ctrl-C closes the game as File, Exit does";
    EXPECT_EQ(bob.wait(), 0) << bob.stderrText();
}

TEST(Tables, ATableThatFindsTheGameFullEndsItsProgram)
{
    Sandbox annBox, lateBox;
    const int port = freeTcpPort();
    ZonkardsProcess ann(annBox, {"Ann", "127.0.0.1", "true"}, port);
    ASSERT_TRUE(ann.connect());
    ASSERT_TRUE(ann.waitForBoard(seated({"Ann"})));
    // Eight more connections fill slots 2 to 9.
    std::vector<std::unique_ptr<LineClient>> others;
    for (int i = 2; i <= 9; ++i) {
        others.push_back(std::make_unique<LineClient>(port));
        ASSERT_EQ(others.back()->login("P" + std::to_string(i)), i);
    }
    ZonkardsProcess late(lateBox, {"Zoe", "127.0.0.1", "false"}, port);
    ASSERT_TRUE(late.connect());
    EXPECT_EQ(late.wait(), 0) << "\"Game is full\" ends the program, whichever comes first";
    EXPECT_TRUE(ann.running());
    EXPECT_EQ(ann.quit(), 0);
}

TEST(Tables, AHostThatFloodsATableEndsItInsteadOfGrowingIt)
{
    // A hostile host: a storm of terminators (empty messages, which mean
    // nothing) and far more chat lines than any host sends at once.
    Sandbox box;
    const int port = freeTcpPort();
    TcpListener evil(port);
    ASSERT_TRUE(evil.ok());
    ZonkardsProcess bob(box, {"Bob", "127.0.0.1", "false"}, port);
    const int fd = evil.accept(kAppDeadlineMs);
    ASSERT_GE(fd, 0);
    sendAll(fd, "CMD_sendlogininfo+2\xFF" + std::string(1 << 20, '\xFF'));
    std::string flood;
    for (int i = 0; i < 20000; ++i)
        flood += "CMD_chat+Evil chats: " + std::to_string(i) + "|clBlack\xFF";
    sendAll(fd, flood);
    EXPECT_EQ(bob.wait(), 0) << bob.stderrText();
}

TEST(Tables, ALateJoinerSeesTheSameScoreCard)
{
    Sandbox annBox, bobBox, cyBox;
    const int port = freeTcpPort();
    ZonkardsProcess ann(annBox, {"Ann", "127.0.0.1", "true"}, port);
    ASSERT_TRUE(ann.connect());
    ASSERT_TRUE(ann.waitForBoard(seated({"Ann"})));
    ZonkardsProcess bob(bobBox, {"Bob", "127.0.0.1", "false"}, port);
    ASSERT_TRUE(bob.connect());
    ASSERT_TRUE(ann.waitForBoard(seated({"Ann", "Bob"})));

    // Ann starts; then both let the computer play for them at the fast pace.
    EXPECT_EQ(ann.command("menu Fast"), "ok");
    EXPECT_EQ(ann.command("click start"), "ok");
    EXPECT_EQ(ann.command("press gamestart Image1"), "ok");
    const auto inGame = [](const QJsonObject& b) { return b["round"].toString() == "Round: 1"; };
    ASSERT_TRUE(ann.waitForBoard(inGame));
    ASSERT_TRUE(bob.waitForBoard(inGame));
    EXPECT_EQ(ann.command("menu Just Watch"), "ok");
    EXPECT_EQ(bob.command("menu Just Watch"), "ok");

    // Once both seats have scores, Cy joins.
    const auto bothScored = [](const QJsonObject& b) {
        const auto c = cells(b);
        return !c[0][7].empty() && !c[1][7].empty();
    };
    ASSERT_TRUE(ann.waitForBoard(bothScored, 120000));
    ZonkardsProcess cy(cyBox, {"Cy", "127.0.0.1", "false"}, port);
    ASSERT_TRUE(cy.connect());

    // Every table shows the same card (the game goes on meanwhile, so the
    // three are read until they agree at one moment).
    QJsonObject a, c;
    const auto deadline = Clock::now() + std::chrono::milliseconds(120000);
    bool same = false;
    while (!same && msLeft(deadline) > 0) {
        a = ann.board();
        c = cy.board();
        const QJsonObject b = bob.board();
        same = c["loggedIn"].toBool() && cells(a) == cells(c) && cells(b) == cells(c) &&
               texts(a["names"]) == texts(c["names"]);
        if (!same)
            ::usleep(50000);
    }
    EXPECT_TRUE(same) << "Ann's and Cy's cards differ";
    EXPECT_EQ(name(c, 1), "Ann");
    EXPECT_EQ(name(c, 2), "Bob");
    EXPECT_FALSE(cells(c)[0][7].empty()) << "the scores before Cy came are on his card";
    EXPECT_EQ(c["ownSeat"].toInt(), 3);
    EXPECT_EQ(cy.quit(), 0);
    EXPECT_EQ(bob.quit(), 0);
    EXPECT_EQ(ann.quit(), 0);
}

} // namespace
} // namespace zk::test
