#include "table/qt/windows/Tchat.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QColorDialog>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>

#include "protocol/Commands.h"
#include "table/qt/art/Art.h"
#include "table/qt/board/BoardLayout.h"
#include "table/qt/board/Announcer.h"
#include "table/qt/board/BoardPanel.h"
#include "table/qt/windows/ChatEntry.h"
#include "table/qt/windows/ChatView.h"
#include "table/qt/windows/PictureButton.h"
#include "table/TableLogic.h"
#include "table/qt/windows/ViewKit.h"

namespace zk {

namespace {

// The client area: the wooden background with the board panel at (1, 1),
// framed by a dark line in its one-pixel margin.
class TableClient : public QWidget {
public:
    explicit TableClient(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("client"));
        setMinimumSize(layout::kClientSize);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        art::paintBackground(p, rect(), QPointF(0, 0));
        p.setPen(QColor(0x40, 0x24, 0x0E));
        p.drawRect(layout::kBoardRect.adjusted(-1, -1, 0, 0));
    }
};

QAction* checkItem(QMenu* menu, const QString& text, const char* name)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    return action;
}

QAction* item(QMenu* menu, const QString& text, const char* name)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void setChecked(QAction* action, bool checked)
{
    if (action->isChecked() != checked) {
        const QSignalBlocker block(action);
        action->setChecked(checked);
    }
}

} // namespace

Tchat::Tchat(TableLogic& logic, QWidget* parent) : QMainWindow(parent), logic_(logic)
{
    setObjectName(QStringLiteral("chat"));
    setWindowTitle(QStringLiteral("Zonkards"));

    auto* client = new TableClient(this);
    setCentralWidget(client);
    board_ = new BoardPanel(logic_, client);
    board_->move(layout::kBoardRect.topLeft());
    connect(board_, &BoardPanel::acted, this, &Tchat::acted);
    connect(board_, &BoardPanel::logoClicked, this, &Tchat::logoClicked);
    connect(board_, &BoardPanel::seatMenuRequested, this, &Tchat::openSeatMenu);
    connect(board_, &BoardPanel::leaveRequested, this, &Tchat::focusEntry);
    announcer_ = new Announcer(client);
    announcer_->lower(); // under the board: it draws nothing anyway
    board_->setAnnouncer(announcer_);

    dicetimer_ = new QTimer(this);
    dicetimer_->setObjectName(QStringLiteral("dicetimer"));
    dicetimer_->setInterval(kDiceTumbleIntervalMs);
    connect(dicetimer_, &QTimer::timeout, this, [this] {
        logic_.tumbleTick();
        refresh();
    });

    buildMenus();
    buildBoardWidgets();
    buildPopups();
    buildKeys();
    resize(layout::kClientSize.width(), layout::kClientSize.height() + menuBar()->sizeHint().height());
    mychat_->setFocus();
    refresh();
    redraw_ = logic_.boardNotice().listen([this] { refresh(); });
}

Tchat::~Tchat() = default;

void Tchat::setSpeakChat(bool speak)
{
    setChecked(speakChat_, speak);
    board_->setSpeakChat(speak);
}

bool Tchat::speakChat() const
{
    return speakChat_->isChecked();
}

