#include "table/qt/board/BoardPanel.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>

#include "kit/QtText.h"
#include "table/Narration.h"
#include "table/qt/board/Announcer.h"
#include "table/qt/art/Art.h"
#include "table/qt/board/BoardAccessible.h"
#include "table/qt/board/BoardLayout.h"
#include "table/TableLogic.h"
#include "table/qt/windows/ViewKit.h"

namespace zk {

namespace {

// The grey of the score columns that are not on turn (CellColour::Grey).
const QColor kWaitingGrey(89, 89, 89);
// How long after the board takes the focus its focused part is told: a
// reader takes the board's own focus first, and one told at once is lost.
constexpr int kFocusTellDelayMs = 150;
// Room the stars at each end of the winner panel take.
constexpr int kWinnerPanelStars = 24;

// Draws a picture at its place, from the cache at the painter's resolution,
// when the place is in what is being repainted.
void put(QPainter& p, const QRegion& dirty, const QRect& rect, ArtId id, Look look = Look::Normal)
{
    if (!dirty.intersects(rect))
        return;
    const qreal ratio = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    p.drawPixmap(rect.topLeft(), art::pixmap(id, ratio, look, rect.size()));
}

// Draws a text in its place when the place is in what is being repainted
// (laying out a text costs more than drawing it).
void write(QPainter& p, const QRegion& dirty, const QRect& rect, int flags, const QString& text)
{
    if (dirty.intersects(rect))
        p.drawText(rect, flags, text);
}

// What the focus ring around a part covers.
QRect ringRect(const QRect& part)
{
    return part.adjusted(-6, -6, 6, 6);
}

ArtId bodyArt(DieBody body)
{
    return body == DieBody::Bonus ? ArtId::BonusDieBody : ArtId::DieBody;
}

} // namespace

BoardPanel::BoardPanel(TableLogic& logic, QWidget* parent) : QWidget(parent), logic_(logic)
{
    setObjectName(QStringLiteral("board"));
    setFixedSize(layout::kBoardRect.size());
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    static const bool readable = [] {
        QAccessible::installFactory(BoardAccessible::factory);
        return true;
    }();
    (void)readable;
    // Tab brings the focus here; a click leaves it in the chat entry, so
    // holding a die never takes the player's typing away.
    setFocusPolicy(Qt::TabFocus);
}

BoardPanel::~BoardPanel() = default;

const Board& BoardPanel::board() const
{
    return logic_.board();
}

void BoardPanel::boardChanged()
{
    const Board& now = logic_.board();
    const QRegion region = damage(shown_.get(), now);
    if (!region.isEmpty())
        update(region);
    if (shown_ && (QAccessible::isActive() || (announcer_ && announcer_->wanted())))
        announce(*shown_, now);
    if (shown_)
        *shown_ = now;
    else
        shown_ = std::make_unique<Board>(now);
    if (hasFocus())
        keepFocusValid();
}

QRegion BoardPanel::damage(const Board* before, const Board& after)
{
    const QRect whole(QPoint(0, 0), layout::kBoardRect.size());
    if (!before)
        return whole;
    const Board& a = *before;
    const Board& b = after;
    QRegion region;
    // A line of text may run past its label's rectangle: its whole band
    // across the board is repainted.
    const auto band = [&](const QRect& r) { region += QRect(0, r.top(), whole.width(), r.height()); };
    const auto add = [&](const QRect& r) { region += r; };

    if (a.bonusCaption != b.bonusCaption)
        band(layout::kBonusCaption);
    if (a.round != b.round)
        band(layout::kRoundLabel);
    if (a.status != b.status || a.turnClockLeft != b.turnClockLeft)
        band(layout::kStatusLine);
    if (a.rollCount != b.rollCount)
        add(layout::kRollCounter);
    if (a.rollButtonShown != b.rollButtonShown || a.startButtonShown != b.startButtonShown)
        add(layout::kRollButton);
    for (int d = 1; d <= kDiceCount; ++d) {
        const Die& x = a.die(d);
        const Die& y = b.die(d);
        if (x.picture != y.picture || x.raised != y.raised) {
            add(layout::dieRect(d, x.raised));
            add(layout::dieRect(d, y.raised));
        }
        if (x.bonusMarker != y.bonusMarker)
            add(layout::bonusRect(d));
    }
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        if (a.seat(seat).name != b.seat(seat).name) {
            const QRect r = layout::nameRect(seat);
            add(QRect(r.left(), 0, r.width(), whole.height())); // a long name runs on
        }
    }

