#include "windows/qt/Tabout.h"

#include "protocol/Commands.h"
#include "kit/QtText.h"
#include "windows/qt/Maker.h"
#include "kit/WindowKit.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

namespace zk {

Tabout::Tabout(QWidget* parent)
    : BuiltOnShow(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Tabout"));
    setWindowTitle(QStringLiteral("Zonkards - About"));
    setFixedSize(304, 174);
}

void Tabout::build()
{
    pictureLabel_ = new QLabel(this);
    pictureLabel_->setObjectName(QStringLiteral("image_about"));
    pictureLabel_->setGeometry(8, 8, 96, 96);
    pictureLabel_->setAlignment(Qt::AlignCenter);

    auto* web = new QLabel(this);
    web->setObjectName(QStringLiteral("label_web"));
    web->setGeometry(112, 8, 184, 20);
    web->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(webAddress()));
    web->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    web->setCursor(Qt::PointingHandCursor);
    connect(web, &QLabel::linkActivated, this, [this] { openWebPage(); });

    auto* credits = new QLabel(makerCreditLines().join(QLatin1Char('\n')), this);
    credits->setObjectName(QStringLiteral("label_credits"));
    credits->setGeometry(112, 34, 184, 72);
    credits->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // "Version", the version text and the build suffix read as one line.
    QFont bold = font();
    bold.setBold(true);
    auto* caption = new QLabel(QStringLiteral("Version"), this);
    caption->setObjectName(QStringLiteral("label_versioncaption"));
    caption->setFont(bold);
    caption->setGeometry(8, 120, caption->sizeHint().width(), 20);
    version_ = new QLabel(toQt(kVersionText), this);
    version_->setObjectName(QStringLiteral("label_version"));
    version_->setFont(bold);
    version_->setGeometry(caption->geometry().right() + 6, 120, version_->sizeHint().width(), 20);
    suffix_ = new QLabel(toQt(kBuildSuffix), this);
    suffix_->setObjectName(QStringLiteral("label_build"));
    suffix_->setFont(bold);
    suffix_->setGeometry(version_->geometry().right() + 1, 120, suffix_->sizeHint().width(), 20);

    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("button_done"));
    done->setGeometry(216, 138, 80, 28);
    connect(done, &QPushButton::clicked, this, &Tabout::button_doneClick);
    showPicture();
}

void Tabout::setBackground(const QPixmap& picture)
{
    applyBackground(this, picture);
}

void Tabout::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    if (isBuilt())
        showPicture();
}

void Tabout::showPicture()
{
    pictureLabel_->setPixmap(picture_.isNull() ? QPixmap()
                                               : picture_.scaled(pictureLabel_->size(), Qt::KeepAspectRatio,
                                                                 Qt::SmoothTransformation));
}

QString Tabout::versionText() const
{
    ensureBuilt();
    return version_->text();
}

QString Tabout::buildSuffix() const
{
    ensureBuilt();
    return suffix_->text();
}

QString Tabout::webAddress() const
{
    return QString::fromLatin1(kMakerWebAddress);
}

void Tabout::openWebPage()
{
    openMakerWebPage();
}

void Tabout::button_doneClick()
{
    close();
}

} // namespace zk
