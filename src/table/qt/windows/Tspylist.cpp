#include "table/qt/windows/Tspylist.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "table/qt/art/Art.h"
#include "table/TableLogic.h"
#include "table/qt/windows/ViewKit.h"

namespace zk {

Tspylist::Tspylist(TableLogic& logic, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      logic_(logic)
{
    setObjectName(QStringLiteral("spylist"));
    setWindowTitle(QStringLiteral("Zonkards - Spys"));
    setModal(false);
    setFixedSize(162, 168);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("listbox_spys"));
    list_->setGeometry(5, 5, 154, 130);
    list_->setFont(art::sansFont(12, false));
    list_->viewport()->setMouseTracking(true);
    list_->viewport()->installEventFilter(this);

    auto* title = new QLabel(QStringLiteral("Spy List"), this);
    title->setObjectName(QStringLiteral("label_title"));
    title->setFont(art::sansFont(13, true));
    QPalette pal = title->palette();
    pal.setColor(QPalette::WindowText, art::boardInk());
    title->setPalette(pal);
    title->setGeometry(7, 140, 70, 24);

    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("button_done"));
    done->setGeometry(95, 140, 62, 24);
    done->setAutoDefault(false);
    connect(done, &QPushButton::clicked, this, &QWidget::hide);

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("popup_kick"));
    remove_ = popup_->addAction(QStringLiteral("Remove From Game"));
    remove_->setObjectName(QStringLiteral("popup_kickhim"));
    connect(remove_, &QAction::triggered, this, [this] {
        logic_.seatMenus().spyRemoveClick();
        logic_.boardNotice().changed();
    });
    refresh();
    redraw_ = logic_.boardNotice().listen([this] { refresh(); });
}

void Tspylist::refresh()
{
    const SpyList& spies = logic_.board().spyList;
    QStringList entries;
    for (const std::string& entry : spies.entries)
        entries << toQt(entry);
    QStringList shown;
    for (int i = 0; i < list_->count(); ++i)
        shown << list_->item(i)->text();
    if (shown != entries) {
        list_->clear();
        list_->addItems(entries);
    }
    remove_->setEnabled(spies.removeEnabled);
}

void Tspylist::pointerAt(QPoint viewportPos)
{
    const QModelIndex index = list_->indexAt(viewportPos);
    const int entry = index.isValid() ? index.row() : -1;
    if (entry != logic_.board().spyList.entryUnderPointer) {
        logic_.seatMenus().spyPointerOver(entry);
        logic_.boardNotice().changed();
    }
}

bool Tspylist::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            pointerAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        } else if (event->type() == QEvent::ContextMenu) {
            // The menu acts on the entry under the pointer, not a selected one.
            auto* menuEvent = static_cast<QContextMenuEvent*>(event);
            pointerAt(menuEvent->pos());
            refresh();
            popup_->popup(menuEvent->globalPos());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tspylist::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    art::paintBackground(p, rect());
}

} // namespace zk
