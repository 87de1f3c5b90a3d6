#include "table/qt/windows/PictureButton.h"

#include <QPainter>

namespace zk {

PictureButton::PictureButton(ArtId picture, QWidget* parent) : QAbstractButton(parent), picture_(picture)
{
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
    resize(art::size(picture));
}

QSize PictureButton::sizeHint() const
{
    return art::size(picture_);
}

void PictureButton::paintEvent(QPaintEvent*)
{
    Look look = Look::Normal;
    if (!isEnabled())
        look = Look::Disabled;
    else if (isDown())
        look = Look::Pressed;
    else if (underMouse())
        look = Look::Hover;
    QPainter p(this);
    p.drawPixmap(0, 0, art::pixmap(picture_, devicePixelRatioF(), look, size()));
}

void PictureButton::enterEvent(QEnterEvent* event)
{
    QAbstractButton::enterEvent(event);
    update();
}

void PictureButton::leaveEvent(QEvent* event)
{
    QAbstractButton::leaveEvent(event);
    update();
}

} // namespace zk
