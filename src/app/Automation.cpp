#include "app/Automation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QScreen>
#include <QTreeWidget>

#include <optional>

#include "app/AutomationCommand.h"
#include "app/GameSession.h"
#include "game/Colour.h"
#include "table/qt/board/BoardLayout.h"
#include "table/qt/board/BoardPanel.h"
#include "table/qt/windows/ChatEntry.h"
#include "table/qt/windows/ViewKit.h"

namespace zk {

namespace {

QJsonArray strings(const auto& texts)
{
    QJsonArray out;
    for (const auto& t : texts)
        out.append(toQt(t));
    return out;
}

QJsonArray rect(const QRect& r)
{
    return {r.left(), r.top(), r.width(), r.height()};
}

QJsonObject boardJson(GameSession& session)
{
    const Board& b = session.logic().board();
    const TableState& s = session.logic().state();
    QJsonObject o;
    o["ownName"] = toQt(s.ownName);
    o["hostAddress"] = toQt(s.hostAddress);
    o["ownSeat"] = s.ownSeat;
    o["currentSeat"] = s.currentSeat;
    o["loggedIn"] = s.loggedIn;
    o["hostFlag"] = s.hostFlag;

    QJsonArray names, hints, eyes, notPlaying, rings, cells;
    for (const SeatColumn& seat : b.seats) {
        names.append(toQt(seat.name));
        hints.append(toQt(seat.hint));
        eyes.append(seat.eyes);
        notPlaying.append(seat.notPlaying);
        rings.append(seat.winnerRing);
        QJsonArray column;
        for (const ScoreCell& cell : seat.cells)
            column.append(toQt(cell.text));
        cells.append(column);
    }
    o["names"] = names;
    o["hints"] = hints;
    o["eyes"] = eyes;
    o["notPlaying"] = notPlaying;
    o["winnerRings"] = rings;
    o["cells"] = cells;

    QJsonArray categories;
    for (const CategoryRow& row : b.categories) {
        categories.append(QJsonObject{{"button", row.buttonShown},
                                      {"flag", row.buttonChoosable ? "t" : "f"},
                                      {"bar", row.barShown},
                                      {"barFlag", row.barChoosable ? "t" : "f"},
                                      {"chosen", row.chosenMarker}});
    }
    o["categories"] = categories;
    o["selectedCategory"] = b.turnMarker.selectedCategory;
    o["turnMarker"] = b.turnMarker.shown;

    QJsonArray dice;
    for (const Die& d : b.dice) {
        dice.append(QJsonObject{{"face", d.face},
                                {"held", d.held},
                                {"raised", d.raised},
                                {"shownFace", d.picture.face},
                                {"bonus", d.bonusMarker}});
    }
    o["dice"] = dice;
    o["rollCount"] = b.rollCount;
    o["rollButton"] = b.rollButtonShown;
    o["startButton"] = b.startButtonShown;
    o["prompt"] = b.rollPromptShown;
    o["prompt1"] = b.thirdRollPromptShown;
    o["winnerPanel"] = b.winnerPanelShown;
    o["winnerText"] = toQt(b.winnerText);
    o["status"] = toQt(b.status);
    o["round"] = toQt(b.round);
    o["bonusCaption"] = toQt(b.bonusCaption);

    QJsonArray chat;
    for (const ChatLine& line : b.chat.lines)
        chat.append(QJsonObject{{"text", toQt(line.text)},
                                {"colour", QString::fromStdString(colourToText(line.colour))}});
    o["chat"] = chat;
    o["entry"] = toQt(b.chatEntry);
    o["phrases"] = strings(b.phrases);
    o["spies"] = strings(b.spyList.entries);

    const MenuState& m = b.menu;
    o["menu"] = QJsonObject{
        {"startGameEnabled", m.startGameEnabled},
        {"justWatch", m.justWatchChecked},
        {"playSounds", m.playSounds},
        {"playChatterSounds", m.playChatterSounds},
        {"turnSound", m.turnSound == TurnSound::New ? "New" : "Classic"},
        {"remindMe", m.remindMe},
        {"botSpeed", m.botSpeed},
        {"textSize", m.textSize},
        {"textColour", QString::fromStdString(colourToText(m.textColour))},
        {"actionColour", QString::fromStdString(colourToText(m.actionColour))},
        {"scrollLock", m.scrollLock},
    };
    o["startWindow"] = QJsonObject{{"shown", b.startWindow.shown}, {"limit", b.startWindow.limit}};

    QJsonArray windows;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && !qobject_cast<QMenu*>(w))
            windows.append(w->objectName());
    }
    o["windows"] = windows;
    o["messages"] = QJsonArray::fromStringList(session.openMessages());
    o["bounds"] = rect(session.chat().outerBounds());
    if (const QScreen* screen = session.chat().screen())
        o["workArea"] = rect(screen->availableGeometry());
    o["remembered"] = rect(toQRect(session.rememberedBounds()));
    o["listeningPort"] = session.server().listeningPort();
    o["lobbyConnection"] = session.lobbyConnectionOpened();

