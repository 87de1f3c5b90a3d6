// Tabout: the About window: a picture, the maker's web line (a click opens the
// page), the credit lines and the version line "Version 1.0.2 .7", where the
// middle part is the very text the table sends at login. Its contents are
// made when it is first shown.
//
//     zk::Tabout about;
//     about.setPicture(logo);   // given by the app
//     about.show();             // Help, About
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QString>

#include "kit/BuiltOnShow.h"

class QLabel;

namespace zk {

class Tabout : public BuiltOnShow<QDialog> {
    Q_OBJECT
public:
    explicit Tabout(QWidget* parent = nullptr);

    void setBackground(const QPixmap& picture);
    // The picture at the top left; a null picture leaves the place empty.
    void setPicture(const QPixmap& picture);

    // The caption of the version label: the version text sent at login.
    QString versionText() const;
    // The build suffix shown beside it.
    QString buildSuffix() const;
    // The address the web line opens.
    QString webAddress() const;

public slots:
    // Opens the maker's web page (the web line, and the table's logo).
    void openWebPage();
    // "Done": closes the window.
    void button_doneClick();

private:
    void build() override;
    void showPicture();

    QPixmap picture_;
    QLabel* pictureLabel_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* suffix_ = nullptr;
};

} // namespace zk
