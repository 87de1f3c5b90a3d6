// Arrivals, departures, spies, just watching, the seat menu and removals.
#include "TableTestSupport.h"

namespace zk::test {
namespace {

using Roster = TableTest;

TEST_F(Roster, OwnArrivalAsPlayerConnectsThenLoadsSettings)
{
    logic.processParams({"Bob", "10.0.0.5", "false"});
    host(host::sendlogininfo(3));
    env.clear();
    host(host::existing(1, "Ann"));
    host(host::newplayer(3, "Bob"));
    EXPECT_EQ(chatTexts(), (std::vector<std::string>{"Loading Multi-player Game.. Please Wait.",
                                                     "Ann is Connected.", "You are Connected."}));
    EXPECT_EQ(board().seat(1).name, "Ann");
    EXPECT_EQ(board().seat(3).name, "Bob");
    EXPECT_EQ(env.log, (std::vector<std::string>{"sound entered", "load settings", "sound entered"}));
    EXPECT_TRUE(board().spyList.entries.empty());
}

TEST_F(Roster, OwnArrivalAsSpectatorListsItselfAsSpy)
{
    logic.processParams({"Cat", "10.0.0.5", "false"});
    host(host::sendlogininfo(7));
    host(host::existing(1, "Ann"));
    host(host::existing(8, "Dan"));
    host(host::newplayer(7, "Cat"));
    const auto lines = chatTexts();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 5, lines.end()),
              (std::vector<std::string>{"Ann is Connected.", "Dan is Connected.", "Dan is spying.",
                                        "You are Connected.", "You are spying."}));
    EXPECT_EQ(board().spyList.entries, (std::vector<std::string>{"8: Dan", "7: Cat"}));
    for (int s = 2; s <= 6; ++s)
        EXPECT_EQ(board().seat(s).name, kWaitingName);
    EXPECT_EQ(env.count("sound entered"), 3);
    EXPECT_EQ(env.count("load settings"), 1);
}

TEST_F(Roster, ArrivalLeavesMarkersAlone)
{
    joinAs("Bob", 3);
    host(host::startgame("Ann", 5)); // seat 4 empty: not playing
    host(host::newplayer(4, "Eve"));
    EXPECT_EQ(board().seat(4).name, "Eve");
    EXPECT_TRUE(board().seat(4).notPlaying) << "kept until the next game starts";
}

TEST_F(Roster, SeatTwoLeftByItsPlayerShowsKlot)
{
    joinAs("Bob", 3);
    host(host::existing(2, "Ann"));
    host(host::disconnected(2, "Ann"));
    EXPECT_EQ(board().seat(2).name, "Klot");
    EXPECT_EQ(lastLine(), "Ann disconnected.");
    EXPECT_FALSE(board().seat(2).notPlaying) << "seat 2 has no not-playing marker";

    const auto count = board().chat.lines.size();
    host(host::disconnected(2, "Ann"));
    EXPECT_EQ(board().chat.lines.size(), count) << "Klot never disconnects";
    EXPECT_EQ(board().seat(2).name, "Klot");
}

TEST_F(Roster, DepartureNamesWhomTheLabelShowed)
{
    joinAs("Bob", 3);
    host(host::existing(4, "Eve"));
    host(host::justwatching(4, "1"));
    ASSERT_TRUE(board().seat(4).eyes);
    host(host::disconnected(4, "Mallory"));
    EXPECT_EQ(lastLine(), "Eve disconnected.");
    EXPECT_EQ(board().seat(4).name, kWaitingName);
    EXPECT_TRUE(board().seat(4).notPlaying);
    EXPECT_FALSE(board().seat(4).eyes);
}

TEST_F(Roster, DepartureOfAnEmptySeatWritesNothingButMarksIt)
{
    joinAs("Bob", 3);
    const auto count = board().chat.lines.size();
    host(host::disconnected(5, "Ghost"));
    EXPECT_EQ(board().chat.lines.size(), count);
    EXPECT_TRUE(board().seat(5).notPlaying);
}

TEST_F(Roster, SpiesLeaveByTheirEntry)
{
    joinAs("Bob", 3);
    host(host::newplayer(8, "Dan"));
    host(host::newplayer(9, "Fay"));
    EXPECT_EQ(lastLine(), "Fay is spying.");

    host(host::disconnected(9, "Someone"));
    EXPECT_EQ(lastLine(), "Fay is spying.") << "an entry not in the list changes nothing";
    host(host::disconnected(8, "Dan"));
    EXPECT_EQ(lastLine(), "Dan has left.");
    EXPECT_EQ(board().spyList.entries, std::vector<std::string>{"9: Fay"});
}

TEST_F(Roster, JustWatchingMarksTheSeatAndTheOwnMenuItem)
{
    joinAs("Bob", 3);
    host(host::existing(4, "Eve"));
    host(host::justwatching(3, "1"));
    EXPECT_TRUE(board().menu.justWatchChecked);
    EXPECT_TRUE(board().seat(3).eyes);
    EXPECT_EQ(lastLine(), "Bob is just watching");

    host(host::justwatching(4, "1"));
    EXPECT_TRUE(board().seat(4).eyes);
    host(host::justwatching(3, "2"));
    EXPECT_FALSE(board().menu.justWatchChecked);
    EXPECT_FALSE(board().seat(3).eyes);
    EXPECT_EQ(lastLine(), "Bob is now playing again");
    EXPECT_TRUE(board().seat(4).eyes) << "only the named seat changes";

    const auto count = board().chat.lines.size();
    EXPECT_EQ(host(host::justwatching(7, "1")), HandlerResult::Ignored);
    EXPECT_EQ(board().chat.lines.size(), count);
}

