// Automation: a developer channel through which tests drive the running
// program as a player would and read its board. It is off unless the
// environment variable ZONKARDS_AUTOMATION names a local socket (a path);
// then the program connects to it, says "hello <pid>", and obeys one command
// per line, answering each with one line:
//
//   board                      the Board as a player reads it, as one JSON line
//   type <text>                types into the chat entry, then presses Enter
//   click <element> [n]        a left click on the board at the element's place:
//                              roll, start, yes, no, ok, logo, die n, name n,
//                              category n, bar n
//   timeroll                   clicks ROLL DICE and, once the board has drawn
//                              the dice of that roll, answers "ok <ms>": the
//                              time from the click (for the benchmarks)
//   menu <item>                triggers the main window's menu item of that text
//   seatmenu <seat> <item>     right-clicks seat's name label and takes the item
//   set <window> <field> <text>  fills a text field of a window (object names)
//   press <window> <button>    clicks a button of a window (object names)
//   read <window> <widget>     a label's or a text field's text as a JSON string; a
//                              list's rows as a JSON array of {"columns": [...],
//                              "enabled": bool, "tip": text}
//   pick <window> <list> <row> clicks the row (from 0) of a list
//   dismiss                    closes every open message box with OK
//   quit                       closes the table window, as File, Exit does
//
// Answers are "ok", "error <why>" or the JSON line. The program also writes
// event lines of its own, such as "event raised" when a second copy asked it
// to come forward.
//
//     auto automation = Automation::fromEnvironment(session); // null when off
#pragma once

#include <QByteArray>
#include <QObject>

#include <memory>

class QLocalSocket;

namespace zk {

struct AutomationCommand;
class GameSession;

class Automation : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kVariable = "ZONKARDS_AUTOMATION";

    // The channel when the variable is set and its socket answers; else null.
    static std::unique_ptr<Automation> fromEnvironment(GameSession& session);

    Automation(GameSession& session, QLocalSocket* socket);
    ~Automation() override;

private:
    void readCommands();
    QByteArray obey(const AutomationCommand& command);
    void write(const QByteArray& line);
    QByteArray timeRoll();

    GameSession& session_;
    QLocalSocket* socket_;
};

} // namespace zk
