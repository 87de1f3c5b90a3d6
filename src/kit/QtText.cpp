#include "kit/QtText.h"

#include "protocol/Text.h"

namespace zk {

QString toQt(std::string_view cp1252)
{
    const std::string utf8 = fromCp1252(cp1252);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string fromQt(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return toCp1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

} // namespace zk
