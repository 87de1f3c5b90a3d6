// Finding games on the local network, behind one interface: a hosting game
// announces itself (LanAnnouncer), the host-or-join dialog lists what it
// finds (LanBrowser). The backend is the system's Avahi daemon when the
// build has libavahi-client; without it, or with discovery turned off, the
// same objects say why nothing is found and do nothing else.
//
//     auto announcer = makeLanAnnouncer();
//     connect(announcer.get(), &LanAnnouncer::announced, ..., [](QString name) { ... });
//     announcer->start("Zonkards on box", 7772, advert);
//     announcer->update(advert);              // at most one TXT update a second
//
//     auto browser = makeLanBrowser();
//     connect(browser.get(), &LanBrowser::found, ...);   // changed, lost, status
//     browser->start();                        // again: forget and search afresh
//
// Neither ever blocks the thread it is used on: the daemon is talked to on
// a thread of its own, and every answer comes back as a signal.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "discovery/GameAdvert.h"
#include "discovery/GameList.h"
#include "discovery/UpdateGate.h"

namespace zk {

// The environment variable and the settings key that turn discovery off
// with "0" (announcing and searching alike).
inline constexpr const char* kLanDiscoveryVariable = "ZONKARDS_LAN_DISCOVERY";
inline constexpr const char* kLanDiscoveryKey = "LanDiscovery";
// The settings key that lets a hosting game announce its player's name.
inline constexpr const char* kLanShowNamesKey = "LanShowNames";

inline constexpr const char* kLanNotAvailable = "Search for games on this network is not available";
inline constexpr const char* kLanTurnedOff =
    "Search for games on this network is turned off (LanDiscovery=0)";
// Why a game is not announced (LanAnnouncer::unavailable; zonkards-host
// prints "not announced: " and the reason). A daemon's own refusal comes as
// its error text.
inline constexpr const char* kAnnounceNoDaemon = "no Avahi daemon is running";
inline constexpr const char* kAnnounceNoAnswer = "the Avahi daemon does not answer on the system bus";
inline constexpr const char* kAnnounceNoBackend = "this copy of the game is built without Avahi";
inline constexpr const char* kAnnounceTurnedOff = "announcing is turned off (LanDiscovery=0)";

// Off when the environment variable or the setting (its value, if any) is "0".
bool lanDiscoveryEnabled(const std::optional<std::string>& setting);

class LanAnnouncer : public QObject {
    Q_OBJECT
public:
    ~LanAnnouncer() override;

    // Announces the game under `name` (the daemon may pick "name #2" when
    // another service has it) on `port`; a running announcement is replaced.
    void start(const QString& name, int port, const GameAdvert& advert);
    // The game changed; the network hears of it at most once a second.
    void update(const GameAdvert& advert);
    // Withdraws the announcement.
    void stop();
    bool running() const { return running_; }

signals:
    // The network knows the game under this name (again after a rename).
    void announced(const QString& name);
    // The game cannot be announced now (no daemon, or it refused).
    void unavailable(const QString& why);

protected:
    LanAnnouncer();
    virtual void publish(const QString& name, int port, const std::vector<std::string>& txt) = 0;
    virtual void updateTxt(const std::vector<std::string>& txt) = 0;
    virtual void withdraw() = 0;

private:
    void sendHeld();

    bool running_ = false;
    GameAdvert sent_;
    GameAdvert latest_;
    UpdateGate gate_{1000};
    QElapsedTimer clock_;
    QTimer held_;
};

class LanBrowser : public QObject {
    Q_OBJECT
public:
    ~LanBrowser() override;

    // Searches; called again it forgets every game found and starts afresh.
    virtual void start() = 0;
    virtual void stop() = 0;

    // The games found now, in the order they were found.
    const GameList& games() const { return games_; }
    bool available() const { return available_; }

signals:
    void found(const zk::FoundGame& game);
    void changed(const zk::FoundGame& game);
    void lost(const QString& instance);
    // Whether searching works now, and if not why (a text for the player);
    // searched: the network has answered the first round of the search.
    void status(bool available, const QString& why);
    void searched();

protected:
    LanBrowser() = default;
    // For the backends: a service resolved (again) or left on one path.
    void serviceResolved(int path, const FoundGame& game);
    void serviceRemoved(int path, const QString& instance);
    void forgetAll();
    void setStatus(bool available, const QString& why);

private:
    GameList games_;
    bool available_ = false;
};

// The backend the build has, or one that does nothing when discovery is
// off (`enabled` false: the browser's status says kLanTurnedOff, the
// announcer's kAnnounceTurnedOff).
std::unique_ptr<LanAnnouncer> makeLanAnnouncer(bool enabled);
std::unique_ptr<LanBrowser> makeLanBrowser(bool enabled);

} // namespace zk