    // The score card: one change redraws it whole, with its markers.
    bool card = a.turnMarker.shown != b.turnMarker.shown || a.turnMarker.seat != b.turnMarker.seat;
    for (int c = 1; c <= kCategoryCount && !card; ++c) {
        const CategoryRow& x = a.category(c);
        const CategoryRow& y = b.category(c);
        card = x.buttonShown != y.buttonShown || x.buttonChoosable != y.buttonChoosable ||
               x.barShown != y.barShown || x.barSeat != y.barSeat || x.chosenMarker != y.chosenMarker;
    }
    for (int seat = 1; seat <= kSeatCount && !card; ++seat) {
        const SeatColumn& x = a.seat(seat);
        const SeatColumn& y = b.seat(seat);
        card = x.eyes != y.eyes || x.notPlaying != y.notPlaying || x.winnerRing != y.winnerRing ||
               x.cells != y.cells;
    }
    if (card) {
        add(layout::kCard);
        // The markers that reach past the card's edge (the winner rings).
        for (int seat = 1; seat <= kSeatCount; ++seat) {
            add(layout::onCard(layout::ringRect(seat)));
            add(layout::onCard(layout::turnFrameRect(seat)));
            add(layout::onCard(layout::eyesRect(seat)));
            if (seat >= 3) // seats 1 and 2 always play
                add(layout::onCard(layout::notPlayingRect(seat)));
        }
    }

    if (a.winnerPanelShown != b.winnerPanelShown || (b.winnerPanelShown && a.winnerText != b.winnerText))
        add(layout::kWinnerPanel.adjusted(-1, -1, 1, 1)); // with the text's shadow
    if (a.rollPromptShown != b.rollPromptShown || a.thirdRollPromptShown != b.thirdRollPromptShown)
        add(layout::kPromptPanel);
    return region & whole;
}

void BoardPanel::updateLooks(const Hit& a, const Hit& b)
{
    if (a.element != Element::None)
        update(a.rect);
    if (b.element != Element::None && !b.same(a))
        update(b.rect);
}

BoardPanel::Hit BoardPanel::hitAt(QPoint pos) const
{
    const Board& b = logic_.board();
    using layout::onCard;
    using layout::onPrompt;

    // The prompts lie over the title and the dice and take every click there.
    if (b.thirdRollPromptShown && layout::kPromptPanel.contains(pos)) {
        const QRect ok = onPrompt(layout::kOkButton);
        return ok.contains(pos) ? Hit{Element::Ok, 0, ok} : Hit{};
    }
    if (b.rollPromptShown && layout::kPromptPanel.contains(pos)) {
        const QRect yes = onPrompt(layout::kYesButton);
        const QRect no = onPrompt(layout::kNoButton);
        if (yes.contains(pos))
            return {Element::Yes, 0, yes};
        if (no.contains(pos))
            return {Element::No, 0, no};
        return {};
    }
    if (layout::kRollButton.contains(pos)) {
        if (b.rollButtonShown)
            return {Element::Roll, 0, layout::kRollButton};
        if (b.startButtonShown)
            return {Element::Start, 0, layout::kRollButton};
    }
    for (int d = 1; d <= kDiceCount; ++d) {
        const QRect r = layout::dieRect(d, b.die(d).raised);
        if (r.contains(pos))
            return {Element::Die, d, r};
    }
    if (layout::kLogo.contains(pos))
        return {Element::Logo, 0, layout::kLogo};
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        const QRect r = layout::nameRect(seat);
        if (r.contains(pos))
            return {Element::Name, seat, r};
    }
    // A button lies over the start of its bar.
    for (int c = 1; c <= kCategoryCount; ++c) {
        const QRect r = onCard(layout::categoryButtonRect(c));
        if (b.category(c).buttonShown && r.contains(pos))
            return {Element::CategoryButton, c, r};
    }
    for (int c = 1; c <= kCategoryCount; ++c) {
        const CategoryRow& row = b.category(c);
        const QRect r = onCard(layout::barRect(c, row.barSeat));
        if (row.barShown && r.contains(pos))
            return {Element::CategoryBar, c, r};
    }
    return {};
}

