#include "discovery.h"

#include "discoverydatagram.h"

#include <QDebug>
#include <QNetworkAddressEntry>
#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QTimer>
#include <QUdpSocket>

namespace {

void bindDiscoveryPort(QUdpSocket *socket)
{
    // Rebinding a bound socket only prints a Qt warning; the socket keeps listening as it was.
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->bind(QHostAddress::AnyIPv4, Discovery::discoveryPort, QAbstractSocket::ShareAddress);
}

} // namespace

Discovery::Discovery(QObject *parent)
    : QObject(parent)
    , udpSocket(new QUdpSocket(this))
    , timeoutTimer(new QTimer(this))
{
    // The stations are on the home network: a proxy from the desktop's settings cannot reach them.
    udpSocket->setProxy(QNetworkProxy::NoProxy);
    bindDiscoveryPort(udpSocket);
    connect(udpSocket, &QUdpSocket::readyRead, this, &Discovery::processPendingDatagrams);

    timeoutTimer->setSingleShot(true);
    timeoutTimer->setInterval(readTimeoutMs);
    connect(timeoutTimer, &QTimer::timeout, this, &Discovery::readTimeOut);
}

void Discovery::start()
{
    quiet = false;
    search();
}

void Discovery::searchQuietly()
{
    quiet = true;
    search();
}

void Discovery::search()
{
    if (!quiet)
        emit statusUpd(tr("Starting Discovery for Velmora Units"));

    const QByteArray ping = discoveryPing();
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    bindDiscoveryPort(udpSocket);

    for (const QNetworkInterface &netInterface : interfaces) {
        const QList<QNetworkAddressEntry> entries = netInterface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            const QHostAddress broadcast = entry.broadcast();
            if (broadcast.toString().isEmpty())
                continue;
            const QString own = entry.ip().toString();
            qDebug().noquote() << "send dgram" << own << "to" << broadcast.toString();
            const qint64 sent = udpSocket->writeDatagram(ping, broadcast, discoveryPort);
            qDebug().noquote() << "send dgram done" << own << sent;
        }
    }

    timeoutTimer->start();
}

void Discovery::processPendingDatagrams()
{
    units.clear();

    while (udpSocket->hasPendingDatagrams()) {
        QByteArray datagram(int(qMax<qint64>(udpSocket->pendingDatagramSize(), 0)), Qt::Uninitialized);
        // A read error leaves the datagram queued; looping on it would freeze the window.
        if (udpSocket->readDatagram(datagram.data(), datagram.size()) < 0)
            break;
        const std::optional<QString> unit = readDiscoveryUnitText(datagram);
        if (!unit)
            continue;
        qDebug() << datagram;
        if (!units.contains(*unit))
            units.append(*unit);
    }

    if (units.isEmpty())
        return;

    emit discoverReady(units);
    if (!quiet)
        emit statusUpd(tr("Discovery Complete"));
    timeoutTimer->stop();
    udpSocket->close();
}

void Discovery::readTimeOut()
{
    if (!quiet)
        emit statusUpd(tr("No base stations found"));
    udpSocket->close();
    emit nothingFound();
}
