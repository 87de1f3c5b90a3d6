// PictureButton: a button that is one of the art module's pictures, with its
// hover, pressed and disabled looks (the phrase buttons, START GAME).
//
//     auto* b = new PictureButton(ArtId::Phrase1, parent);
//     b->setGeometry(layout::phraseRect(1));
//     connect(b, &QAbstractButton::clicked, ...);
#pragma once

#include <QAbstractButton>

#include "table/qt/art/Art.h"

namespace zk {

class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PictureButton(ArtId picture, QWidget* parent = nullptr);

    ArtId picture() const { return picture_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    ArtId picture_;
};

} // namespace zk
