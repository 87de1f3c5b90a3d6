#include "records/qt/DataPaths.h"

#include <cstdlib>
#include <string>
#include <system_error>

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

#include "game/Version.h"
#include "kit/QtText.h"

namespace zk {
namespace {

std::filesystem::path toPath(const QString& s)
{
    return std::filesystem::path(s.toStdU16String());
}

} // namespace

bool isInstalledProgramDirectory(const QString& dir)
{
    const QString metainfo = QStringLiteral("%1/../share/metainfo/%2.metainfo.xml").arg(dir, toQt(kAppId));
    return QFileInfo::exists(metainfo);
}

bool keepsFilesInProgramDirectory(const QString& dir)
{
    return QFileInfo(dir).isWritable() && !isInstalledProgramDirectory(dir);
}

std::filesystem::path dataDirectory()
{
    std::optional<std::filesystem::path> override;
    if (const char* env = std::getenv(kDataDirVariable); env && *env)
        override = toPath(QString::fromLocal8Bit(env));

    std::filesystem::path programDir;
    bool writable = false;
    std::filesystem::path userDir;
    if (!override) {
        if (QCoreApplication::instance()) {
            const QString dir = QCoreApplication::applicationDirPath();
            programDir = toPath(dir);
            writable = keepsFilesInProgramDirectory(dir);
            if (!writable)
                userDir = toPath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        } else {
            // Without an application object there is no program directory to
            // ask for; the working directory stands in (tools, benchmarks).
            std::error_code ec;
            programDir = std::filesystem::current_path(ec);
            writable = !ec;
        }
    }
    const std::filesystem::path chosen = chooseDataDirectory(override, programDir, writable, userDir);
    std::error_code ec;
    std::filesystem::create_directories(chosen, ec); // a failure shows when the file is written
    return chosen;
}

std::filesystem::path settingsFilePath()
{
    return dataDirectory() / std::string(kSettingsFileName);
}

std::filesystem::path tallyFilePath(std::string_view gameKey)
{
    return dataDirectory() / (std::string(gameKey) + std::string(kTallyFileSuffix));
}

} // namespace zk
