#include "coordinator/RedisStore.h"

#include <fcntl.h>
#include <hiredis/hiredis.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "game/DebugLog.h"
#include "protocol/Messages.h"

namespace zk::coord {
namespace {

constexpr int kTimeoutMs = 2000;           // a command that takes longer has failed
constexpr std::size_t kMaxReply = 1 << 24; // what one reply may hold

// A game as the instances keep it in Redis, written with the pattern of
// the messages; the host's connection is the instance's own and not here.
struct StoredRecord {
    static constexpr std::string_view command = "ZS_game";
    std::string id;
    std::string secretHash;
    std::string version;
    Visibility visibility = Visibility::Invite;
    std::string address;
    int port = 0;
    Reach reach = Reach::Unknown;
    std::string nonce;
    std::string instance;
    GameAdvert facts;
    static void fields(auto& c, auto& m)
    {
        c.text(m.id).text(m.secretHash).text(m.version);
        c.choice(m.visibility, kVisibilityNames, Visibility::Invite, msg::Extent::Field).text(m.address);
        c.number(m.port).choice(m.reach, kReachNames, Reach::Unknown, msg::Extent::Field);
        c.text(m.nonce).text(m.instance);
        gameFacts(c, m.facts);
        c.rest(m.facts.hostPlayer);
    }
};

std::string recordOf(const HostedGame& g)
{
    return msg::text(StoredRecord{std::to_string(g.id), g.secretHash, g.version, g.visibility, g.address,
                                  g.port, g.reach, g.nonce, g.instance, g.facts});
}

std::optional<HostedGame> gameOf(const std::string& code, const std::string& record)
{
    const auto split = splitCommand(record);
    if (split.name != StoredRecord::command)
        return std::nullopt;
    const auto r = msg::decode<StoredRecord>(split.args);
    if (!r.complete)
        return std::nullopt;
    HostedGame g;
    g.id = std::strtoull(r->id.c_str(), nullptr, 10);
    g.code = code;
    g.secretHash = r->secretHash;
    g.version = r->version;
    g.visibility = r->visibility;
    g.address = r->address;
    g.port = r->port;
    g.reach = r->reach;
    g.nonce = r->nonce;
    g.instance = r->instance;
    g.facts = boundedAdvert(r->facts);
    g.facts.version = g.version; // the record holds it once
    return g;
}

// A token bucket per key, shared by all instances: tokens and the time they
// were counted, kept while the bucket is not full again.
constexpr const char* kTakeScript = R"(
local b = redis.call('HMGET', KEYS[1], 't', 'l')
local burst, refill, now = tonumber(ARGV[1]), tonumber(ARGV[2]), tonumber(ARGV[3])
local t, l = tonumber(b[1]) or burst, tonumber(b[2]) or now
t = math.min(burst, t + math.max(0, now - l) / refill)
local ok = 0
if t >= 1 then t = t - 1; ok = 1 end
redis.call('HSET', KEYS[1], 't', tostring(t), 'l', tostring(now))
redis.call('PEXPIRE', KEYS[1], math.ceil((burst - t) * refill) + 1000)
return ok)";

std::string lifeText(Ms life)
{
    return std::to_string(std::max<Ms>(1, life));
}

} // namespace

struct RedisStore::Reply {
    enum class Type { None, Text, Integer, Array, Nil, Error };
    Type type = Type::None;
    std::string text;
    long long integer = 0;
    std::vector<Reply> items;
    bool ok() const { return type != Type::None && type != Type::Error; }
};

namespace {

RedisStore::Reply replyOf(const redisReply* r)
{
    RedisStore::Reply out;
    using T = RedisStore::Reply::Type;
    switch (r->type) {
    case REDIS_REPLY_STRING:
    case REDIS_REPLY_STATUS:
        out.type = T::Text;
        out.text.assign(r->str, r->len);
        break;
    case REDIS_REPLY_INTEGER:
        out.type = T::Integer;
        out.integer = r->integer;
        break;
    case REDIS_REPLY_ARRAY:
        out.type = T::Array;
        for (std::size_t i = 0; i < r->elements; ++i)
            out.items.push_back(replyOf(r->element[i]));
        break;
    case REDIS_REPLY_NIL: out.type = T::Nil; break;
    default:
        out.type = T::Error;
        out.text.assign(r->str ? r->str : "", r->str ? r->len : 0);
        break;
    }
    return out;
}

} // namespace