TEST_F(Roster, JustWatchAsksTheHostAndLeavesTheTickToItsAnswer)
{
    logic.seatMenus().justWatchClick();
    EXPECT_TRUE(env.sent.empty()) << "not logged in";

    joinAs("Bob", 3);
    logic.seatMenus().justWatchClick();
    EXPECT_EQ(env.lastSent(), "CMD_justwatch+3+1");
    EXPECT_FALSE(board().menu.justWatchChecked);
    host(host::justwatching(3, "1"));
    logic.seatMenus().justWatchClick();
    EXPECT_EQ(env.lastSent(), "CMD_justwatch+3+2");
}

TEST_F(Roster, AWatchedOwnTurnIsTheComputersUntilThePlayerTakesItBack)
{
    joinAs("Bob", 3);
    host(host::startgame("Ann", 0));
    host(host::justwatching(3, "1"));
    env.clear();

    host(host::nextplayer(3, 1, {1, 2, 3, 4, 5, 6}));
    host(host::createdice(3, 1, faces({2, 2, 5, 2, 6})));
    host(host::selectedcat(3, 2));
    EXPECT_EQ(board().status, "Bob's turn");
    EXPECT_FALSE(board().rollButtonShown);
    EXPECT_EQ(env.sounds, (std::vector<std::string>{"dice", "select"})) << "no turn sound";
    logic.dieRelease(1, MouseButton::Left);
    logic.categoryButtonClick(2);
    EXPECT_TRUE(env.sent.empty()) << "the computer plays this turn";

    // Taken back before the second roll: the turn as it stands.
    host(host::justwatching(3, "2"));
    EXPECT_EQ(board().status, "Your Turn");
    EXPECT_TRUE(board().rollButtonShown);
    logic.rollClick();
    EXPECT_EQ(env.lastSent(), "CMD_rollthedice+3+1+2+3+4+5");

    // Set to watch again during the next turn, before any choice: the roll
    // button and the offer go, and come back with the seat.
    host(host::nextplayer(3, 2, {1, 3, 4}));
    host(host::justwatching(3, "1"));
    EXPECT_FALSE(board().rollButtonShown);
    EXPECT_FALSE(board().category(1).buttonShown);
    host(host::justwatching(3, "2"));
    EXPECT_TRUE(board().rollButtonShown);
    EXPECT_TRUE(board().category(1).buttonShown && board().category(4).buttonShown);
    EXPECT_FALSE(board().category(2).buttonShown) << "only what the turn offered";

    // A roll button left on the board never outlives the own turn.
    host(host::nextplayer(4, 2, {1}));
    EXPECT_FALSE(board().rollButtonShown);
}

TEST_F(Roster, ASpectatorCannotJustWatch)
{
    joinAs("Cat", 7);
    logic.seatMenus().justWatchClick();
    EXPECT_TRUE(env.sent.empty());
}

TEST_F(Roster, SeatMenuOnTheHostingTable)
{
    hostAs("Ann");
    host(host::existing(3, "Bob"));
    logic.seatMenus().seatMenuOpening(4); // empty seat
    EXPECT_FALSE(board().seatMenu.removeEnabled);
    EXPECT_TRUE(board().seatMenu.setJustWatchEnabled);
    EXPECT_TRUE(board().seatMenu.unsetJustWatchEnabled);
    logic.seatMenus().removeFromGameClick();
    EXPECT_TRUE(env.sent.empty());
    logic.seatMenus().setToJustWatchClick();
    EXPECT_EQ(env.lastSent(), "CMD_justwatch+4+1");

    logic.seatMenus().seatMenuOpening(3);
    EXPECT_TRUE(board().seatMenu.removeEnabled);
    logic.seatMenus().unsetJustWatchClick();
    EXPECT_EQ(env.lastSent(), "CMD_justwatch+3+2");
    logic.seatMenus().removeFromGameClick();
    EXPECT_EQ(env.lastSent(), "CMD_kickhim+1+3+");
}

TEST_F(Roster, AJoinedTableRemovesNobody)
{
    joinAs("Bob", 3);
    host(host::existing(1, "Ann"));
    logic.seatMenus().seatMenuOpening(1);
    EXPECT_FALSE(board().seatMenu.removeEnabled);
    EXPECT_FALSE(board().seatMenu.setJustWatchEnabled);
    EXPECT_FALSE(board().seatMenu.unsetJustWatchEnabled);
    logic.seatMenus().removeFromGameClick();
    logic.seatMenus().setToJustWatchClick();
    logic.seatMenus().unsetJustWatchClick();
    logic.seatMenus().kicking(1);
    host(host::newplayer(7, "Cat"));
    logic.seatMenus().spyPointerOver(0);
    logic.seatMenus().spyRemoveClick();
    EXPECT_TRUE(env.sent.empty());
}

TEST_F(Roster, SpyListRemovesTheEntryUnderThePointer)
{
    hostAs("Ann");
    host(host::newplayer(7, "Cat"));
    host(host::newplayer(9, "Fay"));
    logic.seatMenus().spyPointerOver(5); // below the last entry
    logic.seatMenus().spyRemoveClick();
    EXPECT_TRUE(env.sent.empty());
    logic.seatMenus().spyPointerOver(1);
    logic.seatMenus().spyRemoveClick();
    EXPECT_EQ(env.lastSent(), "CMD_kickhim+1+9+");

    // The departure removes it; the pointer's entry moves with the list.
    logic.seatMenus().spyPointerOver(1);
    host(host::disconnected(7, "Cat"));
    EXPECT_EQ(board().spyList.entries, std::vector<std::string>{"9: Fay"});
    EXPECT_EQ(board().spyList.entryUnderPointer, 0);
}

} // namespace
} // namespace zk::test
