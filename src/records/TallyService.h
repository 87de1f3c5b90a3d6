// TallyService: the one owner of the win tally for a run. The program loads
// it at start and saves it at the end; the table's end-of-game, zonkard and
// bonus-mode steps record through it; the tally window (Ttallylist) shows it
// and changes it as the player clicks, and is told of every other change.
//
//     TallyService tally([&] { return seatedOpponents(labels(), ownSeat()); });
//     if (auto error = tally.loadFrom(tallyFilePath(), "2026-12-10")) show(*error);
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

    // Load tally: a missing file starts an empty tally. A file that cannot be
    // read is not lost: it is renamed beside itself to
    // "agametally.tld.unreadable-2026-12-10" (today's date, as "YYYY-MM-DD";
    // "-2", "-3"... when that is taken), a new empty tally starts, and the
    // message for the player says where the old file went. Should even the
    // rename fail, the file is left as it is and this run never saves over it.
    std::optional<std::string> loadFrom(const std::filesystem::path& file, std::string_view today);
    // Save tally: replaces the file atomically; false when it could not (or
    // must not, see loadFrom).
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
    std::optional<std::filesystem::path> keepUnsaved_; // an unreadable file that could not be moved
};

} // namespace zk
