// What a player who cannot see the board hears: a whole game of two seats,
// step by step, on the real table logic, and what is left out.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "TableTestSupport.h"
#include "table/Narration.h"

namespace zk::test {
namespace {

class NarrationTest : public TableTest {
protected:
    NarrationContext context;
    // The sentences one host message (or a click, given as a function) brings.
    template <typename Step>
    std::vector<std::string> heard(Step step)
    {
        const Board before = board();
        step();
        context.ownSeat = state().ownSeat;
        context.ownName = state().ownName;
        return narrate(before, board(), context);
    }
    std::vector<std::string> heard(const std::string& message)
    {
        return heard([&] { host(message); });
    }
};

using Lines = std::vector<std::string>;

TEST_F(NarrationTest, AWholeGameIsToldTurnByTurnRollByRollAndScoreByScore)
{
    hostAs("Ann");
    EXPECT_EQ(heard(host::newplayer(2, "Klot")), Lines{"Klot is Connected."});
    host(host::startgame("Ann", 1));

    const std::vector<int> open{1, 2, 3, 4, 5, 6, 7};
    const std::pair<std::function<void()>, Lines> steps[] = {
        {[&] { host(host::nextplayer(1, 1, open)); }, {"Round: 1", "Your Turn"}},
        {[&] {
             host(host::createdice(1, 1, faces({4, 4, 3, 6, 4})));
         },
         {"Roll 1 of 3: 4, 4, 3, 6, 4."}},
        {[&] { logic.dieRelease(3, MouseButton::Left); }, {"Die 3 held."}},
        {[&] { logic.dieRelease(3, MouseButton::Left); }, {"Die 3 released."}},
        {[&] { logic.dieRelease(1, MouseButton::Left); }, {"Die 1 held."}},
        {[&] { host(host::selectedcat(1, 4)); }, {"Roll those FOURS"}},
        {[&] {
             host(host::createdice(1, 2, {{2, 4}, {3, 4}, {4, 1}, {5, 4}}));
         },
         {"Roll 2 of 3: 4 held, 4, 4, 1, 4."}},
        {[&] { host(host::postscores(1, 16, 16, 4)); }, {"Ann, Fours, 16. Total 16."}},
        {[&] { host(host::nextplayer(2, 1, open)); }, {"Klot's turn"}},
        {[&] {
             host(host::createdice(2, 1, faces({5, 2, 5, 5, 1})));
         },
         {"Klot, roll 1 of 3: 5, 2, 5, 5, 1."}},
        {[&] { host(host::selectedcat(2, 5)); }, {"Klot chose Fives."}},
        {[&] { host(host::chat("Klot chats: nice")); }, {"Klot chats: nice"}},
        {[&] { host(host::postscores(2, 15, 15, 5)); }, {"Klot, Fives, 15. Total 15."}},
        {[&] { host(host::nextplayer(2, 2, open)); }, {"Round: 2", "Klot's turn"}},
        {[&] { host(host::bonustime(2, 45, 30, 6)); },
         {"Klot is entering BONUS MODE!", "Klot, Sixes, 30. Total 45."}},
        {[&] {
             host(host::gotbonus(2, 95, 50, 6, 80, faces({6, 2, 6, 6, 1})));
         },
         {"Klot recieved 50 bonus points!", "Klot, bonus roll: 6 bonus, 2, 6 bonus, 6 bonus, 1.",
          "Klot, Sixes, 80. Total 95."}},
        {[&] {
             host(host::bonusend(2, faces({3, 2, 4, 5, 1})));
         },
         {"Klot is exiting BONUS MODE!", "Klot, bonus roll: 3, 2, 4, 5, 1."}},
        {[&] { host(host::winner({2})); }, {"Game Over! Klot has Won the Game! Totals: Ann 16, Klot 95."}},
    };
    for (const auto& [step, expected] : steps) {
        const Lines got = heard(step);
        for (const std::string& line : expected)
            EXPECT_NE(std::find(got.begin(), got.end(), line), got.end())
                << "missing \"" << line << "\" in:\n"
                << ::testing::PrintToString(got);
    }
}

TEST_F(NarrationTest, PromptsAreReadWithTheirKeysAndWhatAReaderAlreadyHearsIsLeftOut)
{
    hostAs("Ann");
    host(host::newplayer(3, "Bob"));
    host(host::startgame("Ann", 1));
    host(host::nextplayer(1, 1, {1, 2, 3, 4, 5, 6, 7}));
    host(host::createdice(1, 1, faces({1, 2, 3, 4, 5})));
    Lines got = heard([&] { logic.rollClick(); });
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0],
              std::string(kPromptQuestion) + " " + std::string(kPromptText) + " Y for yes, N for no.");
    logic.noClick();

    // On the board the reader reads the die under the focus ring and the
    // prompt the ring moves onto.
    context.focusedDie = 2;
    context.promptsFocused = true;
    EXPECT_TRUE(heard([&] { logic.dieRelease(2, MouseButton::Left); }).empty());
    EXPECT_TRUE(heard([&] { logic.rollClick(); }).empty());
    logic.noClick();

    // The own chat line, and the others' when chat speech is off, stay quiet;
    // the game's own lines do not.
    EXPECT_TRUE(heard(host::chat("Ann chats: hello")).empty());
    context.speakChat = false;
    EXPECT_TRUE(heard(host::chat("Bob chats: hi")).empty());
    EXPECT_EQ(heard(host::disconnected(3, "Bob")), Lines{"Bob disconnected."});
}

} // namespace
} // namespace zk::test
