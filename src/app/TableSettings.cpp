#include "app/TableSettings.h"

#include <QGuiApplication>
#include <QScreen>

#include <climits>

#include "records/qt/DataPaths.h"
#include "table/TableLogic.h"
#include "table/qt/windows/ViewKit.h"
#include "table/qt/windows/Tchat.h"

namespace zk {

namespace {

QRect workAreaOf(const QWidget& window, const QRect& none)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : none;
}

} // namespace

TableSettings::TableSettings(TableLogic& logic, Tchat& window, std::function<void(const QString&)> notice)
    : logic_(logic), window_(window), notice_(std::move(notice))
{
}

SettingsValues TableSettings::current() const
{
    const Board& b = logic_.board();
    SettingsValues v;
    static_cast<PlayerOptions&>(v) = b.menu;
    v.bounds = fromQRect(window_.outerBounds());
    v.phrases = b.phrases;
    v.rolls = b.startWindow.limit;
    return v;
}

void TableSettings::saveWith(const WindowBounds& bounds)
{
    SettingsValues v = current();
    v.bounds = bounds;
    if (const auto message = saveSettings(settingsFilePath(), kGameKey, v))
        notice_(QString::fromStdString(*message));
}

void TableSettings::save()
{
    // Before the file was applied, writing would replace every stored option
    // with the values the table starts with; the change lives for this run.
    if (!applied_)
        return;
    saveWith(fromQRect(window_.outerBounds()));
}

void TableSettings::load()
{
    Board& b = logic_.board();
    SettingsValues v;
    v.phrases = b.phrases; // an empty key keeps the button's text
    loadSettings(settingsFilePath(), kGameKey, v);
    applied_ = true;

    // The stored bounds are remembered as they are, so a close writes the
    // fitted ones back when they differ.
    const QRect work = workAreaOf(window_, QRect(0, 0, 1920, 1080));
    const QSize frame = window_.frameGeometry().size() - window_.geometry().size();
    const QSize minimum = window_.minimumSizeHint().expandedTo(window_.minimumSize()) + frame;
    window_.setOuterBounds(
        toQRect(fitToWorkArea(v.bounds, fromQRect(work), minimum.width(), minimum.height())));
    remembered_ = v.bounds;
    static_cast<PlayerOptions&>(b.menu) = v;
    // The delay of the ticked item: a stored speed of no item ticks Normal.
    b.menu.botSpeedItem = botSpeedItemFor(v.botSpeed);
    b.menu.botSpeed = botSpeedDelay(b.menu.botSpeedItem);
    b.phrases = v.phrases;
    logic_.startOptions().applyStoredLimit(rollsText(v.rolls));
}

void TableSettings::applyCloseRule()
{
    if (!applied_)
        return;
    // The bounds are written when they differ from the ones last loaded or
    // saved, reduced to fit the work area.
    const QRect work = workAreaOf(window_, QRect(0, 0, INT_MAX, INT_MAX));
    if (const auto bounds =
            boundsToSaveOnClose(fromQRect(window_.outerBounds()), remembered_, work.width(), work.height())) {
        remembered_ = *bounds;
        saveWith(*bounds);
    }
}

} // namespace zk
