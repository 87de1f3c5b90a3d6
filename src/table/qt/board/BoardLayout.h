// BoardLayout: where every element of the main window's board lies.
//
// Positions are pixels on the 674 x 487 board panel (left, top); the score
// card's widgets are given relative to the card and placed with onCard().
// The board widget paints and hit-tests from these, so one table decides both
// where a picture shows and where it takes clicks.
//
//     QRect die = layout::dieRect(3, board.die(3).raised);
//     QRect cell = layout::onCard(layout::scoreCellRect(seat, row));
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>

namespace zk::layout {

// The window: client area and the board panel inside it.
inline constexpr QSize kClientSize{676, 489};
inline constexpr QRect kBoardRect{1, 1, 674, 487};

// Left half: title, dice, roll controls and the status line.
inline constexpr QRect kBonusCaption{16, 4, 299, 14}; // label_rl, right-aligned
inline constexpr QRect kTitle{14, 19, 295, 86};
inline constexpr QRect kWinnerPanel{8, 26, 304, 41};  // panel_winner
inline constexpr QRect kPromptPanel{8, 22, 305, 146}; // panel_error and panel_error1
inline constexpr std::array<int, 5> kDieLefts = {19, 75, 131, 187, 243};
inline constexpr int kDieLoweredTop = 119;
inline constexpr int kDieRaisedTop = 110;
inline constexpr int kDieSize = 48;
inline constexpr std::array<int, 5> kBonusLefts = {26, 82, 138, 194, 250};
inline constexpr int kBonusTop = 74;
inline constexpr QSize kBonusSize{58, 62};
inline constexpr QRect kRoundLabel{8, 173, 150, 20};   // label_round
inline constexpr QRect kRollsLabel{192, 173, 40, 18};  // "Rolls:"
inline constexpr QRect kRollCounter{234, 169, 66, 22}; // image_rolls
inline constexpr QRect kRollButton{80, 198, 154, 36};  // button_roll and button_start
inline constexpr QRect kStatusLine{7, 258, 304, 18};   // label_status, centred
inline constexpr int kPhraseTop = 294;
inline constexpr int kPhraseFirstLeft = 26;
inline constexpr int kPhraseStep = 28;
inline constexpr QSize kPhraseSize{27, 21};

// Right half: logo, name labels and the score card.
inline constexpr QRect kLogo{316, 17, 98, 56};
inline constexpr std::array<int, 6> kNameLefts = {414, 456, 499, 541, 584, 626};
inline constexpr int kNameTop = 3;
inline constexpr QSize kNameSize{35, 78};
inline constexpr QRect kCard{317, 76, 352, 242};

// Chat.
inline constexpr QRect kChatDisplay{4, 321, 667, 139}; // mainchat
inline constexpr QRect kChatEntry{4, 460, 665, 22};    // mychat

// Inside the prompt panels (relative to the panel).
inline constexpr QRect kPromptText{14, 14, 277, 44};
inline constexpr QRect kPromptQuestion{14, 64, 277, 20};
inline constexpr QRect kPromptTextAlone{14, 18, 277, 60};
inline constexpr QRect kYesButton{42, 98, 96, 32};
inline constexpr QRect kNoButton{167, 98, 96, 32};
inline constexpr QRect kOkButton{104, 98, 96, 32};

// Score card widgets (relative to the card).
inline constexpr std::array<int, 6> kCellLefts = {99, 141, 182, 224, 265, 307};
inline constexpr std::array<int, 8> kCellTops = {35, 61, 87, 112, 138, 164, 190, 217};
inline constexpr QSize kCellSize{36, 18};
inline constexpr std::array<int, 7> kButtonTops = {32, 57, 83, 109, 135, 161, 187};
inline constexpr int kButtonLeft = 4;
inline constexpr QSize kButtonSize{88, 24};
inline constexpr std::array<int, 7> kBarTops = {30, 56, 82, 108, 134, 160, 185};
inline constexpr int kBarLeft = 87;
inline constexpr int kBarHeight = 27;
inline constexpr int kArrowLeft = 67;
inline constexpr QSize kArrowSize{20, 20};
inline constexpr int kTurnFrameTop = 3;
inline constexpr QSize kTurnFrameSize{43, 235};
inline constexpr std::array<int, 6> kEyesLefts = {96, 138, 180, 222, 264, 306};
inline constexpr int kEyesTop = 4;
inline constexpr QSize kEyesSize{22, 9};
inline constexpr std::array<int, 4> kNotPlayingLefts = {186, 227, 269, 311}; // seats 3-6
inline constexpr int kNotPlayingTop = 15;
inline constexpr QSize kNotPlayingSize{27, 24};
inline constexpr std::array<int, 6> kRingLefts = {90, 131, 172, 214, 256, 298};
inline constexpr int kRingTop = 199;
inline constexpr QSize kRingSize{53, 45};

// Families by their own numbers (die 1-5, seat 1-6, row 1-8, category 1-7).
inline QRect dieRect(int die, bool raised)
{
    return {kDieLefts[static_cast<std::size_t>(die - 1)], raised ? kDieRaisedTop : kDieLoweredTop, kDieSize,
            kDieSize};
}
inline QRect bonusRect(int die)
{
    return {QPoint(kBonusLefts[static_cast<std::size_t>(die - 1)], kBonusTop), kBonusSize};
}
inline QRect phraseRect(int button)
{
    return {QPoint(kPhraseFirstLeft + kPhraseStep * (button - 1), kPhraseTop), kPhraseSize};
}
inline QRect nameRect(int seat)
{
    return {QPoint(kNameLefts[static_cast<std::size_t>(seat - 1)], kNameTop), kNameSize};
}
inline QRect scoreCellRect(int seat, int row)
{
    return {
        QPoint(kCellLefts[static_cast<std::size_t>(seat - 1)], kCellTops[static_cast<std::size_t>(row - 1)]),
        kCellSize};
}
inline QRect categoryButtonRect(int category)
{
    return {QPoint(kButtonLeft, kButtonTops[static_cast<std::size_t>(category - 1)]), kButtonSize};
}
// The turn column marker's left edge and the bars' width by the seat on
// turn: a bar reaches from its button to the right edge of that column. A
// closed bar (seat 0) is 11 wide.
inline constexpr std::array<int, 6> kTurnMarkerLefts = {94, 136, 178, 220, 262, 304};
inline constexpr std::array<int, 6> kBarWidths = {50, 91, 133, 175, 217, 259};
inline constexpr int kClosedBarWidth = 11;
inline int barWidth(int seat)
{
    return seat >= 1 && seat <= 6 ? kBarWidths[static_cast<std::size_t>(seat - 1)] : kClosedBarWidth;
}
inline QRect barRect(int category, int seat)
{
    return {kBarLeft, kBarTops[static_cast<std::size_t>(category - 1)], barWidth(seat), kBarHeight};
}
// The chosen-category arrow sits on the button's right end, centred on it.
inline QRect arrowRect(int category)
{
    const QRect button = categoryButtonRect(category);
    return {QPoint(kArrowLeft, button.top() + (button.height() - kArrowSize.height()) / 2), kArrowSize};
}
inline QRect turnFrameRect(int seat)
{
    const int left = seat >= 1 && seat <= 6 ? kTurnMarkerLefts[static_cast<std::size_t>(seat - 1)] : 0;
    return {QPoint(left, kTurnFrameTop), kTurnFrameSize};
}
inline QRect eyesRect(int seat)
{
    return {QPoint(kEyesLefts[static_cast<std::size_t>(seat - 1)], kEyesTop), kEyesSize};
}
inline QRect notPlayingRect(int seat) // seats 3-6
{
    return {QPoint(kNotPlayingLefts[static_cast<std::size_t>(seat - 3)], kNotPlayingTop), kNotPlayingSize};
}
inline QRect ringRect(int seat)
{
    return {QPoint(kRingLefts[static_cast<std::size_t>(seat - 1)], kRingTop), kRingSize};
}
// A card-relative rectangle on the board.
inline QRect onCard(const QRect& r)
{
    return r.translated(kCard.topLeft());
}
// A prompt-panel-relative rectangle on the board.
inline QRect onPrompt(const QRect& r)
{
    return r.translated(kPromptPanel.topLeft());
}

} // namespace zk::layout
