// The Avahi backend: libavahi-client on AvahiQtPoll, on a thread of its own.
//
// libavahi-client waits for the daemon's answer to each D-Bus call it makes
// (making the client, a group, a browser, a resolver), up to libdbus's
// default of 25 s when the daemon hangs. So every avahi call runs on a
// worker thread with its own Qt event loop; the object the game uses lives
// on the game's thread and only exchanges queued signals with its worker.
// A hung daemon then delays the list or the announcement, never a window
// or the host's game. At the end the worker is given 3 s to let go of the
// daemon; a worker stuck in a call past that is left to end with the
// process.
#include "discovery/qt/LanDiscovery.h"

#include "discovery/qt/AvahiQtPoll.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-client/publish.h>
#include <avahi-common/address.h>
#include <avahi-common/alternative.h>
#include <avahi-common/defs.h>
#include <avahi-common/domain.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QTimer>
#include <QThread>

#include <functional>
#include <map>
#include <string>
#include <utility>

namespace zk {

namespace {

const std::string kType(kGameServiceType);

AvahiStringList* toStringList(const QByteArrayList& items)
{
    AvahiStringList* list = nullptr;
    // avahi keeps a record back to front: each add prepends, and the record
    // goes on the wire from the list's tail (as avahi_string_list_new
    // builds it). Added in order, the first item goes first (txtvers).
    for (const QByteArray& item : items)
        list = avahi_string_list_add_arbitrary(list, reinterpret_cast<const uint8_t*>(item.constData()),
                                               static_cast<size_t>(item.size()));
    return list;
}

QByteArrayList fromTxt(const std::vector<std::string>& items)
{
    QByteArrayList out;
    for (const std::string& item : items)
        out << QByteArray::fromStdString(item);
    return out;
}

// Whether a failed call means that the daemon did not answer (a stall past
// the bus's timeout, a bus or daemon gone), not that it refused.
bool unanswered(int error)
{
    return error == AVAHI_ERR_DBUS_ERROR || error == AVAHI_ERR_DISCONNECTED || error == AVAHI_ERR_NO_DAEMON ||
           error == AVAHI_ERR_BAD_STATE;
}

// Why a game is not announced, for a failed call's error.
QString announceReason(int error)
{
    if (error == AVAHI_ERR_NO_DAEMON)
        return QString::fromLatin1(kAnnounceNoDaemon);
    if (unanswered(error))
        return QString::fromLatin1(kAnnounceNoAnswer);
    return QString::fromUtf8(avahi_strerror(error));
}

// The client of one worker: made on first use. With AVAHI_CLIENT_NO_FAIL it
// waits for a daemon that is not running yet (state AVAHI_CLIENT_CONNECTING)
// instead of failing. A client that failed (the daemon or the system bus
// went away), that could not be made (no bus yet, a daemon that did not
// answer in time), or one of whose calls went unanswered (replace()) is made
// anew: 2 s later, then 4 and 8 s apart, for as long as the worker wants
// one. A daemon that stalled and answers again, a daemon started again and a
// system bus started again are so met without the player doing anything.
// The worker's state handler sets up its objects once the client runs.
class ClientHolder {
public:
    using StateHandler = std::function<void(AvahiClient*, AvahiClientState)>;
    // wanted: whether the worker wants a client now; forget: the worker lets
    // go of its objects without freeing them (the client frees them itself,
    // and without a call to the daemon, as it goes).
    ClientHolder(QObject* context, StateHandler handler, std::function<bool()> wanted,
                 std::function<void()> forget)
        : context_(context), handler_(std::move(handler)), wanted_(std::move(wanted)),
          forget_(std::move(forget))
    {
    }
    ~ClientHolder() { close(); }

    AvahiClient* client() const { return client_; }
    // Why the last client could not be made.
    int error() const { return error_; }
    // A call to the current client went unanswered: it is replaced soon,
    // and its objects are better forgotten than freed (freeing one asks the
    // daemon, which may still not answer).
    bool stale() const { return stale_; }

