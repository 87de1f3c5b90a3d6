// A QApplication for the records window tests, and clicks on list tick boxes.
#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

class QListWidget;
class QWidget;

namespace zk::test {

// Clicks the tick box of a list entry as the player would, then lets the
// window act on it.
void clickTickBox(QListWidget* list, int row);
// Clicks the text of a list entry (selects it).
void clickEntry(QListWidget* list, int row);
// Lets queued work run.
void settle();

QStringList entryTexts(const QListWidget* list);
QList<bool> entryTicks(const QListWidget* list);
// The texts of the labels inside a widget, top to bottom.
QStringList labelTexts(const QWidget* parent);

} // namespace zk::test
