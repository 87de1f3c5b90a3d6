// The chat part of the main window: the display's formatting read back from
// its document, the scroll lock, links, the pop-up menus, the entry field's
// rules, the phrase buttons and the chatter sound menu, the colour dialogs.
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QUrl>

#include "TableWindowTestSupport.h"
#include "table/qt/windows/PictureButton.h"

namespace zk::test {
namespace {

// Receives what the display hands to the platform to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

struct Run {
    QString text;
    bool bold;
    QColor colour;
};

std::vector<Run> runsOf(const QTextBlock& block)
{
    std::vector<Run> runs;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        runs.push_back(
            {f.text(), f.charFormat().fontWeight() == QFont::Bold, f.charFormat().foreground().color()});
    }
    return runs;
}

class ChatWindow : public TableWindowTest {
protected:
    QTextDocument* document() const { return chat.chatDisplay()->document(); }
    QTextBlock lastBlock() const { return document()->lastBlock(); }
    bool activate()
    {
        chat.activateWindow();
        return QTest::qWaitForWindowActive(&chat);
    }
    // The middle of the character at a document position, in viewport coordinates.
    QPoint charPoint(int position) const
    {
        QTextCursor c(document());
        c.setPosition(position);
        const QRect left = chat.chatDisplay()->cursorRect(c);
        c.setPosition(position + 1);
        const QRect right = chat.chatDisplay()->cursorRect(c);
        return {(left.x() + right.x()) / 2, left.center().y()};
    }
};

TEST_F(ChatWindow, LinesShowTheBoldPartAndTheColourOfTheirColourText)
{
    hostAs("Bob");
    host(host::chat("Ann chats: hello: there|clGreen"));
    auto runs = runsOf(lastBlock());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].text, QStringLiteral("Ann chats:"));
    EXPECT_TRUE(runs[0].bold);
    EXPECT_EQ(runs[0].colour, QColor(0, 128, 0));
    EXPECT_EQ(runs[1].text, QStringLiteral(" hello: there"));
    EXPECT_FALSE(runs[1].bold);
    EXPECT_EQ(runs[1].colour, QColor(0, 128, 0));

    // An action has no colon: nothing bold; "$" colours are 0x00BBGGRR.
    host(host::action("Ann waves|$00FF8000"));
    runs = runsOf(lastBlock());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_FALSE(runs[0].bold);
    EXPECT_EQ(runs[0].colour, QColor(0x00, 0x80, 0xFF));

    // Unreadable colour text: red. A system colour: the palette's.
    host(host::chat("Ann chats: hi|nocolour"));
    EXPECT_EQ(runsOf(lastBlock()).back().colour, QColor(255, 0, 0));
    host(host::chat("Ann chats: hi|clWindowText"));
    EXPECT_EQ(runsOf(lastBlock()).back().colour,
              chat.chatDisplay()->palette().color(QPalette::Active, QPalette::Text));

    // Windows-1252 bytes become their characters only on the screen.
    host(host::chat("Ann chats: caf\xE9|clBlack"));
    EXPECT_EQ(lastBlock().text(), QStringLiteral("Ann chats: caf\u00E9"));

    // A notice of the table: blue, no bold part. One block per line.
    EXPECT_EQ(document()->blockCount(), static_cast<int>(board().chat.lines.size()));
    const QTextBlock connected = document()->findBlockByNumber(1);
    EXPECT_EQ(connected.text(), QStringLiteral("You are Connected."));
    EXPECT_FALSE(runsOf(connected)[0].bold);
    EXPECT_EQ(runsOf(connected)[0].colour, QColor(0, 0, 255));
}

TEST_F(ChatWindow, PopupCopiesPlainTextAndClearsTheDisplayThenLinesComeAgain)
{
    hostAs("Bob");
    host(host::chat("Ann chats: first|clRed"));
    ChatView* view = chat.chatDisplay();
    click(view->viewport(), {30, 20}, Qt::RightButton);
    QMenu* popup = openMenu("popup_mainchat");
    ASSERT_NE(popup, nullptr);
    QStringList items;
    for (QAction* a : popup->actions()) {
        if (a->isVisible()) // "Copy Invite Code" only while the hosted game has one
            items << a->text() + QLatin1Char('|') + a->shortcut().toString();
    }
    EXPECT_EQ(items, QStringList({"Copy|Ctrl+C", "Clear Main Chat|", "Scroll Chat Off|Ctrl+S"}));

    QTextCursor all(document());
    all.select(QTextCursor::Document);
    view->setTextCursor(all);
    action(popup, QStringLiteral("Copy"))->trigger();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_FALSE(copied->hasHtml());
    EXPECT_TRUE(copied->text().endsWith(QStringLiteral("You are Connected.\nAnn chats: first")));

    action(popup, QStringLiteral("Clear Main Chat"))->trigger();
    EXPECT_TRUE(document()->toPlainText().isEmpty());
    EXPECT_EQ(chat.focusWidget(), chat.chatEntry());
    host(host::chat("Ann chats: again|clRed"));
    EXPECT_EQ(document()->toPlainText(), QStringLiteral("Ann chats: again"));
}

