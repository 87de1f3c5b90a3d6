#include "host/DiceSource.h"

#include <chrono>
#include <memory>
#include <random>

namespace zk {

DieSource seededDice(std::uint64_t seed)
{
    // Shared so that copies of the DieSource draw from one sequence.
    auto gen = std::make_shared<std::mt19937_64>(seed);
    return [gen] {
        std::uniform_int_distribution<int> face(1, 6);
        return face(*gen);
    };
}

DieSource clockSeededDice()
{
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return seededDice(static_cast<std::uint64_t>(now));
}

} // namespace zk
