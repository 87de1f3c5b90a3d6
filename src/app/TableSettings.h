// TableSettings: the settings file as the table uses it. Load applies the
// file to the board's options, the phrases, the start-game limit and the
// table window's bounds (fitted to the work area); Save writes them back,
// and only once they were applied in this run; the close rule writes the
// window's bounds when they changed.
//
//     TableSettings settings(logic, chat, [](const QString& m) { notice(m); });
//     settings.load();            // at the own arrival
//     settings.save();            // after an option change
//     settings.applyCloseRule();  // the window closes
#pragma once

#include <QString>

#include <functional>

#include "game/Options.h"
#include "records/Settings.h"

namespace zk {

class TableLogic;
class Tchat;

class TableSettings {
public:
    // notice shows a failure the player can act on ("Unable to write to ...").
    TableSettings(TableLogic& logic, Tchat& window, std::function<void(const QString&)> notice);

    void load();
    void save();
    void applyCloseRule();

    // The bounds last loaded from or saved to the file.
    const WindowBounds& remembered() const { return remembered_; }

private:
    SettingsValues current() const;
    void saveWith(const WindowBounds& bounds);

    TableLogic& logic_;
    Tchat& window_;
    std::function<void(const QString&)> notice_;
    WindowBounds remembered_{0, 0, 0, 0};
    // A table that never applied the file has nothing of the player's to
    // store: its options are the start values, not his choices.
    bool applied_ = false;
};

} // namespace zk
