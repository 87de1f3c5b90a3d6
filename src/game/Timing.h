// The game's clocks: the intervals of its timers and how many ticks each
// step waits, and the computer players' pace.
//
//     engine.armTimer(kTimerNextPlayer, kNextPlayerTicks); // 5 ticks of 750 ms
#pragma once

namespace zk {

// Timer intervals in milliseconds.
inline constexpr int kHostDrainIntervalMs = 10;   // socktimer: one message per tick
inline constexpr int kTableDrainIntervalMs = 1;   // the table's drain (Timer1): one message per tick
inline constexpr int kNextPlayerIntervalMs = 750; // timer1, action 1
inline constexpr int kDiceTumbleIntervalMs = 500; // dicetimer
inline constexpr int kPhraseGateMs = 2000;        // phrase buttons: once every 2 seconds
inline constexpr int kCursorQuietMs = 10000;      // text cursors stop blinking 10 s after the last input

// Ticks of timer1 before each step.
inline constexpr int kNextPlayerTicks = 5;    // the pause after a turn, 5 x 750 ms
inline constexpr int kComputerFirstTicks = 3; // the computer's first roll of a turn
inline constexpr int kComputerStepTicks = 1;  // each later computer step
inline constexpr int kBonusFirstTicks = 3;    // the first bonus roll
inline constexpr int kBonusTicks = 2;         // each further bonus roll

// Bot speeds (ms between computer steps and bonus rolls).
inline constexpr int kBotSpeedSlow = 1000;
inline constexpr int kBotSpeedNormal = 650;
inline constexpr int kBotSpeedFast = 350;
inline constexpr int kBotSpeedBeforeSettings = 750;

// A game hosted for others: how long a dropped player's seat is kept for
// him, and how long a player may do nothing on his turn before the computer
// takes the seat (a solo game runs no clock). Seconds.
inline constexpr int kDefaultSeatHoldSeconds = 300;
inline constexpr int kDefaultTurnClockSeconds = 90;
// The own table shows the time left in the last seconds of the clock.
inline constexpr int kTurnClockShownSeconds = 15;
// A table whose connection broke tries again for this long (seconds).
inline constexpr int kDefaultReconnectSeconds = 60;

} // namespace zk
