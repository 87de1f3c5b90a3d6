#include "records/TallyService.h"

namespace zk {

TallyService::TallyService(NamesProvider seatedNames) : seatedNames_(std::move(seatedNames))
{
}

std::vector<std::string> TallyService::seatedNames() const
{
    return seatedNames_ ? seatedNames_() : std::vector<std::string>{};
}

void TallyService::changed()
{
    if (onChanged)
        onChanged();
}

std::optional<std::string> TallyService::loadFrom(const std::filesystem::path& file)
{
    TallyLoad load = loadTallyFile(file);
    tally_ = std::move(load.tally);
    changed();
    if (load.error.empty())
        return std::nullopt;
    return load.error;
}

bool TallyService::saveTo(const std::filesystem::path& file) const
{
    return !saveTallyFile(file, tally_).has_value();
}

void TallyService::recordGame(const GameOutcome& outcome)
{
    tally_.recordGame(outcome, seatedNames());
    changed();
}

void TallyService::countOwnZonkard()
{
    tally_.countOwnZonkard();
    changed();
}

void TallyService::countOwnBonusMode()
{
    tally_.countOwnBonusMode();
    changed();
}

void TallyService::offerHighestScore(std::string_view ownTotal)
{
    if (tally_.offerHighestScore(ownTotal))
        changed();
}

} // namespace zk
