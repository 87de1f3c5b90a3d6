#include "app/GameSession.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>

#include "coordinator/InviteCode.h"
#include "coordinator/qt/CoordinatorClient.h"
#include "game/DebugLog.h"
#include "host/qt/PortMapping.h"
#include "protocol/FieldCodec.h"
#include "protocol/Port.h"
#include "kit/QtText.h"
#include "kit/WindowKit.h"
#include "protocol/Text.h"
#include "records/qt/DataPaths.h"
#include "records/FileIO.h"
#include "records/IniFile.h"
#include "table/qt/art/Art.h"
#include "table/qt/windows/ViewKit.h"

namespace zk {

namespace {

std::vector<std::string> wireArguments(const QStringList& args)
{
    std::vector<std::string> out;
    for (const QString& a : args)
        out.push_back(fromQt(a));
    return out;
}

constexpr const char* kSpeakChatKey = "SpeakChat";
// Read, never written: how long a dropped player's seat is kept, how long a
// player may idle on his turn (both when this table hosts for others), and
// how long the table tries to reconnect; in seconds.
constexpr const char* kSeatHoldKey = "SeatHold";
constexpr const char* kTurnClockKey = "TurnClock";
constexpr const char* kReconnectKey = "ReconnectSeconds";
// Whom a game hosted for others is for: "lan" (this network only, the
// default), "invite" (friends with the invite code) or "public" (listed for
// everyone); the host-or-join dialog writes it. HostSecret is the secret
// behind the invite code, made and written the first time it is needed.
constexpr const char* kHostForKey = "HostFor";
constexpr const char* kHostSecretKey = "HostSecret";

std::optional<std::string> gameSetting(std::string_view key)
{
    return readSetting(settingsFilePath(), kGameKey, key);
}

// A number of seconds from the settings file; the default when the key is
// missing or is not a number from 0 to a day.
int secondsSetting(const char* key, int fallback)
{
    const auto text = readSetting(settingsFilePath(), kGameKey, key);
    const auto n = text ? parseDecimal(*text) : std::nullopt;
    return n && *n >= 0 && *n <= 86400 ? *n : fallback;
}

QPixmap backgroundPicture()
{
    return art::backgroundBrush(qApp->devicePixelRatio()).texture();
}

} // namespace

GameSession::GameSession(Options options)
    : options_(std::move(options)),
      sounds_(options_.sounds ? std::move(options_.sounds) : SoundPlayer::withDefaultOutput()),
      logic_(connection_, *this), tallyRecords_([this] {
          std::array<std::string, kSeatCount> names;
          for (int seat = 1; seat <= kSeatCount; ++seat)
              names[static_cast<std::size_t>(seat - 1)] = logic_.board().seat(seat).name;
          return seatedOpponents(names, logic_.state().ownSeat);
      }),
      chat_(logic_), tally_(tallyRecords_),
      server_([this] { return logic_.board().menu.botSpeed; },
              [this](const std::string& text) { notice(toQt(text)); }, std::move(options_.dice)),
      spies_(logic_), gamestart_(logic_), connection_(logic_),
      settings_(logic_, chat_, [this](const QString& message) { notice(message); })
{
    wireWindows();
}

GameSession::~GameSession() = default;

void GameSession::wireWindows()
{
    const QPixmap background = backgroundPicture();
    tally_.setBackground(background);
    about_.setBackground(background);
    about_.setPicture(art::pixmap(ArtId::About, qApp->devicePixelRatio()));
    download_.setBackground(background);
    download_.setSettingLookup([](const QString& key) {
        const auto value = readSetting(settingsFilePath(), kGameKey, key.toStdString());
        return value ? toQt(*value) : QString();
    });
    download_.setInstallDirectoryProvider([this] { return installDirectory(); });
    connect(&download_, &Tdownload::exitRequested, this, &GameSession::closeProgram);
    help_.setBackground(background);
    phrasesEditor_.setBackground(background);
    connect(&phrasesEditor_, &Tphrases::notice, this,
            [this](const std::string& message) { notice(QString::fromStdString(message)); });

    // Whether a screen reader hears the others' chat lines: the player's
    // own key beside the saved options, written only when he changes it.
    chat_.setSpeakChat(readSetting(settingsFilePath(), kGameKey, kSpeakChatKey).value_or("1") != "0");
    connect(&chat_, &Tchat::speakChatChanged, this, [](bool speak) {
        ini::writeKey(settingsFilePath(), kGameKey, kSpeakChatKey, speak ? "1" : "0");
    });

    connect(&chat_, &Tchat::firstShown, this, [this] {
        logic_.processParams(wireArguments(options_.arguments));
        logic_.boardNotice().changed();
    });
    connect(&chat_, &Tchat::aboutToClose, this, &GameSession::tableClosing);
    connect(&chat_, &Tchat::logoClicked, &about_, &Tabout::openWebPage);
    connect(&chat_, &Tchat::hostOrJoinRequested, this, &GameSession::openHostJoin);
    connect(&chat_, &Tchat::viewTallyRequested, &tally_, &Ttallylist::viewTally);
    connect(&chat_, &Tchat::spyListRequested, this, [this] {
        spies_.refresh();
        spies_.show();
        spies_.raise();
    });
    connect(&chat_, &Tchat::phraseListRequested, this,
            [this] { phrasesEditor_.openEditor(logic_.board().phrases); });
    connect(&chat_, &Tchat::contentRequested, this, [this] {
        help_.show();
        help_.raise();
    });
    auto showAbout = [this] {
        about_.show();
        about_.raise();
    };
    connect(&chat_, &Tchat::aboutRequested, this, showAbout);
    connect(&help_, &Thelp::aboutRequested, this, showAbout);

    connection_.setCoordinator(coord::coordinatorAddress(gameSetting(coord::kCoordinatorAddressKey)),
                               coord::coordinatorTls(gameSetting(coord::kCoordinatorCaKey)));

    // The logic's own time (a reconnect try, the turn clock's last seconds):
    // one single shot at its next wake, re-armed whenever the board changed.
    logic_.setReconnectSeconds(secondsSetting(kReconnectKey, kDefaultReconnectSeconds));
    wakeTimer_.setSingleShot(true);
    wakeTimer_.setTimerType(Qt::PreciseTimer);
    connect(&wakeTimer_, &QTimer::timeout, this, [this] {
        logic_.wake();
        logic_.boardNotice().changed();
    });
    wake_ = logic_.boardNotice().listen([this] {
        const auto at = logic_.nextWake();
        if (!at) {
            wakeTimer_.stop();
            return;
        }
        const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        wakeTimer_.start(static_cast<int>(std::clamp<long long>((*at - now).count(), 0, 3600 * 1000)));
    });

    // The table windows redraw on the Board's notice themselves, whoever
    // gave it; the session only passes it on, once they have.
    refreshed_ = logic_.boardNotice().listen([this] { emit tableRefreshed(); });

    // The editor's "Done": the buttons take the texts.
    connect(&phrasesEditor_, &Tphrases::phrasesChanged, this, [this](const PhraseList& phrases) {
        logic_.board().phrases = phrases;
        logic_.boardNotice().changed();
    });

#ifndef QT_NO_SESSIONMANAGER
    // The desktop session ending closes the table the normal way, so the
    // bounds and the tally are saved.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { closeProgram(); });
#endif
}

void GameSession::start()
{
    // Saves cut short by a kill leave their temporaries; no save of ours is
    // under way while this copy holds the single-instance lock.
    removeStaleTemporaries(settingsFilePath());
    removeStaleTemporaries(tallyFilePath());
    const std::string today = QDate::currentDate().toString(Qt::ISODate).toStdString();
    if (const auto error = tallyRecords_.loadFrom(tallyFilePath(), today))
        notice(QString::fromStdString(*error));
    chat_.show();
}

void GameSession::finish()
{
    if (finished_)
        return;
    finished_ = true;
    if (!closing_)
        chat_.close();
    tableClosing(); // does nothing when the close already ran it
    tallyRecords_.saveTo(tallyFilePath());
}

void GameSession::comeForward()
{
    if (chat_.isMinimized()) {
        chat_.showNormal();
    } else {
        chat_.show();
        chat_.raise();
    }
    chat_.activateWindow();
    emit cameForward();
}

QStringList GameSession::openMessages() const
{
    QStringList texts;
    for (const QMessageBox* box : chat_.findChildren<QMessageBox*>(QStringLiteral("zk_message"))) {
        if (box->isVisible())
            texts << box->text();
    }
    return texts;
}

QMessageBox* GameSession::notice(const QString& text)
{
    return zk::showMessage(&chat_, text, Blocking::Nothing);
}

QString GameSession::installDirectory() const
{
    const QString programDir = QCoreApplication::applicationDirPath();
    if (keepsFilesInProgramDirectory(programDir))
        return programDir;
    return QString::fromStdU16String(dataDirectory().u16string());
}

void GameSession::openHostJoin()
{
    if (!hostJoin_) {
        hostJoin_ = new Thostjoin(&chat_);
        hostJoin_->setBackground(backgroundPicture());
        connect(hostJoin_, &Thostjoin::releaseInstanceLockRequested, this, [this] {
            // The new copy reads the files at once: give it ours first.
            settings_.applyCloseRule();
            if (hostJoin_->choice().host)
                ini::writeKey(settingsFilePath(), kGameKey, kHostForKey, fromQt(hostJoin_->hostFor()));
            tallyRecords_.saveTo(tallyFilePath());
            server_.stopListening();
            if (options_.releaseInstance)
                options_.releaseInstance();
        });
        connect(hostJoin_, &Thostjoin::restoreInstanceLockRequested, this, [this] {
            if (options_.restoreInstance)
                options_.restoreInstance();
            if (logic_.state().hostFlag) {
                std::string error;
                if (!server_.startListening(gamePort(), &error))
                    notice(QStringLiteral("The game can no longer be hosted (%1).")
                               .arg(QString::fromStdString(error)));
            }
        });
        connect(hostJoin_, &Thostjoin::exitRequested, this, &GameSession::closeProgram);
        if (!options_.program.isEmpty())
            hostJoin_->setProgram(options_.program);
        hostJoin_->setBrowser(
            makeLanBrowser(lanDiscoveryEnabled(readSetting(settingsFilePath(), kGameKey, kLanDiscoveryKey))));
    }
    hostJoin_->setCoordinator(coord::coordinatorAddress(gameSetting(coord::kCoordinatorAddressKey)),
                              coord::coordinatorTls(gameSetting(coord::kCoordinatorCaKey)));
    hostJoin_->setInviteCode(toQt(logic_.state().inviteCode));
    hostJoin_->setHostFor(toQt(gameSetting(kHostForKey).value_or("lan")));
    hostJoin_->setOwnGamePort(server_.listeningPort());
    // Offered: the name and address this copy plays under, or those of a
    // command line too short to use.
    const TableState& state = logic_.state();
    const QStringList& args = options_.arguments;
    hostJoin_->setName(!state.ownName.empty() ? toQt(state.ownName) : args.value(0));
    if (!state.hostFlag)
        hostJoin_->setAddress(!state.hostAddress.empty() ? toQt(state.hostAddress) : args.value(1));
    hostJoin_->setHost(state.hostFlag);
    hostJoin_->show();
    hostJoin_->raise();
    hostJoin_->activateWindow();
}

// --- Closing -----------------------------------------------------------------

void GameSession::tableClosing()
{
    if (closing_)
        return;
    closing_ = true;
    settings_.applyCloseRule();
    for (QWidget* window : std::initializer_list<QWidget*>{&tally_, &about_, &download_, &help_,
                                                           &phrasesEditor_, &spies_, &gamestart_})
        window->hide();
    if (hostJoin_)
        hostJoin_->hide();
    if (options_.quitOnClose)
        QCoreApplication::quit();
}

// --- TableEnvironment: hosting ---------------------------------------------

bool GameSession::startHostListening()
{
    // Announced on the network only when hosting for others: the solo game
    // (no command line) listens too, but nobody is meant to join it.
    if (!options_.arguments.isEmpty() && !server_.announcer() &&
        lanDiscoveryEnabled(readSetting(settingsFilePath(), kGameKey, kLanDiscoveryKey))) {
        const bool showNames =
            readSetting(settingsFilePath(), kGameKey, kLanShowNamesKey).value_or(std::string()) == "1";
        server_.setAnnouncer(makeLanAnnouncer(true), toQt(logic_.state().ownName), showNames);
        connect(server_.announcer(), &LanAnnouncer::announced, this, [](const QString& name) {
            debugLog("announced on the local network as " + name.toStdString());
        });
        connect(server_.announcer(), &LanAnnouncer::unavailable, this, [](const QString& why) {
            debugLog("not announced on the local network: " + why.toStdString());
        });
    }
    // A solo game runs no turn clock; a game for others holds dropped seats
    // and times idle turns.
    const bool forOthers = !options_.arguments.isEmpty();
    server_.setSeatHold(static_cast<std::int64_t>(secondsSetting(kSeatHoldKey, kDefaultSeatHoldSeconds)) *
                        1000);
    server_.setTurnClock(
        forOthers ? static_cast<std::int64_t>(secondsSetting(kTurnClockKey, kDefaultTurnClockSeconds)) * 1000
                  : 0);
    if (forOthers && !server_.coordinator())
        registerWithCoordinator();
    std::string error;
    if (server_.startListening(gamePort(), &error))
        return true;
    notice(QStringLiteral("This computer cannot host a game: port %1 could not be opened (%2). "
                          "Another program, or another game, may be using it.")
               .arg(gamePort())
               .arg(QString::fromStdString(error)));
    return false;
}

void GameSession::registerWithCoordinator()
{
    const std::string hostFor = gameSetting(kHostForKey).value_or("lan");
    if (hostFor != "invite" && hostFor != "public")
        return; // this network only: nothing is contacted
    std::string secret = gameSetting(kHostSecretKey).value_or("");
    if (!coord::wellFormedSecret(secret)) {
        secret = coord::newSecret(coord::strongRandom);
        ini::writeKey(settingsFilePath(), kGameKey, kHostSecretKey, secret);
    }
    auto link = CoordinatorLink::forGame(
        hostFor == "public" ? coord::Visibility::Public : coord::Visibility::Invite, std::move(secret),
        gameSetting(coord::kCoordinatorAddressKey), gameSetting(coord::kCoordinatorCaKey));
    if (!link) {
        logic_.programLine("No coordinator is configured: friends join by this computer's address.");
        return;
    }
    connect(link.get(), &CoordinatorLink::registered, this, [this](const QString& code) {
        logic_.setInviteCode(fromQt(code));
        logic_.boardNotice().changed();
        if (hostJoin_)
            hostJoin_->setInviteCode(code);
    });
    connect(link.get(), &CoordinatorLink::unavailable, this, [this](const QString& why) {
        if (why == coordinatorTrouble_)
            return; // said once until it changes
        coordinatorTrouble_ = why;
        logic_.setInviteCode({});
        if (hostJoin_)
            hostJoin_->setInviteCode({});
        logic_.programLine(fromQt(why) + ". Friends can still join by this computer's address.");
        logic_.boardNotice().changed();
    });
    server_.setCoordinator(std::move(link), portMappingEnabled(gameSetting(kPortMappingKey)));
}

// --- TableEnvironment: windows -----------------------------------------------

void GameSession::showMessage(std::string_view text)
{
    notice(toQt(text));
}

void GameSession::showMessageThenClose(std::string_view text)
{
    QMessageBox* box = notice(toQt(text));
    connect(box, &QDialog::finished, this, &GameSession::closeProgram);
}

void GameSession::closeProgram()
{
    chat_.close();
}

void GameSession::showLobbyDownload()
{
    download_.show();
}

void GameSession::showStartGameWindow()
{
    gamestart_.refresh();
    gamestart_.show();
    gamestart_.raise();
    gamestart_.activateWindow();
}

void GameSession::hideStartGameWindow()
{
    gamestart_.hide();
}

// --- TableEnvironment: services ----------------------------------------------

void GameSession::playSound(std::string_view name)
{
    if (sounds_)
        sounds_->play(name);
}

void GameSession::saveSettings()
{
    settings_.save();
}

void GameSession::loadSettings()
{
    settings_.load();
    logic_.boardNotice().changed();
}

void GameSession::recordGame(const GameOutcome& outcome)
{
    tallyRecords_.recordGame(outcome);
}

void GameSession::offerHighestScore(std::string_view total)
{
    tallyRecords_.offerHighestScore(total);
}

void GameSession::countOwnZonkard()
{
    tallyRecords_.countOwnZonkard();
}

void GameSession::countOwnBonusMode()
{
    tallyRecords_.countOwnBonusMode();
}

} // namespace zk
