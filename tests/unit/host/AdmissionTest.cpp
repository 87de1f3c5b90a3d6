// Who is at the table: slots, login and announcements, the late joiner's
// snapshot, kicks, just watching, relays and departures; and that the
// sender of a message is the connection it came on.
#include "EngineTestUtil.h"

namespace zk::test {
namespace {

using Strings = std::vector<std::string>;

TEST(Admission, SlotsAreGivenInOrderAndFreedSlotsAreReused)
{
    HostHarness h;
    EXPECT_EQ(h.connect(), 1);
    EXPECT_EQ(h.to(1), Strings{"CMD_sendlogininfo+1"});
    EXPECT_EQ(h.connect(), 2);
    EXPECT_EQ(h.connect(), 3);
    h.vanish(2);
    EXPECT_EQ(h.connect(), 2); // the first free slot, not slot 4
    EXPECT_EQ(h.engine.connections(), 3);
    EXPECT_EQ(h.to(2), (Strings{"CMD_sendlogininfo+2", "CMD_sendlogininfo+2"}));
    EXPECT_EQ(h.deadSends, 0);
}

TEST(Admission, TheTenthConnectionIsRefusedAndTheNineStay)
{
    HostHarness h;
    for (int i = 1; i <= 9; ++i)
        ASSERT_EQ(h.login("P" + std::to_string(i)), i);
    const std::size_t before = h.log.size();
    EXPECT_EQ(h.connect(), kRefusalSlot);
    ASSERT_EQ(h.log.size(), before + 1); // nobody else hears of it
    EXPECT_EQ(h.log.back().slot, kRefusalSlot);
    EXPECT_EQ(h.log.back().text, "CMD_full+");
    EXPECT_EQ(h.closedSlots, std::vector<int>{kRefusalSlot});
    EXPECT_FALSE(h.engine.player(kRefusalSlot).connected);
    for (int i = 1; i <= 9; ++i)
        EXPECT_TRUE(h.engine.player(i).connected);

    // One leaves: the next newcomer takes its slot and is not refused.
    h.vanish(6);
    EXPECT_EQ(h.connect(), 6);
    EXPECT_EQ(h.deadSends, 0);
}

TEST(Admission, NewcomerHearsAboutItselfThenTheOthersInSlotOrder)
{
    HostHarness h;
    h.login("Ann");
    h.login("Bob");
    h.connect(); // slot 3, not logged in yet
    h.clear();
    const int d = h.login("Dee+Dum"); // a "+" in the name arrives whole
    ASSERT_EQ(d, 4);
    EXPECT_EQ(h.to(4),
              (Strings{"CMD_sendlogininfo+4", "CMD_newplayerinfo+4+Dee+Dum", "CMD_existingplayers+1+Ann",
                       "CMD_existingplayers+2+Bob", "CMD_existingplayers+3+"}));
    for (int s = 1; s <= 3; ++s)
        EXPECT_EQ(h.to(s), Strings{"CMD_newplayerinfo+4+Dee+Dum"});
    EXPECT_EQ(h.engine.player(4).name, "Dee+Dum");
    EXPECT_TRUE(h.notices.empty());
}

TEST(Admission, LoginSlotFieldIsTheConnectionsOwn)
{
    HostHarness h;
    h.login("Ann");
    const int b = h.connect();
    h.say(b, "CMD_logininfo+1+1.0.2+Mallory"); // claims slot 1
    EXPECT_EQ(h.engine.player(1).name, "Ann");
    EXPECT_EQ(h.engine.player(b).name, "Mallory");
    EXPECT_EQ(h.last(1), "CMD_newplayerinfo+2+Mallory");
    // A connection logs in once: a second login renames nobody.
    h.clear();
    h.say(b, "CMD_logininfo+2+1.0.2+Ann");
    EXPECT_EQ(h.engine.player(b).name, "Mallory");
    EXPECT_TRUE(h.to(1).empty());
}

TEST(Admission, DifferingVersionIsReportedToSlotOneAndTheNewcomerOnly)
{
    HostHarness h;
    h.login("Ann");
    h.login("Bob");
    h.clear();
    h.login("Old", "1.0.1");
    EXPECT_EQ(h.to(1), (Strings{"CMD_newplayerinfo+3+Old", "CMD_havewrongversion+Old"}));
    EXPECT_EQ(h.to(2), Strings{"CMD_newplayerinfo+3+Old"});
    EXPECT_EQ(h.last(3), "CMD_wrongversion+");
    EXPECT_TRUE(h.engine.player(3).connected); // the connection stays
}

TEST(Admission, LateJoinerGetsTheTurnAndTheScoreCard)
{
    HostHarness h;
    h.login("Ann");
    h.login("Bob");
    startGame(h, 3);
    // Seat 1 rolls once and chooses fours.
    h.dice.push({4, 4, 1, 2, 6});
    h.say(1, roll(1, "1+2+3+4+5"));
    h.say(1, select(1, 4));
    h.clear();
    const int c = h.login("Cat");
    ASSERT_EQ(c, 3);
    const Strings got = h.to(3);
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[1], "CMD_newplayerinfo+3+Cat");
    EXPECT_EQ(got[2], "CMD_existingplayers+1+Ann");
    EXPECT_EQ(got[3], "CMD_existingplayers+2+Bob");
    EXPECT_EQ(got[4], "CMD_loadstats+3+1+3+1+1+4" + fivePairs({4, 4, 1, 2, 6}));
    const std::string open = "*1*-1*2*-1*3*-1*4*-1*5*-1*6*-1*7*-1*8*0";
    EXPECT_EQ(got[5], "CMD_loadscores+3+1*t" + open + "+2*t" + open + "+3*f" + open + "+4*f" + open + "+5*f" +
                          open + "+6*f" + open);
}

TEST(Admission, AfterTheGameANewcomerGetsNoSnapshot)
{
    HostHarness h(1);
    h.login("Ann");
    h.say(1, "CMD_startgame+Ann+0+");
    h.say(1, "CMD_justwatch+1+1"); // the computer plays both seats to the end
    ASSERT_TRUE(h.runUntil([&] { return !h.engine.gameStarted(); }));
    h.clear();
    h.login("Late");
    EXPECT_TRUE(h.named(2, "CMD_loadstats").empty());
    EXPECT_TRUE(h.named(2, "CMD_loadscores").empty());
}

TEST(Kick, OnlySlotOneSpeakingForItselfRemovesAPlayer)
{
    HostHarness h;
    for (const char* n : {"Ann", "Bob", "Cat", "Dee", "Eve", "Fay", "Spy"})
        h.login(n);
    h.clear();
    EXPECT_EQ(h.say(2, "CMD_kickhim+2+7+"), HandlerResult::Ignored);
    EXPECT_EQ(h.say(2, "CMD_kickhim+1+7+"), HandlerResult::Ignored); // forged sender
    EXPECT_EQ(h.say(1, "CMD_kickhim+1+0+"), HandlerResult::Ignored);
    EXPECT_EQ(h.say(1, "CMD_kickhim+1+12+"), HandlerResult::Ignored);
    EXPECT_EQ(h.say(1, "CMD_kickhim+1+x+"), HandlerResult::Malformed);
    EXPECT_TRUE(h.log.empty());
    EXPECT_TRUE(h.closedSlots.empty());

    EXPECT_EQ(h.say(1, "CMD_kickhim+1+7+"), HandlerResult::Handled);
    EXPECT_EQ(h.closedSlots, std::vector<int>{7});
    for (int s = 1; s <= 6; ++s)
        EXPECT_EQ(h.to(s), Strings{"CMD_playerdisconnected+7+Spy"});
    EXPECT_TRUE(h.to(7).empty()); // nothing on the closed slot
    EXPECT_FALSE(h.engine.player(7).connected);
    EXPECT_EQ(h.engine.player(7).name, "");
    EXPECT_EQ(h.deadSends, 0);
}

TEST(JustWatch, SeatsOnlyDuringAGameAndOnlyByThemselvesOrSlotOne)
{
    HostHarness h;
    for (const char* n : {"Ann", "Bob", "Cat", "Dee", "Eve", "Fay", "Spy"})
        h.login(n);
    h.clear();
    EXPECT_EQ(h.say(3, "CMD_justwatch+3+1"), HandlerResult::Ignored); // no game yet
    EXPECT_EQ(h.say(3, "CMD_justwatch+3+2"), HandlerResult::Handled); // always allowed
    EXPECT_EQ(h.last(6), "CMD_justwatching+3+2");
    startGame(h);
    h.clear();
    EXPECT_EQ(h.say(7, "CMD_justwatch+7+1"), HandlerResult::Ignored); // a spectator slot
    EXPECT_EQ(h.say(3, "CMD_justwatch+4+1"), HandlerResult::Ignored); // someone else's seat
    EXPECT_EQ(h.say(3, "CMD_justwatch+3+3"), HandlerResult::Ignored); // no such mode
    EXPECT_TRUE(h.log.empty());
    EXPECT_EQ(h.say(3, "CMD_justwatch+3+1"), HandlerResult::Handled);
    EXPECT_TRUE(h.engine.player(3).watching);
    EXPECT_EQ(h.say(1, "CMD_justwatch+4+1"), HandlerResult::Handled); // the seat menu
    EXPECT_TRUE(h.engine.player(4).watching);
    for (int s = 1; s <= 7; ++s)
        EXPECT_EQ(h.to(s), (Strings{"CMD_justwatching+3+1", "CMD_justwatching+4+1"}));
    EXPECT_FALSE(h.engine.timer1().enabled); // neither seat is on turn
}

TEST(Relays, ChatActionAndSoundGoToAllWithTheSendersName)
{
    HostHarness h;
    h.login("Ann");
    h.login("Bob");
    h.connect(); // not logged in: still hears everything
    h.clear();
    h.say(2, "CMD_chat+2+hi + there|clRed");
    h.say(2, "CMD_action+2+waves|$00FF0000");
    h.say(1, "CMD_playasound+1+wave3+");
    for (int s = 1; s <= 3; ++s) {
        EXPECT_EQ(h.to(s), (Strings{"CMD_chat+Bob chats: hi + there|clRed", "CMD_action+Bob waves|$00FF0000",
                                    "CMD_playasound+1+wave3+"}));
    }
}

TEST(Relays, ASenderCannotSpeakForAnotherSlot)
{
    HostHarness h;
    h.login("Ann");
    h.login("Bob");
    h.clear();
    EXPECT_EQ(h.say(2, "CMD_chat+1+I am Ann|clBlack"), HandlerResult::Ignored);
    EXPECT_EQ(h.say(2, "CMD_action+1+x|clBlack"), HandlerResult::Ignored);
    EXPECT_EQ(h.say(2, "CMD_playasound+1+wave1+"), HandlerResult::Ignored);
    EXPECT_EQ(h.say(2, "CMD_chat+two+x|clBlack"), HandlerResult::Malformed);
    EXPECT_EQ(h.say(2, "CMD_startgame+Bob+0+"), HandlerResult::Ignored); // slot 1 starts games
    EXPECT_TRUE(h.log.empty());
    EXPECT_FALSE(h.engine.gameStarted());
}

TEST(Relays, UnknownEmptyAndNamelessMessagesAreDropped)
{
    HostHarness h;
    h.login("Ann");
    h.clear();
    EXPECT_EQ(h.say(1, ""), HandlerResult::Ignored);
    EXPECT_EQ(h.say(1, "CMD_chat"), HandlerResult::Ignored); // no "+": no command name
    EXPECT_EQ(h.say(1, "CMD_Chat+1+x"), HandlerResult::Ignored);
    EXPECT_EQ(h.say(1, "CMD_nextplayer+1+1+0"), HandlerResult::Ignored); // a host command
    EXPECT_TRUE(h.log.empty());
}

TEST(Departure, OthersAreToldAndTheRecordIsFreedOnce)
{
    HostHarness h;
    h.login("Ann");
    h.login("Bob");
    h.login("Cat");
    const int bobConnection = h.connectionOf(2);
    h.clear();
    h.vanish(2);
    EXPECT_EQ(h.to(1), Strings{"CMD_playerdisconnected+2+Bob"});
    EXPECT_EQ(h.to(3), Strings{"CMD_playerdisconnected+2+Bob"});
    EXPECT_TRUE(h.to(2).empty());
    EXPECT_FALSE(h.engine.player(2).connected);
    EXPECT_EQ(h.engine.player(2).name, "");
    h.engine.connectionClosed(bobConnection); // a second "Socket Closed"
    EXPECT_EQ(h.log.size(), 2u);

    // A message Bob's connection had queued is not taken for the next holder.
    const int d = h.login("Dee");
    ASSERT_EQ(d, 2);
    h.clear();
    EXPECT_EQ(h.sayFrom(bobConnection, "CMD_chat+2+late|clBlack"), HandlerResult::Ignored);
    EXPECT_TRUE(h.log.empty());
    EXPECT_EQ(h.deadSends, 0);
}

TEST(Departure, SeatFourLeavingInItsTurnPassesTheTurnAtOnceAndLeavesTheGame)
{
    HostHarness h;
    for (const char* n : {"Ann", "Bob", "Cat", "Dee"})
        h.login(n);
    startGame(h);
    // Seats 1 to 3 play their turns; seat 4 rolls once and leaves.
    for (int s = 1; s <= 3; ++s) {
        ASSERT_TRUE(waitForTurn(h, s));
        playTurn(h, s, {1, 1, 1, 2, 2}, 1, {2, 2, 2, 3, 3}, {3, 3, 3, 4, 4});
    }
    ASSERT_TRUE(waitForTurn(h, 4));
    h.dice.push({1, 2, 2, 3, 3});
    h.say(4, roll(4, "1+2+3+4+5"));
    h.clear();
    h.vanish(4);
    EXPECT_EQ(h.to(1), (Strings{"CMD_playerdisconnected+4+Dee", "CMD_nextplayer+1+2+2+3+4+5+6"}));
    EXPECT_FALSE(h.engine.player(4).playing);
    EXPECT_EQ(h.engine.player(4).row(1), -1); // the turn was dropped unscored
    // Round 2 goes 1, 2, 3 and back to 1 without seat 4.
    for (int s = 1; s <= 3; ++s) {
        ASSERT_TRUE(waitForTurn(h, s));
        playTurn(h, s, {5, 5, 1, 1, 1}, 5, {6, 6, 2, 2, 2}, {5, 5, 3, 3, 3});
    }
    ASSERT_TRUE(waitForTurn(h, 1));
    EXPECT_EQ(h.engine.round(), 3);
    for (const auto& m : h.to(1))
        EXPECT_NE(m.rfind("CMD_nextplayer+4+", 0), 0u) << m;
}

TEST(Departure, SeatTwoLeavingInItsTurnIsFinishedByTheComputer)
{
    HostHarness h;
    h.login("Ann");
    h.login("Bob");
    startGame(h);
    playTurn(h, 1, {1, 1, 1, 2, 2}, 1, {2, 2, 2, 3, 3}, {3, 3, 3, 4, 4});
    ASSERT_TRUE(waitForTurn(h, 2));
    h.dice.push({6, 6, 1, 2, 3});
    h.say(2, roll(2, "1+2+3+4+5"));
    h.clear();
    h.vanish(2);
    EXPECT_EQ(h.to(1), Strings{"CMD_playerdisconnected+2+Bob"});
    EXPECT_EQ(h.engine.timer1().tag, kTimerComputerStep);
    EXPECT_EQ(h.engine.timer1().countdown, 1);
    EXPECT_EQ(h.engine.timer1().intervalMs, 650);
    // One bot-speed interval later the computer chooses sixes.
    h.advance(649);
    EXPECT_EQ(h.to(1).size(), 1u);
    h.advance(1);
    EXPECT_EQ(h.last(1), "CMD_selectedcat+2+6+");
    EXPECT_TRUE(h.engine.player(2).playing);
}

TEST(Departure, ASeatLeavingOutOfTurnStaysAndTheComputerPlaysIt)
{
    HostHarness h;
    for (const char* n : {"Ann", "Bob", "Cat", "Dee", "Eve"})
        h.login(n);
    startGame(h);
    playTurn(h, 1, {1, 1, 1, 2, 2}, 1, {2, 2, 2, 3, 3}, {3, 3, 3, 4, 4});
    ASSERT_TRUE(waitForTurn(h, 2));
    playTurn(h, 2, {1, 1, 1, 2, 2}, 1, {2, 2, 2, 3, 3}, {3, 3, 3, 4, 4});
    ASSERT_TRUE(waitForTurn(h, 3));
    h.vanish(5); // seat 3 is on turn
    EXPECT_TRUE(h.engine.player(5).playing);
    EXPECT_EQ(h.engine.currentPlayer(), 3);
    playTurn(h, 3, {1, 1, 1, 2, 2}, 1, {2, 2, 2, 3, 3}, {3, 3, 3, 4, 4});
    ASSERT_TRUE(waitForTurn(h, 4));
    playTurn(h, 4, {1, 1, 1, 2, 2}, 1, {2, 2, 2, 3, 3}, {3, 3, 3, 4, 4});
    ASSERT_TRUE(waitForTurn(h, 5));
    EXPECT_TRUE(h.engine.computerPlayed(5));
    EXPECT_EQ(h.engine.timer1().tag, kTimerComputerStep);
    EXPECT_EQ(h.engine.timer1().countdown, 3);
    ASSERT_TRUE(h.runUntil([&] { return !h.engine.player(5).turnactive; }));
    int filled = 0;
    for (int r = 1; r <= 7; ++r)
        filled += h.engine.player(5).row(r) != -1;
    EXPECT_EQ(filled, 1);
    EXPECT_EQ(h.named(1, "CMD_createdice").size() % 3, 0u) << "the computer rolled three times";
}

TEST(Departure, SlotOneLeavingInItsTurnIsPlayedOnAndTheGameStillEnds)
{
    HostHarness h(1);
    h.login("Ann");
    h.login("Bob");
    startGame(h);
    h.dice.push({1, 1, 2, 2, 6});
    h.say(1, roll(1, "1+2+3+4+5"));
    h.vanish(1);
    // The departure, then the host powers pass to Bob.
    EXPECT_EQ(h.named(2, "CMD_playerdisconnected").back(), "CMD_playerdisconnected+1+Ann");
    EXPECT_EQ(h.to(2).back(), "CMD_action+Bob may now start games.|clBlue");
    EXPECT_TRUE(h.engine.player(1).playing);
    EXPECT_EQ(h.engine.timer1().tag, kTimerComputerStep);
    EXPECT_EQ(h.engine.timer1().countdown, 1);
    // Bob plays his turns by hand; the computer plays seat 1 to the end.
    while (h.engine.gameStarted()) {
        ASSERT_TRUE(h.runUntil([&] {
            return !h.engine.gameStarted() ||
                   (h.engine.currentPlayer() == 2 && h.engine.player(2).turnactive);
        }));
        if (!h.engine.gameStarted())
            break;
        const int cat = computerCategory(h.engine.player(2).scores, {1, 2, 3, 4, 5});
        h.say(2, select(2, cat));
        for (int i = 0; i < 3; ++i)
            h.say(2, roll(2, "1+2+3+4+5"));
    }
    EXPECT_EQ(h.engine.round(), 8);
    for (int r = 1; r <= 7; ++r) {
        EXPECT_NE(h.engine.player(1).row(r), -1) << r;
        EXPECT_NE(h.engine.player(2).row(r), -1) << r;
    }
    EXPECT_EQ(h.named(2, "CMD_winner").size(), 1u);
    EXPECT_EQ(h.deadSends, 0);
}

} // namespace
} // namespace zk::test