void Tchat::buildMenus()
{
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    startGame_ = item(file, QStringLiteral("Start Game"), "StartGame1");
    connect(startGame_, &QAction::triggered, this, [this] {
        logic_.startOptions().startClick();
        acted();
    });
    connect(item(file, QStringLiteral("Host or Join a Game..."), "HostorJoin1"), &QAction::triggered, this,
            &Tchat::hostOrJoinRequested);
    file->addSeparator();
    connect(item(file, QStringLiteral("Exit"), "Exit1"), &QAction::triggered, this, &QWidget::close);

    QMenu* options = bar->addMenu(QStringLiteral("&Options"));
    playSounds_ = checkItem(options, QStringLiteral("Play Sounds"), "PlaySounds1");
    connect(playSounds_, &QAction::triggered, this, [this] {
        logic_.options().togglePlaySounds();
        acted();
    });
    playChatterSounds_ = checkItem(options, QStringLiteral("Play Chatter Sounds"), "PlayChatterSounds1");
    connect(playChatterSounds_, &QAction::triggered, this, [this] {
        logic_.options().togglePlayChatterSounds();
        acted();
    });

    QMenu* turnSound = options->addMenu(QStringLiteral("Turn Sound"));
    turnSound->setObjectName(QStringLiteral("TurnSound1"));
    auto* turnGroup = new QActionGroup(this);
    turnClassic_ = checkItem(turnSound, QStringLiteral("Classic"), "Classic1");
    turnNew_ = checkItem(turnSound, QStringLiteral("New"), "New1");
    for (QAction* a : {turnClassic_, turnNew_})
        turnGroup->addAction(a);
    connect(turnClassic_, &QAction::triggered, this, [this] {
        logic_.options().chooseTurnSound(TurnSound::Classic);
        acted();
    });
    connect(turnNew_, &QAction::triggered, this, [this] {
        logic_.options().chooseTurnSound(TurnSound::New);
        acted();
    });

    remindMe_ = checkItem(options, QStringLiteral("Remind Me to Select a Category"), "remindme1");
    connect(remindMe_, &QAction::triggered, this, [this] {
        logic_.options().toggleRemindMe();
        acted();
    });

    QMenu* botSpeed = options->addMenu(QStringLiteral("Bot Speed"));
    botSpeed->setObjectName(QStringLiteral("BotSpeed1"));
    auto* botGroup = new QActionGroup(this);
    botSlow_ = checkItem(botSpeed, QStringLiteral("Slow"), "Slow1");
    botNormal_ = checkItem(botSpeed, QStringLiteral("Normal"), "Normal1");
    botFast_ = checkItem(botSpeed, QStringLiteral("Fast"), "Fast1");
    const std::pair<QAction*, BotSpeedItem> speeds[] = {
        {botSlow_, BotSpeedItem::Slow}, {botNormal_, BotSpeedItem::Normal}, {botFast_, BotSpeedItem::Fast}};
    for (const auto& [action, speed] : speeds) {
        botGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, speed = speed] {
            logic_.options().botSpeedClick(speed);
            acted();
        });
    }

    options->addSeparator();
    connect(item(options, QStringLiteral("Text Color"), "TextColor1"), &QAction::triggered, this,
            &Tchat::chooseTextColour);
    connect(item(options, QStringLiteral("Action Color"), "ActionColor1"), &QAction::triggered, this,
            &Tchat::chooseActionColour);
    QMenu* textSize = options->addMenu(QStringLiteral("Text Size"));
    textSize->setObjectName(QStringLiteral("TextSize1"));
    for (std::size_t i = 0; i < textSizes_.size(); ++i) {
        const int size = kTextSizes[i];
        textSizes_[i] = checkItem(textSize, QString::number(size),
                                  QStringLiteral("TextSize%1").arg(size).toLatin1().constData());
        connect(textSizes_[i], &QAction::triggered, this, [this, size] {
            logic_.options().chooseTextSize(size);
            acted();
        });
    }

    options->addSeparator();
    // One action in both menus: the two "Scroll Chat Off" items always carry
    // the same check mark, and Ctrl+S has one owner.
    scrollChatOff_ = checkItem(options, QStringLiteral("Scroll Chat Off"), "ScrollChatOff1");
    scrollChatOff_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(scrollChatOff_, &QAction::triggered, this, [this] {
        logic_.chat().toggleScrollLock();
        acted();
    });
    clearMainChat_ = item(options, QStringLiteral("Clear Main Chat"), "ClearMainChat1");
    connect(clearMainChat_, &QAction::triggered, this, [this] {
        logic_.chat().clearMainChat();
        acted();
        focusEntry();
    });
    speakChat_ = checkItem(options, QStringLiteral("Speak Chat Lines"), "SpeakChatLines1");
    speakChat_->setChecked(true);
    connect(speakChat_, &QAction::triggered, this, [this](bool speak) {
        board_->setSpeakChat(speak);
        emit speakChatChanged(speak);
    });
    options->addSeparator();
    connect(item(options, QStringLiteral("Reset Screen Location"), "ResetScreenLocation1"),
            &QAction::triggered, this, &Tchat::resetScreenLocation);
    justWatch_ = checkItem(options, QStringLiteral("Just Watch"), "JustWatch1");
    connect(justWatch_, &QAction::triggered, this, [this] {
        logic_.seatMenus().justWatchClick();
        acted(); // the check mark follows the host's answer, not the click
    });

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    connect(item(view, QStringLiteral("View Tally"), "ViewTally1"), &QAction::triggered, this,
            &Tchat::viewTallyRequested);
    connect(item(view, QStringLiteral("Spy List"), "SpyList1"), &QAction::triggered, this,
            &Tchat::spyListRequested);
    connect(item(view, QStringLiteral("Phrase List"), "PhraseList1"), &QAction::triggered, this,
            &Tchat::phraseListRequested);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    QAction* content = item(help, QStringLiteral("Content"), "Content1");
    content->setShortcut(QKeySequence(Qt::Key_F1));
    connect(content, &QAction::triggered, this, &Tchat::contentRequested);
    connect(item(help, QStringLiteral("About"), "About1"), &QAction::triggered, this, &Tchat::aboutRequested);
}