    // A client now: the one there is, unless it failed or went stale. False
    // when none could be made (another try is due).
    bool open()
    {
        if (client_ && (stale_ || avahi_client_get_state(client_) == AVAHI_CLIENT_FAILURE))
            close();
        if (client_)
            return true;
        error_ = 0;
        QElapsedTimer took;
        took.start();
        opening_ = true;
        waiting_ = false;
        client_ = avahi_client_new(poll_.api(), AVAHI_CLIENT_NO_FAIL, &ClientHolder::changed, this, &error_);
        opening_ = false;
        if (client_ && waiting_) {
            // A new client that waits for the daemon. When the bus said at
            // once that none runs, it waits for one to appear, and the worker
            // hears so. When the answer took long, a daemon is there that did
            // not answer in time: no new one will appear for this client to
            // meet, so another client is tried later instead.
            if (took.elapsed() < kSlowAnswerMs) {
                handler_(client_, AVAHI_CLIENT_CONNECTING);
            } else {
                avahi_client_free(client_); // the worker was not told of it, and has nothing of it
                client_ = nullptr;
                error_ = AVAHI_ERR_DBUS_ERROR;
            }
        }
        if (!client_)
            retrySoon();
        return client_ != nullptr;
    }
    void close()
    {
        if (!client_)
            return;
        forget_();
        avahi_client_free(client_);
        client_ = nullptr;
        stale_ = false;
    }
    // The client failed, or a call to it went unanswered: a new one soon.
    // Safe inside the client's own callbacks.
    void replace()
    {
        stale_ = client_ != nullptr;
        retrySoon();
    }

private:
    void retrySoon()
    {
        if (retrying_)
            return;
        retrying_ = true;
        QTimer::singleShot(delayMs_, context_, [this] {
            retrying_ = false;
            if (wanted_())
                open();
        });
        delayMs_ = std::min(delayMs_ * 2, kLongestDelayMs);
    }

    static void changed(AvahiClient* c, AvahiClientState state, void* self)
    {
        auto* me = static_cast<ClientHolder*>(self);
        // The first call comes from inside avahi_client_new, before it returns.
        me->client_ = c;
        if (me->opening_ && state == AVAHI_CLIENT_CONNECTING) {
            me->waiting_ = true; // open() tells the worker, or not
            return;
        }
        if (state == AVAHI_CLIENT_S_RUNNING)
            me->delayMs_ = kFirstDelayMs;
        me->handler_(c, state);
    }

    static constexpr int kFirstDelayMs = 2000;
    static constexpr int kSlowAnswerMs = 1000;
    static constexpr int kLongestDelayMs = 8000;
    AvahiQtPoll poll_;
    QObject* context_;
    AvahiClient* client_ = nullptr;
    StateHandler handler_;
    std::function<bool()> wanted_;
    std::function<void()> forget_;
    int error_ = 0;
    int delayMs_ = kFirstDelayMs;
    bool retrying_ = false;
    bool stale_ = false;
    bool opening_ = false; // inside avahi_client_new
    bool waiting_ = false; // the new client waits for the daemon
};

// --- Announcing --------------------------------------------------------------

class PublishWorker : public QObject {
    Q_OBJECT
public:
    PublishWorker()
        : holder_(
              this, [this](AvahiClient* c, AvahiClientState s) { clientChanged(c, s); },
              [this] { return wanted_; }, [this] { forgetGroup(); })
    {
    }
    ~PublishWorker() override { shutdown(); }

