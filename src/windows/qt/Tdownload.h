// Tdownload: the lobby download window shown beside the table in a solo game.
// It offers three ways on: download and run the lobby installer, start an
// installed lobby, or close the window and play solo. It owns the download
// (an HttpGet on its worker thread), the installer file while it is written,
// and the two status lines.
//
// The app wires what only it knows:
//
//     zk::Tdownload download;
//     download.setSettingLookup([&](const QString& key) { return settings.read(key); });
//     download.setInstallDirectoryProvider([&] { return installDir(); });
//     download.setExitRequest([&] { table.close(); });   // as File, Exit
//     download.setBackground(backdrop);
//     download.show();                                     // solo start only
#pragma once

#include <QFile>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;

namespace zk {

class HttpGet;

// Where an installed lobby lives on Windows.
inline constexpr const char* kInstalledLobbyPath = "C:\\Program Files\\Quorlan\\QuorlanLobby.exe";
// The lobby program looked for on the PATH elsewhere.
inline constexpr const char* kLobbyProgramName = "QuorlanLobby";

class Tdownload : public QWidget {
    Q_OBJECT
public:
    // Reads one key of the settings file's "agame" section; empty when unset.
    using SettingLookup = std::function<QString(const QString& key)>;
    // The directory the installer is saved in.
    using DirectoryProvider = std::function<QString()>;

    enum class State { Idle, Downloading, Aborted, Finished };

    explicit Tdownload(QWidget* parent = nullptr);
    ~Tdownload() override;

    void setBackground(const QPixmap& picture);
    // Default: nothing is configured, so the built-in address is used and no
    // lobby path is known.
    void setSettingLookup(SettingLookup lookup);
    // Default: the program's own directory.
    void setInstallDirectoryProvider(DirectoryProvider provider);
    // Starts `program` with the installer file's path followed by the
    // installer parameters, instead of the installer file itself. For tests,
    // and for systems that run Windows installers through another program.
    void setInstallerRunner(const QString& program);

    QString statusLine1() const;
    QString statusLine2() const;
    State state() const { return state_; }
    // The installer file of the last download started (empty before).
    QString installerFilePath() const { return installerPath_; }
    // True when the window's picture was decoded.
    bool hasPicture() const;

public slots:
    // "Download And Install The Quorlan Lobby Now"
    void button_downloadClick();
    // "Stop Download"
    void button_stopClick();
    // "Play Solo Game"
    void button_soloClick();
    // "Play with Others"
    void button_othersClick();

signals:
    // The game should end as File, Exit does (after "Play with Others"
    // started the lobby). Unheard, the application quits.
    void exitRequested();
    // Either status line changed; carries both as they now read.
    void statusChanged(const QString& line1, const QString& line2);

private:
    void buildWindow();
    void setStatus1(const QString& text);
    void setStatus2(const QString& text);
    void setIdleButtons();
    void onHeaderLine();
    void onDocumentBegins();
    void onDataReceived(qint64 total);
    void onFinished(bool ok);
    void startInstaller();
    QString findLobbyProgram() const;
    QString setting(const QString& key) const;
    void requestExit();

    SettingLookup lookup_;
    DirectoryProvider installDir_;
    QString installerRunner_;

    std::unique_ptr<HttpGet> get_;
    QFile file_;
    State state_ = State::Idle;
    QString installerName_; // the hidden field: the file name of the address
    QString installerPath_;

    QLabel* picture_ = nullptr;
    QLabel* status1_ = nullptr;
    QLabel* status2_ = nullptr;
    QPushButton* download_ = nullptr;
    QPushButton* stop_ = nullptr;
};

} // namespace zk