void BoardPanel::activate(const Hit& hit)
{
    switch (hit.element) {
    case Element::Roll: logic_.rollClick(); break;
    case Element::Start: logic_.startOptions().startClick(); break;
    case Element::Yes: logic_.yesClick(); break;
    case Element::No: logic_.noClick(); break;
    case Element::Ok: logic_.okClick(); break;
    case Element::CategoryButton: logic_.categoryButtonClick(hit.number); break;
    case Element::CategoryBar: logic_.categoryBarClick(hit.number); break;
    case Element::Logo: emit logoClicked(); return;
    case Element::Die:
    case Element::Name:
    case Element::Phrase:
    case Element::None: return;
    }
    emit acted();
}

void BoardPanel::mousePressEvent(QMouseEvent* event)
{
    const Hit before = hovered_;
    pressed_ = hitAt(event->position().toPoint());
    hovered_ = pressed_;
    updateLooks(before, pressed_);
}

void BoardPanel::mouseReleaseEvent(QMouseEvent* event)
{
    const Hit pressed = pressed_;
    pressed_ = {};
    const Hit here = hitAt(event->position().toPoint());
    updateLooks(pressed, here);
    // A die hears the release of any button, like a control that captured
    // the mouse when it was pressed on it; the logic takes only the left one.
    if (pressed.element == Element::Die) {
        const MouseButton button = event->button() == Qt::LeftButton    ? MouseButton::Left
                                   : event->button() == Qt::RightButton ? MouseButton::Right
                                                                        : MouseButton::Middle;
        logic_.dieRelease(pressed.number, button);
        emit acted();
        return;
    }
    // The picture buttons click when the left button goes up where it went down.
    if (event->button() == Qt::LeftButton && here.same(pressed))
        activate(here);
}

void BoardPanel::mouseMoveEvent(QMouseEvent* event)
{
    setHovered(hitAt(event->position().toPoint()));
}

void BoardPanel::leaveEvent(QEvent*)
{
    setHovered({});
}

void BoardPanel::setHovered(const Hit& hit)
{
    if (hit.same(hovered_))
        return;
    const Hit before = hovered_;
    hovered_ = hit;
    updateLooks(before, hit);
}

void BoardPanel::contextMenuEvent(QContextMenuEvent* event)
{
    const Hit hit = hitAt(event->pos());
    if (hit.element == Element::Name)
        emit seatMenuRequested(hit.number, event->globalPos());
}

