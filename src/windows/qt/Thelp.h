// Thelp: the help window with its six pages (Overview, Connecting, Game Play,
// Scoring, Documentation, License). It owns the page buttons, the caption
// line and the stacked pages, made when the window is first shown; "Done"
// (or Escape) hides it and keeps the page in front.
//
//     zk::Thelp help;
//     QObject::connect(&help, &zk::Thelp::aboutRequested, &about, &zk::Tabout::show);
//     help.show();   // Help, Content (F1)
#pragma once

#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "kit/BuiltOnShow.h"

class QLabel;
class QPushButton;
class QStackedWidget;

namespace zk {

// The six help pages in page order: button caption and HTML body.
struct HelpPage {
    QString caption;
    QString html;
};
QList<HelpPage> helpPages();

class Thelp : public BuiltOnShow<QWidget> {
    Q_OBJECT
public:
    static constexpr int kPageCount = 6;

    explicit Thelp(QWidget* parent = nullptr);

    void setBackground(const QPixmap& picture);

    // The page in front, 1 to 6.
    int currentPage() const;
    QString caption() const;
    // The plain text of page n (1 to 6).
    QString pageText(int page) const;

public slots:
    // Brings page n (1 to 6) to the front and captions it; others are ignored.
    void showPage(int page);
    // "Done": hides the window; the page stays for the next showing.
    void button_doneClick();

signals:
    // The "About" button.
    void aboutRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void build() override;

    int page_ = 1;
    QLabel* caption_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QList<QPushButton*> buttons_;
};

} // namespace zk
