#include "table/qt/TickBox.h"

#include <QFontMetrics>
#include <QPainter>

#include "table/qt/Art.h"

namespace zk {

namespace {
constexpr int kGap = 5; // between the box and its caption
}

TickBox::TickBox(const QString& caption, QWidget* parent) : QAbstractButton(parent)
{
    setText(caption);
    setFont(art::sansFont(13, true));
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    resize(sizeHint());
}

void TickBox::setTicked(bool ticked)
{
    if (ticked_ != ticked) {
        ticked_ = ticked;
        update();
    }
}

QSize TickBox::sizeHint() const
{
    const QSize box = art::size(ArtId::BoxEmpty);
    return {box.width() + kGap + QFontMetrics(font()).horizontalAdvance(text()) + 2, box.height()};
}

void TickBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QSize box = art::size(ArtId::BoxEmpty);
    p.drawPixmap(0, 0, art::pixmap(art::tickBox(ticked_), devicePixelRatioF()));
    p.setFont(font());
    p.setPen(art::boardInk());
    p.drawText(QRect(box.width() + kGap, 0, width() - box.width() - kGap, height()),
               Qt::AlignLeft | Qt::AlignVCenter, text());
}

} // namespace zk
