#include "game/Outcome.h"

#include "game/Game.h"

namespace zk {

std::optional<GameOutcome> gameOutcomeToRecord(int ownSeat, bool ownSeatWon, std::string_view resultText)
{
    if (ownSeat < 1 || ownSeat > kSeatCount)
        return std::nullopt;
    if (ownSeatWon)
        return GameOutcome::ownWin();
    if (resultText.find(" and ") != std::string_view::npos)
        return std::nullopt;
    return GameOutcome::wonBy(std::string(resultText));
}

} // namespace zk
