#include "discoverydatagram.h"

#include <QStringList>

#include <algorithm>

QByteArray discoveryPing()
{
    return QByteArray(discoveryPingText, int(sizeof(discoveryPingText)) - 1);
}

std::optional<QString> readDiscoveryUnitText(const QByteArray &datagram)
{
    const QByteArray marker(discoveryAckMarker, int(sizeof(discoveryAckMarker)) - 1);
    if (!datagram.contains(marker))
        return std::nullopt;
    if (datagram.size() <= discoveryUnitTextOffset)
        return QString(QLatin1String(""));
    const char *text = datagram.constData() + discoveryUnitTextOffset;
    const auto available = datagram.size() - discoveryUnitTextOffset;
    return QString::fromUtf8(text, int(qstrnlen(text, uint(available))));
}

namespace {
constexpr int unitTextMacLength = 17;
constexpr int unitTextAddressColumn = 49;
} // namespace

QString unitTextMac(const QString &unit)
{
    return unit.left(unitTextMacLength);
}

QString unitTextAddress(const QString &unit)
{
    const QString rest = unit.mid(unitTextAddressColumn);
    return rest.left(rest.indexOf(QLatin1Char('/')));
}

bool isDottedIpv4(const QString &address)
{
    const QStringList parts = address.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    return std::all_of(parts.cbegin(), parts.cend(), [](const QString &part) {
        const bool digits = std::all_of(part.cbegin(), part.cend(),
                                        [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
        return digits && !part.isEmpty() && part.size() <= 3 && (part.size() == 1 || part.at(0) != QLatin1Char('0'))
               && part.toInt() <= 255;
    });
}