QString BoardPanel::categoryName(int category)
{
    const std::string_view name = zk::categoryName(category);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

void BoardPanel::answerPrompt(Element button)
{
    const Board& b = logic_.board();
    const bool shown = button == Element::Ok
                           ? b.thirdRollPromptShown
                           : (button == Element::Yes || button == Element::No) && b.rollPromptShown;
    if (shown)
        activate({button, 0, {}});
}

void BoardPanel::pressRollOrStart()
{
    const Board& b = logic_.board();
    if (b.rollButtonShown)
        activate({Element::Roll, 0, layout::kRollButton});
    else if (b.startButtonShown)
        activate({Element::Start, 0, layout::kRollButton});
}

void BoardPanel::toggleDie(int die)
{
    if (die < 1 || die > kDiceCount)
        return;
    logic_.dieRelease(die, MouseButton::Left);
    emit acted();
}

void BoardPanel::pressCategory(int category)
{
    if (category >= 1 && category <= kCategoryCount && logic_.board().category(category).buttonShown)
        activate({Element::CategoryButton, category, {}});
}

void BoardPanel::setPhraseButtons(const QList<QAbstractButton*>& buttons)
{
    phraseButtons_ = buttons;
}

QList<BoardPanel::Hit> BoardPanel::focusRing() const
{
    const Board& b = logic_.board();
    using layout::onCard;
    using layout::onPrompt;
    if (b.thirdRollPromptShown)
        return {{Element::Ok, 0, onPrompt(layout::kOkButton)}};
    if (b.rollPromptShown)
        return {{Element::Yes, 0, onPrompt(layout::kYesButton)},
                {Element::No, 0, onPrompt(layout::kNoButton)}};
    QList<Hit> ring;
    for (int d = 1; d <= kDiceCount; ++d)
        ring.append({Element::Die, d, layout::dieRect(d, b.die(d).raised)});
    if (b.rollButtonShown)
        ring.append({Element::Roll, 0, layout::kRollButton});
    else if (b.startButtonShown)
        ring.append({Element::Start, 0, layout::kRollButton});
    for (int c = 1; c <= kCategoryCount; ++c) {
        if (b.category(c).buttonShown)
            ring.append({Element::CategoryButton, c, onCard(layout::categoryButtonRect(c))});
    }
    for (int n = 0; n < phraseButtons_.size(); ++n) {
        QAbstractButton* button = phraseButtons_[n];
        if (button && button->isVisibleTo(this))
            ring.append({Element::Phrase, n + 1, button->geometry()});
    }
    return ring;
}

void BoardPanel::setFocused(const Hit& hit)
{
    if (hit.same(focus_) && hit.rect == focus_.rect)
        return;
    const bool moved = !hit.same(focus_);
    update(ringRect(focus_.rect));
    focus_ = hit;
    update(ringRect(focus_.rect));
    if (!moved)
        return;
    tellFocus(hit);
    emit focusMoved();
}

void BoardPanel::tellFocus(const Hit& hit)
{
    using Part = BoardAccessible::Part;
    switch (hit.element) {
    case Element::Die: BoardAccessible::notifyFocus(this, Part::Die, hit.number); break;
    case Element::Roll:
    case Element::Start: BoardAccessible::notifyFocus(this, Part::RollOrStart, 0); break;
    case Element::CategoryButton: BoardAccessible::notifyFocus(this, Part::Category, hit.number); break;
    case Element::Yes: BoardAccessible::notifyFocus(this, Part::PromptButton, BoardAccessible::Yes); break;
    case Element::No: BoardAccessible::notifyFocus(this, Part::PromptButton, BoardAccessible::No); break;
    case Element::Ok: BoardAccessible::notifyFocus(this, Part::PromptButton, BoardAccessible::Ok); break;
    case Element::Phrase:
        if (hit.number >= 1 && hit.number <= phraseButtons_.size() && phraseButtons_[hit.number - 1]) {
            QAccessibleEvent event(phraseButtons_[hit.number - 1], QAccessible::Focus);
            QAccessible::updateAccessibility(&event);
        }
        break;
    default: break;
    }
}

void BoardPanel::announce(const Board& before, const Board& now)
{
    using Part = BoardAccessible::Part;
    if (announcer_) {
        NarrationContext context{logic_.state().ownSeat, logic_.state().nameAtTable(), speakChat_};
        // The die under the ring is read by its own name change.
        if (hasFocus() && focus_.element == Element::Die)
            context.focusedDie = focus_.number;
        // A prompt opening moves the ring onto its button, and the reader
        // reads the dialog with it.
        context.promptsFocused = hasFocus();
        for (const std::string& sentence : narrate(before, now, context))
            announcer_->say(toQt(sentence));
    }
    // The status line carries the turn, the roll and the winner line.
    if (before.statusLine() != now.statusLine() || before.winnerText != now.winnerText ||
        before.winnerPanelShown != now.winnerPanelShown)
        BoardAccessible::notifyNameChanged(this, Part::Status);
    bool rolled = false;
    for (int d = 1; d <= kDiceCount; ++d) {
        if (before.die(d).face != now.die(d).face || before.die(d).held != now.die(d).held)
            BoardAccessible::notifyNameChanged(this, Part::Die, d);
        if (before.die(d).held != now.die(d).held)
            BoardAccessible::notifyChecked(this, d);
        rolled = rolled || before.die(d).face != now.die(d).face;
    }
    if (rolled && now.rollCount != before.rollCount) {
        QAccessibleInterface* board = QAccessible::queryAccessibleInterface(this);
        if (QAccessibleInterface* status =
                board ? board->child(BoardAccessible::indexOf(Part::Status, 0)) : nullptr) {
            QAccessibleEvent event(status, QAccessible::DescriptionChanged);
            QAccessible::updateAccessibility(&event);
        }
    }
    if (before.round != now.round)
        BoardAccessible::notifyNameChanged(this, Part::Round);
    if (before.rollCount != now.rollCount)
        BoardAccessible::notifyNameChanged(this, Part::Rolls);
    if ((now.rollPromptShown && !before.rollPromptShown) ||
        (now.thirdRollPromptShown && !before.thirdRollPromptShown))
        BoardAccessible::notifyShown(this, Part::Prompt);
    if (now.winnerPanelShown && !before.winnerPanelShown)
        BoardAccessible::notifyShown(this, Part::Winner);
    for (int s = 1; s <= kSeatCount; ++s) {
        const SeatColumn& a = before.seat(s);
        const SeatColumn& b = now.seat(s);
        if (a.name != b.name || a.eyes != b.eyes || a.notPlaying != b.notPlaying ||
            a.winnerRing != b.winnerRing)
            BoardAccessible::notifyNameChanged(this, Part::Name, s);
        for (int row = 1; row <= kScoreRows; ++row) {
            if (a.cell(row).text != b.cell(row).text || a.name != b.name)
                BoardAccessible::notifyNameChanged(this, Part::Cell, s, row);
        }
    }
}

void BoardPanel::keepFocusValid()
{
    const QList<Hit> ring = focusRing();
    for (const Hit& h : ring) {
        if (h.same(focus_)) {
            setFocused(h); // its place may have moved (a held die)
            return;
        }
    }
    setFocused(ring.isEmpty() ? Hit{} : ring.first());
}

void BoardPanel::moveFocus(int step)
{
    const QList<Hit> ring = focusRing();
    if (ring.isEmpty())
        return;
    int at = -1;
    for (int i = 0; i < ring.size(); ++i) {
        if (ring[i].same(focus_))
            at = i;
    }
    const int n = static_cast<int>(ring.size());
    setFocused(ring[at < 0 ? 0 : ((at + step) % n + n) % n]);
}

void BoardPanel::press(const Hit& hit)
{
    switch (hit.element) {
    case Element::Die: toggleDie(hit.number); break;
    case Element::Phrase:
        if (hit.number >= 1 && hit.number <= phraseButtons_.size() && phraseButtons_[hit.number - 1])
            phraseButtons_[hit.number - 1]->click();
        break;
    default: activate(hit); break;
    }
}

void BoardPanel::keyPressEvent(QKeyEvent* event)
{
    const Board& b = logic_.board();
    const int key = event->key();
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QWidget::keyPressEvent(event); // the window's shortcuts
        return;
    }
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (b.rollPromptShown && (key == Qt::Key_Y || key == Qt::Key_N || key == Qt::Key_Escape)) {
        activate({key == Qt::Key_Y ? Element::Yes : Element::No, 0, {}});
    } else if (b.thirdRollPromptShown && (enter || key == Qt::Key_Escape)) {
        activate({Element::Ok, 0, {}});
    } else if (key == Qt::Key_Left || key == Qt::Key_Up) {
        moveFocus(-1);
    } else if (key == Qt::Key_Right || key == Qt::Key_Down) {
        moveFocus(1);
    } else if (key == Qt::Key_Space || enter) {
        keepFocusValid();
        press(focus_);
    } else if (key == Qt::Key_Escape) {
        emit leaveRequested();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void BoardPanel::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    keepFocusValid();
    // A reader hears the part under the ring, not only "Board": told once
    // the reader has taken the board itself.
    QTimer::singleShot(kFocusTellDelayMs, this, [this] {
        if (hasFocus())
            tellFocus(focus_);
    });
    update(ringRect(focus_.rect));
}

void BoardPanel::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update(ringRect(focus_.rect));
}