void Tchat::buildBoardWidgets()
{
    for (int n = 1; n <= kPhraseButtonCount; ++n) {
        auto* button = new PictureButton(art::phraseButton(n), board_);
        button->setObjectName(QStringLiteral("b_phrase%1").arg(n));
        button->setGeometry(layout::phraseRect(n));
        phrases_[static_cast<std::size_t>(n - 1)] = button;
        if (n <= kPhraseCount) {
            connect(button, &QAbstractButton::clicked, this, [this, n] {
                logic_.chat().phraseClick(n);
                acted();
            });
        } else {
            button->setToolTip(QString::fromLatin1(kChatterButtonTip));
            button->setAccessibleName(QStringLiteral("Chatter sounds"));
            connect(button, &QAbstractButton::clicked, this, &Tchat::openChatterMenu);
        }
    }

    mainchat_ = new ChatView(board_);
    mainchat_->setGeometry(layout::kChatDisplay);
    mainchat_->setAccessibleName(QStringLiteral("Chat"));
    connect(mainchat_, &ChatView::released, this, &Tchat::focusEntry);

    mychat_ = new ChatEntry(logic_, board_);
    mychat_->setGeometry(layout::kChatEntry);
    mychat_->setAccessibleName(QStringLiteral("Chat entry"));
    connect(mychat_, &ChatEntry::acted, this, &Tchat::acted);
}

void Tchat::buildKeys()
{
    // Shortcuts of the whole window, so they work while the chat entry has
    // the focus; none of them types anything there.
    auto key = [this](QKeySequence sequence, const char* name, auto act) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(sequence);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, act);
        addAction(action);
    };
    key(QKeySequence(Qt::CTRL | Qt::Key_R), "key_roll", [this] { board_->pressRollOrStart(); });
    for (int d = 1; d <= kDiceCount; ++d) {
        const std::string name = "key_die" + std::to_string(d);
        key(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + d)), name.c_str(),
            [this, d] { board_->toggleDie(d); });
    }
    for (int c = 1; c <= kCategoryCount; ++c) {
        const std::string name = "key_category" + std::to_string(c);
        key(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_0 + c)), name.c_str(),
            [this, c] { board_->pressCategory(c); });
    }
    // Tab goes from the chat entry onto the board and back; the chat display
    // takes the focus only from a click.
    mainchat_->setFocusPolicy(Qt::ClickFocus);
    QList<QAbstractButton*> phrases;
    for (PictureButton* b : phrases_)
        phrases.append(b);
    board_->setPhraseButtons(phrases);
    setTabOrder(mychat_, board_);
    setTabOrder(board_, mychat_);
}

