#include "table/TableOptionsMenu.h"

namespace zk {

void TableOptionsMenu::togglePlaySounds()
{
    table_.board.menu.playSounds = !table_.board.menu.playSounds;
    save();
}

void TableOptionsMenu::togglePlayChatterSounds()
{
    table_.board.menu.playChatterSounds = !table_.board.menu.playChatterSounds;
    save();
}

void TableOptionsMenu::chooseTurnSound(TurnSound sound)
{
    table_.board.menu.turnSound = sound;
    save();
}

void TableOptionsMenu::toggleRemindMe()
{
    table_.board.menu.remindMe = !table_.board.menu.remindMe;
    save();
}

void TableOptionsMenu::chooseTextSize(int size)
{
    table_.board.menu.textSize = size;
    save();
}

void TableOptionsMenu::textColourConfirmed(ColourValue colour)
{
    table_.board.menu.textColour = colour;
    save();
}

void TableOptionsMenu::actionColourDialogClosed(std::optional<ColourValue> colour)
{
    if (colour)
        table_.board.menu.actionColour = *colour;
    save(); // saved whether the dialog was confirmed or not
}

void TableOptionsMenu::botSpeedClick(BotSpeedItem item)
{
    table_.board.menu.botSpeed = botSpeedDelay(item);
    table_.board.menu.botSpeedItem = item;
    save();
}

} // namespace zk