    const Tally& tally = session.tally().tally();
    QJsonArray own;
    for (int column = Tally::kGames; column <= Tally::kZonkards; ++column)
        own.append(toQt(tally.own(column)));
    QJsonArray tallied;
    for (const Tally::Entry& e : tally.tallied())
        tallied.append(toQt(e.name));
    o["tally"] = QJsonObject{{"own", own}, {"tallied", tallied}};
    return o;
}

// Where a click on a board element lands, in board coordinates.
std::optional<QPoint> elementPoint(const Board& b, const QString& element, int n)
{
    using namespace layout;
    if (element == "roll" || element == "start")
        return kRollButton.center();
    if (element == "yes")
        return onPrompt(kYesButton).center();
    if (element == "no")
        return onPrompt(kNoButton).center();
    if (element == "ok")
        return onPrompt(kOkButton).center();
    if (element == "logo")
        return kLogo.center();
    if (element == "die" && Board::isDie(n))
        return dieRect(n, b.die(n).raised).center();
    if (element == "name" && Board::isSeat(n))
        return nameRect(n).center();
    if (element == "category" && Board::isCategory(n))
        return onCard(categoryButtonRect(n)).center();
    if (element == "bar" && Board::isCategory(n)) {
        // The button lies over the bar's start: aim at its far end.
        const QRect bar = onCard(barRect(n, b.category(n).barSeat));
        return QPoint(bar.right() - 3, bar.center().y());
    }
    return std::nullopt;
}

void mouseClick(QWidget* widget, QPoint pos)
{
    const QPointF local(pos);
    const QPointF global(widget->mapToGlobal(pos));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

void typeKey(QWidget* widget, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

QAction* findAction(QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions()) {
        if (QString(a->text()).remove(QLatin1Char('&')) == text)
            return a;
        if (a->menu()) {
            if (QAction* inner = findAction(a->menu(), text))
                return inner;
        }
    }
    return nullptr;
}

QWidget* findWindow(const QString& name)
{
    QWidget* hidden = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() != name)
            continue;
        if (w->isVisible())
            return w;
        hidden = w;
    }
    return hidden;
}

// The widget a command names by window and object name in *widget, or why
// there is none.
const char* findWidget(const AutomationCommand& command, QWidget** widget)
{
    QWidget* window = findWindow(command.target);
    if (!window)
        return "no such window";
    *widget = window->findChild<QWidget*>(command.child);
    return *widget ? nullptr : "no such widget";
}

QByteArray ok()
{
    return "ok";
}

QByteArray error(const char* why)
{
    return QByteArray("error ") + why;
}

} // namespace

std::unique_ptr<Automation> Automation::fromEnvironment(GameSession& session)
{
    const QString path = qEnvironmentVariable(kVariable);
    if (path.isEmpty())
        return nullptr;
    auto* socket = new QLocalSocket;
    socket->connectToServer(path);
    if (!socket->waitForConnected(5000)) {
        delete socket;
        return nullptr;
    }
    return std::make_unique<Automation>(session, socket);
}

Automation::Automation(GameSession& session, QLocalSocket* socket) : session_(session), socket_(socket)
{
    socket_->setParent(this);
    connect(socket_, &QLocalSocket::readyRead, this, &Automation::readCommands);
    connect(&session_, &GameSession::cameForward, this, [this] { write("event raised"); });
    write("hello " + QByteArray::number(QCoreApplication::applicationPid()));
}

Automation::~Automation() = default;

void Automation::write(const QByteArray& line)
{
    socket_->write(line + '\n');
    socket_->flush();
}

void Automation::readCommands()
{
    // One line at a time: a command that waits (timeroll) lets the lines
    // that follow it be read and obeyed in the meantime, in order.
    while (const auto line = nextCommandLine(*socket_))
        write(obey(readAutomationCommand(*line)));
}

QByteArray Automation::timeRoll()
{
    Tchat& chat = session_.chat();
    const Board& b = session_.logic().board();
    if (!b.rollButtonShown)
        return error("no roll button");
    const int rollsBefore = b.rollCount;
    const std::string statusBefore = b.status;
    QEventLoop wait;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &wait, &QEventLoop::quit);
    // The roll is shown when its count or (a zonkard) the status line moved.
    const auto shown = [&] { return b.rollCount != rollsBefore || b.status != statusBefore; };
    const auto watch = connect(&session_, &GameSession::tableRefreshed, &wait, [&] {
        if (shown())
            wait.quit();
    });
    const QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    mouseClick(chat.boardPanel(), layout::kRollButton.center());
    if (!shown()) {
        deadline.start(10000);
        wait.exec();
    }
    disconnect(watch);
    if (!shown())
        return error("no roll");
    // Drawn, not only asked for: the pending repaint of what changed is
    // painted and put on the screen now.
    QCoreApplication::sendPostedEvents(&chat, QEvent::UpdateRequest);
    return "ok " + QByteArray::number(static_cast<double>(clock.nsecsElapsed()) / 1e6, 'f', 3);
}

