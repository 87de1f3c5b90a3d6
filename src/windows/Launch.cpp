#include "windows/Launch.h"

#include <QDir>
#include <QProcess>

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
                  LaunchWindow window)
{
#ifdef Q_OS_WIN
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
    return QProcess::startDetached(program, arguments, workingDir);
#endif
}

} // namespace zk
