#include "kit/WindowKit.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPalette>
#include <QProxyStyle>
#include <QStyle>
#include <QWidget>

namespace zk {

namespace {

QAccessibleInterface* windowFactory(const QString& className, QObject* object)
{
    // Asked for each class of the object from the most derived one; only that
    // one is ours to answer.
    if (!object || !object->isWidgetType() || className != QLatin1String(object->metaObject()->className()) ||
        !className.startsWith(QLatin1String("zk::")))
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (!widget->isWindow() || qobject_cast<QDialog*>(widget) || qobject_cast<QMainWindow*>(widget))
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

class AltStaysStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == QStyle::SH_MenuBar_AltKeyNavigation)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

void presentWindowsToReaders()
{
    static const bool installed = [] {
        QAccessible::installFactory(windowFactory);
        return true;
    }();
    (void)installed;
}

void keepAltForShortcuts()
{
    // The proxy takes the style the platform chose and changes only the hint.
    QApplication::setStyle(new AltStaysStyle(QApplication::style()->name()));
}

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