QString BoardPanel::toolTipAt(const Hit& hit) const
{
    switch (hit.element) {
    case Element::Roll: return QStringLiteral("Roll the dice (Ctrl+R)");
    case Element::Start: return QStringLiteral("Start a game (Ctrl+R)");
    case Element::Die: return QStringLiteral("Hold or release die %1 (Ctrl+%1)").arg(hit.number);
    case Element::CategoryButton:
        return QStringLiteral("%1 (Alt+%2)").arg(categoryName(hit.number)).arg(hit.number);
    case Element::Yes: return QStringLiteral("Yes (Y)");
    case Element::No: return QStringLiteral("No (N)");
    case Element::Ok: return QStringLiteral("OK (Enter)");
    default: return {};
    }
}

bool BoardPanel::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const Hit hit = hitAt(help->pos());
        const QString tip = toolTipAt(hit);
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, this, hit.rect);
        }
        return true;
    }
    return QWidget::event(event);
}

Look BoardPanel::lookOf(Element element, int number) const
{
    const Hit probe{element, number, {}};
    if (pressed_.same(probe) && hovered_.same(probe))
        return Look::Pressed;
    if (hovered_.same(probe))
        return Look::Hover;
    return Look::Normal;
}

void BoardPanel::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    const Board& b = logic_.board();
    // Everything is drawn in its order, clipped to what changed; the parts
    // wholly outside it are skipped.
    const QRegion& dirty = event->region();
    // The board's tile lines up with the window's, so the grain runs on.
    art::paintBackground(p, dirty.boundingRect(), -QPointF(layout::kBoardRect.topLeft()));
    paintLeftHalf(p, b, dirty);
    paintNames(p, b, dirty);
    if (dirty.intersects(layout::kCard))
        paintCard(p, b, dirty);
    paintPanels(p, b, dirty);
    if (hasFocus() && focus_.element != Element::None && dirty.intersects(ringRect(focus_.rect))) {
        // The focus ring: pale yellow on a dark edge, seen on every backdrop.
        const QRectF ring = QRectF(focus_.rect).adjusted(-2.5, -2.5, 2.5, 2.5);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(40, 20, 0), 4));
        p.drawRoundedRect(ring, 5, 5);
        p.setPen(QPen(QColor(255, 236, 120), 2));
        p.drawRoundedRect(ring, 5, 5);
    }
}

