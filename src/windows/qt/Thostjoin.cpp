#include "windows/qt/Thostjoin.h"

#include "windows/qt/Launch.h"
#include "kit/WindowKit.h"
#include "protocol/Commands.h"
#include "protocol/Port.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace zk {
namespace {

enum Column { GameColumn, PlayersColumn, StateColumn, VersionColumn, AddressColumn };
constexpr int kAddressRole = Qt::UserRole;
constexpr int kPortRole = Qt::UserRole + 1;
constexpr int kInstanceRole = Qt::UserRole + 2;

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

Thostjoin::Thostjoin(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Thostjoin"));
    setWindowTitle(QStringLiteral("Zonkards - Host or Join a Game"));
    setFixedSize(660, 388);

    auto* gamesCaption = new QLabel(QStringLiteral("&Games on this network:"), this);
    gamesCaption->setGeometry(12, 10, 300, 20);
    games_ = new QTreeWidget(this);
    games_->setObjectName(QStringLiteral("list_games"));
    games_->setGeometry(12, 32, 636, 132);
    games_->setAccessibleName(QStringLiteral("Games on this network"));
    games_->setRootIsDecorated(false);
    games_->setUniformRowHeights(true);
    games_->setAllColumnsShowFocus(true);
    games_->setHeaderLabels({QStringLiteral("Game"), QStringLiteral("Players"), QStringLiteral("State"),
                             QStringLiteral("Version"), QStringLiteral("Address")});
    // The game's name takes what the others leave; they fit the texts they
    // show now, not the longest they might ("6 of 6 seated, 3 watching" is
    // rare), so that a name like "Zonkards on machine-a" is seen whole.
    // A name longer still is cut, and its tooltip has it whole.
    games_->header()->setStretchLastSection(false);
    games_->header()->setSectionResizeMode(GameColumn, QHeaderView::Stretch);
    for (int c : {PlayersColumn, StateColumn, VersionColumn, AddressColumn})
        games_->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    gamesCaption->setBuddy(games_);
    connect(games_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { pick(item); });
    connect(games_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { pick(item); });
    connect(games_, &QTreeWidget::itemDoubleClicked, this, &Thostjoin::join);
    games_->installEventFilter(this);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("label_lanstatus"));
    status_->setGeometry(12, 168, 540, 26);
    status_->setWordWrap(true);
    auto* refresh = new QPushButton(QStringLiteral("&Refresh"), this);
    refresh->setObjectName(QStringLiteral("button_refresh"));
    refresh->setGeometry(568, 168, 80, 26);
    connect(refresh, &QPushButton::clicked, this, &Thostjoin::button_refreshClick);

    auto* nameCaption = new QLabel(QStringLiteral("Your name:"), this);
    nameCaption->setGeometry(12, 206, 100, 22);
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("edit_name"));
    name_->setGeometry(112, 204, 536, 24);
    name_->setMaxLength(kMaxPlayerNameLength);
    name_->setAccessibleName(QStringLiteral("Your name"));

    host_ = new QRadioButton(QStringLiteral("Host a game on this computer"), this);
    host_->setObjectName(QStringLiteral("radio_host"));
    host_->setGeometry(12, 238, 296, 22);
    join_ = new QRadioButton(QStringLiteral("Join the game hosted at:"), this);
    join_->setObjectName(QStringLiteral("radio_join"));
    join_->setGeometry(12, 264, 296, 22);
    join_->setChecked(true);

    address_ = new QLineEdit(this);
    address_->setObjectName(QStringLiteral("edit_address"));
    address_->setGeometry(32, 290, 616, 24);
    address_->setPlaceholderText(QStringLiteral("IP address or host name, with :port if not 7772"));
    address_->setAccessibleName(QStringLiteral("Address of the host"));
    connect(host_, &QRadioButton::toggled, address_,
            [this](bool hosting) { address_->setEnabled(!hosting); });

    auto* note = new QLabel(QStringLiteral("The game restarts with these settings."), this);
    note->setGeometry(12, 320, 636, 20);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("button_ok"));
    ok->setGeometry(480, 350, 80, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("button_cancel"));
    cancel->setGeometry(568, 350, 80, 28);
    connect(ok, &QPushButton::clicked, this, &Thostjoin::button_okClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    unavailableWhy_ = QString::fromLatin1(kLanNotAvailable);
    showStatus();
}

Thostjoin::~Thostjoin() = default;

void Thostjoin::setBackground(const QPixmap& picture)
{
    applyBackground(this, picture);
}

void Thostjoin::setProgram(const QString& program)
{
    program_ = program;
}

void Thostjoin::setBrowser(std::unique_ptr<LanBrowser> browser)
{
    browser_ = std::move(browser);
    games_->clear();
    available_ = false;
    searched_ = false;
    unavailableWhy_.clear();
    if (!browser_) {
        unavailableWhy_ = QString::fromLatin1(kLanNotAvailable);
        showStatus();
        return;
    }
    connect(browser_.get(), &LanBrowser::found, this, &Thostjoin::showGame);
    connect(browser_.get(), &LanBrowser::changed, this, &Thostjoin::showGame);
    connect(browser_.get(), &LanBrowser::lost, this, &Thostjoin::dropGame);
    connect(browser_.get(), &LanBrowser::status, this, [this](bool available, const QString& why) {
        available_ = available;
        unavailableWhy_ = why;
        showStatus();
    });
    connect(browser_.get(), &LanBrowser::searched, this, [this] {
        searched_ = true;
        showStatus();
    });
    showStatus();
    if (isVisible())
        browser_->start();
}

