// The table's sounds through the real session: the sound the logic asks for
// reaches the player by its name, the Turn Sound choice picks the turn's
// recording, "Play Sounds" off silences the game's events but not a chatter
// sound, which "Play Chatter Sounds" governs.
#include "SessionTestSupport.h"

namespace zk::test {
namespace {

class Sounds : public SessionTest {};

TEST_F(Sounds, EventsReachThePlayerAndPlaySoundsOffSilencesThemButNotChatter)
{
    startSolo(7);
    ASSERT_TRUE(board().menu.playSounds);
    ASSERT_TRUE(board().menu.playChatterSounds) << "on by default once the settings are applied";
    menu(QStringLiteral("Fast"));
    menu(QStringLiteral("New"));
    ASSERT_EQ(board().menu.turnSound, TurnSound::New);

    sink->started.clear();
    startGame();
    ASSERT_TRUE(waitFor([&] { return state().currentSeat == 1 && board().rollButtonShown; }));
    ASSERT_TRUE(waitFor([&] { return played("turnnew"); })) << "the New turn sound";
    EXPECT_FALSE(played("turn"));

    clickBoard(layout::kRollButton.center());
    ASSERT_TRUE(waitFor([&] { return board().rollCount == 1; }));
    EXPECT_TRUE(played("dice"));
    EXPECT_EQ(soundsPlayed().back(), "dice");

    // Without "Play Sounds" the game's events are silent.
    menu(QStringLiteral("Play Sounds"));
    ASSERT_FALSE(board().menu.playSounds);
    sink->started.clear();
    if (board().turnMarker.selectedCategory == 0) {
        int offered = 0;
        for (int c = 1; c <= kCategoryCount && offered == 0; ++c) {
            if (board().category(c).buttonShown && board().category(c).buttonChoosable)
                offered = c;
        }
        ASSERT_NE(offered, 0);
        clickBoard(layout::onCard(layout::categoryButtonRect(offered)).center());
        ASSERT_TRUE(waitFor([&] { return board().turnMarker.selectedCategory == offered; }));
    }
    clickBoard(layout::kRollButton.center());
    ASSERT_TRUE(waitFor([&] { return board().rollCount == 2; }));
    EXPECT_TRUE(sink->started.empty()) << "no sound for the choice and the roll";

    // A chatter sound still plays: the menu of the tenth phrase button sends
    // it, the host returns it to every table, ours included.
    auto* chatter = session->chat().findChild<QMenu*>(QStringLiteral("popup_chatter"));
    ASSERT_NE(chatter, nullptr);
    QAction* hello = findAction(chatter->actions(), QStringLiteral("Hello"));
    ASSERT_NE(hello, nullptr);
    hello->trigger();
    ASSERT_TRUE(waitFor([&] { return played("wave3"); }));
    EXPECT_EQ(soundsPlayed(), std::vector<std::string>{"wave3"});

    // Without "Play Chatter Sounds" it becomes a line in the chat instead.
    menu(QStringLiteral("Play Chatter Sounds"));
    sink->started.clear();
    findAction(chatter->actions(), QStringLiteral("Sorry"))->trigger();
    ASSERT_TRUE(waitFor([&] { return board().chat.lines.back().text == "You: <Chatter Sound> Sorry"; }));
    EXPECT_TRUE(sink->started.empty());
}

} // namespace
} // namespace zk::test
