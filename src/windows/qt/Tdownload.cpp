#include "windows/qt/Tdownload.h"

#include "windows/qt/HttpGet.h"
#include "windows/qt/JpegImage.h"
#include "windows/qt/Launch.h"
#include "windows/qt/LobbyAddress.h"
#include "kit/WindowKit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMetaMethod>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>

// The library is static, so its resources are registered by hand.
static void initWindowsResources()
{
    Q_INIT_RESOURCE(zk_windows);
}

namespace zk {
namespace {

constexpr int kWidth = 724;
constexpr int kHeight = 500;

QLabel* addText(QWidget* parent, const QString& text, const QRect& where, bool bold = false)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(where);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QFrame* addPanel(QWidget* parent, const QString& name, const QRect& where)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setGeometry(where);
    return panel;
}

QPushButton* addButton(QWidget* parent, const QString& name, const QString& text, const QRect& where)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(where);
    return button;
}

} // namespace

Tdownload::Tdownload(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), get_(std::make_unique<HttpGet>())
{
    initWindowsResources();
    setObjectName(QStringLiteral("Tdownload"));
    setWindowTitle(QStringLiteral("Download The Quorlan Lobby"));
    setFixedSize(kWidth, kHeight);
    buildWindow();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    connect(get_.get(), &HttpGet::headerLine, this, [this] { onHeaderLine(); });
    connect(get_.get(), &HttpGet::documentBegins, this, [this] { onDocumentBegins(); });
    connect(get_.get(), &HttpGet::dataReceived, this, [this](qint64 total) { onDataReceived(total); });
    connect(get_.get(), &HttpGet::finished, this, [this](bool ok) { onFinished(ok); });
}

Tdownload::~Tdownload()
{
    // Stops the worker before the file it writes to goes away.
    get_.reset();
}

void Tdownload::buildWindow()
{
    QFrame* left = addPanel(this, QStringLiteral("panel_left"), QRect(8, 8, 400, 484));

    picture_ = new QLabel(left);
    picture_->setObjectName(QStringLiteral("image_lobby"));
    picture_->setGeometry(20, 12, 360, 200);
    // Palettes rather than style sheets: one style sheet would bring Qt's
    // whole style-sheet machinery into every game at start.
    picture_->setAutoFillBackground(true);
    QPalette dark = picture_->palette();
    dark.setColor(QPalette::Window, QColor(0x28, 0x16, 0x12));
    picture_->setPalette(dark);
    QFile resource(QStringLiteral(":/windows/lobby_closed.jpg"));
    if (resource.open(QIODevice::ReadOnly)) {
        const QImage image = decodeJpeg(resource.readAll());
        if (!image.isNull())
            picture_->setPixmap(QPixmap::fromImage(image));
    }
    // The caption lies over the dark band of the picture.
    QLabel* closed = addText(picture_, QStringLiteral("IS CLOSED"), QRect(0, 20, 360, 52));
    closed->setObjectName(QStringLiteral("label_closed"));
    QFont big = closed->font();
    big.setBold(true);
    big.setPixelSize(34);
    closed->setFont(big);
    QPalette red = closed->palette();
    red.setColor(QPalette::WindowText, QColor(0xe8, 0x40, 0x2f));
    closed->setPalette(red);
    closed->setAutoFillBackground(false);

    addText(left,
            QStringLiteral("Download The Quorlan Lobby Now to play this  and other exciting games "
                           "online with other players!"),
            QRect(16, 222, 368, 56), true);
    download_ =
        addButton(left, QStringLiteral("button_download"),
                  QStringLiteral("Download And Install The Quorlan Lobby Now"), QRect(40, 290, 320, 36));
    stop_ = addButton(left, QStringLiteral("button_stop"), QStringLiteral("Stop Download"),
                      QRect(120, 336, 160, 28));
    status1_ = addText(left, QString(), QRect(12, 384, 376, 24), true);
    status1_->setObjectName(QStringLiteral("label_status1"));
    status2_ = addText(left, QString(), QRect(12, 412, 376, 24), true);
    status2_->setObjectName(QStringLiteral("label_status2"));

    QFrame* upper = addPanel(this, QStringLiteral("panel_solo"), QRect(416, 8, 300, 236));
    addText(upper,
            QStringLiteral("To proceed to the game without the ability to play against others click "
                           "the button below."),
            QRect(12, 10, 276, 56));
    QPushButton* solo = addButton(upper, QStringLiteral("button_solo"), QStringLiteral("Play Solo Game"),
                                  QRect(70, 76, 160, 36));
    addText(upper,
            QStringLiteral("Note: Even if you are playing offline, you will need to configure your "
                           "FIREWALL to allow the game to access the internet components."),
            QRect(12, 124, 276, 100));

    QFrame* lower = addPanel(this, QStringLiteral("panel_others"), QRect(416, 252, 300, 240));
    addText(lower,
            QStringLiteral("If you already have The Quorlan Lobby and you wish to play with others "
                           "then click the button below to close this game and open The Quorlan Lobby."),
            QRect(12, 16, 276, 96));
    QPushButton* others = addButton(lower, QStringLiteral("button_others"),
                                    QStringLiteral("Play with Others"), QRect(70, 128, 160, 36));

    connect(download_, &QPushButton::clicked, this, &Tdownload::button_downloadClick);
    connect(stop_, &QPushButton::clicked, this, &Tdownload::button_stopClick);
    connect(solo, &QPushButton::clicked, this, &Tdownload::button_soloClick);
    connect(others, &QPushButton::clicked, this, &Tdownload::button_othersClick);
}

void Tdownload::setBackground(const QPixmap& picture)
{
    applyBackground(this, picture);
}