    void publish(const QString& name, int port, const QByteArrayList& txt)
    {
        name_ = name.toUtf8();
        port_ = port;
        txt_ = txt;
        wanted_ = true;
        dropGroup();
        if (!holder_.open()) {
            emit unavailable(announceReason(holder_.error()));
            return;
        }
        // The client may have run already inside open().
        if (avahi_client_get_state(holder_.client()) == AVAHI_CLIENT_S_RUNNING && !group_)
            addService();
    }
    void updateTxt(const QByteArrayList& txt)
    {
        txt_ = txt;
        // Until the service is established the daemon has what addService
        // gave it; the change follows at once when it is (groupChanged).
        if (!group_ || !registered_ || txt_ == publishedTxt_)
            return;
        publishedTxt_ = txt_;
        AvahiStringList* list = toStringList(txt_);
        const int error = avahi_entry_group_update_service_txt_strlst(
            group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name_.constData(),
            kType.c_str(), nullptr, list);
        avahi_string_list_free(list);
        if (unanswered(error))
            callFailed(error);
    }
    void withdraw()
    {
        wanted_ = false;
        dropGroup();
    }
    void shutdown()
    {
        wanted_ = false;
        dropGroup();
        holder_.close();
    }

signals:
    void announced(const QString& name);
    void unavailable(const QString& why);

private:
    void clientChanged(AvahiClient* c, AvahiClientState state)
    {
        switch (state) {
        case AVAHI_CLIENT_S_RUNNING:
            if (wanted_ && !group_)
                addService(c);
            break;
        case AVAHI_CLIENT_S_COLLISION:
        case AVAHI_CLIENT_S_REGISTERING:
            // The machine's own name is being (re)registered: ours follows
            // once the client runs again.
            if (group_)
                avahi_entry_group_reset(group_);
            registered_ = false;
            break;
        case AVAHI_CLIENT_CONNECTING:
            // No daemon yet: the client waits for it, and the service is
            // added once it runs.
            dropGroup();
            emit unavailable(QString::fromLatin1(kAnnounceNoDaemon));
            break;
        case AVAHI_CLIENT_FAILURE:
            // The daemon or the system bus went away (or restarted) and our
            // service with them. A new client, after a pause, waits for them
            // to come back, and the service is added again once it runs.
            dropGroup();
            emit unavailable(announceReason(avahi_client_errno(c)));
            holder_.replace();
            break;
        }
    }

    // A call the daemon did not answer: what it holds of ours is unknown, so
    // a new client starts afresh.
    void callFailed(int error)
    {
        registered_ = false;
        emit unavailable(announceReason(error));
        holder_.replace();
    }

    void addService(AvahiClient* c = nullptr)
    {
        if (!c)
            c = holder_.client();
        if (!group_)
            group_ = avahi_entry_group_new(c, &PublishWorker::groupChanged, this);
        if (!group_) {
            callFailed(avahi_client_errno(c));
            return;
        }
        for (int tries = 0; tries < 20; ++tries) {
            publishedTxt_ = txt_;
            AvahiStringList* list = toStringList(txt_);
            const int error = avahi_entry_group_add_service_strlst(
                group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name_.constData(),
                kType.c_str(), nullptr, nullptr, static_cast<uint16_t>(port_), list);
            avahi_string_list_free(list);
            if (error == AVAHI_ERR_COLLISION) {
                rename();
                continue;
            }
            const int failed = error < 0 ? error : avahi_entry_group_commit(group_);
            if (unanswered(failed))
                callFailed(failed);
            else if (failed < 0)
                emit unavailable(announceReason(failed));
            return;
        }
    }

    void rename()
    {
        char* other = avahi_alternative_service_name(name_.constData());
        name_ = other;
        avahi_free(other);
    }

    static void groupChanged(AvahiEntryGroup* g, AvahiEntryGroupState state, void* self)
    {
        auto* me = static_cast<PublishWorker*>(self);
        me->group_ = g;
        switch (state) {
        case AVAHI_ENTRY_GROUP_ESTABLISHED:
            me->registered_ = true;
            emit me->announced(QString::fromUtf8(me->name_));
            me->updateTxt(me->txt_);
            break;
        case AVAHI_ENTRY_GROUP_COLLISION:
            // Another machine announces a service of this name: take the next.
            me->registered_ = false;
            me->rename();
            avahi_entry_group_reset(g);
            me->addService();
            break;
        case AVAHI_ENTRY_GROUP_FAILURE:
            me->registered_ = false;
            emit me->unavailable(
                QString::fromUtf8(avahi_strerror(avahi_client_errno(avahi_entry_group_get_client(g)))));
            break;
        case AVAHI_ENTRY_GROUP_UNCOMMITED:
        case AVAHI_ENTRY_GROUP_REGISTERING: break;
        }
    }

    void dropGroup()
    {
        // A stale client frees its group itself, without asking the daemon.
        if (group_ && !holder_.stale())
            avahi_entry_group_free(group_);
        forgetGroup();
    }
    void forgetGroup()
    {
        group_ = nullptr;
        registered_ = false;
    }

    ClientHolder holder_;
    AvahiEntryGroup* group_ = nullptr;
    bool registered_ = false;
    bool wanted_ = false;
    QByteArray name_;
    int port_ = 0;
    QByteArrayList txt_;          // the record wanted
    QByteArrayList publishedTxt_; // the record the daemon has
};

// --- Searching ---------------------------------------------------------------

class SearchWorker : public QObject {
    Q_OBJECT
public:
    SearchWorker()
        : holder_(
              this, [this](AvahiClient* c, AvahiClientState s) { clientChanged(c, s); },
              [this] { return wanted_; }, [this] { forgetBrowser(); })
    {
    }
    ~SearchWorker() override { shutdown(); }

