#include "windows/qt/Thostjoin.h"

#include "coordinator/InviteCode.h"
#include "kit/WindowKit.h"
#include "windows/qt/Launch.h"
#include "protocol/Commands.h"
#include "protocol/Port.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
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
constexpr const char* kNoCoordinator = "No coordinator is configured.";

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Fills a game's row: its name ("(this computer)" added for our own), the
// facts, the address shown; a row that cannot be joined is greyed and says
// why, an open one's tooltip shows the name the column may cut.
void fillRow(QTreeWidgetItem* item, QString label, const FoundGame& game, const QString& shownAddress,
             bool own)
{
    if (own)
        label += QStringLiteral(" (this computer)");
    item->setText(GameColumn, label);
    item->setText(PlayersColumn, fromUtf8(describePlayers(game.advert)));
    item->setText(StateColumn, fromUtf8(describeState(game.advert)));
    item->setText(VersionColumn, fromUtf8(game.advert.version));
    item->setText(AddressColumn, shownAddress);
    const QString why = own ? QStringLiteral("This is the game this computer hosts.")
                            : fromUtf8(joinRefusal(game, kVersionText));
    item->setDisabled(!why.isEmpty());
    for (int c = GameColumn; c <= AddressColumn; ++c) {
        item->setToolTip(c, why.isEmpty() ? label : why);
        item->setData(c, Qt::AccessibleDescriptionRole, why);
    }
    // Screen readers are not told that a row is greyed: its name says so.
    item->setData(GameColumn, Qt::AccessibleTextRole,
                  why.isEmpty() ? label : QStringLiteral("%1 (cannot be joined: %2)").arg(label, why));
}

} // namespace

QTreeWidget* Thostjoin::newGameList(const QString& name, int top)
{
    auto* list = new QTreeWidget(this);
    list->setGeometry(12, top, 636, 104);
    list->setAccessibleName(name);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setHeaderLabels({QStringLiteral("Game"), QStringLiteral("Players"), QStringLiteral("State"),
                           QStringLiteral("Version"), QStringLiteral("Address")});
    // The game's name takes what the others leave; they fit the texts they
    // show now, not the longest they might ("6 of 6 seated, 3 watching" is
    // rare), so that a name like "Zonkards on machine-a" is seen whole.
    // A name longer still is cut, and its tooltip has it whole.
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(GameColumn, QHeaderView::Stretch);
    for (int c : {PlayersColumn, StateColumn, VersionColumn, AddressColumn})
        list->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    connect(list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { pick(item); });
    connect(list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { pick(item); });
    connect(list, &QTreeWidget::itemDoubleClicked, this, &Thostjoin::join);
    list->installEventFilter(this);
    return list;
}

