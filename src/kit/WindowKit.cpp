#include "kit/WindowKit.h"

#include <QMessageBox>
#include <QPalette>
#include <QStyle>
#include <QWidget>

namespace zk {

void applyBackground(QWidget* window, const QPixmap& picture)
{
    QPalette palette = window->palette();
    if (picture.isNull())
        palette.setBrush(QPalette::Window,
                         window->style() ? window->style()->standardPalette().window() : QBrush());
    else
        palette.setBrush(QPalette::Window, QBrush(picture));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

QMessageBox* showMessage(QWidget* parent, const QString& text, Blocking blocking)
{
    auto* box =
        new QMessageBox(QMessageBox::Information, QStringLiteral("Zonkards"), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("zk_message"));
    if (blocking == Blocking::Window) {
        box->open();
    } else {
        box->setWindowModality(Qt::NonModal);
        box->show();
    }
    return box;
}

} // namespace zk