void Tchat::buildPopups()
{
    seatMenu_ = new QMenu(this);
    seatMenu_->setObjectName(QStringLiteral("popup_kick"));
    removeFromGame_ = item(seatMenu_, QStringLiteral("Remove From Game"), "RemoveFromGame1");
    setJustWatch_ = item(seatMenu_, QStringLiteral("Set to Just Watch"), "SettoJustWatch1");
    unsetJustWatch_ = item(seatMenu_, QStringLiteral("Unset Just Watch"), "UnsetJustWatch1");
    connect(removeFromGame_, &QAction::triggered, this, [this] {
        logic_.seatMenus().removeFromGameClick();
        acted();
    });
    connect(setJustWatch_, &QAction::triggered, this, [this] {
        logic_.seatMenus().setToJustWatchClick();
        acted();
    });
    connect(unsetJustWatch_, &QAction::triggered, this, [this] {
        logic_.seatMenus().unsetJustWatchClick();
        acted();
    });

    chatterMenu_ = new QMenu(this);
    chatterMenu_->setObjectName(QStringLiteral("popup_chatter"));
    chatterMenu_->setToolTipsVisible(true);
    for (int n = 0; n <= kChatterSoundCount; ++n) {
        const QString caption = toQt(kChatterCaptions[static_cast<std::size_t>(n)]);
        QAction* action = chatterMenu_->addAction(caption);
        action->setToolTip(caption);
        connect(action, &QAction::triggered, this, [this, n] {
            logic_.chat().chatterChoice(n);
            acted();
        });
    }

    chatPopup_ = new QMenu(this);
    chatPopup_->setObjectName(QStringLiteral("popup_mainchat"));
    QAction* copy = item(chatPopup_, QStringLiteral("Copy"), "Copy1");
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    copy->setShortcutContext(Qt::WidgetShortcut); // the display handles its own Ctrl+C
    connect(copy, &QAction::triggered, mainchat_, &QTextEdit::copy);
    // The hosted game's invite code, for the player to hand on to friends.
    QAction* copyCode = item(chatPopup_, QStringLiteral("Copy Invite Code"), "CopyInviteCode1");
    copyCode->setVisible(false);
    connect(copyCode, &QAction::triggered, this, [this] {
        QGuiApplication::clipboard()->setText(QString::fromStdString(logic_.state().inviteCode));
    });
    connect(chatPopup_, &QMenu::aboutToShow, this,
            [this, copyCode] { copyCode->setVisible(!logic_.state().inviteCode.empty()); });
    chatPopup_->addAction(clearMainChat_);
    chatPopup_->addAction(scrollChatOff_);
    mainchat_->setPopup(chatPopup_);

    entryPopup_ = new QMenu(this);
    entryPopup_->setObjectName(QStringLiteral("popup_mychat"));
    QAction* paste = item(entryPopup_, QStringLiteral("Paste"), "Paste1");
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    paste->setShortcutContext(Qt::WidgetShortcut); // the field handles its own Ctrl+V
    connect(paste, &QAction::triggered, mychat_, &ChatEntry::pasteFromClipboard);
    mychat_->setPopup(entryPopup_);
}

void Tchat::acted()
{
    logic_.boardNotice().changed();
}