void BoardPanel::paintLeftHalf(QPainter& p, const Board& b, const QRegion& dirty) const
{
    p.setPen(art::boardInk());
    p.setFont(art::sansFont(11, false));
    write(p, dirty, layout::kBonusCaption, Qt::AlignRight | Qt::AlignVCenter, toQt(b.bonusCaption));
    put(p, dirty, layout::kTitle, ArtId::Title);

    for (int d = 1; d <= kDiceCount; ++d) {
        const Die& die = b.die(d);
        const QRect r = layout::dieRect(d, die.raised);
        if (die.picture.body != DieBody::None)
            put(p, dirty, r, bodyArt(die.picture.body));
        if (Board::isFace(die.picture.face))
            put(p, dirty, r, art::diceImage(die.picture.face));
    }
    for (int d = 1; d <= kDiceCount; ++d) {
        if (b.die(d).bonusMarker)
            put(p, dirty, layout::bonusRect(d), ArtId::Bonus);
    }

    p.setPen(art::boardInk());
    p.setFont(art::serifFont(16, true));
    write(p, dirty, layout::kRoundLabel, Qt::AlignLeft | Qt::AlignVCenter, toQt(b.round));
    p.setFont(art::sansFont(13, true));
    write(p, dirty, layout::kRollsLabel, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Rolls:"));
    put(p, dirty, layout::kRollCounter, art::rollCounter(b.rollCount));

    if (b.startButtonShown && !b.rollButtonShown)
        put(p, dirty, layout::kRollButton, ArtId::ButtonStart, lookOf(Element::Start));
    if (b.rollButtonShown)
        put(p, dirty, layout::kRollButton, ArtId::ButtonRoll, lookOf(Element::Roll));

    p.setPen(art::boardInk());
    p.setFont(art::sansFont(13, true));
    write(p, dirty, layout::kStatusLine, Qt::AlignHCenter | Qt::AlignVCenter, toQt(b.statusLine()));
}

void BoardPanel::paintNames(QPainter& p, const Board& b, const QRegion& dirty) const
{
    put(p, dirty, layout::kLogo, ArtId::Logo, lookOf(Element::Logo));
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        if (dirty.intersects(layout::nameRect(seat)))
            art::paintVerticalText(p, layout::nameRect(seat), toQt(b.seat(seat).name), art::boardInk());
    }
}