void Thostjoin::setOwnGamePort(int port)
{
    ownPort_ = port;
}

void Thostjoin::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (browser_)
        button_refreshClick();
}

void Thostjoin::hideEvent(QHideEvent* event)
{
    if (browser_)
        browser_->stop();
    QDialog::hideEvent(event);
}

bool Thostjoin::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a game joins it, here and only here: the list would pass
    // the key on to the dialog, whose default button would try once more.
    if (watched == games_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            join(games_->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Thostjoin::button_refreshClick()
{
    games_->clear();
    searched_ = false;
    if (browser_)
        browser_->start();
    showStatus();
}

void Thostjoin::showGame(const FoundGame& game)
{
    const QString instance = fromUtf8(game.instance);
    QTreeWidgetItem* item = nullptr;
    for (int i = 0; i < games_->topLevelItemCount() && !item; ++i) {
        if (games_->topLevelItem(i)->data(GameColumn, kInstanceRole).toString() == instance)
            item = games_->topLevelItem(i);
    }
    if (!item)
        item = new QTreeWidgetItem(games_);
    const bool own = game.local && ownPort_ != 0 && game.port == ownPort_;
    QString label = fromUtf8(visibleName(game.instance));
    if (!game.advert.hostPlayer.empty())
        label += QStringLiteral(" (%1)").arg(fromUtf8(game.advert.hostPlayer));
    if (own)
        label += QStringLiteral(" (this computer)");
    const QString address = fromUtf8(game.address);
    item->setText(GameColumn, label);
    item->setText(PlayersColumn, fromUtf8(describePlayers(game.advert)));
    item->setText(StateColumn, fromUtf8(describeState(game.advert)));
    item->setText(VersionColumn, fromUtf8(game.advert.version));
    item->setText(AddressColumn, QStringLiteral("%1:%2").arg(address).arg(game.port));
    item->setData(GameColumn, kInstanceRole, instance);
    item->setData(GameColumn, kAddressRole, address);
    item->setData(GameColumn, kPortRole, game.port);
    const QString why = own ? QStringLiteral("This is the game this computer hosts.")
                            : fromUtf8(joinRefusal(game, kVersionText));
    item->setDisabled(!why.isEmpty());
    for (int c = GameColumn; c <= AddressColumn; ++c) {
        // A greyed row says why; an open one shows the name the column may cut.
        item->setToolTip(c, why.isEmpty() ? label : why);
        item->setData(c, Qt::AccessibleDescriptionRole, why);
    }
    // Screen readers are not told that a row is greyed: its name says so.
    item->setData(GameColumn, Qt::AccessibleTextRole,
                  why.isEmpty() ? label : QStringLiteral("%1 (cannot be joined: %2)").arg(label, why));
    showStatus();
}

void Thostjoin::dropGame(const QString& instance)
{
    for (int i = 0; i < games_->topLevelItemCount(); ++i) {
        if (games_->topLevelItem(i)->data(GameColumn, kInstanceRole).toString() == instance) {
            delete games_->takeTopLevelItem(i);
            break;
        }
    }
    showStatus();
}

void Thostjoin::join(QTreeWidgetItem* item)
{
    if (!item || item->isDisabled())
        return;
    pick(item);
    button_okClick();
}

void Thostjoin::pick(QTreeWidgetItem* item)
{
    if (!item || item->isDisabled())
        return;
    // The port goes with the address, to the joining copy alone.
    const std::string address = item->data(GameColumn, kAddressRole).toString().toStdString();
    address_->setText(
        QString::fromStdString(joinHostPort(address, item->data(GameColumn, kPortRole).toInt())));
    join_->setChecked(true);
}

void Thostjoin::showStatus()
{
    const int found = games_->topLevelItemCount();
    QString text;
    if (!available_)
        text = unavailableWhy_.isEmpty() ? QStringLiteral("Looking for games on this network...")
                                         : unavailableWhy_;
    else if (found > 0)
        text = found == 1 ? QStringLiteral("1 game found. Double-click a game to join it.")
                          : QStringLiteral("%1 games found. Double-click a game to join it.").arg(found);
    else
        text = searched_ ? QStringLiteral("No games found on this network yet.")
                         : QStringLiteral("Looking for games on this network...");
    status_->setText(text);
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
    emit releaseInstanceLockRequested();
    if (!startProgram(program(), relaunchArguments(chosen), QString())) {
        emit restoreInstanceLockRequested();
        showMessage(this, QStringLiteral("An Error has Occurred."));
        return;
    }
    accept();
    if (isSignalConnected(QMetaMethod::fromSignal(&Thostjoin::exitRequested)))
        emit exitRequested();
    else
        QCoreApplication::quit();
}

} // namespace zk
