// RedisStore: the store shared by several coordinators and relays, in a
// Redis server (hiredis speaks its protocol; the connection is our own,
// plain or TLS through OpenSSL).
//
//     auto store = RedisStore::open("redis://:secret@10.0.0.5:6379/0", "", wallClock, &error);
//     // rediss://... for TLS, the server's certificate checked against the
//     // system's store or the CA file given.
//
// In Redis, every entry carries its life as an expiry (PX), so a game whose
// host stopped speaking is gone on every instance without anyone sweeping:
//   zk:game:CODE      the game (a ZS_game record)      zk:code:CODE   its secret's hash
//   zk:secret:HASH    the code a secret holds          zk:ticket:T    a ticket's use
//   zk:bucket:KEY     a budget (tokens, last), by a script, so instances count together
//   zk:games, zk:public   sorted sets of codes by the end of their life: the count and the list
//   zk:events:INSTANCE    the channel an instance listens on (a second connection, SUBSCRIBE)
// A command that fails (the server went away) is tried once more on a new
// connection; then the store answers as for nothing found, and the budgets
// let the request through, so a lost Redis makes games unknown, not a crash.
#pragma once

#include <memory>
#include <string>

#include "coordinator/Store.h"

namespace zk::coord {

struct RedisUrl {
    bool tls = false;
    std::string host;
    int port = 6379;
    std::string user;
    std::string password;
    int db = 0;
};
// redis://[[USER]:PASSWORD@]HOST[:PORT][/DB] or rediss://... (TLS).
std::optional<RedisUrl> parseRedisUrl(std::string_view url, std::string* error);

class RedisStore : public Store {
public:
    using Clock = std::function<Ms()>; // wall clock, ms: the instances' lives agree
    static std::unique_ptr<RedisStore> open(const std::string& url, const std::string& caFile, Clock clock,
                                            std::string* error);
    ~RedisStore() override;

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

    // The events connection, for the event loop to watch (-1 before listen()),
    // and what to call when it is readable.
    int eventsFd() const;
    void pumpEvents();
    // Mean time of a command in ms since the last call (0 when none), and
    // the commands that failed since the start.
    double takeLatencyMs();
    std::uint64_t failures() const { return failures_; }

    struct Link;
    struct Reply;

private:
    RedisStore(RedisUrl url, std::shared_ptr<void> tls, Clock clock);
    std::vector<Reply> run(const std::vector<std::vector<std::string>>& commands);

    RedisUrl url_;
    std::shared_ptr<void> tls_; // the SSL_CTX for rediss://
    Clock clock_;
    std::unique_ptr<Link> link_;
    std::unique_ptr<Link> events_;
    Listener listener_;
    std::string channel_;
    double latencySum_ = 0;
    std::uint64_t latencyCount_ = 0;
    std::uint64_t failures_ = 0;
};

} // namespace zk::coord
