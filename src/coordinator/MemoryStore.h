// MemoryStore: the store of one coordinator process, in its memory, with
// lives counted on the clock the coordinator is given (the tests step it).
// Listeners are called at once from tell(), so coordinators sharing one
// MemoryStore in a test behave as instances sharing Redis.
#pragma once

#include <map>
#include <unordered_map>

#include "coordinator/Store.h"

namespace zk::coord {

class MemoryStore : public Store {
public:
    using Clock = std::function<Ms()>;
    // At most this many budgets are tracked; full ones are the first to go.
    static constexpr std::size_t kMaxBuckets = 65'536;
    explicit MemoryStore(Clock clock) : clock_(std::move(clock)) {}

    std::optional<std::string> codeOf(const std::string& secretHash) override;
    bool claim(const std::string& code, const std::string& secretHash, Ms life) override;
    void put(const HostedGame& game, Ms life) override;
    std::optional<HostedGame> get(const std::string& code) override;
    std::vector<HostedGame> listed(std::size_t max) override;
    std::size_t games() override;
    bool firstUse(const std::string& ticket, Ms life) override;
    bool used(const std::string& ticket) override;
    bool take(const std::string& key, double burst, Ms refillMs) override;
    void tell(const std::string& instance, const std::string& event) override;
    void listen(const std::string& instance, Listener listener) override;
    void expire() override;
    std::optional<Ms> nextExpiry() const override;

private:
    struct Kept {
        HostedGame game;
        Ms until = 0;
    };
    struct Bucket {
        double tokens = 0;
        double burst = 0;
        Ms refillMs = 1;
        Ms last = 0;
    };
    const Kept* alive(const std::string& code, Ms now) const;

    Clock clock_;
    std::map<std::string, Kept> games_;                    // by code, in code order
    std::unordered_map<std::string, std::string> secrets_; // secret hash -> code
    std::unordered_map<std::string, Ms> tickets_;          // used ticket -> until
    std::unordered_map<std::string, Bucket> buckets_;
    std::unordered_map<std::string, Listener> listeners_;
};

} // namespace zk::coord