TEST_F(ChatWindow, TheDisplayKeepsTheNewestLinesWithinItsBoundAndShowsExactlyThose)
{
    hostAs("Bob");
    const auto showsTheModel = [this] {
        const ChatDisplay& model = board().chat;
        ASSERT_EQ(document()->blockCount(), static_cast<int>(model.lines.size()));
        EXPECT_EQ(document()->firstBlock().text(), QString::fromStdString(model.lines.front().text));
        EXPECT_EQ(document()->lastBlock().text(), QString::fromStdString(model.lines.back().text));
    };
    // By lines: 2,500 short lines in bursts keep the last 2,000.
    for (int burst = 0; burst < 5; ++burst) {
        for (int i = 0; i < 500; ++i)
            logic.handleMessage(host::chat("Ann chats: " + std::to_string(burst * 500 + i) + "|clRed"));
        chat.refresh();
        showsTheModel();
    }
    EXPECT_EQ(board().chat.lines.size(), ChatDisplay::kMaxLines);
    EXPECT_EQ(board().chat.lines.back().text, "Ann chats: 2499");
    // By bytes: 4 KB lines keep at most 1 MB; more than a whole display at
    // once empties the view of everything older.
    const std::string big(4000, 'w');
    for (int i = 0; i < 600; ++i)
        logic.handleMessage(host::chat("Ann chats: " + big + std::to_string(i) + "|clRed"));
    chat.refresh();
    EXPECT_LE(board().chat.bytes, ChatDisplay::kMaxBytes);
    EXPECT_LT(board().chat.lines.size(), 300u);
    showsTheModel();
    // A clear still empties it, and lines come again.
    logic.chat().clearMainChat();
    host(host::chat("Ann chats: again|clRed"));
    EXPECT_EQ(document()->toPlainText(), QStringLiteral("Ann chats: again"));
}

