#include "windows/qt/Thelp.h"

#include "windows/qt/Maker.h"
#include "kit/WindowKit.h"

#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>

namespace zk {

Thelp::Thelp(QWidget* parent) : BuiltOnShow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Thelp"));
    setWindowTitle(QStringLiteral("Zonkards - Help File"));
    setFixedSize(521, 422);
}

void Thelp::build()
{
    auto* side = new QFrame(this);
    side->setObjectName(QStringLiteral("panel_side"));
    side->setFrameShape(QFrame::Panel);
    side->setFrameShadow(QFrame::Raised);
    side->setGeometry(4, 4, 124, 414);

    auto* main = new QFrame(this);
    main->setObjectName(QStringLiteral("panel_main"));
    main->setFrameShape(QFrame::Panel);
    main->setFrameShadow(QFrame::Raised);
    main->setGeometry(132, 4, 385, 414);

    caption_ = new QLabel(main);
    caption_->setObjectName(QStringLiteral("label_caption"));
    caption_->setGeometry(8, 6, 369, 26);
    QFont big = caption_->font();
    big.setBold(true);
    big.setPixelSize(18);
    caption_->setFont(big);

    pages_ = new QStackedWidget(main);
    pages_->setGeometry(8, 36, 369, 370);
    const QList<HelpPage> contents = helpPages();
    for (int i = 0; i < contents.size(); ++i) {
        auto* page = new QTextBrowser(pages_);
        page->setObjectName(QStringLiteral("page_%1").arg(i + 1));
        page->setReadOnly(true);
        page->setOpenExternalLinks(false);
        page->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        page->setHtml(contents[i].html);
        pages_->addWidget(page);

        auto* button = new QPushButton(contents[i].caption, side);
        button->setObjectName(QStringLiteral("button_page%1").arg(i + 1));
        button->setGeometry(8, 8 + 32 * i, 108, 28);
        const int number = i + 1;
        connect(button, &QPushButton::clicked, this, [this, number] { showPage(number); });
        buttons_.append(button);
    }

    auto* about = new QPushButton(QStringLiteral("About"), side);
    about->setObjectName(QStringLiteral("button_about"));
    about->setGeometry(8, 8 + 32 * kPageCount + 12, 108, 28);
    connect(about, &QPushButton::clicked, this, &Thelp::aboutRequested);

    auto* credits = new QLabel(makerCreditLines().join(QLatin1Char('\n')), side);
    credits->setObjectName(QStringLiteral("label_credits"));
    credits->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    credits->setWordWrap(true);
    credits->setGeometry(4, 270, 116, 96);

    auto* done = new QPushButton(QStringLiteral("Done"), side);
    done->setObjectName(QStringLiteral("button_done"));
    done->setGeometry(8, 376, 108, 28);
    connect(done, &QPushButton::clicked, this, &Thelp::button_doneClick);

    showPage(page_);
}

void Thelp::setBackground(const QPixmap& picture)
{
    applyBackground(this, picture);
}

int Thelp::currentPage() const
{
    return page_;
}

QString Thelp::caption() const
{
    ensureBuilt();
    return caption_->text();
}

QString Thelp::pageText(int page) const
{
    ensureBuilt();
    auto* browser = qobject_cast<QTextBrowser*>(pages_->widget(page - 1));
    return browser ? browser->toPlainText() : QString();
}

void Thelp::showPage(int page)
{
    if (page < 1 || page > kPageCount)
        return;
    page_ = page;
    if (!isBuilt())
        return;
    pages_->setCurrentIndex(page - 1);
    caption_->setText(buttons_[page - 1]->text());
}

void Thelp::button_doneClick()
{
    hide();
}

void Thelp::keyPressEvent(QKeyEvent* event)
{
    // Escape closes the window as Done does, wherever the focus is in it: the
    // pages and buttons leave the key to their window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        button_doneClick();
        return;
    }
    BuiltOnShow::keyPressEvent(event);
}

} // namespace zk