Thostjoin::Thostjoin(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Thostjoin"));
    setWindowTitle(QStringLiteral("Zonkards - Host or Join a Game"));
    setFixedSize(660, 580);

    auto* gamesCaption = new QLabel(QStringLiteral("&Games on this network:"), this);
    gamesCaption->setGeometry(12, 8, 300, 20);
    games_ = newGameList(QStringLiteral("Games on this network"), 30);
    games_->setObjectName(QStringLiteral("list_games"));
    gamesCaption->setBuddy(games_);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("label_lanstatus"));
    status_->setGeometry(12, 136, 540, 22);
    status_->setWordWrap(true);
    auto* refresh = new QPushButton(QStringLiteral("&Refresh"), this);
    refresh->setObjectName(QStringLiteral("button_refresh"));
    refresh->setGeometry(568, 134, 80, 26);
    connect(refresh, &QPushButton::clicked, this, &Thostjoin::button_refreshClick);

    auto* internetCaption = new QLabel(QStringLiteral("Games on the &Internet:"), this);
    internetCaption->setGeometry(12, 164, 300, 20);
    internet_ = newGameList(QStringLiteral("Games on the Internet"), 186);
    internet_->setObjectName(QStringLiteral("list_internet"));
    internetCaption->setBuddy(internet_);
    internetStatus_ = new QLabel(this);
    internetStatus_->setObjectName(QStringLiteral("label_internetstatus"));
    internetStatus_->setGeometry(12, 292, 636, 22);
    internetStatus_->setWordWrap(true);
    internetRefresh_.setInterval(kInternetRefreshMs);
    connect(&internetRefresh_, &QTimer::timeout, this, &Thostjoin::askCoordinator);

    auto* nameCaption = new QLabel(QStringLiteral("Your name:"), this);
    nameCaption->setGeometry(12, 324, 100, 22);
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("edit_name"));
    name_->setGeometry(112, 322, 536, 24);
    name_->setMaxLength(kMaxPlayerNameLength);
    name_->setAccessibleName(QStringLiteral("Your name"));

    host_ = new QRadioButton(QStringLiteral("Host a game on this computer, for:"), this);
    host_->setObjectName(QStringLiteral("radio_host"));
    host_->setGeometry(12, 354, 296, 22);
    // Whom the game is for: a group of its own, so that these three do not
    // take the host-or-join choice away; open while hosting is chosen.
    auto* audience = new QWidget(this);
    audience->setGeometry(32, 378, 260, 72);
    forLan_ = new QRadioButton(QStringLiteral("This network only"), audience);
    forLan_->setObjectName(QStringLiteral("radio_lan"));
    forLan_->setGeometry(0, 0, 260, 22);
    forLan_->setChecked(true);
    forInvite_ = new QRadioButton(QStringLiteral("Friends with the invite code"), audience);
    forInvite_->setObjectName(QStringLiteral("radio_invite"));
    forInvite_->setGeometry(0, 24, 260, 22);
    forPublic_ = new QRadioButton(QStringLiteral("Listed for everyone on the internet"), audience);
    forPublic_->setObjectName(QStringLiteral("radio_public"));
    forPublic_->setGeometry(0, 48, 260, 22);
    audience->setEnabled(false);
    code_ = new QLabel(this);
    code_->setObjectName(QStringLiteral("label_invitecode"));
    code_->setGeometry(296, 378, 264, 22);
    code_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    code_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    copyCode_ = new QPushButton(QStringLiteral("&Copy"), this);
    copyCode_->setObjectName(QStringLiteral("button_copycode"));
    copyCode_->setGeometry(568, 376, 80, 26);
    copyCode_->setAccessibleName(QStringLiteral("Copy the invite code"));
    connect(copyCode_, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(inviteCode_); });
    code_->hide();
    copyCode_->hide();

    join_ = new QRadioButton(QStringLiteral("Join the game hosted at:"), this);
    join_->setObjectName(QStringLiteral("radio_join"));
    join_->setGeometry(12, 456, 296, 22);
    join_->setChecked(true);

    address_ = new QLineEdit(this);
    address_->setObjectName(QStringLiteral("edit_address"));
    address_->setGeometry(32, 482, 616, 24);
    address_->setPlaceholderText(QStringLiteral(
        "IP address or host name, with :port if not 7772; or an invite code, such as +K7QM2Xr"));
    address_->setAccessibleName(QStringLiteral("Address of the host or invite code"));
    connect(host_, &QRadioButton::toggled, address_, [this, audience](bool hosting) {
        address_->setEnabled(!hosting);
        audience->setEnabled(hosting);
    });

    auto* note = new QLabel(QStringLiteral("The game restarts with these settings."), this);
    note->setGeometry(12, 512, 636, 20);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("button_ok"));
    ok->setGeometry(480, 542, 80, 28);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("button_cancel"));
    cancel->setGeometry(568, 542, 80, 28);
    connect(ok, &QPushButton::clicked, this, &Thostjoin::button_okClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    unavailableWhy_ = QString::fromLatin1(kLanNotAvailable);
    showStatus();
    internetStatus_->setText(QString::fromLatin1(kNoCoordinator));
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
    button_refreshClick();
}

void Thostjoin::hideEvent(QHideEvent* event)
{
    if (browser_)
        browser_->stop();
    internetRefresh_.stop();
    QDialog::hideEvent(event);
}

bool Thostjoin::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a game joins it, here and only here: the list would pass
    // the key on to the dialog, whose default button would try once more.
    auto* list = qobject_cast<QTreeWidget*>(watched);
    if ((list == games_ || list == internet_) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            join(list->currentItem());
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
    askCoordinator();
}

void Thostjoin::setCoordinator(std::optional<HostPort> coordinator, const QSslConfiguration& tls)
{
    coordinator_ = std::move(coordinator);
    coordinatorTls_ = tls;
    internet_->clear();
    ++asked_;
    internetStatus_->setText(QString::fromLatin1(kNoCoordinator));
    if (isVisible())
        askCoordinator();
}

