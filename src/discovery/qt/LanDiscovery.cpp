#include "discovery/qt/LanDiscovery.h"

#include <QTimer>

namespace zk {

bool lanDiscoveryEnabled(const std::optional<std::string>& setting)
{
    if (qEnvironmentVariable(kLanDiscoveryVariable).trimmed() == QLatin1String("0"))
        return false;
    return !setting || QString::fromStdString(*setting).trimmed() != QLatin1String("0");
}

// --- LanAnnouncer ------------------------------------------------------------

LanAnnouncer::LanAnnouncer()
{
    clock_.start();
    held_.setSingleShot(true);
    held_.setTimerType(Qt::PreciseTimer);
    connect(&held_, &QTimer::timeout, this, &LanAnnouncer::sendHeld);
}

LanAnnouncer::~LanAnnouncer() = default;

void LanAnnouncer::start(const QString& name, int port, const GameAdvert& advert)
{
    running_ = true;
    sent_ = latest_ = advert;
    held_.stop();
    gate_ = UpdateGate(1000);
    gate_.change(clock_.elapsed());
    publish(name, port, toTxt(advert));
}

void LanAnnouncer::update(const GameAdvert& advert)
{
    latest_ = advert;
    if (!running_ || latest_ == sent_)
        return;
    const long long now = clock_.elapsed();
    if (gate_.change(now)) {
        sent_ = latest_;
        updateTxt(toTxt(sent_));
    } else if (!held_.isActive()) {
        held_.start(static_cast<int>(gate_.wait(now).value_or(0)));
    }
}

void LanAnnouncer::sendHeld()
{
    if (!running_)
        return;
    const long long now = clock_.elapsed();
    if (!gate_.due(now)) {
        // A timer may fire a little early.
        if (const auto wait = gate_.wait(now))
            held_.start(static_cast<int>(*wait));
        return;
    }
    if (latest_ != sent_) {
        sent_ = latest_;
        updateTxt(toTxt(sent_));
    }
}

void LanAnnouncer::stop()
{
    if (!running_)
        return;
    running_ = false;
    held_.stop();
    withdraw();
}

// --- LanBrowser --------------------------------------------------------------

LanBrowser::~LanBrowser() = default;

void LanBrowser::serviceResolved(int path, const FoundGame& game)
{
    switch (games_.resolved(path, game)) {
    case RowChange::Added: emit found(*games_.find(game.instance)); break;
    case RowChange::Changed: emit changed(*games_.find(game.instance)); break;
    case RowChange::Removed:
    case RowChange::None: break;
    }
}

void LanBrowser::serviceRemoved(int path, const QString& instance)
{
    const std::string key = instance.toStdString();
    switch (games_.removed(path, key)) {
    case RowChange::Changed: emit changed(*games_.find(key)); break;
    case RowChange::Removed: emit lost(instance); break;
    case RowChange::Added:
    case RowChange::None: break;
    }
}

void LanBrowser::forgetAll()
{
    const std::vector<FoundGame> gone = games_.games();
    games_.clear();
    for (const FoundGame& g : gone)
        emit lost(QString::fromStdString(g.instance));
}

void LanBrowser::setStatus(bool available, const QString& why)
{
    available_ = available;
    emit status(available, why);
}

// --- Discovery turned off, or no backend in this build -------------------------

namespace {

class QuietAnnouncer final : public LanAnnouncer {
public:
    explicit QuietAnnouncer(QString why) : why_(std::move(why)) {}

private:
    void publish(const QString&, int, const std::vector<std::string>&) override
    {
        // Told after start() returns, as a real backend tells.
        QTimer::singleShot(0, this, [this] { emit unavailable(why_); });
    }
    void updateTxt(const std::vector<std::string>&) override {}
    void withdraw() override {}
    QString why_;
};

class QuietBrowser final : public LanBrowser {
public:
    explicit QuietBrowser(QString why) : why_(std::move(why)) {}
    void start() override
    {
        QTimer::singleShot(0, this, [this] { setStatus(false, why_); });
    }
    void stop() override {}

private:
    QString why_;
};

} // namespace

std::unique_ptr<LanAnnouncer> makeAvahiAnnouncer(); // AvahiDiscovery.cpp; null without avahi
std::unique_ptr<LanBrowser> makeAvahiBrowser();

std::unique_ptr<LanAnnouncer> makeLanAnnouncer(bool enabled)
{
    if (enabled) {
        if (auto a = makeAvahiAnnouncer())
            return a;
    }
    return std::make_unique<QuietAnnouncer>(
        QString::fromLatin1(enabled ? kAnnounceNoBackend : kAnnounceTurnedOff));
}

std::unique_ptr<LanBrowser> makeLanBrowser(bool enabled)
{
    if (enabled) {
        if (auto b = makeAvahiBrowser())
            return b;
    }
    return std::make_unique<QuietBrowser>(QString::fromLatin1(enabled ? kLanNotAvailable : kLanTurnedOff));
}

} // namespace zk
