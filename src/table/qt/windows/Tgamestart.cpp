#include "table/qt/windows/Tgamestart.h"

#include <QKeyEvent>

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>

#include <algorithm>

#include "table/qt/art/Art.h"
#include "table/qt/windows/PictureButton.h"
#include "table/TableLogic.h"
#include "table/qt/windows/TickBox.h"

namespace zk {

namespace {

constexpr QSize kWindowSize{224, 214};
constexpr QRect kPanel{7, 7, 210, 200};

QLabel* caption(const QString& text, const QRect& place, int pixelSize, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(art::sansFont(pixelSize, true));
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(place);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, art::boardInk());
    label->setPalette(pal);
    return label;
}

} // namespace

Tgamestart::Tgamestart(TableLogic& logic, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::CustomizeWindowHint),
      logic_(logic)
{
    setObjectName(QStringLiteral("gamestart"));
    setWindowTitle(QStringLiteral("Zonkards - Start Game"));
    setFixedSize(kWindowSize);

    caption(QStringLiteral("GAME OPTIONS"), QRect(kPanel.left(), 15, kPanel.width(), 20), 15, this)
        ->setObjectName(QStringLiteral("label_options"));
    caption(QStringLiteral("Bonus Rolls Limit"), QRect(kPanel.left(), 39, kPanel.width(), 18), 13, this)
        ->setObjectName(QStringLiteral("label_rolls"));

    // The four boxes in one column, centred as a group.
    const char* const names[] = {"image_1", "image_2", "image_5", "image_0"};
    const char* const captions[] = {"1 Roll", "2 Rolls", "5 Rolls", "Unlimited"};
    int widest = 0;
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        auto* box = new TickBox(QString::fromLatin1(captions[i]), this);
        box->setObjectName(QString::fromLatin1(names[i]));
        widest = std::max(widest, box->width());
        const int limit = kLimitBoxes[i];
        connect(box, &QAbstractButton::clicked, this, [this, limit] {
            logic_.startOptions().limitBoxClick(limit);
            logic_.boardNotice().changed();
        });
        box->setToolTip(
            QStringLiteral("Key %1").arg(limit == 0 ? QStringLiteral("0 or U") : QString::number(limit)));
        boxes_[i] = box;
    }
    // The window takes the keys itself: its boxes and button are pictures.
    setFocusPolicy(Qt::StrongFocus);
    for (std::size_t i = 0; i < boxes_.size(); ++i)
        boxes_[i]->move((kWindowSize.width() - widest) / 2, 62 + 23 * static_cast<int>(i));

    start_ = new PictureButton(ArtId::ButtonStartGame, this);
    start_->setObjectName(QStringLiteral("Image1"));
    start_->setAccessibleName(QStringLiteral("START GAME"));
    start_->setToolTip(QStringLiteral("Start the game (Enter)"));
    start_->move((kWindowSize.width() - start_->width()) / 2, 161);
    connect(start_, &QAbstractButton::clicked, this, [this] {
        logic_.startOptions().startGameClick();
        logic_.boardNotice().changed();
    });
    refresh();
    redraw_ = logic_.boardNotice().listen([this] { refresh(); });
}

void Tgamestart::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const int limit = key == Qt::Key_1                         ? 1
                      : key == Qt::Key_2                       ? 2
                      : key == Qt::Key_5                       ? 5
                      : (key == Qt::Key_0 || key == Qt::Key_U) ? 0
                                                               : -1;
    if (limit >= 0) {
        for (std::size_t i = 0; i < boxes_.size(); ++i) {
            if (kLimitBoxes[i] == limit)
                boxes_[i]->click();
        }
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        start_->click();
    } else if (key == Qt::Key_Escape) {
        close();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void Tgamestart::refresh()
{
    const StartGameWindow& window = logic_.board().startWindow;
    for (std::size_t i = 0; i < boxes_.size(); ++i)
        boxes_[i]->setTicked(window.ticked[i]);
}

void Tgamestart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    art::paintBackground(p, rect());
    // The framed panel: cream paper with a gold border and a red hairline.
    const QRectF panel = QRectF(kPanel).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 15, 0, 70));
    p.drawRoundedRect(panel.translated(1, 1.5), 8, 8);
    p.setBrush(QColor(0xFF, 0xF9, 0xE6));
    p.setPen(QPen(QColor(0xC8, 0x96, 0x20), 2.0));
    p.drawRoundedRect(panel, 8, 8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xB0, 0x16, 0x22, 150), 0.9));
    p.drawRoundedRect(panel.adjusted(3.5, 3.5, -3.5, -3.5), 6, 6);
}

void Tgamestart::closeEvent(QCloseEvent* event)
{
    // The frame's close box only hides the window; the choice stays.
    logic_.startOptions().startWindowClosed();
    event->accept();
    logic_.boardNotice().changed();
}

} // namespace zk
