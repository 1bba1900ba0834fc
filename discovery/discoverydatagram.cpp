#include "discoverydatagram.h"

#include <QHostAddress>

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

QVector<ListedStation> listedStations(const QVector<QString> &units)
{
    QVector<ListedStation> stations;
    for (const QString &unit : units) {
        const QString address = unitTextAddress(unit);
        if (isDottedIpv4(address))
            stations.append({address, unitTextMac(unit)});
    }
    return stations;
}

bool isDottedIpv4(const QString &address)
{
    // Qt also reads short and padded forms ("10.1", " 10.0.0.1"): only the form it prints itself is taken.
    const QHostAddress parsed(address);
    return parsed.protocol() == QAbstractSocket::IPv4Protocol && parsed.toString() == address;
}
