#include "host/PeerLimits.h"

#include <algorithm>

#include "protocol/Messages.h"

namespace zk {

RateBudget::RateBudget(Limits limits)
    : limits_(limits), messages_(limits.messageBurst), bytes_(limits.byteBurst)
{
}

void RateBudget::refill(Ms now)
{
    if (last_.count() >= 0 && now > last_) {
        const double seconds = std::chrono::duration<double>(now - last_).count();
        messages_ = std::min(limits_.messageBurst, messages_ + seconds * limits_.messagesPerSecond);
        bytes_ = std::min(limits_.byteBurst, bytes_ + seconds * limits_.bytesPerSecond);
    }
    if (now > last_)
        last_ = now;
}

bool RateBudget::spend(Ms now, std::size_t messages, std::size_t bytes)
{
    if (over_)
        return false;
    refill(now);
    messages_ -= static_cast<double>(messages);
    bytes_ -= static_cast<double>(bytes);
    over_ = messages_ < 0 || bytes_ < 0;
    return !over_;
}

bool isRelayedLine(std::string_view message)
{
    for (const std::string_view name : {msg::Chat::command, msg::Action::command, msg::PlayASound::command}) {
        if (message.size() > name.size() && message.starts_with(name) && message[name.size()] == '+')
            return true;
    }
    return false;
}

SendVerdict sendVerdict(bool relayedLine, std::size_t unsentBytes, std::chrono::milliseconds sinceProgress)
{
    if (unsentBytes > kMaxUnsentBytes)
        return SendVerdict::Close;
    if (unsentBytes <= kBehindBytes)
        return SendVerdict::Send;
    if (sinceProgress >= kStallTime)
        return SendVerdict::Close;
    return relayedLine ? SendVerdict::Skip : SendVerdict::Send;
}

} // namespace zk
