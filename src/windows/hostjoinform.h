// Thostjoin: the "Host or Join a Game..." dialog. The player enters his name
// and the host's address and chooses to host or to join; the dialog then
// starts the program again with the lobby's three-argument command line and
// ends this copy, so players without the lobby program can play together.
//
//     zk::Thostjoin dialog;
//     dialog.setReleaseInstanceLock([&] { instance.release(); });
//     dialog.setRestoreInstanceLock([&] { instance.acquire(); });
//     dialog.setExitRequest([&] { table.close(); });
//     dialog.setName(ownName);
//     dialog.show();
#pragma once

#include "windows/Relaunch.h"

#include <QDialog>
#include <QPixmap>
#include <QString>

#include <functional>

class QLineEdit;
class QRadioButton;

namespace zk {

class Thostjoin : public QDialog {
    Q_OBJECT
public:
    using Hook = std::function<void()>;

    explicit Thostjoin(QWidget* parent = nullptr);

    void setBackground(const QPixmap& picture);
    // Called right before the new copy is started, so that it may run.
    void setReleaseInstanceLock(Hook hook);
    // Called when the new copy could not be started and this copy goes on.
    void setRestoreInstanceLock(Hook hook);
    // Ends this copy as File, Exit does. Default: QCoreApplication::quit().
    void setExitRequest(Hook hook);
    // The program to start. Default: this program's own file.
    void setProgram(const QString& program);

    void setName(const QString& name);
    void setAddress(const QString& address);
    void setHost(bool host);
    HostJoinChoice choice() const;

public slots:
    // "OK": checks the entries, then starts the new copy and ends this one.
    void button_okClick();

private:
    QString program() const;

    Hook release_;
    Hook restore_;
    Hook exit_;
    QString program_;
    QLineEdit* name_ = nullptr;
    QLineEdit* address_ = nullptr;
    QRadioButton* host_ = nullptr;
    QRadioButton* join_ = nullptr;
};

} // namespace zk