    void start()
    {
        wanted_ = true;
        dropBrowser();
        if (!holder_.open()) {
            emit status(false, QString::fromLatin1(kLanNotAvailable));
            return;
        }
        // The client may have run already inside open().
        if (avahi_client_get_state(holder_.client()) == AVAHI_CLIENT_S_RUNNING && !browser_)
            browse(holder_.client());
    }
    void stop()
    {
        wanted_ = false;
        dropBrowser();
    }
    void shutdown()
    {
        stop();
        holder_.close();
    }

signals:
    void resolved(int path, const QString& instance, const QString& address, int port,
                  const QByteArrayList& txt, bool local);
    void removed(int path, const QString& instance);
    void cleared();
    void status(bool available, const QString& why);
    void searched();

private:
    void clientChanged(AvahiClient* c, AvahiClientState state)
    {
        switch (state) {
        case AVAHI_CLIENT_S_RUNNING:
            if (wanted_ && !browser_)
                browse(c);
            break;
        case AVAHI_CLIENT_S_REGISTERING:
        case AVAHI_CLIENT_S_COLLISION: break;
        case AVAHI_CLIENT_CONNECTING:
            // No daemon yet: nothing found stands; the search starts once
            // the client runs.
            dropBrowser();
            emit cleared();
            emit status(false, QString::fromLatin1(kLanNotAvailable));
            break;
        case AVAHI_CLIENT_FAILURE:
            // The daemon or the system bus went away: so did what it had
            // found. A new client, after a pause, waits for them to come back.
            dropBrowser();
            emit cleared();
            emit status(false, QString::fromLatin1(kLanNotAvailable));
            holder_.replace();
            break;
        }
    }

    // A call the daemon did not answer, or a browser it gave up: a new
    // client searches afresh.
    void callFailed()
    {
        emit status(false, QString::fromLatin1(kLanNotAvailable));
        holder_.replace();
    }

    void browse(AvahiClient* c)
    {
        // IPv4 only: the game connects by dotted address.
        browser_ = avahi_service_browser_new(c, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, kType.c_str(), nullptr,
                                             AvahiLookupFlags(0), &SearchWorker::browsed, this);
        if (browser_)
            emit status(true, QString());
        else if (unanswered(avahi_client_errno(c)))
            callFailed();
        else
            emit status(false, QString::fromLatin1(kLanNotAvailable));
    }

    static int pathOf(AvahiIfIndex interface, AvahiProtocol protocol) { return interface * 4 + protocol; }

    // One service on one path: its resolver (address and port), and a
    // browser of its TXT record. The resolver alone does not tell when the
    // TXT changes (the daemon's cache has the new record, the resolver stays
    // silent), so the record itself is watched.
    struct Watched {
        SearchWorker* worker = nullptr;
        int path = 0;
        QString name;
        AvahiServiceResolver* resolver = nullptr;
        AvahiRecordBrowser* txt = nullptr;
        bool resolved = false;
        std::string host; // the machine the service named (its SRV target)
        QString address;
        int port = 0;
        bool local = false;
        ~Watched()
        {
            if (txt)
                avahi_record_browser_free(txt);
            if (resolver)
                avahi_service_resolver_free(resolver);
        }
    };

