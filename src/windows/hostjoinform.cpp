#include "windows/hostjoinform.h"

#include "windows/Launch.h"
#include "kit/WindowKit.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zk {

Thostjoin::Thostjoin(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Thostjoin"));
    setWindowTitle(QStringLiteral("Zonkards - Host or Join a Game"));
    setFixedSize(320, 196);

    auto* nameCaption = new QLabel(QStringLiteral("Your name:"), this);
    nameCaption->setGeometry(12, 14, 100, 22);
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("edit_name"));
    name_->setGeometry(112, 12, 196, 24);
    name_->setMaxLength(kMaxPlayerNameLength);

    host_ = new QRadioButton(QStringLiteral("Host a game on this computer"), this);
    host_->setObjectName(QStringLiteral("radio_host"));
    host_->setGeometry(12, 48, 296, 22);
    join_ = new QRadioButton(QStringLiteral("Join the game hosted at:"), this);
    join_->setObjectName(QStringLiteral("radio_join"));
    join_->setGeometry(12, 74, 296, 22);
    join_->setChecked(true);

    address_ = new QLineEdit(this);
    address_->setObjectName(QStringLiteral("edit_address"));
    address_->setGeometry(32, 100, 276, 24);
    address_->setPlaceholderText(QStringLiteral("IP address or host name"));
    connect(host_, &QRadioButton::toggled, address_,
            [this](bool hosting) { address_->setEnabled(!hosting); });

    auto* note = new QLabel(QStringLiteral("The game restarts with these settings."), this);
    note->setGeometry(12, 130, 296, 20);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("button_ok"));
    ok->setGeometry(140, 158, 80, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("button_cancel"));
    cancel->setGeometry(228, 158, 80, 28);
    connect(ok, &QPushButton::clicked, this, &Thostjoin::button_okClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void Thostjoin::setBackground(const QPixmap& picture)
{
    applyBackground(this, picture);
}

void Thostjoin::setReleaseInstanceLock(Hook hook)
{
    release_ = std::move(hook);
}

void Thostjoin::setRestoreInstanceLock(Hook hook)
{
    restore_ = std::move(hook);
}

void Thostjoin::setExitRequest(Hook hook)
{
    exit_ = std::move(hook);
}

void Thostjoin::setProgram(const QString& program)
{
    program_ = program;
}

void Thostjoin::setName(const QString& name)
{
    name_->setText(name);
}

void Thostjoin::setAddress(const QString& address)
{
    address_->setText(address);
}

void Thostjoin::setHost(bool host)
{
    (host ? host_ : join_)->setChecked(true);
}

HostJoinChoice Thostjoin::choice() const
{
    return {name_->text(), address_->text(), host_->isChecked()};
}

QString Thostjoin::program() const
{
    return program_.isEmpty() ? QCoreApplication::applicationFilePath() : program_;
}

void Thostjoin::button_okClick()
{
    const HostJoinChoice chosen = choice();
    if (const QString problem = hostJoinProblem(chosen); !problem.isEmpty()) {
        showMessage(this, problem);
        return;
    }
    // The new copy would refuse to run while this one holds the lock.
    if (release_)
        release_();
    if (!startProgram(program(), relaunchArguments(chosen), QString())) {
        if (restore_)
            restore_();
        showMessage(this, QStringLiteral("An Error has Occurred."));
        return;
    }
    accept();
    if (exit_)
        exit_();
    else
        QCoreApplication::quit();
}

} // namespace zk