TEST_F(ChatWindow, ScrollLockKeepsTheViewAndBothItemsShareOneCheckMark)
{
    hostAs("Bob");
    ASSERT_TRUE(activate());
    for (int i = 0; i < 60; ++i)
        host(host::chat("Ann chats: line " + std::to_string(i) + "|clBlack"));
    QScrollBar* bar = chat.chatDisplay()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum()) << "without the lock the view follows the end";

    bar->setValue(0);
    QTest::keyClick(chat.chatEntry(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(board().menu.scrollLock);
    EXPECT_TRUE(chat.findChild<QAction*>(QStringLiteral("ScrollChatOff1"))->isChecked());
    QMenu* popup = chat.findChild<QMenu*>(QStringLiteral("popup_mainchat"));
    EXPECT_TRUE(action(popup, QStringLiteral("Scroll Chat Off"))->isChecked());
    for (int i = 0; i < 5; ++i)
        host(host::chat("Ann chats: more|clBlack"));
    EXPECT_EQ(bar->value(), 0);

    action(popup, QStringLiteral("Scroll Chat Off"))->trigger();
    EXPECT_FALSE(board().menu.scrollLock);
    host(host::chat("Ann chats: last|clBlack"));
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(ChatWindow, LinksShowTheHandAndOpenOnALeftPress)
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
    hostAs("Bob");
    host(host::chat("Ann chats: see www.example.org. now|clBlack"));
    const QString text = lastBlock().text();
    const int base = lastBlock().position();
    ChatView* view = chat.chatDisplay();
    QWidget* viewport = view->viewport();
    const QPoint onLink = charPoint(base + static_cast<int>(text.indexOf(QStringLiteral("example"))));
    const QPoint onWord = charPoint(base + static_cast<int>(text.indexOf(QStringLiteral("see"))));

    move(viewport, onLink);
    EXPECT_EQ(viewport->cursor().shape(), Qt::PointingHandCursor);
    move(viewport, onWord);
    EXPECT_NE(viewport->cursor().shape(), Qt::PointingHandCursor);

    QSignalSpy opened(view, &ChatView::linkOpened);
    press(viewport, onLink);
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened[0], QUrl(QStringLiteral("http://www.example.org")));
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened[0][0].toString(), QStringLiteral("www.example.org"));
    EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("www.example.org"));
    // Any button released over the display hands the keyboard to the entry field.
    release(viewport, onLink);
    EXPECT_EQ(chat.focusWidget(), chat.chatEntry());

    press(viewport, onWord); // no link: nothing opens
    release(viewport, onWord);
    EXPECT_EQ(recorder.opened.size(), 1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

TEST_F(ChatWindow, EntryFieldFollowsTheKeyRulesAndSendsOnEnter)
{
    ChatEntry* entry = chat.chatEntry();
    EXPECT_EQ(entry->text(), QStringLiteral("<Enter Chat Here>"));
    // Before the login Enter keeps the text; the first key emptied the field.
    QTest::keyClicks(entry, QStringLiteral("hi"));
    EXPECT_EQ(entry->text(), QStringLiteral("hi"));
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_TRUE(env.sent.empty());
    EXPECT_EQ(entry->text(), QStringLiteral("hi"));

    hostAs("Bob");
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(lastSent(), "CMD_chat+1+hi|clBlack");
    EXPECT_TRUE(entry->text().isEmpty());

    QTest::keyClicks(entry, QStringLiteral("/me waves"));
    QTest::keyClick(entry, Qt::Key_Enter);
    EXPECT_EQ(lastSent(), "CMD_action+1+waves|clBlack");
    env.clear();
    QTest::keyClicks(entry, QStringLiteral("/join now"));
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_TRUE(env.sent.empty());
    EXPECT_TRUE(entry->text().isEmpty());

    // Typed text leaves as Windows-1252 bytes.
    QTest::keyClicks(entry, QStringLiteral("caf"));
    QTest::sendKeyEvent(QTest::Click, entry, Qt::Key_Eacute, QStringLiteral("\u00E9"), Qt::NoModifier);
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(lastSent(), "CMD_chat+1+caf\xE9|clBlack");
}

TEST_F(ChatWindow, PasteReplacesTheWholeFieldByKeyAndByPopup)
{
    ChatEntry* entry = chat.chatEntry();
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted words"));
    QTest::keyClick(entry, Qt::Key_V, Qt::ControlModifier); // over "<Enter Chat Here>"
    EXPECT_EQ(entry->text(), QStringLiteral("pasted words"));
    EXPECT_EQ(board().chatEntry, "pasted words");

    entry->clear();
    QTest::keyClicks(entry, QStringLiteral("abc"));
    QGuiApplication::clipboard()->setText(QStringLiteral("other"));
    click(entry, {20, 10}, Qt::RightButton);
    QMenu* popup = openMenu("popup_mychat");
    ASSERT_NE(popup, nullptr);
    QAction* paste = action(popup, QStringLiteral("Paste"));
    ASSERT_NE(paste, nullptr);
    EXPECT_EQ(paste->shortcut().toString(), QStringLiteral("Ctrl+V"));
    paste->trigger();
    EXPECT_EQ(entry->text(), QStringLiteral("other"));

    // An empty clipboard leaves the field alone.
    QGuiApplication::clipboard()->clear();
    paste->trigger();
    EXPECT_EQ(entry->text(), QStringLiteral("other"));
}

TEST_F(ChatWindow, PhraseButtonsShowTheirPhrasesAndSendThroughTheGate)
{
    const char* const builtIn[] = {"Way To Go!", "Good One!",         "Nice Try!",
                                   "Excellent!", "Brilliant!",        "Wow, WTG!",
                                   "Thanks!",    "Way To Go Teamie!", "Good Game Everyone!"};
    for (int n = 1; n <= 9; ++n)
        EXPECT_EQ(child(QStringLiteral("b_phrase%1").arg(n).toLatin1().constData())->toolTip(),
                  QString::fromLatin1(builtIn[n - 1]));
    EXPECT_EQ(child("b_phrase10")->toolTip(), QStringLiteral("Goodbye"));
    // Phrases from the settings show at the next refresh.
    logic.board().phrases[3] = "Gr\xFC\xDF dich!";
    chat.refresh();
    EXPECT_EQ(child("b_phrase4")->toolTip(), QStringLiteral("Gr\u00FC\u00DF dich!"));

    hostAs("Bob");
    click(child("b_phrase2"), {13, 10});
    EXPECT_EQ(lastSent(), "CMD_action+1+says: Good One!|clBlack");
    env.clear();
    click(child("b_phrase2"), {13, 10});
    EXPECT_TRUE(env.sent.empty()) << "the gate is closed for two seconds";
    now += std::chrono::milliseconds(2000);
    click(child("b_phrase1"), {13, 10});
    EXPECT_EQ(lastSent(), "CMD_action+1+says: Way To Go!|clBlack");
}

TEST_F(ChatWindow, ChatterMenuOpensAtTheTenthButtonsCornerWithItsThirteenItems)
{
    hostAs("Bob");
    QWidget* tenth = child("b_phrase10");
    click(tenth, {13, 10});
    QMenu* menu = openMenu("popup_chatter");
    ASSERT_NE(menu, nullptr);
    const QPoint corner = tenth->mapToGlobal(QPoint(tenth->width(), tenth->height()));
    EXPECT_EQ(menu->x(), corner.x());
    // Below the corner, or above it when the screen has no room below.
    EXPECT_TRUE(menu->y() == corner.y() || menu->geometry().bottom() + 1 == corner.y())
        << menu->y() << " " << corner.y();

    const QStringList captions = {
        "<Cancel>", "Doh",     "Cough",  "Hello",  "Thank You", "Where have you been?", "Snoring", "Sneezing",
        "Sorry",    "Welcome", "Yeehaa", "Yippee", "Oh No"};
    QStringList shown, tips;
    for (QAction* a : menu->actions()) {
        shown << a->text();
        tips << a->toolTip();
    }
    EXPECT_EQ(shown, captions);
    EXPECT_EQ(tips, captions);
    EXPECT_TRUE(menu->toolTipsVisible());

    action(menu, QStringLiteral("<Cancel>"))->trigger();
    EXPECT_TRUE(env.sent.empty());
    action(menu, QStringLiteral("Hello"))->trigger();
    EXPECT_EQ(lastSent(), "CMD_playasound+1+wave3+");
}

TEST_F(ChatWindow, ColourDialogsFeedTheTextAndActionColours)
{
    hostAs("Bob");
    // The open dialog of that name (a closed one may still await deletion).
    auto dialog = [this](const char* name) -> QColorDialog* {
        for (auto* d : chat.findChildren<QColorDialog*>(QString::fromLatin1(name))) {
            if (d->isVisible())
                return d;
        }
        return nullptr;
    };
    chat.findChild<QAction*>(QStringLiteral("TextColor1"))->trigger();
    ASSERT_NE(dialog("TextColorDialog"), nullptr);
    dialog("TextColorDialog")->reject(); // cancelled: nothing changes, nothing saved
    QApplication::processEvents();
    EXPECT_EQ(board().menu.textColour, colour::clBlack);
    EXPECT_FALSE(env.has("save settings"));

    chat.findChild<QAction*>(QStringLiteral("TextColor1"))->trigger();
    QColorDialog* text = dialog("TextColorDialog");
    ASSERT_NE(text, nullptr);
    text->setCurrentColor(QColor(0, 128, 0));
    text->accept();
    QApplication::processEvents();
    EXPECT_EQ(board().menu.textColour, colour::clGreen);
    EXPECT_EQ(chat.chatEntry()->palette().color(QPalette::Text), QColor(0, 128, 0));
    EXPECT_TRUE(env.has("save settings"));

    // The action colour is saved however its dialog closes.
    env.clear();
    chat.findChild<QAction*>(QStringLiteral("ActionColor1"))->trigger();
    ASSERT_NE(dialog("ActionColorDialog"), nullptr);
    dialog("ActionColorDialog")->reject();
    QApplication::processEvents();
    EXPECT_EQ(board().menu.actionColour, colour::clBlack);
    EXPECT_TRUE(env.has("save settings"));
    chat.findChild<QAction*>(QStringLiteral("ActionColor1"))->trigger();
    QColorDialog* action = dialog("ActionColorDialog");
    ASSERT_NE(action, nullptr);
    action->setCurrentColor(QColor(0, 0, 255));
    action->accept();
    QApplication::processEvents();
    EXPECT_EQ(board().menu.actionColour, colour::clBlue);
}

} // namespace
} // namespace zk::test

#include "ChatWindowTest.moc"
