// TableEnvironment: what the table logic asks of the program around it,
// apart from its connection (TableLink): hosting, the windows, and the
// services of sounds, settings and the win tally.
//
// The logic owns the board and the table state; the windows and the services
// belong to the program, which implements this interface (GameSession);
// tests implement it as an outbox that records every call.
//
//     class Session : public TableEnvironment {
//         void showMessage(std::string_view text) override { box(text); }
//         ...
//     };
//     TableLogic logic(connection, session);
//
// The service calls (sounds, settings, tally) never change what the logic
// does next; the logic calls them at exactly the moments the game names.
// The logic has already checked "Play Sounds" or "Play Chatter Sounds" before
// it asks for a sound.
#pragma once

#include <string>
#include <string_view>

#include "game/Outcome.h"

namespace zk {

class TableEnvironment {
public:
    virtual ~TableEnvironment() = default;

    // Hosting ---------------------------------------------------------------

    // Switches the in-process host engine's listening socket on. False when it
    // could not listen (the environment tells the player); hosting stops there.
    virtual bool startHostListening() = 0;

    // Windows ---------------------------------------------------------------

    // A message box with a fixed text ("You are not connected").
    virtual void showMessage(std::string_view text) = 0;
    // The message box ("Game is full"); once it is dismissed, or the
    // connection has closed, whichever comes first, the program ends.
    virtual void showMessageThenClose(std::string_view text) = 0;
    // Closes the main window, which ends the program.
    virtual void closeProgram() = 0;
    // Shows the lobby download window without blocking the table.
    virtual void showLobbyDownload() = 0;
    // Shows or hides the start-game options window (its state is on the Board).
    virtual void showStartGameWindow() = 0;
    virtual void hideStartGameWindow() = 0;

    // Services --------------------------------------------------------------

    // Starts the recording of that name ("dice", "turnnew", "wave3").
    virtual void playSound(std::string_view name) = 0;
    // Reads the settings file and applies it to the board's options, the
    // phrases, the start-game limit and the window bounds.
    virtual void loadSettings() = 0;
    // Writes the board's options, the start-game limit and the window bounds
    // to the settings file (the phrases are written by their editor).
    virtual void saveSettings() = 0;
    // Win tally: a game the own player won (alone or jointly), or one that a
    // single other seat won.
    virtual void recordGame(const GameOutcome& outcome) = 0;
    // Win tally: the own total as the score card shows it (may be no number).
    virtual void offerHighestScore(std::string_view total) = 0;
    virtual void countOwnZonkard() = 0;
    virtual void countOwnBonusMode() = 0;
};

// A table's world that does nothing: no host, sounds, files, windows or
// lobby download; every request reports success. Headless tables (the
// screenshots, the wire transcripts, fuzzing) override the calls they care
// about.
class QuietEnvironment : public TableEnvironment {
public:
    bool startHostListening() override { return true; }
    void showMessage(std::string_view) override {}
    void showMessageThenClose(std::string_view) override {}
    void closeProgram() override {}
    void showLobbyDownload() override {}
    void showStartGameWindow() override {}
    void hideStartGameWindow() override {}
    void playSound(std::string_view) override {}
    void loadSettings() override {}
    void saveSettings() override {}
    void recordGame(const GameOutcome&) override {}
    void offerHighestScore(std::string_view) override {}
    void countOwnZonkard() override {}
    void countOwnBonusMode() override {}
};

} // namespace zk