// One connection to the server: plain or TLS, commands written in Redis's
// protocol by hiredis and its replies read by hiredis's reader.
struct RedisStore::Link {
    int fd = -1;
    SSL* ssl = nullptr;
    redisReader* reader = redisReaderCreate();
    Link() = default;
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    ~Link()
    {
        if (ssl)
            SSL_free(ssl);
        if (fd >= 0)
            ::close(fd);
        redisReaderFree(reader);
    }

    bool open(const RedisUrl& url, SSL_CTX* tls, std::string* error)
    {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (::getaddrinfo(url.host.c_str(), std::to_string(url.port).c_str(), &hints, &found) != 0 ||
            !found) {
            *error = "cannot resolve " + url.host;
            return false;
        }
        for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
            fd = ::socket(a->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (fd < 0)
                continue;
            if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0 && errno != EINPROGRESS) {
                ::close(fd);
                fd = -1;
                continue;
            }
            pollfd p{fd, POLLOUT, 0};
            int soError = 0;
            socklen_t len = sizeof soError;
            if (::poll(&p, 1, kTimeoutMs) != 1 ||
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0 || soError != 0) {
                ::close(fd);
                fd = -1;
            }
        }
        ::freeaddrinfo(found);
        if (fd < 0) {
            *error = "cannot connect to Redis at " + url.host + ":" + std::to_string(url.port);
            return false;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        const timeval limit{kTimeoutMs / 1000, (kTimeoutMs % 1000) * 1000};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
        if (tls) {
            ssl = SSL_new(tls);
            SSL_set_fd(ssl, fd);
            SSL_set_tlsext_host_name(ssl, url.host.c_str());
            SSL_set1_host(ssl, url.host.c_str());
            if (SSL_connect(ssl) != 1) {
                char text[256] = {};
                ERR_error_string_n(ERR_get_error(), text, sizeof text);
                ERR_clear_error();
                *error = std::string("the TLS handshake with Redis failed: ") + text;
                return false;
            }
        }
        std::vector<std::vector<std::string>> hello;
        if (!url.password.empty())
            hello.push_back(url.user.empty() ? std::vector<std::string>{"AUTH", url.password}
                                             : std::vector<std::string>{"AUTH", url.user, url.password});
        if (url.db != 0)
            hello.push_back({"SELECT", std::to_string(url.db)});
        hello.push_back({"PING"});
        for (const auto& command : hello) {
            const Reply r = run(command);
            if (!r.ok()) {
                *error = "Redis refused " + command.front() + (r.text.empty() ? "" : ": " + r.text);
                return false;
            }
        }
        return true;
    }

    bool write(const std::vector<std::string>& command)
    {
        std::vector<const char*> argv;
        std::vector<std::size_t> lens;
        for (const std::string& a : command) {
            argv.push_back(a.data());
            lens.push_back(a.size());
        }
        char* text = nullptr;
        const int size =
            redisFormatCommandArgv(&text, static_cast<int>(argv.size()), argv.data(), lens.data());
        if (size < 0)
            return false;
        bool ok = true;
        for (int at = 0; at < size && ok;) {
            const int n = ssl ? SSL_write(ssl, text + at, size - at)
                              : static_cast<int>(
                                    ::send(fd, text + at, static_cast<std::size_t>(size - at), MSG_NOSIGNAL));
            ok = n > 0;
            at += n > 0 ? n : 0;
        }
        redisFreeCommand(text);
        return ok;
    }

