// TableOptionsMenu: the items of the Options menu that the settings file
// keeps (sounds, turn sound, the category reminder, text size and colours,
// bot speed). Each change is saved at once, once the settings were applied.
//
//     logic.options().togglePlaySounds();
//     logic.options().botSpeedClick(BotSpeedItem::Fast); // 350 ms
#pragma once

#include <optional>

#include "table/TableContext.h"

namespace zk {

class TableOptionsMenu {
public:
    explicit TableOptionsMenu(const TableContext& table) : table_(table) {}

    void togglePlaySounds();
    void togglePlayChatterSounds();
    void chooseTurnSound(TurnSound sound);
    void toggleRemindMe();
    void chooseTextSize(int size);
    // "Text Color" confirmed with a colour (a cancelled dialog changes nothing).
    void textColourConfirmed(ColourValue colour);
    // "Action Color" closed: confirmed with a colour, or cancelled.
    void actionColourDialogClosed(std::optional<ColourValue> colour);
    void botSpeedClick(BotSpeedItem item);

private:
    void save() { table_.env.saveSettings(); }

    TableContext table_;
};

} // namespace zk
