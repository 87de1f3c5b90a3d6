// GameSession: one run of the game. It owns the table logic and the nine
// windows (made in their order: Tchat, Ttallylist, Tabout, Tdownload, Thelp,
// Tphrases, TServer, Tspylist, Tgamestart; only Tchat is shown), the table's
// connection (TableConnection, the mirror of TServer), the sound player and
// the settings file, and wires them. The logic sends through the connection
// (its TableLink) and reaches the windows and services through the session,
// which is its TableEnvironment.
//
//     GameSession session({.arguments = args});    // windows made, not shown
//     session.start();                             // tally read, Tchat shown:
//                                                  // the command line is read
//     app.exec();
//     session.finish();                            // bounds rule, tally saved
//
// Ending: every way out (File, Exit; the close box; "Socket Closed"; a
// finished "Game is full"; SIGINT/SIGTERM; the desktop session ending) goes
// through closing Tchat, which applies the close rule of the settings file
// and quits the event loop; finish() then writes the tally.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/DiceSource.h"
#include "host/qt/TServer.h"
#include "app/TableSettings.h"
#include "records/qt/SoundPlayer.h"
#include "records/qt/Tphrases.h"
#include "records/qt/Ttallylist.h"
#include "table/TableEnvironment.h"
#include "table/TableLogic.h"
#include "table/qt/link/TableConnection.h"
#include "table/qt/windows/Tchat.h"
#include "table/qt/windows/Tgamestart.h"
#include "table/qt/windows/Tspylist.h"
#include "windows/qt/Tabout.h"
#include "windows/qt/Tdownload.h"
#include "windows/qt/Thelp.h"
#include "windows/qt/Thostjoin.h"

class QMessageBox;

namespace zk {

class GameSession : public QObject, private TableEnvironment {
    Q_OBJECT
public:
    struct Options {
        // The command line after the program's name.
        QStringList arguments;
        // The sound output; empty: the real one.
        std::unique_ptr<SoundPlayer> sounds;
        // The host engine's dice; empty: seeded from the clock.
        DieSource dice;
        // Around a relaunch of the program (host-or-join): let go of the
        // single-instance locks, and take them back if the start failed.
        std::function<void()> releaseInstance;
        std::function<void()> restoreInstance;
        // The program the host-or-join dialog starts; empty: this one.
        QString program;
        // Closing the table window ends the event loop (off for tests that
        // run the session inside their own).
        bool quitOnClose = true;
    };

    explicit GameSession(Options options);
    ~GameSession() override;

    // Reads the tally file and shows the table window; its first showing
    // reads the command line.
    void start();
    // After the event loop: closes the table window if it is still open (the
    // close rule) and writes the tally file.
    void finish();

    // Brings the table window forward (a second copy was started).
    void comeForward();

    TableLogic& logic() { return logic_; }
    Tchat& chat() { return chat_; }
    Ttallylist& tallyWindow() { return tally_; }
    const TallyService& tally() const { return tallyRecords_; }
    Tdownload& downloadWindow() { return download_; }
    Tphrases& phraseEditor() { return phrasesEditor_; }
    TServer& server() { return server_; }
    Tspylist& spyList() { return spies_; }
    Tgamestart& startWindow() { return gamestart_; }
    Thelp& helpWindow() { return help_; }
    Tabout& aboutWindow() { return about_; }
    // The host-or-join dialog, made the first time it is asked for.
    Thostjoin* hostJoinDialog() { return hostJoin_; }

    // The texts of the message boxes open now, oldest first.
    QStringList openMessages() const;
    // Whether the table window has closed (the program is ending).
    bool closed() const { return closing_; }
    // Whether the connection to the lobby program was opened.
    bool lobbyConnectionOpened() const { return connection_.lobbyOpened(); }
    // The bounds last loaded from or saved to the settings file.
    const WindowBounds& rememberedBounds() const { return settings_.remembered(); }

signals:
    // The window was brought forward at a second copy's request.
    void cameForward();
    // The table windows were redrawn from the Board (after a message or an
    // action: the Board's notice).
    void tableRefreshed();

private:
    // TableEnvironment
    bool startHostListening() override;
    // A game hosted for others registers with the coordinator when the
    // player chose friends or everyone and one is configured.
    void registerWithCoordinator();
    void showMessage(std::string_view text) override;
    void showMessageThenClose(std::string_view text) override;
    void closeProgram() override;
    void showLobbyDownload() override;
    void showStartGameWindow() override;
    void hideStartGameWindow() override;
    void playSound(std::string_view name) override;
    void loadSettings() override;
    void saveSettings() override;
    void recordGame(const GameOutcome& outcome) override;
    void offerHighestScore(std::string_view total) override;
    void countOwnZonkard() override;
    void countOwnBonusMode() override;

    void wireWindows();
    // A message box that does not block the table.
    QMessageBox* notice(const QString& text);
    void tableClosing();
    void openHostJoin();
    QString installDirectory() const;
    QString coordinatorTrouble_; // the last reason told that the coordinator cannot be used

    Options options_;
    std::unique_ptr<SoundPlayer> sounds_;
    TableLogic logic_;
    TallyService tallyRecords_; // the win tally of this run, shown by Ttallylist

    // The nine windows, in the order they are made.
    Tchat chat_;
    Ttallylist tally_;
    Tabout about_;
    Tdownload download_;
    Thelp help_;
    Tphrases phrasesEditor_;
    TServer server_;
    Tspylist spies_;
    Tgamestart gamestart_;
    QPointer<Thostjoin> hostJoin_;

    TableConnection connection_;

    TableSettings settings_;
    QTimer wakeTimer_; // the logic's next wake (TableLogic::nextWake)
    BoardNotice::Listening wake_;
    BoardNotice::Listening refreshed_; // tableRefreshed, after the windows
    bool closing_ = false;
    bool finished_ = false;
};

} // namespace zk
