#include "windows/qt/Maker.h"

#include <QDesktopServices>
#include <QUrl>

namespace zk {

QStringList makerCreditLines()
{
    return {QStringLiteral("Zonkards"), QStringLiteral("Game design and code"),
            QStringLiteral("by the Zonkards team"), QStringLiteral("\u00A9 2024")};
}

bool openMakerWebPage()
{
    return QDesktopServices::openUrl(QUrl(QString::fromLatin1(kMakerWebAddress)));
}

} // namespace zk