    static void browsed(AvahiServiceBrowser*, AvahiIfIndex interface, AvahiProtocol protocol,
                        AvahiBrowserEvent event, const char* name, const char* type, const char* domain,
                        AvahiLookupResultFlags, void* self)
    {
        auto* me = static_cast<SearchWorker*>(self);
        // Only NEW and REMOVE name a service.
        const auto key = std::make_pair(pathOf(interface, protocol), std::string(name ? name : ""));
        switch (event) {
        case AVAHI_BROWSER_NEW: {
            if (me->watched_.count(key))
                break;
            auto w = std::make_unique<Watched>();
            w->worker = me;
            w->path = key.first;
            w->name = QString::fromUtf8(name);
            AvahiClient* client = avahi_service_browser_get_client(me->browser_);
            w->resolver =
                avahi_service_resolver_new(client, interface, protocol, name, type, domain, AVAHI_PROTO_INET,
                                           AvahiLookupFlags(0), &SearchWorker::resolvedOne, w.get());
            char full[AVAHI_DOMAIN_NAME_MAX] = {};
            if (avahi_service_name_join(full, sizeof full, name, type, domain) == 0)
                w->txt = avahi_record_browser_new(client, interface, protocol, full, AVAHI_DNS_CLASS_IN,
                                                  AVAHI_DNS_TYPE_TXT, AvahiLookupFlags(0),
                                                  &SearchWorker::txtChanged, w.get());
            if (w->resolver)
                me->watched_.emplace(key, std::move(w));
            else if (unanswered(avahi_client_errno(client)))
                me->callFailed();
            break;
        }
        case AVAHI_BROWSER_REMOVE:
            me->watched_.erase(key);
            emit me->removed(key.first, QString::fromUtf8(name));
            break;
        case AVAHI_BROWSER_ALL_FOR_NOW: emit me->searched(); break;
        case AVAHI_BROWSER_CACHE_EXHAUSTED: break;
        case AVAHI_BROWSER_FAILURE: me->callFailed(); break;
        }
    }

    static QByteArrayList itemsOf(AvahiStringList* txt)
    {
        QByteArrayList items;
        for (AvahiStringList* item = txt; item; item = avahi_string_list_get_next(item))
            items << QByteArray(reinterpret_cast<const char*>(avahi_string_list_get_text(item)),
                                static_cast<qsizetype>(avahi_string_list_get_size(item)));
        return items;
    }

    static void resolvedOne(AvahiServiceResolver* resolver, AvahiIfIndex interface, AvahiProtocol protocol,
                            AvahiResolverEvent event, const char* name, const char* type, const char* domain,
                            const char* host, const AvahiAddress* address, uint16_t port,
                            AvahiStringList* txt, AvahiLookupResultFlags flags, void* self)
    {
        auto* w = static_cast<Watched*>(self);
        if (event != AVAHI_RESOLVER_FOUND || !address || address->proto != AVAHI_PROTO_INET)
            return; // a failed resolve shows nothing; the browser tells when it goes
        const std::string machine = host ? host : "";
        if (w->resolved && machine != w->host) {
            // The game moved to another machine under the same name. The
            // daemon's resolver keeps the address it had and reports it with
            // the new machine's port: a resolver of its own finds address and
            // port together. Until it has, the row shows the old pair.
            AvahiClient* client = avahi_service_resolver_get_client(resolver);
            avahi_service_resolver_free(resolver);
            w->resolved = false;
            w->resolver =
                avahi_service_resolver_new(client, interface, protocol, name, type, domain, AVAHI_PROTO_INET,
                                           AvahiLookupFlags(0), &SearchWorker::resolvedOne, w);
            if (!w->resolver && unanswered(avahi_client_errno(client)))
                w->worker->callFailed();
            return;
        }
        w->host = machine;
        char text[AVAHI_ADDRESS_STR_MAX] = {};
        avahi_address_snprint(text, sizeof text, address);
        w->resolved = true;
        w->address = QString::fromLatin1(text);
        w->port = port;
        w->local = (flags & AVAHI_LOOKUP_RESULT_LOCAL) != 0;
        emit w->worker->resolved(w->path, w->name, w->address, w->port, itemsOf(txt), w->local);
    }

    static void txtChanged(AvahiRecordBrowser*, AvahiIfIndex, AvahiProtocol, AvahiBrowserEvent event,
                           const char*, uint16_t, uint16_t, const void* rdata, size_t size,
                           AvahiLookupResultFlags, void* self)
    {
        auto* w = static_cast<Watched*>(self);
        AvahiStringList* txt = nullptr;
        // Before the first resolve there is no address to show it with; the
        // resolve brings the record with it.
        if (event != AVAHI_BROWSER_NEW || !w->resolved || avahi_string_list_parse(rdata, size, &txt) < 0)
            return;
        txt = avahi_string_list_reverse(txt); // parsed back to front
        emit w->worker->resolved(w->path, w->name, w->address, w->port, itemsOf(txt), w->local);
        avahi_string_list_free(txt);
    }

