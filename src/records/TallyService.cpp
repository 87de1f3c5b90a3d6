#include "records/TallyService.h"

#include "records/FileIO.h"

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

std::optional<std::string> TallyService::loadFrom(const std::filesystem::path& file, std::string_view today)
{
    TallyLoad load = loadTallyFile(file);
    tally_ = std::move(load.tally);
    keepUnsaved_.reset();
    changed();
    if (load.error.empty())
        return std::nullopt;
    // Whatever could still be recovered from the file stays on the disk: the
    // save at exit would otherwise replace it with the empty tally.
    std::error_code ec;
    std::optional<std::filesystem::path> kept;
    if (std::filesystem::status(file, ec).type() == std::filesystem::file_type::regular)
        kept = renameAside(file, ".unreadable-" + std::string(today));
    if (!kept) {
        keepUnsaved_ = file;
        return "The win tally could not be read. It was left as it is, and the tally of this session will "
               "not be saved.\n\n" +
               load.error;
    }
    return "The win tally could not be read. It was kept as " + pathText(*kept) +
           " and a new tally was started.\n\n" + load.error;
}

bool TallyService::saveTo(const std::filesystem::path& file) const
{
    if (keepUnsaved_ == file)
        return false;
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
