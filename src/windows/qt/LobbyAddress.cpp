#include "windows/qt/LobbyAddress.h"

namespace zk {

QUrl lobbyDownloadUrl(const QString& configured)
{
    const QString text = configured.trimmed();
    return QUrl(text.isEmpty() ? QString::fromLatin1(kDefaultLobbyUrl) : text, QUrl::StrictMode);
}

bool isDownloadAddress(const QUrl& url)
{
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

QString installerFileName(const QUrl& url)
{
    const QString path = url.path(QUrl::FullyDecoded);
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char(':')) || name.contains(QChar(0)))
        return QString::fromLatin1(kDefaultInstallerName);
    return name;
}

QByteArray hostHeaderValue(const QUrl& url)
{
    QByteArray host = url.host(QUrl::EncodeUnicode).toUtf8();
    if (host.contains(':'))
        host = '[' + host + ']';
    const int defaultPort = url.scheme().toLower() == QLatin1String("https") ? 443 : 80;
    const int port = url.port(defaultPort);
    if (port != defaultPort)
        host += ':' + QByteArray::number(port);
    return host;
}

QList<QByteArray> lobbyRequestHeaders(const QUrl& url)
{
    return {QByteArray(kAcceptHeader), QByteArray(kUserAgentHeader),
            QByteArrayLiteral("Host: ") + hostHeaderValue(url)};
}

void judgeRedirectionAddress(HopReport& report)
{
    const QUrl next(QString::fromStdString(report.redirection));
    report.redirectionUsable = isDownloadAddress(next);
    report.redirectionSecure = next.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

} // namespace zk
