// One HTTP/1.0 GET at a time, run by libcurl on a worker thread so the user
// interface keeps running while it waits. The body goes to a sink as it
// arrives; progress comes back as signals, always emitted on the thread that
// owns this object (the UI thread), in the order things happened.
//
//     zk::HttpGet get;
//     connect(&get, &zk::HttpGet::dataReceived, this, [](qint64 n) { ... });
//     connect(&get, &zk::HttpGet::finished, this, [](bool ok, QString why) { ... });
//     get.start(url, [&file](const char* p, std::size_t n) { return file.write(p, n) == n; });
//     ...
//     get.abort();   // Stop: finished(false, ...) follows
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <thread>

namespace zk {

// Largest body accepted; a bigger one fails the request instead of filling
// the disk.
inline constexpr long long kMaxDownloadBytes = 512LL * 1024 * 1024;

class HttpGet : public QObject {
    Q_OBJECT
public:
    // Receives body bytes on the worker thread; returns false to fail the
    // request (e.g. the disk is full). Nothing else touches what it writes to
    // until finished() has been emitted.
    using Sink = std::function<bool(const char* data, std::size_t size)>;

    explicit HttpGet(QObject* parent = nullptr);
    // Aborts a running request and waits for the worker to end.
    ~HttpGet() override;

    // Sends the request: the request line with the address's path, then the
    // Accept, User-Agent and Host lines of LobbyAddress.h and nothing else.
    // Returns false (and emits nothing) when a request is already running or
    // the address is not http or https.
    bool start(const QUrl& url, Sink sink);

    // Ends the running request at once; finished(false, ...) follows. Does
    // nothing when no request runs.
    void abort();

    bool isRunning() const { return running_; }

signals:
    // One per line of the response head (the status line included, the empty
    // line that ends the head not), without the line end.
    void headerLine(const QByteArray& line);
    // The body starts (a 2xx response whose first body bytes have arrived).
    void documentBegins();
    // Body bytes received so far, after each piece.
    void dataReceived(qint64 total);
    // The request is over. ok is true only for a complete 2xx response that
    // the sink took whole; error says why it failed otherwise.
    void finished(bool ok, const QString& error);

private:
    struct Transfer;
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user);
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user);
    void run(Transfer* transfer);
    void complete(bool ok, const QString& error);

    std::unique_ptr<Transfer> transfer_;
    std::thread worker_;
    bool running_ = false;
};

} // namespace zk