void BoardPanel::paintCard(QPainter& p, const Board& b, const QRegion& dirty) const
{
    using layout::onCard;
    put(p, dirty, layout::kCard, ArtId::ScoreCard);

    for (int c = 1; c <= kCategoryCount; ++c) {
        const CategoryRow& row = b.category(c);
        if (row.barShown)
            put(p, dirty, onCard(layout::barRect(c, row.barSeat)), ArtId::Bar);
    }
    for (int c = 1; c <= kCategoryCount; ++c) {
        const CategoryRow& row = b.category(c);
        if (row.buttonShown) {
            // Only a button that can be chosen now answers the mouse.
            const Look look = row.buttonChoosable ? lookOf(Element::CategoryButton, c) : Look::Normal;
            put(p, dirty, onCard(layout::categoryButtonRect(c)), art::categoryButton(c), look);
        }
        if (row.chosenMarker)
            put(p, dirty, onCard(layout::arrowRect(c)), ArtId::CategoryArrow);
    }
    if (b.turnMarker.shown)
        put(p, dirty, onCard(layout::turnFrameRect(b.turnMarker.seat)), ArtId::TurnFrame);

    for (int seat = 1; seat <= kSeatCount; ++seat) {
        const SeatColumn& column = b.seat(seat);
        for (int row = 1; row <= kScoreRows; ++row) {
            const ScoreCell& cell = column.cell(row);
            const QRect place = onCard(layout::scoreCellRect(seat, row));
            if (cell.text.empty() || !dirty.intersects(place))
                continue;
            p.setFont(art::serifFont(16, cell.bold));
            p.setPen(cell.colour == CellColour::Grey ? kWaitingGrey : QColor(Qt::black));
            p.drawText(place, Qt::AlignCenter, toQt(cell.text));
        }
    }
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        const SeatColumn& column = b.seat(seat);
        if (column.eyes)
            put(p, dirty, onCard(layout::eyesRect(seat)), ArtId::Eyes);
        if (seat >= 3 && column.notPlaying)
            put(p, dirty, onCard(layout::notPlayingRect(seat)), ArtId::NotPlaying);
        if (column.winnerRing)
            put(p, dirty, onCard(layout::ringRect(seat)), ArtId::WinnerRing);
    }
}

void BoardPanel::paintPanels(QPainter& p, const Board& b, const QRegion& dirty) const
{
    if (b.winnerPanelShown) {
        put(p, dirty, layout::kWinnerPanel, ArtId::WinnerPanel);
        // Bold 16-pixel Arial; a result too long for the panel (two long
        // names) is drawn smaller, and only then cut, so it stays between the
        // panel's stars.
        const int room = layout::kWinnerPanel.width() - 2 * kWinnerPanelStars;
        QFont font = art::sansFont(16, true);
        while (QFontMetrics(font).horizontalAdvance(toQt(b.winnerText)) > room && font.pixelSize() > 11)
            font.setPixelSize(font.pixelSize() - 1);
        const QString line = QFontMetrics(font).elidedText(toQt(b.winnerText), Qt::ElideRight, room);
        p.setFont(font);
        // label_winner2, grey, one pixel right and one up: the shadow of label_winner1.
        p.setPen(QColor(128, 128, 128));
        p.drawText(layout::kWinnerPanel.translated(1, -1), Qt::AlignCenter, line);
        p.setPen(Qt::black);
        p.drawText(layout::kWinnerPanel, Qt::AlignCenter, line);
    }
    using layout::onPrompt;
    if (b.rollPromptShown) {
        put(p, dirty, layout::kPromptPanel, ArtId::PromptPanel);
        p.setPen(art::boardInk());
        p.setFont(art::sansFont(13, false));
        p.drawText(onPrompt(layout::kPromptText), Qt::AlignCenter | Qt::TextWordWrap,
                   QString::fromLatin1(kPromptText.data(), kPromptText.size()));
        p.setFont(art::sansFont(13, true));
        p.drawText(onPrompt(layout::kPromptQuestion), Qt::AlignCenter,
                   QString::fromLatin1(kPromptQuestion.data(), kPromptQuestion.size()));
        put(p, dirty, onPrompt(layout::kYesButton), ArtId::ButtonYes, lookOf(Element::Yes));
        put(p, dirty, onPrompt(layout::kNoButton), ArtId::ButtonNo, lookOf(Element::No));
    }
    if (b.thirdRollPromptShown) {
        put(p, dirty, layout::kPromptPanel, ArtId::PromptPanel);
        p.setPen(art::boardInk());
        p.setFont(art::sansFont(14, true));
        p.drawText(onPrompt(layout::kPromptTextAlone), Qt::AlignCenter | Qt::TextWordWrap,
                   QString::fromLatin1(kPromptThirdRoll.data(), kPromptThirdRoll.size()));
        put(p, dirty, onPrompt(layout::kOkButton), ArtId::ButtonOk, lookOf(Element::Ok));
    }
}

} // namespace zk
