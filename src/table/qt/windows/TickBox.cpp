#include "table/qt/windows/TickBox.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QPainter>

#include "table/qt/art/Art.h"

namespace zk {

namespace {
constexpr int kGap = 5; // between the box and its caption

// A reader hears the boxes as the choice they are: radio buttons, the
// ticked one checked, each pressed as its click.
class TickBoxAccessible : public QAccessibleWidget {
public:
    explicit TickBoxAccessible(TickBox* box) : QAccessibleWidget(box, QAccessible::RadioButton) {}
    TickBox* box() const { return static_cast<TickBox*>(widget()); }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? box()->text() : QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = box()->ticked();
        return s;
    }
    // The widget's own actions (focus) and the box's press.
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override
    {
        if (action == pressAction())
            box()->click();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* tickBoxFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("zk::TickBox") && object && object->isWidgetType())
        return new TickBoxAccessible(static_cast<TickBox*>(object));
    return nullptr;
}

} // namespace

TickBox::TickBox(const QString& caption, QWidget* parent) : QAbstractButton(parent)
{
    static const bool readable = [] {
        QAccessible::installFactory(tickBoxFactory);
        return true;
    }();
    (void)readable;
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
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
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
