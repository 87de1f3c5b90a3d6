// Where the host's die faces come from. The referee draws every face through a
// DieSource (uniform 1 to 6); the program uses a generator seeded once from
// the clock, tests and benchmarks pass their own.
//
//     HostEngine engine(outbox, notices, clockSeededDice(), botSpeed);
#pragma once

#include <cstdint>
#include <functional>

namespace zk {

using DieSource = std::function<int()>;

// A uniform draw from 1 to 6 by a generator seeded with the given value.
DieSource seededDice(std::uint64_t seed);
// The same, seeded once from the clock.
DieSource clockSeededDice();

} // namespace zk