    // The next reply; waiting for it, or only from what has come (wait false).
    std::optional<Reply> read(bool wait)
    {
        for (std::size_t total = 0;;) {
            void* r = nullptr;
            if (redisReaderGetReply(reader, &r) != REDIS_OK)
                return std::nullopt;
            if (r) {
                Reply out = replyOf(static_cast<redisReply*>(r));
                freeReplyObject(r);
                return out;
            }
            if (!wait) {
                pollfd p{fd, POLLIN, 0};
                if (!(ssl && SSL_pending(ssl) > 0) && ::poll(&p, 1, 0) != 1)
                    return Reply{};
            }
            char buf[16384];
            const int n =
                ssl ? SSL_read(ssl, buf, sizeof buf) : static_cast<int>(::recv(fd, buf, sizeof buf, 0));
            if (n <= 0 || (total += static_cast<std::size_t>(n)) > kMaxReply)
                return std::nullopt;
            redisReaderFeed(reader, buf, static_cast<std::size_t>(n));
        }
    }

    Reply run(const std::vector<std::string>& command)
    {
        if (!write(command))
            return {};
        return read(true).value_or(Reply{});
    }
};

std::optional<RedisUrl> parseRedisUrl(std::string_view url, std::string* error)
{
    auto fail = [error](const std::string& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    RedisUrl out;
    if (url.starts_with("rediss://")) {
        out.tls = true;
        url.remove_prefix(9);
    } else if (url.starts_with("redis://")) {
        url.remove_prefix(8);
    } else {
        return fail("a Redis URL starts with redis:// or rediss://");
    }
    if (const auto at = url.rfind('@'); at != std::string_view::npos) {
        const std::string_view who = url.substr(0, at);
        const auto colon = who.find(':');
        out.user = std::string(who.substr(0, colon));
        out.password = colon == std::string_view::npos ? "" : std::string(who.substr(colon + 1));
        if (colon == std::string_view::npos) { // redis://PASSWORD@HOST
            out.password = out.user;
            out.user.clear();
        }
        url.remove_prefix(at + 1);
    }
    std::string_view where = url.substr(0, url.find('/'));
    if (const auto slash = url.find('/'); slash != std::string_view::npos) {
        const std::string db(url.substr(slash + 1));
        char* end = nullptr;
        out.db = db.empty() ? 0 : static_cast<int>(std::strtol(db.c_str(), &end, 10));
        if (!db.empty() && (*end != '\0' || out.db < 0))
            return fail("the Redis database must be a number, not " + db);
    }
    if (where.starts_with('[')) { // [IPv6]:port
        const auto close = where.find(']');
        if (close == std::string_view::npos)
            return fail("an IPv6 address in a Redis URL needs its closing ]");
        out.host = std::string(where.substr(1, close - 1));
        where.remove_prefix(close + 1);
    } else {
        out.host = std::string(where.substr(0, where.rfind(':')));
        where.remove_prefix(out.host.size());
    }
    if (where.starts_with(':')) {
        const std::string port(where.substr(1));
        char* end = nullptr;
        const long p = std::strtol(port.c_str(), &end, 10);
        if (port.empty() || *end != '\0' || p < 1 || p > 65535)
            return fail("the Redis port must be 1 to 65535, not " + port);
        out.port = static_cast<int>(p);
    }
    if (out.host.empty())
        return fail("the Redis URL names no host");
    return out;
}

std::unique_ptr<RedisStore> RedisStore::open(const std::string& url, const std::string& caFile, Clock clock,
                                             std::string* error)
{
    std::string why;
    auto parsed = parseRedisUrl(url, &why);
    if (!parsed) {
        *error = why;
        return nullptr;
    }
    std::shared_ptr<void> tls;
    if (parsed->tls) {
        SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
        SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
        SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
        if (caFile.empty() ? SSL_CTX_set_default_verify_paths(ctx) != 1
                           : SSL_CTX_load_verify_locations(ctx, caFile.c_str(), nullptr) != 1) {
            SSL_CTX_free(ctx);
            *error =
                "cannot read the certificates to check Redis against" + (caFile.empty() ? "" : ": " + caFile);
            return nullptr;
        }
        tls = std::shared_ptr<void>(ctx, [](void* c) { SSL_CTX_free(static_cast<SSL_CTX*>(c)); });
    }
    std::unique_ptr<RedisStore> store(new RedisStore(*parsed, tls, std::move(clock)));
    store->link_ = std::make_unique<Link>();
    if (!store->link_->open(store->url_, static_cast<SSL_CTX*>(tls.get()), error))
        return nullptr;
    return store;
}

RedisStore::RedisStore(RedisUrl url, std::shared_ptr<void> tls, Clock clock)
    : url_(std::move(url)), tls_(std::move(tls)), clock_(std::move(clock))
{
}

RedisStore::~RedisStore() = default;

std::vector<RedisStore::Reply> RedisStore::run(const std::vector<std::vector<std::string>>& commands)
{
    const auto t0 = std::chrono::steady_clock::now();
    // Written together and read together (one round trip); tried again on a
    // new connection once when the old one broke.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!link_) {
            auto fresh = std::make_unique<Link>();
            std::string error;
            if (!fresh->open(url_, static_cast<SSL_CTX*>(tls_.get()), &error)) {
                debugLog("redis: " + error);
                break;
            }
            link_ = std::move(fresh);
        }
        bool written = true;
        for (const auto& c : commands)
            written = written && link_->write(c);
        std::vector<Reply> replies;
        for (std::size_t i = 0; written && i < commands.size(); ++i) {
            auto r = link_->read(true);
            if (!r)
                break;
            replies.push_back(std::move(*r));
        }
        if (replies.size() == commands.size()) {
            latencySum_ +=
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            ++latencyCount_;
            return replies;
        }
        link_.reset();
    }
    ++failures_;
    return std::vector<Reply>(commands.size());
}

