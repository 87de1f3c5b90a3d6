// Art: every picture of the table window, drawn by our own code with QPainter.
//
// Owns the catalogue of pictures (ArtId), each picture's logical size, the
// fonts the board's texts use, and a cache of rendered pixmaps per device
// pixel ratio. Nothing is loaded from disk: every picture is vector drawing
// (the background tile is computed pixel by pixel at the device resolution),
// so it stays crisp at 100%, 150%, 200% or any other screen scale.
//
// A widget either paints a picture straight into its own painter at any
// rectangle, or takes a cached pixmap:
//
//   void DieView::paintEvent(QPaintEvent*) {
//       QPainter p(this);
//       art::paint(p, rect(), bonus ? ArtId::BonusDieBody : ArtId::DieBody);
//       art::paint(p, rect(), art::diceImage(face));
//   }
//   title->setPixmap(art::pixmap(ArtId::Title, title->devicePixelRatioF()));
//   board: art::paintBackground(p, rect());
//
// Placing the markers on the score card (card coordinates): the turn frame of
// seat n at left 94 + 42 (n - 1), top 3, so its sides lie on the card's
// rulings; the winner ring at top 199 centres itself on the total cell; the
// category captions leave the button's right end (x 63 to 83) free for the
// chosen-category arrow at left 67.
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

namespace zk {

// Every picture, grouped as the board uses them. The dice entries keep the
// order of the dice image list: empty, faces one to six, plain body, bonus body.
enum class ArtId {
    Background, // 192 x 192 seamless wood tile for the board and the small windows
    Title,      // 295 x 86, the word "Zonkards" with two dice
    Logo,       // 98 x 56, the maker's badge beside the score card
    About,      // 96 x 96, the picture of the About window

    DiceEmpty, // 48 x 48, nothing (dice image 0)
    DiceFace1, // 48 x 48, pips of face one on a transparent backdrop (image 1)
    DiceFace2,
    DiceFace3,
    DiceFace4,
    DiceFace5,
    DiceFace6,    // (image 6)
    DieBody,      // 48 x 48, plain red body (image 7)
    BonusDieBody, // 48 x 48, red body with a gold border (image 8)

    Bonus, // 58 x 62, starburst with the word BONUS

    Rolls0, // 66 x 22, three empty boxes
    Rolls1, // one box crossed out with a red X
    Rolls2,
    Rolls3,

    ButtonRoll,      // 154 x 36, ROLL DICE
    ButtonStart,     // 154 x 36, Start
    ButtonStartGame, // 154 x 36, START GAME
    ButtonYes,       // 96 x 32, the prompt panels' buttons
    ButtonNo,
    ButtonOk,

    CatOnes, // 88 x 24 category buttons, captions Ones .. Zonkard
    CatTwos,
    CatThrees,
    CatFours,
    CatFives,
    CatSixes,
    CatZonkard,

    Bar,           // 64 x 27 sample; stretches to any width (gold and red lines)
    CategoryArrow, // 20 x 20, the chosen-category marker
    TurnFrame,     // 43 x 235, frame around the column on turn
    Eyes,          // 22 x 9, just watching
    NotPlaying,    // 27 x 24, cross over a seat that takes no part
    WinnerRing,    // 53 x 45, ring around a winner's total

    ScoreCard,   // 352 x 242, ruled grid with its captions
    PromptPanel, // 305 x 146, pale yellow backdrop of the roll prompts
    WinnerPanel, // 304 x 41, backdrop of the result line

    BoxEmpty, // 28 x 22 tick boxes
    BoxTicked,

    Phrase1, // 27 x 21 phrase buttons, each with its own glyph
    Phrase2,
    Phrase3,
    Phrase4,
    Phrase5,
    Phrase6,
    Phrase7,
    Phrase8,
    Phrase9,
    Phrase10, // the chatter-sound button: a speaker with a note

    Count
};

// The look of a picture button. Pictures that are not buttons ignore it.
enum class Look { Normal, Hover, Pressed, Disabled };

// Which way vertical text runs.
enum class TextRun { BottomToTop, TopToBottom };

namespace art {

inline constexpr int kArtCount = static_cast<int>(ArtId::Count);

// The picture's logical size in pixels (device-independent).
QSize size(ArtId id);

// A short English name ("DiceFace3", "ButtonRoll") for sheets and messages.
QString name(ArtId id);

// True for the pictures that have hover, pressed and disabled looks.
bool isButton(ArtId id);

// Draws the picture into rect of any painter. The picture is scaled to the
// rectangle (drawn as vectors, so it is crisp at the painter's resolution);
// the bar keeps its line thickness and stretches to the rectangle's width,
// and the background is tiled from the rectangle's top-left corner.
void paint(QPainter& painter, const QRectF& rect, ArtId id, Look look = Look::Normal);

// The picture rendered at the given device pixel ratio: the pixmap has
// size(id) * dpr device pixels and reports that ratio, so it shows at the
// picture's logical size. A non-empty logical size renders the picture at
// that size instead (the bar at a given width). Cached; UI thread only.
QPixmap pixmap(ArtId id, qreal devicePixelRatio, Look look = Look::Normal, QSize logicalSize = {});

// Fills area with the background tile, lined up so that the tile's corner
// sits at origin (the board's top-left corner); uses the painter's device
// pixel ratio so the grain is drawn at full resolution.
void paintBackground(QPainter& painter, const QRectF& area, QPointF origin = {});

// The application icon (a red five, the die of the dice list) drawn into
// rect; the installed icons are made from it (tools/make_icons.sh).
void drawApplicationIcon(QPainter& painter, const QRectF& rect);
// The window icon at the sizes title bars and task bars take.
QIcon applicationIcon();

// The background tile as a brush, for widgets that take it as their palette.
QBrush backgroundBrush(qreal devicePixelRatio);

// Picture of the dice image list entry 0 .. 8 (other numbers give DiceEmpty).
ArtId diceImage(int index);
// Picture of the roll counter for rolls used 0 .. 3 (clamped).
ArtId rollCounter(int rollsUsed);
// Category button of category 1 .. 7 (clamped).
ArtId categoryButton(int category);
// Phrase button 1 .. 10 (clamped); 10 is the chatter-sound button.
ArtId phraseButton(int number);
// Tick box picture: 0 empty, 1 ticked.
ArtId tickBox(bool ticked);

// Fonts of the board's texts, found on every platform.
QFont serifFont(int pixelSize, bool bold);
QFont sansFont(int pixelSize, bool bold);
// The name labels' font: bold 13-pixel serif.
QFont nameFont();

// Colour of plain text written straight on the wooden board.
QColor boardInk();

// Writes text turned by a quarter, centred in rect (the 35 x 78 name label),
// in the name labels' font unless another is given. Text longer than the
// rectangle is drawn smaller (down to ten pixels), then cut with an
// ellipsis, so it never spills over a neighbour.
void paintVerticalText(QPainter& painter, const QRectF& rect, const QString& text,
                       const QColor& colour = QColor(0, 0, 0), TextRun run = TextRun::BottomToTop,
                       const QFont& font = nameFont());

} // namespace art
} // namespace zk
