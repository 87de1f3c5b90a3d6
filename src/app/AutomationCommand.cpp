#include "app/AutomationCommand.h"

#include <QIODevice>

namespace zk {

std::optional<QByteArray> nextCommandLine(QIODevice& device)
{
    while (device.canReadLine()) {
        QByteArray line = device.readLine().trimmed();
        if (!line.isEmpty())
            return line;
    }
    return std::nullopt;
}

AutomationCommand readAutomationCommand(const QByteArray& line)
{
    const QString text = QString::fromUtf8(line);
    const QString command = text.section(QLatin1Char(' '), 0, 0);
    const QString rest = text.section(QLatin1Char(' '), 1);
    AutomationCommand c;
    using Verb = AutomationCommand::Verb;
    if (command == QLatin1String("board")) {
        c.verb = Verb::Board;
    } else if (command == QLatin1String("type")) {
        c.verb = Verb::Type;
        c.text = rest;
    } else if (command == QLatin1String("click")) {
        c.verb = Verb::Click;
        c.target = rest.section(QLatin1Char(' '), 0, 0);
        c.number = rest.section(QLatin1Char(' '), 1, 1).toInt();
    } else if (command == QLatin1String("timeroll")) {
        c.verb = Verb::TimeRoll;
    } else if (command == QLatin1String("menu")) {
        c.verb = Verb::Menu;
        c.text = rest;
    } else if (command == QLatin1String("seatmenu")) {
        c.verb = Verb::SeatMenu;
        c.number = rest.section(QLatin1Char(' '), 0, 0).toInt();
        c.text = rest.section(QLatin1Char(' '), 1);
    } else if (command == QLatin1String("set") || command == QLatin1String("press")) {
        c.verb = command == QLatin1String("set") ? Verb::Set : Verb::Press;
        c.target = text.section(QLatin1Char(' '), 1, 1);
        c.child = text.section(QLatin1Char(' '), 2, 2);
        if (c.verb == Verb::Set)
            c.text = text.section(QLatin1Char(' '), 3);
    } else if (command == QLatin1String("read") || command == QLatin1String("pick")) {
        c.verb = command == QLatin1String("read") ? Verb::Read : Verb::Pick;
        c.target = text.section(QLatin1Char(' '), 1, 1);
        c.child = text.section(QLatin1Char(' '), 2, 2);
        if (c.verb == Verb::Pick)
            c.number = text.section(QLatin1Char(' '), 3, 3).toInt();
    } else if (command == QLatin1String("dismiss")) {
        c.verb = Verb::Dismiss;
    } else if (command == QLatin1String("quit")) {
        c.verb = Verb::Quit;
    }
    return c;
}

} // namespace zk
