// Starting another program and leaving it to run on its own: the lobby
// installer, the lobby, or a new copy of the game.
//
//     if (!zk::startProgram(installer, {"/SP-", "/silent", "/noicons"}, folder)) ...
#pragma once

#include <QString>
#include <QStringList>

namespace zk {

enum class LaunchWindow { Normal, NoActivate };

// Starts the program detached, in `workingDir`, and returns whether it
// started. On Windows this is the shell's "open" action, which also asks for
// the elevation an installer may need (a plain process start would refuse);
// elsewhere a detached process. `window` asks Windows to show the program's
// window without taking the focus; other systems ignore it. `environment`
// ("NAME=value") is set for the program on top of this program's own.
bool startProgram(const QString& program, const QStringList& arguments, const QString& workingDir,
                  LaunchWindow window = LaunchWindow::Normal, const QStringList& environment = {});

} // namespace zk
