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
// The list above the fields shows each game found (name, players, state,
// version, address); a game of another version, a full one or this
// computer's own is greyed, its tooltip says why; an open game's tooltip is
// its whole name. A click on a game fills the address ("ADDRESS:PORT"); a
// double click (or Enter) joins it at once.
#pragma once

#include "discovery/qt/LanDiscovery.h"
#include "windows/qt/Relaunch.h"

#include <QDialog>
#include <QPixmap>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
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

    void setName(const QString& name);
    void setAddress(const QString& address);
    void setHost(bool host);
    HostJoinChoice choice() const;

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

    QString program_;
    std::unique_ptr<LanBrowser> browser_;
    int ownPort_ = 0;
    bool available_ = false;
    bool searched_ = false;
    QString unavailableWhy_;
    QTreeWidget* games_ = nullptr;
    QLabel* status_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* address_ = nullptr;
    QRadioButton* host_ = nullptr;
    QRadioButton* join_ = nullptr;
};

} // namespace zk