QByteArray Automation::obey(const AutomationCommand& command)
{
    using Verb = AutomationCommand::Verb;
    Tchat& chat = session_.chat();

    switch (command.verb) {
    case Verb::Board: return QJsonDocument(boardJson(session_)).toJson(QJsonDocument::Compact);

    case Verb::Type: {
        ChatEntry* entry = chat.chatEntry();
        entry->setFocus();
        for (const QChar c : command.text) {
            const int key =
                c.isLetterOrNumber() && c.unicode() < 128 ? c.toUpper().unicode() : int(Qt::Key_unknown);
            typeKey(entry, key, QString(c));
        }
        typeKey(entry, Qt::Key_Return, QStringLiteral("\r"));
        return ok();
    }

    case Verb::Click: {
        const auto point = elementPoint(session_.logic().board(), command.target, command.number);
        if (!point)
            return error("no such element");
        mouseClick(chat.boardPanel(), *point);
        return ok();
    }

    case Verb::TimeRoll: return timeRoll();

    case Verb::Menu:
        for (QAction* top : chat.menuBar()->actions()) {
            QAction* item = top->menu() ? findAction(top->menu(), command.text) : nullptr;
            if (!item)
                continue;
            if (!item->isEnabled())
                return error("disabled");
            item->trigger();
            return ok();
        }
        return error("no such item");

    case Verb::SeatMenu: {
        const int seat = command.number;
        if (!Board::isSeat(seat))
            return error("no such seat");
        BoardPanel* board = chat.boardPanel();
        const QPoint pos = layout::nameRect(seat).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, board->mapToGlobal(pos));
        QApplication::sendEvent(board, &event);
        auto* menu = chat.findChild<QMenu*>(QStringLiteral("popup_kick"));
        QAction* item = menu ? findAction(menu, command.text) : nullptr;
        if (!item) {
            if (menu)
                menu->hide();
            return error("no such item");
        }
        const bool enabled = item->isEnabled();
        menu->hide();
        if (!enabled)
            return error("disabled");
        item->trigger();
        return ok();
    }

    case Verb::Set:
    case Verb::Press: {
        QWidget* child = nullptr;
        if (const char* why = findWidget(command, &child))
            return error(why);
        if (command.verb == Verb::Set) {
            auto* field = qobject_cast<QLineEdit*>(child);
            if (!field)
                return error("not a text field");
            field->setText(command.text);
            return ok();
        }
        if (auto* button = qobject_cast<QAbstractButton*>(child))
            button->click();
        else
            mouseClick(child, child->rect().center());
        return ok();
    }

    case Verb::Read:
    case Verb::Pick: {
        QWidget* child = nullptr;
        if (const char* why = findWidget(command, &child))
            return error(why);
        if (auto* list = qobject_cast<QTreeWidget*>(child)) {
            if (command.verb == Verb::Pick) {
                QTreeWidgetItem* item = list->topLevelItem(command.number);
                if (!item)
                    return error("no such row");
                list->scrollToItem(item);
                mouseClick(list->viewport(), list->visualItemRect(item).center());
                return ok();
            }
            QJsonArray rows;
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                const QTreeWidgetItem* item = list->topLevelItem(i);
                QJsonArray columns;
                for (int c = 0; c < list->columnCount(); ++c)
                    columns.append(item->text(c));
                rows.append(QJsonObject{
                    {QStringLiteral("columns"), columns},
                    {QStringLiteral("enabled"), !item->isDisabled()},
                    {QStringLiteral("tip"), item->toolTip(0)},
                });
            }
            return QJsonDocument(rows).toJson(QJsonDocument::Compact);
        }
        if (command.verb == Verb::Pick)
            return error("not a list");
        QString text;
        if (auto* label = qobject_cast<QLabel*>(child))
            text = label->text();
        else if (auto* field = qobject_cast<QLineEdit*>(child))
            text = field->text();
        else
            return error("nothing to read");
        // A JSON string: the text as one array's only element, brackets cut.
        const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
        return array.mid(1, array.size() - 2);
    }

    case Verb::Dismiss:
        for (QMessageBox* box : chat.findChildren<QMessageBox*>(QStringLiteral("zk_message"))) {
            if (box->isVisible())
                box->done(QMessageBox::Ok);
        }
        return ok();

    case Verb::Quit: chat.close(); return ok();

    case Verb::Unknown: break;
    }
    return error("unknown command");
}

} // namespace zk
