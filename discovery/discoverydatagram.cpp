#include "discoverydatagram.h"

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
