#include "windows/qt/HttpGet.h"

#include "windows/CurlLibrary.h"
#include "windows/HttpAnswer.h"
#include "windows/qt/LobbyAddress.h"

#include <QMetaObject>

namespace zk {
namespace {

bool isHttps(const QUrl& url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

} // namespace

// Everything one request needs on the worker thread. The handles are made on
// the UI thread before the worker starts and freed after it ended; only
// `aborted` and curl->multi_wakeup() cross threads while it runs.
struct HttpGet::Transfer {
    HttpGet* owner = nullptr;
    const CurlLibrary* curl = nullptr;
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    curl_slist* headers = nullptr;
    bool attached = false;
    QUrl url; // the address of the current hop
    Sink sink;
    std::atomic<bool> aborted{false};
    HttpAnswer answer;
    char errorText[CURL_ERROR_SIZE] = {};

    ~Transfer()
    {
        detach();
        if (easy)
            curl->easy_cleanup(easy);
        if (multi)
            curl->multi_cleanup(multi);
        if (headers)
            curl->slist_free_all(headers);
    }

    void detach()
    {
        if (attached)
            curl->multi_remove_handle(multi, easy);
        attached = false;
    }

    long responseCode() const
    {
        long code = 0;
        curl->easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
        return code;
    }

    // The absolute address a finished 3xx answer points to, or an empty text.
    QByteArray redirection() const
    {
        char* location = nullptr;
        curl->easy_getinfo(easy, CURLINFO_REDIRECT_URL, &location);
        return location ? QByteArray(location) : QByteArray();
    }

    // Sets up the easy handle for one hop to `url` and attaches it.
    bool prepare(const QUrl& target)
    {
        detach();
        url = target;
        if (headers)
            curl->slist_free_all(headers);
        // "Host:" with no value switches curl's own Host line off, so that
        // ours goes out last, in the order of the list.
        headers = curl->slist_append(nullptr, "Host:");
        for (const QByteArray& line : lobbyRequestHeaders(target))
            headers = curl->slist_append(headers, line.constData());
        if (!headers)
            return false;
        const QByteArray address = target.toEncoded();
        curl->easy_setopt(easy, CURLOPT_URL, address.constData());
        curl->easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
        attached = curl->multi_add_handle(multi, easy) == CURLM_OK;
        return attached;
    }

    // Queues a call on the UI thread; calls arrive in the order they were made.
    template <typename F>
    void post(F&& f)
    {
        QMetaObject::invokeMethod(owner, std::forward<F>(f), Qt::QueuedConnection);
    }
};

size_t HttpGet::onHeader(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (t->aborted)
        return 0;
    HeadLine head = readHeadLine(t->answer, std::string_view(data, n), t->responseCode());
    if (!head.proceed)
        return 0;
    if (head.line) {
        HttpGet* owner = t->owner;
        t->post([owner, line = QByteArray::fromStdString(*head.line)] { emit owner->headerLine(line); });
    }
    return n;
}

size_t HttpGet::onBody(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (t->aborted)
        return 0;
    switch (bodyUse(t->answer, t->responseCode())) {
    case BodyUse::RedirectionNote: return n;
    case BodyUse::Refused: return 0;
    case BodyUse::Document: break;
    }
    HttpGet* owner = t->owner;
    if (!t->answer.bodyStarted) {
        t->answer.bodyStarted = true;
        t->post([owner] { emit owner->documentBegins(); });
    }
    if (n > 0 && !t->sink(data, n))
        return 0;
    t->answer.received += static_cast<std::int64_t>(n);
    const qint64 total = t->answer.received;
    t->post([owner, total] { emit owner->dataReceived(total); });
    return n;
}

HttpGet::HttpGet(QObject* parent) : QObject(parent)
{
}

HttpGet::~HttpGet()
{
    abort();
    if (worker_.joinable())
        worker_.join();
}

bool HttpGet::start(const QUrl& url, Sink sink)
{
    if (running_ || !isDownloadAddress(url) || !sink)
        return false;
    if (worker_.joinable())
        worker_.join();
    const CurlLibrary* curl = CurlLibrary::get();
    if (!curl)
        return false; // not installed: the download fails as any other would

    auto t = std::make_unique<Transfer>();
    t->owner = this;
    t->curl = curl;
    t->sink = std::move(sink);
    t->easy = curl->easy_init();
    t->multi = curl->multi_init();
    if (!t->easy || !t->multi)
        return false;

    CURL* e = t->easy;
    curl->easy_setopt(e, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    curl->easy_setopt(e, CURLOPT_HTTPGET, 1L);
    curl->easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    // Redirections are followed by run(), one request per hop, so that every
    // request carries exactly our lines with the Host of its own address.
    curl->easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    // No proxy: a proxy would change the request line and add its own lines.
    curl->easy_setopt(e, CURLOPT_PROXY, "");
    curl->easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl->easy_setopt(e, CURLOPT_CONNECTTIMEOUT, 30L);
    curl->easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl->easy_setopt(e, CURLOPT_LOW_SPEED_TIME, 60L);
    curl->easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxDownloadBytes));
    curl->easy_setopt(e, CURLOPT_HEADERFUNCTION, onHeader);
    curl->easy_setopt(e, CURLOPT_HEADERDATA, t.get());
    curl->easy_setopt(e, CURLOPT_WRITEFUNCTION, onBody);
    curl->easy_setopt(e, CURLOPT_WRITEDATA, t.get());
    curl->easy_setopt(e, CURLOPT_ERRORBUFFER, t->errorText);
    if (!t->prepare(url))
        return false;