void Thostjoin::setInviteCode(const QString& code)
{
    inviteCode_ = code;
    code_->setText(QStringLiteral("Your game's invite code is %1").arg(code));
    code_->setVisible(!code.isEmpty());
    copyCode_->setVisible(!code.isEmpty());
}

void Thostjoin::askCoordinator()
{
    if (!coordinator_) {
        internetStatus_->setText(QString::fromLatin1(kNoCoordinator));
        return;
    }
    if (internet_->topLevelItemCount() == 0)
        internetStatus_->setText(QStringLiteral("Asking the coordinator for games on the internet..."));
    if (isVisible())
        internetRefresh_.start();
    const int asked = ++asked_;
    auto* lookup = new coord::CoordinatorLookup(*coordinator_, coordinatorTls_, this);
    lookup->list([this, asked](const coord::LookupAnswer& answer) {
        if (asked == asked_)
            showInternetGames(answer);
    });
}

void Thostjoin::showInternetGames(const coord::LookupAnswer& answer)
{
    if (answer.kind == coord::LookupAnswer::Kind::Failed || answer.kind == coord::LookupAnswer::Kind::Busy) {
        // The list keeps what it had when the coordinator is only busy.
        if (answer.kind == coord::LookupAnswer::Kind::Failed)
            internet_->clear();
        QString why = answer.error;
        if (!why.endsWith(QLatin1Char('.')))
            why += QLatin1Char('.');
        internetStatus_->setText(why +
                                 QStringLiteral(" Games on this network and typed addresses still work."));
        return;
    }
    // Rebuilt whole, keeping the row the player is on.
    const QString current = internet_->currentItem()
                                ? internet_->currentItem()->data(GameColumn, kAddressRole).toString()
                                : QString();
    internet_->clear();
    for (const coord::ListedGame& listed : answer.games) {
        const QString code = fromUtf8(coord::shownCode(listed.code));
        auto* item = new QTreeWidgetItem(internet_);
        FoundGame asFound{.instance = {}, .address = {}, .port = 0, .advert = listed.facts};
        if (!listed.version.empty())
            asFound.advert.version = listed.version;
        fillRow(item,
                listed.facts.hostPlayer.empty()
                    ? QStringLiteral("Zonkards game")
                    : QStringLiteral("Zonkards game of %1").arg(fromUtf8(listed.facts.hostPlayer)),
                asFound, code, !inviteCode_.isEmpty() && code == inviteCode_);
        item->setData(GameColumn, kAddressRole, code);
        if (code == current)
            internet_->setCurrentItem(item);
    }
    const int found = internet_->topLevelItemCount();
    internetStatus_->setText(found == 0 ? QStringLiteral("No public games on the internet yet.")
                             : found == 1
                                 ? QStringLiteral("1 public game found on the internet.")
                                 : QStringLiteral("%1 public games found on the internet.").arg(found));
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
    QString label = fromUtf8(visibleName(game.instance));
    if (!game.advert.hostPlayer.empty())
        label += QStringLiteral(" (%1)").arg(fromUtf8(game.advert.hostPlayer));
    const QString address = fromUtf8(game.address);
    fillRow(item, label, game, QStringLiteral("%1:%2").arg(address).arg(game.port),
            game.local && ownPort_ != 0 && game.port == ownPort_);
    item->setData(GameColumn, kInstanceRole, instance);
    item->setData(GameColumn, kAddressRole, address);
    item->setData(GameColumn, kPortRole, game.port);
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
    const QString address = item->data(GameColumn, kAddressRole).toString();
    if (item->treeWidget() == internet_)
        address_->setText(address); // the invite code
    else
        address_->setText(QString::fromStdString(
            joinHostPort(address.toStdString(), item->data(GameColumn, kPortRole).toInt())));
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

void Thostjoin::setHostFor(const QString& hostFor)
{
    (hostFor == QLatin1String("invite")   ? forInvite_
     : hostFor == QLatin1String("public") ? forPublic_
                                          : forLan_)
        ->setChecked(true);
}

QString Thostjoin::hostFor() const
{
    return forInvite_->isChecked()   ? QStringLiteral("invite")
           : forPublic_->isChecked() ? QStringLiteral("public")
                                     : QStringLiteral("lan");
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