double RedisStore::takeLatencyMs()
{
    const double mean = latencyCount_ == 0 ? 0 : latencySum_ / static_cast<double>(latencyCount_);
    latencySum_ = 0;
    latencyCount_ = 0;
    return mean;
}

std::optional<std::string> RedisStore::codeOf(const std::string& secretHash)
{
    const auto code = run({{"GET", "zk:secret:" + secretHash}}).front();
    if (code.type != Reply::Type::Text)
        return std::nullopt;
    const auto owner = run({{"GET", "zk:code:" + code.text}}).front();
    return owner.type == Reply::Type::Text && owner.text == secretHash ? std::optional(code.text)
                                                                       : std::nullopt;
}

bool RedisStore::claim(const std::string& code, const std::string& secretHash, Ms life)
{
    const std::string key = "zk:code:" + code;
    const auto r = run({{"SET", key, secretHash, "NX", "PX", lifeText(life)}, {"GET", key}});
    if (r[1].type != Reply::Type::Text || r[1].text != secretHash)
        return false;
    run({{"SET", "zk:secret:" + secretHash, code, "PX", lifeText(life)},
         {"ZADD", "zk:games", std::to_string(clock_() + life), code}});
    return true;
}

void RedisStore::put(const HostedGame& g, Ms life)
{
    const std::string px = lifeText(life);
    const std::string until = std::to_string(clock_() + life);
    std::vector<std::vector<std::string>> commands = {
        {"SET", "zk:game:" + g.code, recordOf(g), "PX", px},
        {"SET", "zk:code:" + g.code, g.secretHash, "PX", px},
        {"SET", "zk:secret:" + g.secretHash, g.code, "PX", px},
        {"ZADD", "zk:games", until, g.code},
    };
    if (g.visibility == Visibility::Public && !g.instance.empty())
        commands.push_back({"ZADD", "zk:public", until, g.code});
    else
        commands.push_back({"ZREM", "zk:public", g.code});
    run(commands);
}

std::optional<HostedGame> RedisStore::get(const std::string& code)
{
    const auto r = run({{"GET", "zk:game:" + code}}).front();
    return r.type == Reply::Type::Text ? gameOf(code, r.text) : std::nullopt;
}

