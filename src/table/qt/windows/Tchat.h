// Tchat: the main table window "Zonkards": the menus, the painted board, the
// phrase buttons, the chat display and the entry field.
//
// It draws logic.board() and hands every action of the player to the table
// logic; it keeps no game state of its own. It redraws on the Board's notice
// (logic.boardNotice()), which the connection gives after each host message
// and the window itself after each action of the player, so the other table
// windows redraw by the same route.
// What belongs to the app (the tally, phrase editor, help, about, host-or-join
// and spy list windows, the logo's web page, saving the bounds) is asked for
// by signals.
//
//     zk::Tchat chat(logic);
//     QObject::connect(&chat, &zk::Tchat::aboutRequested, &about, &QWidget::show);
//     chat.show();
//     logic.handleMessage(line);
//     logic.boardNotice().changed(); // chat.refresh()
//
// Size guard: the client area (below the menu bar) never gets smaller than
// 676 x 489, the board panel with its one-pixel margin, so the whole board
// stays visible; a larger window shows more of the wooden background.
#pragma once

#include <QMainWindow>
#include <QRect>

#include <array>

#include "game/Options.h" // kTextSizes
#include "table/BoardNotice.h"

class QAction;
class QActionGroup;
class QMenu;
class QTimer;

namespace zk {

class BoardPanel;
class Announcer;
class ChatEntry;
class ChatView;
class PictureButton;
class TableLogic;

class Tchat : public QMainWindow {
    Q_OBJECT
public:
    // The tooltip of the tenth phrase button, which opens the chatter sounds.
    static constexpr const char* kChatterButtonTip = "Goodbye";

    explicit Tchat(TableLogic& logic, QWidget* parent = nullptr);
    ~Tchat() override;

    // Redraws everything from the Board: board, chat, entry field, phrase
    // tooltips, menu checks and enabling, and the dice timer.
    void refresh();

    // The window's bounds including its frame, as the settings store them.
    QRect outerBounds() const;
    void setOuterBounds(const QRect& bounds);
    // Options, "Speak Chat Lines": whether a screen reader hears the others'
    // chat lines (the game's own system lines are always spoken).
    void setSpeakChat(bool speak);
    bool speakChat() const;
    Announcer* announcer() const { return announcer_; }

    BoardPanel* boardPanel() const { return board_; }
    ChatView* chatDisplay() const { return mainchat_; }
    ChatEntry* chatEntry() const { return mychat_; }

public slots:
    // Options, "Reset Screen Location": the default bounds kDefaultBounds
    // (the size guard may make the window larger).
    void resetScreenLocation();

signals:
    // The first time the window is shown (the command line is read then).
    void firstShown();
    // The player turned "Speak Chat Lines" on or off.
    void speakChatChanged(bool speak);
    // The window is closing, with its bounds still in place.
    void aboutToClose();
    void logoClicked();
    void hostOrJoinRequested();
    void viewTallyRequested();
    void spyListRequested();
    void phraseListRequested();
    void contentRequested();
    void aboutRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildBoardWidgets();
    void buildKeys();
    void buildPopups();
    // After an action of the player: the Board's notice (every table window
    // redraws).
    void acted();
    void openSeatMenu(int seat, QPoint globalPos);
    void openChatterMenu();
    void chooseTextColour();
    void chooseActionColour();
    void focusEntry();
    void syncMenus();

    TableLogic& logic_;
    BoardNotice::Listening redraw_;
    BoardPanel* board_ = nullptr;
    ChatView* mainchat_ = nullptr;
    ChatEntry* mychat_ = nullptr;
    std::array<PictureButton*, kPhraseButtonCount> phrases_{};
    QTimer* dicetimer_ = nullptr;
    bool shownBefore_ = false;

    // Menus and items that carry state.
    QAction* startGame_ = nullptr;
    QAction* playSounds_ = nullptr;
    QAction* playChatterSounds_ = nullptr;
    QAction* turnClassic_ = nullptr;
    QAction* turnNew_ = nullptr;
    QAction* remindMe_ = nullptr;
    QAction* botSlow_ = nullptr;
    QAction* botNormal_ = nullptr;
    QAction* botFast_ = nullptr;
    std::array<QAction*, kTextSizes.size()> textSizes_{};
    QAction* scrollChatOff_ = nullptr; // one item in the Options menu and popup_mainchat
    QAction* clearMainChat_ = nullptr;
    QAction* speakChat_ = nullptr;
    Announcer* announcer_ = nullptr;
    QAction* justWatch_ = nullptr;

    QMenu* seatMenu_ = nullptr; // popup_kick
    QAction* removeFromGame_ = nullptr;
    QAction* setJustWatch_ = nullptr;
    QAction* unsetJustWatch_ = nullptr;
    QMenu* chatterMenu_ = nullptr; // the chatter sounds
    QMenu* chatPopup_ = nullptr;   // popup_mainchat
    QMenu* entryPopup_ = nullptr;  // popup_mychat
};

} // namespace zk