void Tdownload::setSettingLookup(SettingLookup lookup)
{
    lookup_ = std::move(lookup);
}

void Tdownload::setInstallDirectoryProvider(DirectoryProvider provider)
{
    installDir_ = std::move(provider);
}

void Tdownload::setInstallerRunner(const QString& program)
{
    installerRunner_ = program;
}

QString Tdownload::statusLine1() const
{
    return status1_->text();
}

QString Tdownload::statusLine2() const
{
    return status2_->text();
}

bool Tdownload::hasPicture() const
{
    return !picture_->pixmap().isNull();
}

QString Tdownload::setting(const QString& key) const
{
    return lookup_ ? lookup_(key).trimmed() : QString();
}

void Tdownload::setStatus1(const QString& text)
{
    status1_->setText(text);
    emit statusChanged(status1_->text(), status2_->text());
}

void Tdownload::setStatus2(const QString& text)
{
    status2_->setText(text);
    emit statusChanged(status1_->text(), status2_->text());
}

void Tdownload::setIdleButtons()
{
    download_->setEnabled(true);
    stop_->setEnabled(false);
}

void Tdownload::requestExit()
{
    if (isSignalConnected(QMetaMethod::fromSignal(&Tdownload::exitRequested)))
        emit exitRequested();
    else
        QCoreApplication::quit();
}

void Tdownload::button_downloadClick()
{
    if (get_->isRunning())
        return;
    // The address is read afresh for every download, so an edited settings
    // file takes effect without a restart.
    const QUrl url = lobbyDownloadUrl(setting(QString::fromLatin1(kLobbyUrlKey)));
    if (!isDownloadAddress(url)) {
        setStatus1(QStringLiteral("Download Aborted"));
        state_ = State::Aborted;
        return;
    }
    installerName_ = installerFileName(url);
    const QString dir = installDir_ ? installDir_() : QCoreApplication::applicationDirPath();
    installerPath_ = QDir(dir).filePath(installerName_);

    file_.setFileName(installerPath_);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        showMessage(this,
                    QStringLiteral("Cannot create file %1").arg(QDir::toNativeSeparators(installerPath_)));
        return;
    }
    state_ = State::Downloading;
    download_->setEnabled(false);
    stop_->setEnabled(true);
    setStatus2(QString());
    setStatus1(QStringLiteral("Loading"));

    QFile* out = &file_;
    const bool started = get_->start(url, [out](const char* bytes, std::size_t size) {
        return out->write(bytes, static_cast<qint64>(size)) == static_cast<qint64>(size);
    });
    if (!started)
        onFinished(false);
}

void Tdownload::onHeaderLine()
{
    setStatus1(statusLine1() + QLatin1Char('.'));
}

void Tdownload::onDocumentBegins()
{
    setStatus2(QStringLiteral("Downloading: ") + installerName_);
}

void Tdownload::onDataReceived(qint64 total)
{
    setStatus1(QStringLiteral("%1 bytes").arg(total));
}

void Tdownload::onFinished(bool ok)
{
    file_.close();
    if (ok) {
        setStatus1(QStringLiteral("Received %1 bytes").arg(QFileInfo(installerPath_).size()));
    } else {
        // A partly written installer stays on disk; it is never started.
        setStatus1(QStringLiteral("Download Aborted"));
        state_ = State::Aborted;
    }
    setIdleButtons();
    if (state_ == State::Aborted)
        return;
    state_ = State::Finished;
    setStatus2(QStringLiteral("Installing"));
    startInstaller();
}

void Tdownload::startInstaller()
{
    QStringList arguments = QString::fromLatin1(kInstallerParameters).split(QLatin1Char(' '));
    QString program = installerPath_;
    if (!installerRunner_.isEmpty()) {
        program = installerRunner_;
        arguments.prepend(installerPath_);
    }
    if (!startProgram(program, arguments, QFileInfo(installerPath_).absolutePath())) {
        showMessage(this, QStringLiteral("An Error has Occurred."));
        return;
    }
    // The installer replaces this program's files, so the game makes way.
    requestExit();
}

void Tdownload::button_stopClick()
{
    get_->abort();
    setStatus1(QStringLiteral("Download has been aborted."));
    state_ = State::Aborted;
    setStatus2(QStringLiteral("Download Aborted"));
}

void Tdownload::button_soloClick()
{
    close();
}

QString Tdownload::findLobbyProgram() const
{
#ifdef Q_OS_WIN
    const QString fixed = QString::fromLatin1(kInstalledLobbyPath);
    return QFileInfo::exists(fixed) ? fixed : QString();
#else
    const QString configured = setting(QString::fromLatin1(kLobbyPathKey));
    if (!configured.isEmpty()) {
        const QFileInfo info(configured);
        if (info.isFile() && info.isExecutable())
            return info.absoluteFilePath();
    }
    return QStandardPaths::findExecutable(QString::fromLatin1(kLobbyProgramName));
#endif
}

void Tdownload::button_othersClick()
{
    const QString lobby = findLobbyProgram();
    if (lobby.isEmpty()) {
        showMessage(this, QStringLiteral("Please close the game and open the Quorlan Lobby using the icon on "
                                         "your desktop or using the your Window's start-up menu."));
        return;
    }
    // Ending the game when the lobby did not start would leave the player
    // with nothing; he hears about it and keeps his game instead.
    if (!startProgram(lobby, {}, QFileInfo(lobby).absolutePath(), LaunchWindow::NoActivate)) {
        showMessage(this, QStringLiteral("An Error has Occurred."));
        return;
    }
    requestExit();
}

} // namespace zk
