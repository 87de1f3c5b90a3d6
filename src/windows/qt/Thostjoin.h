// Thostjoin: the "Host or Join a Game..." dialog. The player enters his name
// and the host's address, or picks a game found on the local network, and
// chooses to host or to join; the dialog then starts the program again with
// the lobby's three-argument command line (a picked game's address with its
// port) and ends this copy, so players without the lobby program can play
// together.
//
//     zk::Thostjoin dialog;
//     dialog.setReleaseInstanceLock([&] { instance.release(); });
//     dialog.setRestoreInstanceLock([&] { instance.acquire(); });
//     dialog.setExitRequest([&] { table.close(); });
//     dialog.setBrowser(zk::makeLanBrowser(enabled));  // searches while shown
//     dialog.setName(ownName);
//     dialog.show();
//
// The first list shows each game found on this network (name, players,
// state, version, address); a game of another version, a full one or this
// computer's own is greyed, its tooltip says why; an open game's tooltip is
// its whole name. A click on a game fills the address ("ADDRESS:PORT"); a
// double click (or Enter) joins it at once. The "Internet" list below it
// shows the coordinator's public games with the same columns (the address is
// the game's invite code, "+K7QM2Xr"), asked for when the dialog is shown,
// on Refresh and every kInternetRefreshMs while it stays open; without a
// coordinator, or when it cannot be reached, its status line says so and
// everything else works as before.
//
// A host chooses whom the game is for: this network only, friends with the
// invite code, or everyone on the internet (hostFor(): "lan", "invite",
// "public", which the caller keeps in the HostFor setting). A hosting
// table's code is shown with a Copy button.
#pragma once

#include "coordinator/qt/CoordinatorClient.h"
#include "discovery/qt/LanDiscovery.h"
#include "windows/qt/Relaunch.h"

#include <QDialog>
#include <QPixmap>
#include <QSslConfiguration>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace zk {

class Thostjoin : public QDialog {
    Q_OBJECT
public:
    explicit Thostjoin(QWidget* parent = nullptr);
    ~Thostjoin() override;

    void setBackground(const QPixmap& picture);
    // The program to start. Default: this program's own file.
    void setProgram(const QString& program);
    // Searches the local network while the dialog is shown. Without one the
    // list says that searching is not available.
    void setBrowser(std::unique_ptr<LanBrowser> browser);
    // The port this computer hosts a game on (0: none): that game is marked
    // "(this computer)" and cannot be picked.
    void setOwnGamePort(int port);
    // The coordinator whose public games the Internet list shows; none: the
    // list says "No coordinator is configured" and nothing is contacted.
    void setCoordinator(std::optional<HostPort> coordinator, const QSslConfiguration& tls = {});
    // The invite code of the game this computer hosts ("+K7QM2Xr"), shown
    // with a Copy button and marked "(this computer)" in the Internet list;
    // empty: none.
    void setInviteCode(const QString& code);

    void setName(const QString& name);
    void setAddress(const QString& address);
    void setHost(bool host);
    HostJoinChoice choice() const;
    // Whom a hosted game is for: "lan", "invite" or "public".
    void setHostFor(const QString& hostFor);
    QString hostFor() const;

    static constexpr int kInternetRefreshMs = 15000;

signals:
    // Right before the new copy is started, so that it may run (heard at
    // once: the copy starts when the handlers have returned).
    void releaseInstanceLockRequested();
    // The new copy could not be started and this copy goes on.
    void restoreInstanceLockRequested();
    // This copy should end as File, Exit does. Unheard, the application quits.
    void exitRequested();

public slots:
    // "OK": checks the entries, then starts the new copy and ends this one.
    void button_okClick();
    // "Refresh": forgets the games found and searches afresh.
    void button_refreshClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString program() const;
    void showGame(const FoundGame& game);
    void dropGame(const QString& instance);
    void pick(QTreeWidgetItem* item);
    void join(QTreeWidgetItem* item);
    void showStatus();
    void askCoordinator();
    void showInternetGames(const coord::LookupAnswer& answer);
    QTreeWidget* newGameList(const QString& name, int top);

    QString program_;
    std::unique_ptr<LanBrowser> browser_;
    int ownPort_ = 0;
    bool available_ = false;
    bool searched_ = false;
    QString unavailableWhy_;
    std::optional<HostPort> coordinator_;
    QSslConfiguration coordinatorTls_;
    QString inviteCode_;
    int asked_ = 0; // look-ups asked; an answer to an older one is dropped
    QTimer internetRefresh_;
    QTreeWidget* games_ = nullptr;
    QLabel* status_ = nullptr;
    QTreeWidget* internet_ = nullptr;
    QLabel* internetStatus_ = nullptr;
    QLabel* code_ = nullptr;
    QPushButton* copyCode_ = nullptr;
    QRadioButton* forLan_ = nullptr;
    QRadioButton* forInvite_ = nullptr;
    QRadioButton* forPublic_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* address_ = nullptr;
    QRadioButton* host_ = nullptr;
    QRadioButton* join_ = nullptr;
};

} // namespace zk