std::vector<HostedGame> RedisStore::listed(std::size_t max)
{
    const auto codes = run({{"ZRANGEBYSCORE", "zk:public", std::to_string(clock_()), "+inf", "LIMIT", "0",
                             std::to_string(max)}})
                           .front();
    std::vector<HostedGame> out;
    if (codes.type != Reply::Type::Array || codes.items.empty())
        return out;
    std::vector<std::string> mget{"MGET"};
    for (const Reply& c : codes.items)
        mget.push_back("zk:game:" + c.text);
    const auto records = run({mget}).front();
    for (std::size_t i = 0; i < records.items.size() && i < codes.items.size(); ++i) {
        if (records.items[i].type != Reply::Type::Text)
            continue;
        auto g = gameOf(codes.items[i].text, records.items[i].text);
        if (g && g->visibility == Visibility::Public && !g->instance.empty())
            out.push_back(std::move(*g));
    }
    std::sort(out.begin(), out.end(),
              [](const HostedGame& a, const HostedGame& b) { return a.code < b.code; });
    return out;
}

std::size_t RedisStore::games()
{
    const auto r = run({{"ZCOUNT", "zk:games", std::to_string(clock_()), "+inf"}}).front();
    return r.type == Reply::Type::Integer ? static_cast<std::size_t>(r.integer) : 0;
}

bool RedisStore::firstUse(const std::string& ticket, Ms life)
{
    const auto r = run({{"SET", "zk:ticket:" + ticket, "1", "NX", "PX", lifeText(life)}}).front();
    return r.type == Reply::Type::Text; // OK; nil when it was there
}

bool RedisStore::used(const std::string& ticket)
{
    const auto r = run({{"EXISTS", "zk:ticket:" + ticket}}).front();
    return r.type == Reply::Type::Integer && r.integer > 0;
}

bool RedisStore::take(const std::string& key, double burst, Ms refillMs)
{
    const auto r = run({{"EVAL", kTakeScript, "1", "zk:bucket:" + key, std::to_string(burst),
                         std::to_string(refillMs), std::to_string(clock_())}})
                       .front();
    // A store that cannot answer lets the request through.
    return r.type != Reply::Type::Integer || r.integer == 1;
}

void RedisStore::tell(const std::string& instance, const std::string& event)
{
    run({{"PUBLISH", "zk:events:" + instance, event}});
}

void RedisStore::listen(const std::string& instance, Listener listener)
{
    listener_ = std::move(listener);
    if (!listener_) {
        events_.reset();
        return;
    }
    channel_ = "zk:events:" + instance;
    auto link = std::make_unique<Link>();
    std::string error;
    if (!link->open(url_, static_cast<SSL_CTX*>(tls_.get()), &error) ||
        !link->write({"SUBSCRIBE", channel_}) || !link->read(true)) {
        debugLog("redis: cannot listen for events: " + error);
        return;
    }
    events_ = std::move(link);
}

int RedisStore::eventsFd() const
{
    return events_ ? events_->fd : -1;
}

void RedisStore::pumpEvents()
{
    if (!events_)
        return;
    for (;;) {
        auto r = events_->read(false);
        if (!r) {
            debugLog("redis: the events connection broke; listening again");
            events_.reset();
            listen(channel_.substr(std::string_view("zk:events:").size()), std::move(listener_));
            return;
        }
        if (r->type == Reply::Type::None)
            return; // nothing more now
        if (r->type == Reply::Type::Array && r->items.size() == 3 && r->items[0].text == "message" &&
            listener_)
            listener_(r->items[2].text);
    }
}

void RedisStore::expire()
{
    const std::string now = std::to_string(clock_());
    run({{"ZREMRANGEBYSCORE", "zk:games", "-inf", "(" + now},
         {"ZREMRANGEBYSCORE", "zk:public", "-inf", "(" + now}});
}

} // namespace zk::coord
