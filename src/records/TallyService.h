// TallyService: the one owner of the win tally for a run. The program loads
// it at start and saves it at the end; the table's end-of-game, zonkard and
// bonus-mode steps record through it; the tally window (Ttallylist) shows it
// and changes it as the player clicks, and is told of every other change.
//
//     TallyService tally([&] { return seatedOpponents(labels(), ownSeat()); });
//     if (auto error = tally.loadFrom(tallyFilePath())) show(*error);
//     tally.recordGame(GameOutcome::ownWin());
//     tally.saveTo(tallyFilePath());          // at exit, silently
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/Tally.h"

namespace zk {

class TallyService {
public:
    // The other players seated now, in seat order; see seatedOpponents().
    using NamesProvider = std::function<std::vector<std::string>()>;

    explicit TallyService(NamesProvider seatedNames);

    // Load tally: a missing file starts an empty tally; a file that cannot be
    // read starts it empty too, and its message is returned for the player.
    std::optional<std::string> loadFrom(const std::filesystem::path& file);
    // Save tally: replaces the file atomically; false when it could not.
    bool saveTo(const std::filesystem::path& file) const;

    void recordGame(const GameOutcome& outcome);
    void countOwnZonkard();
    void countOwnBonusMode();
    // The own total as the score card shows it (may be no number).
    void offerHighestScore(std::string_view ownTotal);

    // The other players seated now.
    std::vector<std::string> seatedNames() const;
    const Tally& tally() const { return tally_; }
    // For the window's own changes (ticks, Reset Tally), which it shows itself.
    Tally& tally() { return tally_; }

    // Runs after every change the service makes (the window redraws).
    std::function<void()> onChanged;

private:
    void changed();

    NamesProvider seatedNames_;
    Tally tally_;
};

} // namespace zk
