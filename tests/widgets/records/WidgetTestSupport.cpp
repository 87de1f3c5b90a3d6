#include "WidgetTestSupport.h"

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>

namespace zk::test {
namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "test_records_widgets";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void clickTickBox(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.rect = list->visualItemRect(item);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = item->text();
    const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
    settle();
}

void clickEntry(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    ASSERT_NE(item, nullptr);
    const QRect r = list->visualItemRect(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(r.right() - 10, r.center().y()));
    settle();
}

QStringList entryTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QList<bool> entryTicks(const QListWidget* list)
{
    QList<bool> ticks;
    for (int i = 0; i < list->count(); ++i)
        ticks << (list->item(i)->checkState() == Qt::Checked);
    return ticks;
}

QStringList labelTexts(const QWidget* parent)
{
    QList<QLabel*> labels = parent->findChildren<QLabel*>();
    std::stable_sort(labels.begin(), labels.end(), [parent](QLabel* a, QLabel* b) {
        return a->mapTo(parent, QPoint()).y() < b->mapTo(parent, QPoint()).y();
    });
    QStringList texts;
    for (QLabel* l : labels)
        texts << l->text();
    return texts;
}

} // namespace zk::test