    transfer_ = std::move(t);
    running_ = true;
    worker_ = std::thread([this, raw = transfer_.get()] { run(raw); });
    return true;
}

void HttpGet::abort()
{
    if (!running_ || !transfer_)
        return;
    transfer_->aborted = true;
    transfer_->curl->multi_wakeup(transfer_->multi);
}

void HttpGet::run(Transfer* t)
{
    const CurlLibrary* curl = t->curl;
    const bool startedSecure = isHttps(t->url);
    bool ok = false;
    QString error;
    for (int hop = 0;; ++hop) {
        int active = 1;
        CURLMcode mc = CURLM_OK;
        while (active > 0 && !t->aborted) {
            mc = curl->multi_perform(t->multi, &active);
            if (mc != CURLM_OK || active == 0)
                break;
            // Sleeps until the socket has news, a second passes (for curl's
            // own timeouts) or abort() wakes it.
            mc = curl->multi_poll(t->multi, nullptr, 0, 1000, nullptr);
            if (mc != CURLM_OK)
                break;
        }

        CURLcode result = CURLE_OK;
        bool done = false;
        int queued = 0;
        while (CURLMsg* msg = curl->multi_info_read(t->multi, &queued)) {
            if (msg->msg == CURLMSG_DONE) {
                result = msg->data.result;
                done = true;
            }
        }
        HopReport report;
        report.aborted = t->aborted;
        report.pollFailed = mc != CURLM_OK;
        if (report.pollFailed)
            report.pollError = curl->multi_strerror(mc);
        report.finished = done;
        report.transferOk = result == CURLE_OK;
        if (!report.transferOk)
            report.transferError = t->errorText[0] ? t->errorText : curl->easy_strerror(result);
        report.status = t->responseCode();
        if (report.transferOk && report.status >= 300 && report.status <= 399) {
            report.redirection = t->redirection().toStdString();
            judgeRedirectionAddress(report);
        }
        const HopVerdict verdict = judgeHop(t->answer, report, hop, startedSecure);
        if (verdict.kind == HopVerdict::Kind::Follow) {
            if (t->prepare(QUrl(QString::fromStdString(verdict.next))))
                continue;
            error = QStringLiteral("cannot follow the redirection");
        } else {
            ok = verdict.kind == HopVerdict::Kind::Done;
            error = QString::fromStdString(verdict.error);
        }
        break;
    }
    t->post([this, ok, error] { complete(ok, error); });
}

void HttpGet::complete(bool ok, const QString& error)
{
    if (worker_.joinable())
        worker_.join();
    transfer_.reset();
    running_ = false;
    emit finished(ok, error);
}

} // namespace zk
