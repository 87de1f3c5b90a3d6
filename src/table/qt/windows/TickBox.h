// TickBox: one of the start window's limit boxes: the 28 x 22 box picture
// (empty or ticked) followed by its bold caption; a click anywhere on it
// emits clicked(). The ticked state is shown, not kept: the Board keeps it.
#pragma once

#include <QAbstractButton>

namespace zk {

class TickBox : public QAbstractButton {
    Q_OBJECT
public:
    TickBox(const QString& caption, QWidget* parent = nullptr);

    void setTicked(bool ticked);
    bool ticked() const { return ticked_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool ticked_ = false;
};

} // namespace zk
