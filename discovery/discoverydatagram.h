#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <optional>

// The bytes of the discovery exchange with a Velmora base station, read without any Qt object so that tests
// and fuzzers can feed datagrams to it directly.

inline constexpr char discoveryPingText[] = "DECT ULE Discovery Ping";
inline constexpr char discoveryAckMarker[] = "DECT ULE Discovery Ack:";
// Bytes before this offset are the station's header; only the marker is looked for in them.
inline constexpr int discoveryUnitTextOffset = 55;

// The 23-byte ping, without a terminating NUL.
QByteArray discoveryPing();

// The unit text a station's acknowledgement carries: the bytes from offset 55 up to the first NUL (or the end),
// decoded as UTF-8. No value when the datagram is not an acknowledgement (the marker occurs nowhere in it);
// an empty text when it is one of 55 bytes or fewer.
std::optional<QString> readDiscoveryUnitText(const QByteArray &datagram);

// The two fields a unit text gives by position: the station's MAC address text (characters 0 to 16) and its
// address (from character 49 up to the first "/" after it, or the whole rest without one).
QString unitTextMac(const QString &unit);
QString unitTextAddress(const QString &unit);

// Four decimal numbers 0-255 separated by dots and nothing else: no host name, port or user information, which
// would send the update elsewhere, and no leading zero, which URL parsing reads as octal ("010" is 8).
bool isDottedIpv4(const QString &address);

// A station that a search's answers list: one at a dotted IPv4 address, with the MAC its answer gave.
struct ListedStation {
    QString address;
    QString mac;
};
QVector<ListedStation> listedStations(const QVector<QString> &units);