    void dropBrowser()
    {
        // A stale client frees its objects itself, without asking the daemon.
        if (holder_.stale()) {
            forgetBrowser();
            return;
        }
        watched_.clear();
        if (browser_)
            avahi_service_browser_free(browser_);
        browser_ = nullptr;
    }
    void forgetBrowser()
    {
        for (auto& [key, w] : watched_)
            w->resolver = nullptr, w->txt = nullptr;
        watched_.clear();
        browser_ = nullptr;
    }

    ClientHolder holder_;
    AvahiServiceBrowser* browser_ = nullptr;
    std::map<std::pair<int, std::string>, std::unique_ptr<Watched>> watched_;
    bool wanted_ = false;
};

// --- The thread --------------------------------------------------------------

// Runs a worker on a thread of its own; the worker is deleted there.
template <class Worker>
class WorkerThread {
public:
    WorkerThread() : thread_(new QThread), worker_(new Worker)
    {
        thread_->setObjectName(QStringLiteral("zk-discovery"));
        worker_->moveToThread(thread_);
        QObject::connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
        thread_->start();
    }
    ~WorkerThread()
    {
        QMetaObject::invokeMethod(worker_, [w = worker_] {
            w->shutdown();
            QThread::currentThread()->quit();
        });
        // Stuck in a call to a daemon that does not answer: the thread is
        // left to end with the process (deleting a running QThread aborts).
        if (thread_->wait(3000))
            delete thread_;
    }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    Worker* worker() const { return worker_; }
    // Runs fn(worker) on the worker's thread.
    template <class Fn>
    void post(Fn fn)
    {
        QMetaObject::invokeMethod(worker_, [w = worker_, fn = std::move(fn)] { fn(*w); });
    }

private:
    QThread* thread_;
    Worker* worker_;
};

class AvahiAnnouncer final : public LanAnnouncer {
public:
    AvahiAnnouncer()
    {
        connect(thread_.worker(), &PublishWorker::announced, this, &LanAnnouncer::announced);
        connect(thread_.worker(), &PublishWorker::unavailable, this, &LanAnnouncer::unavailable);
    }

private:
    void publish(const QString& name, int port, const std::vector<std::string>& txt) override
    {
        thread_.post([name, port, txt = fromTxt(txt)](PublishWorker& w) { w.publish(name, port, txt); });
    }
    void updateTxt(const std::vector<std::string>& txt) override
    {
        thread_.post([txt = fromTxt(txt)](PublishWorker& w) { w.updateTxt(txt); });
    }
    void withdraw() override
    {
        thread_.post([](PublishWorker& w) { w.withdraw(); });
    }

    WorkerThread<PublishWorker> thread_;
};

class AvahiBrowser final : public LanBrowser {
public:
    AvahiBrowser()
    {
        SearchWorker* w = thread_.worker();
        connect(w, &SearchWorker::resolved, this,
                [this](int path, const QString& instance, const QString& address, int port,
                       const QByteArrayList& txt, bool local) {
                    FoundGame game;
                    game.instance = instance.toStdString();
                    game.address = address.toStdString();
                    game.port = port;
                    std::vector<std::string> items;
                    for (const QByteArray& item : txt)
                        items.push_back(item.toStdString());
                    game.advert = zk::fromTxt(items);
                    game.local = local;
                    serviceResolved(path, game);
                });
        connect(w, &SearchWorker::removed, this, &AvahiBrowser::serviceRemoved);
        connect(w, &SearchWorker::cleared, this, &AvahiBrowser::forgetAll);
        connect(w, &SearchWorker::status, this, &AvahiBrowser::setStatus);
        connect(w, &SearchWorker::searched, this, &LanBrowser::searched);
    }
    void start() override
    {
        forgetAll();
        thread_.post([](SearchWorker& w) { w.start(); });
    }
    void stop() override
    {
        thread_.post([](SearchWorker& w) { w.stop(); });
    }

private:
    WorkerThread<SearchWorker> thread_;
};

} // namespace

std::unique_ptr<LanAnnouncer> makeAvahiAnnouncer()
{
    return std::make_unique<AvahiAnnouncer>();
}

std::unique_ptr<LanBrowser> makeAvahiBrowser()
{
    return std::make_unique<AvahiBrowser>();
}

} // namespace zk

#include "AvahiDiscovery.moc"
