// Options of the menus that the settings file keeps: each change is saved
// at once.
#include "table/TableLogic.h"

namespace zk {

void TableLogic::togglePlaySounds()
{
    board_.menu.playSounds = !board_.menu.playSounds;
    saveSettings();
}

void TableLogic::togglePlayChatterSounds()
{
    board_.menu.playChatterSounds = !board_.menu.playChatterSounds;
    saveSettings();
}

void TableLogic::chooseTurnSound(TurnSound sound)
{
    board_.menu.turnSound = sound;
    saveSettings();
}

void TableLogic::toggleRemindMe()
{
    board_.menu.remindMe = !board_.menu.remindMe;
    saveSettings();
}

void TableLogic::chooseTextSize(int size)
{
    board_.menu.textSize = size;
    saveSettings();
}

void TableLogic::textColourConfirmed(ColourValue colour)
{
    board_.menu.textColour = colour;
    saveSettings();
}

void TableLogic::actionColourDialogClosed(std::optional<ColourValue> colour)
{
    if (colour)
        board_.menu.actionColour = *colour;
    saveSettings(); // saved whether the dialog was confirmed or not
}

void TableLogic::botSpeedClick(BotSpeedItem item)
{
    board_.menu.botSpeed = botSpeedDelay(item);
    board_.menu.botSpeedItem = item;
    saveSettings();
}

} // namespace zk
