// The automation channel's command lines (see Automation.h), read without a
// window: the next command line waiting on the channel, and the command it
// names cut into the words Automation::obey() acts on.
//
//     while (auto line = nextCommandLine(*socket))
//         write(obey(readAutomationCommand(*line)));
//
//     readAutomationCommand("click die 3")   // Click, target "die", number 3
//     readAutomationCommand("set Tdownload edit_path /tmp/x y")
//                                            // Set, target "Tdownload", child "edit_path", text "/tmp/x y"
//     readAutomationCommand("pick Thostjoin list_games 1")
//                                            // Pick, target "Thostjoin", child "list_games", number 1
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QIODevice;

namespace zk {

// The next complete line waiting on the device, without blanks at either
// end; blank lines are skipped. nullopt when no complete line is waiting
// (a line without its end stays for the next call).
std::optional<QByteArray> nextCommandLine(QIODevice& device);

struct AutomationCommand {
    enum class Verb {
        Board,
        Type,
        Click,
        TimeRoll,
        Menu,
        SeatMenu,
        Set,
        Press,
        Read,
        Pick,
        Dismiss,
        Quit,
        Unknown
    };
    Verb verb = Verb::Unknown;
    QString target; // click: the element; set, press, read and pick: the window
    QString child;  // set, press, read and pick: the widget's object name
    QString text;   // type: the text; menu and seatmenu: the item; set: the field's new text
    int number =
        0; // click: the element's number; seatmenu: the seat; pick: the row (0 when none can be read)
};

// The command of one line (UTF-8): the first word names it, the words after
// it are separated by single blanks, and the last part of type, menu,
// seatmenu and set runs to the end of the line, blanks and all.
AutomationCommand readAutomationCommand(const QByteArray& line);

} // namespace zk
