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

void ChatDisplay::append(ChatLine line)
{
    bytes += line.text.size();
    lines.push_back(std::move(line));
    while (lines.size() > 1 && (lines.size() > kMaxLines || bytes > kMaxBytes)) {
        bytes -= lines.front().text.size();
        lines.pop_front();
        ++dropped;
    }
}

void ChatDisplay::clear()
{
    lines.clear();
    bytes = 0;
    dropped = 0;
    ++clearCount;
}

std::string Board::statusLine() const
{
    if (turnClockLeft <= 0)
        return status;
    return status + " - " + std::to_string(turnClockLeft) + " s left";
}

} // namespace zk
