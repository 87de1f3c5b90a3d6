#include "discovery/UpdateGate.h"

#include <algorithm>

namespace zk {

bool UpdateGate::change(Ms now)
{
    if (!held_ && (!lastSent_ || now - *lastSent_ >= spacing_)) {
        lastSent_ = now;
        return true;
    }
    held_ = true;
    return false;
}

bool UpdateGate::due(Ms now)
{
    if (!held_ || (lastSent_ && now - *lastSent_ < spacing_))
        return false;
    held_ = false;
    lastSent_ = now;
    return true;
}

std::optional<UpdateGate::Ms> UpdateGate::wait(Ms now) const
{
    if (!held_)
        return std::nullopt;
    return lastSent_ ? std::max<Ms>(0, *lastSent_ + spacing_ - now) : 0;
}

} // namespace zk
