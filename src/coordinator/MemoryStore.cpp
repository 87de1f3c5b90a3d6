#include "coordinator/MemoryStore.h"

#include <algorithm>

namespace zk::coord {

const MemoryStore::Kept* MemoryStore::alive(const std::string& code, Ms now) const
{
    auto it = games_.find(code);
    return it == games_.end() || it->second.until <= now ? nullptr : &it->second;
}

std::optional<std::string> MemoryStore::codeOf(const std::string& secretHash)
{
    auto it = secrets_.find(secretHash);
    if (it == secrets_.end())
        return std::nullopt;
    const Kept* k = alive(it->second, clock_());
    if (!k || k->game.secretHash != secretHash)
        return std::nullopt;
    return it->second;
}

bool MemoryStore::claim(const std::string& code, const std::string& secretHash, Ms life)
{
    const Ms now = clock_();
    if (const Kept* k = alive(code, now); k && k->game.secretHash != secretHash)
        return false;
    Kept& k = games_[code];
    if (k.game.secretHash != secretHash || k.until <= now)
        k.game = HostedGame{.code = code, .secretHash = secretHash};
    k.until = std::max(k.until, now + life);
    secrets_[secretHash] = code;
    return true;
}

void MemoryStore::put(const HostedGame& game, Ms life)
{
    Kept& k = games_[game.code];
    k.game = game;
    k.game.conn = 0;
    k.game.seen = 0;
    k.until = clock_() + life;
    secrets_[game.secretHash] = game.code;
}

std::optional<HostedGame> MemoryStore::get(const std::string& code)
{
    const Kept* k = alive(code, clock_());
    return k ? std::optional<HostedGame>(k->game) : std::nullopt;
}

std::vector<HostedGame> MemoryStore::listed(std::size_t max)
{
    const Ms now = clock_();
    std::vector<HostedGame> out;
    for (const auto& [code, k] : games_) {
        if (out.size() == max)
            break;
        if (k.until > now && k.game.visibility == Visibility::Public && !k.game.instance.empty())
            out.push_back(k.game);
    }
    return out;
}

std::size_t MemoryStore::games()
{
    return games_.size(); // those past their life count until expire()
}

bool MemoryStore::firstUse(const std::string& ticket, Ms life)
{
    const Ms now = clock_();
    auto [it, fresh] = tickets_.try_emplace(ticket, now + life);
    if (!fresh && it->second > now)
        return false;
    it->second = now + life;
    return true;
}

bool MemoryStore::used(const std::string& ticket)
{
    auto it = tickets_.find(ticket);
    return it != tickets_.end() && it->second > clock_();
}

bool MemoryStore::take(const std::string& key, double burst, Ms refillMs)
{
    const Ms now = clock_();
    auto it = buckets_.find(key);
    if (it == buckets_.end()) {
        if (buckets_.size() >= kMaxBuckets)
            std::erase_if(buckets_, [now](const auto& e) {
                const Bucket& b = e.second;
                return b.tokens + static_cast<double>(now - b.last) / static_cast<double>(b.refillMs) >=
                       b.burst;
            });
        if (buckets_.size() >= kMaxBuckets)
            return false;
        it = buckets_.emplace(key, Bucket{burst, burst, refillMs, now}).first;
    }
    Bucket& b = it->second;
    b.tokens = std::min(burst, b.tokens + static_cast<double>(now - b.last) / static_cast<double>(refillMs));
    b.last = now;
    if (b.tokens < 1)
        return false;
    b.tokens -= 1;
    return true;
}

void MemoryStore::tell(const std::string& instance, const std::string& event)
{
    if (auto it = listeners_.find(instance); it != listeners_.end() && it->second)
        it->second(event);
}

void MemoryStore::listen(const std::string& instance, Listener listener)
{
    listeners_[instance] = std::move(listener);
}

void MemoryStore::expire()
{
    const Ms now = clock_();
    std::erase_if(games_, [now](const auto& e) { return e.second.until <= now; });
    std::erase_if(secrets_, [this](const auto& e) {
        auto g = games_.find(e.second);
        return g == games_.end() || g->second.game.secretHash != e.first;
    });
    std::erase_if(tickets_, [now](const auto& e) { return e.second <= now; });
}

} // namespace zk::coord

namespace zk::coord {

std::optional<Ms> MemoryStore::nextExpiry() const
{
    std::optional<Ms> next;
    for (const auto& [code, k] : games_)
        next = next ? std::min(*next, k.until) : k.until;
    return next;
}

} // namespace zk::coord
