#include "windows/qt/Launch.h"

#include <QDir>
#include <QProcess>

#include <optional>

#ifdef Q_OS_WIN
#include <windows.h>
#include <shellapi.h>
#endif

namespace zk {

#ifdef Q_OS_WIN
namespace {

// One command-line argument as the Windows runtime splits them again.
QString quoted(const QString& argument)
{
    if (!argument.isEmpty() && !argument.contains(QLatin1Char(' ')) &&
        !argument.contains(QLatin1Char('\t')) && !argument.contains(QLatin1Char('"')))
        return argument;
    QString out = QStringLiteral("\"");
    int slashes = 0;
    for (QChar c : argument) {
        if (c == QLatin1Char('\\')) {
            ++slashes;
            continue;
        }
        if (c == QLatin1Char('"'))
            out += QString(slashes * 2 + 1, QLatin1Char('\\'));
        else
            out += QString(slashes, QLatin1Char('\\'));
        slashes = 0;
        out += c;
    }
    out += QString(slashes * 2, QLatin1Char('\\'));
    out += QLatin1Char('"');
    return out;
}

} // namespace
#endif

bool startProgram(const QString& program, const QStringList& arguments, const QString& workingDir,
                  LaunchWindow window, const QStringList& environment)
{
#ifdef Q_OS_WIN
    // The shell's start inherits this process's environment: set the
    // variables for the moment of the start.
    struct Restore {
        QList<QPair<QByteArray, std::optional<QByteArray>>> saved;
        ~Restore()
        {
            for (const auto& [name, value] : saved) {
                if (value)
                    qputenv(name.constData(), *value);
                else
                    qunsetenv(name.constData());
            }
        }
    } restore;
    for (const QString& pair : environment) {
        const QByteArray name = pair.section(QLatin1Char('='), 0, 0).toLocal8Bit();
        restore.saved.append({name, qEnvironmentVariableIsSet(name.constData())
                                        ? std::optional<QByteArray>(qgetenv(name.constData()))
                                        : std::nullopt});
        qputenv(name.constData(), pair.section(QLatin1Char('='), 1).toLocal8Bit());
    }
    QStringList parts;
    for (const QString& argument : arguments)
        parts << quoted(argument);
    const QString parameters = parts.join(QLatin1Char(' '));
    const QString file = QDir::toNativeSeparators(program);
    const QString dir = QDir::toNativeSeparators(workingDir);
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", reinterpret_cast<LPCWSTR>(file.utf16()),
                      parameters.isEmpty() ? nullptr : reinterpret_cast<LPCWSTR>(parameters.utf16()),
                      dir.isEmpty() ? nullptr : reinterpret_cast<LPCWSTR>(dir.utf16()),
                      window == LaunchWindow::NoActivate ? SW_SHOWNOACTIVATE : SW_SHOWNORMAL);
    // ShellExecute reports success with a value above 32.
    return reinterpret_cast<INT_PTR>(result) > 32;
#else
    (void)window;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDir);
    if (!environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& pair : environment)
            env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        process.setProcessEnvironment(env);
    }
    return process.startDetached();
#endif
}

} // namespace zk