void Tchat::refresh()
{
    const Board& b = logic_.board();
    board_->boardChanged();
    mainchat_->sync(b.chat, b.menu.scrollLock, b.menu.textSize);
    mychat_->sync();
    for (int n = 1; n <= kPhraseCount; ++n) {
        const QString tip = toQt(b.phrases[static_cast<std::size_t>(n - 1)]);
        PictureButton* button = phrases_[static_cast<std::size_t>(n - 1)];
        if (button->toolTip() != tip) {
            button->setToolTip(tip);
            button->setAccessibleName(tip); // a reader names the button by its phrase
        }
    }
    syncMenus();
    // dicetimer runs while the Board says the dice tumble.
    if (b.dicetimerRunning && !dicetimer_->isActive())
        dicetimer_->start();
    else if (!b.dicetimerRunning && dicetimer_->isActive())
        dicetimer_->stop();
}

void Tchat::syncMenus()
{
    const MenuState& m = logic_.board().menu;
    startGame_->setEnabled(m.startGameEnabled);
    setChecked(playSounds_, m.playSounds);
    setChecked(playChatterSounds_, m.playChatterSounds);
    setChecked(turnClassic_, m.turnSound == TurnSound::Classic);
    setChecked(turnNew_, m.turnSound == TurnSound::New);
    setChecked(remindMe_, m.remindMe);
    setChecked(botSlow_, m.botSpeedItem == BotSpeedItem::Slow);
    setChecked(botNormal_, m.botSpeedItem == BotSpeedItem::Normal);
    setChecked(botFast_, m.botSpeedItem == BotSpeedItem::Fast);
    for (std::size_t i = 0; i < textSizes_.size(); ++i)
        setChecked(textSizes_[i], m.textSize == kTextSizes[i]);
    setChecked(scrollChatOff_, m.scrollLock);
    setChecked(justWatch_, m.justWatchChecked);
}

void Tchat::openSeatMenu(int seat, QPoint globalPos)
{
    logic_.seatMenus().seatMenuOpening(seat);
    const SeatMenu& menu = logic_.board().seatMenu;
    removeFromGame_->setEnabled(menu.removeEnabled);
    setJustWatch_->setEnabled(menu.setJustWatchEnabled);
    unsetJustWatch_->setEnabled(menu.unsetJustWatchEnabled);
    seatMenu_->popup(globalPos);
}

void Tchat::openChatterMenu()
{
    // Its top-left corner at the button's bottom-right corner.
    PictureButton* button = phrases_.back();
    chatterMenu_->popup(button->mapToGlobal(QPoint(button->width(), button->height())));
}

void Tchat::chooseTextColour()
{
    auto* dialog = new QColorDialog(toQColor(logic_.board().menu.textColour, palette()), this);
    dialog->setObjectName(QStringLiteral("TextColorDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Only a confirmed colour is taken (and saved).
    connect(dialog, &QColorDialog::colorSelected, this, [this](const QColor& colour) {
        logic_.options().textColourConfirmed(fromQColor(colour));
        acted();
    });
    dialog->open();
}

void Tchat::chooseActionColour()
{
    auto* dialog = new QColorDialog(toQColor(logic_.board().menu.actionColour, palette()), this);
    dialog->setObjectName(QStringLiteral("ActionColorDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Saved when the dialog closes, confirmed or not.
    connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
        std::optional<ColourValue> chosen;
        if (result == QDialog::Accepted)
            chosen = fromQColor(dialog->selectedColor());
        logic_.options().actionColourDialogClosed(chosen);
        acted();
    });
    dialog->open();
}

void Tchat::focusEntry()
{
    mychat_->setFocus(Qt::OtherFocusReason);
}

QRect Tchat::outerBounds() const
{
    return frameGeometry();
}

void Tchat::setOuterBounds(const QRect& bounds)
{
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(bounds.size() - frame);
    move(bounds.topLeft());
}

void Tchat::resetScreenLocation()
{
    setOuterBounds(toQRect(kDefaultBounds));
}

void Tchat::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shownBefore_) {
        shownBefore_ = true;
        emit firstShown();
    }
}

void Tchat::closeEvent(QCloseEvent* event)
{
    emit aboutToClose();
    QMainWindow::closeEvent(event);
}

} // namespace zk
