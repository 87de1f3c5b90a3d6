// Small helpers shared by the host engine's scenario tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostHarness.h"

namespace zk::test {

// "+1+f1+2+f2+...+5+f5" for five faces.
inline std::string fivePairs(const std::vector<int>& faces)
{
    std::string s;
    for (std::size_t i = 0; i < faces.size(); ++i)
        s += "+" + std::to_string(i + 1) + "+" + std::to_string(faces[i]);
    return s;
}

// Requests as the wire text a table writes, dice or fields given as text so
// that a test can also send what no table would.
inline std::string roll(int seat, const std::string& dice)
{
    return "CMD_rollthedice+" + std::to_string(seat) + "+" + dice;
}

inline std::string select(int seat, int category)
{
    return "CMD_selectcat+" + std::to_string(seat) + "+" + std::to_string(category) + "+";
}

// Slot 1 starts a game with the given bonus limit.
inline void startGame(HostHarness& h, int limit = 0)
{
    ASSERT_EQ(h.say(1, msg::text(msg::StartGame{h.engine.player(1).name, std::to_string(limit)})),
              HandlerResult::Handled);
}

// The seat on turn plays a whole turn by hand: first roll `first`, choose
// `category`, then re-roll every die (twice) with the given new faces; the
// turn is scored after the third roll.
inline void playTurn(HostHarness& h, int seat, std::vector<int> first, int category, std::vector<int> second,
                     std::vector<int> third)
{
    for (int f : first)
        h.dice.push(f);
    h.say(seat, roll(seat, "1+2+3+4+5"));
    h.say(seat, select(seat, category));
    for (int f : second)
        h.dice.push(f);
    h.say(seat, roll(seat, "1+2+3+4+5"));
    for (int f : third)
        h.dice.push(f);
    h.say(seat, roll(seat, "1+2+3+4+5"));
}

// Runs timer1 until the given seat is on turn with its turn in progress.
inline bool waitForTurn(HostHarness& h, int seat)
{
    return h.runUntil([&] {
        return h.engine.currentPlayer() == seat && h.engine.player(seat).turnactive &&
               h.engine.player(seat).rolls == 0;
    });
}

} // namespace zk::test
