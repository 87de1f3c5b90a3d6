#include "table/Board.h"

namespace zk {

int botSpeedDelay(BotSpeedItem item)
{
    switch (item) {
    case BotSpeedItem::Slow: return kBotSpeedSlow;
    case BotSpeedItem::Fast: return kBotSpeedFast;
    case BotSpeedItem::Normal: break;
    }
    return kBotSpeedNormal;
}

BotSpeedItem botSpeedItemFor(int delay)
{
    if (delay == kBotSpeedSlow)
        return BotSpeedItem::Slow;
    if (delay == kBotSpeedFast)
        return BotSpeedItem::Fast;
    return BotSpeedItem::Normal;
}

std::string bonusLimitCaption(std::string_view limit)
{
    if (limit == "0")
        return "Unlimited Bonus Rolls";
    if (limit == "1")
        return "Bonus Rolls Limited to 1 Roll";
    return "Bonus Rolls Limited to " + std::string(limit) + " Rolls";
}

} // namespace zk
