#include "windows/qt/Relaunch.h"

#include "coordinator/InviteCode.h"
#include "protocol/Port.h"
#include "protocol/Text.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace zk {
namespace {

bool isHostName(const QString& text)
{
    // Letters, digits and hyphens in dot-separated labels, as DNS names are.
    static const QRegularExpression name(
        QStringLiteral("^(?=.{1,253}$)[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?"
                       "(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*\\.?$"));
    return name.match(text).hasMatch();
}

// A character as the player can recognise it in a message.
QString describe(char32_t c)
{
    if (QChar::isPrint(c) && !QChar::isSpace(c))
        return QStringLiteral("\"%1\"").arg(QString::fromUcs4(&c, 1));
    return QStringLiteral("the character U+%1")
        .arg(QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

} // namespace

bool fitsWireCodePage(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const std::string_view original(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    // Characters the code page lacks come back as "?", and the terminator's
    // character comes back as "y", so a changed text marks both.
    return fromCp1252(toCp1252(original)) == original;
}

QString hostJoinProblem(const HostJoinChoice& choice)
{
    const QString name = choice.name.trimmed();
    if (name.isEmpty())
        return QStringLiteral("Please enter your name.");
    const QList<uint> characters = name.toUcs4();
    if (characters.size() > kMaxPlayerNameLength)
        return QStringLiteral("Your name can be at most %1 characters long.").arg(kMaxPlayerNameLength);
    for (uint code : characters) {
        const char32_t c = code;
        const bool separator = c == U'+' || c == U'|';
        if (separator || QChar::category(c) == QChar::Other_Control ||
            !fitsWireCodePage(QString::fromUcs4(&c, 1)))
            return QStringLiteral("Your name cannot contain %1. Please use other letters.").arg(describe(c));
    }

    const QString address = choice.address.trimmed();
    if (choice.host && address.isEmpty())
        return {};
    if (address.isEmpty())
        return QStringLiteral("Please enter the address of the host you want to join.");
    // "+" and a code: a game found through the coordinator.
    if (address.startsWith(QLatin1Char('+'))) {
        if (!coord::readInviteCode(address.toStdString()))
            return QStringLiteral("\"%1\" is not an invite code: a code is + and 7 letters or digits, "
                                  "such as +K7QM2Xr.")
                .arg(address);
        return {};
    }
    const auto target = splitHostPort(address.toStdString());
    if (!target) {
        // "name:..." or "[...]:..." with something other than a port after the colon.
        const qsizetype colon = address.lastIndexOf(QLatin1Char(':'));
        const QString before = address.left(colon);
        const bool plain = !before.isEmpty() && !before.contains(QLatin1Char(':')) &&
                           !before.contains(QLatin1Char('[')) && !before.contains(QLatin1Char(']'));
        const bool bracketed = before.startsWith(QLatin1Char('[')) && before.endsWith(QLatin1Char(']'));
        if (colon > 0 && (plain || bracketed))
            return QStringLiteral("The port in \"%1\" must be a number from 1 to 65535.").arg(address);
    }
    const QString host = target ? QString::fromStdString(target->host) : address;
    QHostAddress ip;
    if (!target || (!ip.setAddress(host) && !isHostName(host)))
        return QStringLiteral("\"%1\" is not a host address. Enter an IP address such as 192.168.1.20 "
                              "or a host name such as zonkards.example.org.")
            .arg(address);
    return {};
}

QStringList relaunchArguments(const HostJoinChoice& choice)
{
    QString address = choice.address.trimmed();
    if (choice.host && address.isEmpty())
        // The new copy connects to itself.
        address =
            QString::fromLatin1(kLocalHostAddress.data(), static_cast<qsizetype>(kLocalHostAddress.size()));
    return {choice.name.trimmed(), address, choice.host ? QStringLiteral("true") : QStringLiteral("false")};
}

QStringList relaunchCommandLine(const QString& program, const HostJoinChoice& choice)
{
    return QStringList{program} + relaunchArguments(choice);
}

} // namespace zk
