// Feeds the automation channel's command reader (AutomationCommand.h) any
// bytes as they would arrive on its socket: the lines are taken from a
// QBuffer, a device like the socket, once whole and once cut short at a
// point the first byte chooses. Every line taken is whole, non-empty and
// without blanks at either end; the cut input gives the lines of the whole
// input that it holds complete and no more. Every line's command is the one
// its first word names (or none), its one-word parts hold no blank, and the
// command written back as a line reads as the same command.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include "FuzzCheck.h"
#include "app/AutomationCommand.h"

namespace {

using namespace zk;
using Verb = AutomationCommand::Verb;

std::vector<QByteArray> linesOf(const QByteArray& bytes)
{
    QBuffer device;
    device.setData(bytes);
    device.open(QIODevice::ReadOnly);
    std::vector<QByteArray> lines;
    while (const auto line = nextCommandLine(device))
        lines.push_back(*line);
    return lines;
}

const char* nameOf(Verb verb)
{
    switch (verb) {
    case Verb::Board: return "board";
    case Verb::Type: return "type";
    case Verb::Click: return "click";
    case Verb::TimeRoll: return "timeroll";
    case Verb::Menu: return "menu";
    case Verb::SeatMenu: return "seatmenu";
    case Verb::Set: return "set";
    case Verb::Press: return "press";
    case Verb::Dismiss: return "dismiss";
    case Verb::Quit: return "quit";
    case Verb::Unknown: break;
    }
    return nullptr;
}

// The command as a line that says it.
QString lineOf(const AutomationCommand& c)
{
    const QString name = QString::fromLatin1(nameOf(c.verb));
    const QString space = QStringLiteral(" ");
    switch (c.verb) {
    case Verb::Type:
    case Verb::Menu: return name + space + c.text;
    case Verb::Click: return name + space + c.target + space + QString::number(c.number);
    case Verb::SeatMenu: return name + space + QString::number(c.number) + space + c.text;
    case Verb::Set: return name + space + c.target + space + c.child + space + c.text;
    case Verb::Press: return name + space + c.target + space + c.child;
    default: return name;
    }
}

bool same(const AutomationCommand& a, const AutomationCommand& b)
{
    return a.verb == b.verb && a.target == b.target && a.child == b.child && a.text == b.text &&
           a.number == b.number;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    const std::vector<QByteArray> lines = linesOf(bytes);

    // Cut short: the complete lines before the cut, nothing of the rest.
    const qsizetype cut = bytes.size() * data[0] / 255;
    const QByteArray before = bytes.left(cut);
    const std::vector<QByteArray> early = linesOf(before);
    CHECK(early.size() <= lines.size());
    for (std::size_t i = 0; i < early.size(); ++i)
        CHECK(early[i] == lines[i]);
    // The unfinished line at the cut gives nothing yet.
    CHECK(early.size() == linesOf(before.left(before.lastIndexOf('\n') + 1)).size());

    for (const QByteArray& line : lines) {
        CHECK(!line.isEmpty());
        CHECK(line == line.trimmed());
        CHECK(!line.contains('\n'));

        const AutomationCommand c = readAutomationCommand(line);
        const QString first = QString::fromUtf8(line).section(QLatin1Char(' '), 0, 0);
        if (c.verb == Verb::Unknown) {
            for (Verb v : {Verb::Board, Verb::Type, Verb::Click, Verb::TimeRoll, Verb::Menu, Verb::SeatMenu,
                           Verb::Set, Verb::Press, Verb::Dismiss, Verb::Quit})
                CHECK(first != QLatin1String(nameOf(v)));
            continue;
        }
        CHECK(first == QLatin1String(nameOf(c.verb)));
        CHECK(!c.target.contains(QLatin1Char(' ')));
        CHECK(!c.child.contains(QLatin1Char(' ')));
        CHECK(same(readAutomationCommand(lineOf(c).toUtf8()), c));
    }
    return 0;
}
