#include "discoveryresponder.h"

#include "requestlog.h"

#include <QHostAddress>
#include <QJsonObject>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const QByteArray PingText = QByteArrayLiteral("DECT ULE Discovery Ping");
const QByteArray AckMarker = QByteArrayLiteral("DECT ULE Discovery Ack:");
constexpr int HeaderSize = 55;
constexpr int IpColumn = 49; // the updater reads the station address from this character of the unit text
constexpr int PollMs = 100;

QString macOfStation(const QString &mac, int index)
{
    if (index == 0)
        return mac;
    bool ok = false;
    const int last = mac.right(2).toInt(&ok, 16);
    return mac.left(15) + QStringLiteral("%1").arg(((ok ? last : 0) + index) & 0xff, 2, 16, QLatin1Char('0')).toUpper();
}

QString ipOfStation(const QString &ip, int index)
{
    return QHostAddress(QHostAddress(ip).toIPv4Address() + quint32(index)).toString();
}
} // namespace

DiscoveryResponder::DiscoveryResponder(const Options &options, RequestLog &log)
    : options(options)
    , log(log)
{
}

DiscoveryResponder::~DiscoveryResponder()
{
    stop();
}

QByteArray DiscoveryResponder::acknowledgement(const Options &options, int index)
{
    QByteArray datagram = AckMarker;
    datagram.append(HeaderSize - datagram.size(), '\0');
    QByteArray unit = macOfStation(options.mac, index).toLatin1();
    unit.append(" Velmora base station");
    unit = unit.leftJustified(IpColumn, ' ', true);
    unit.append(ipOfStation(options.unitIp, index).toLatin1());
    unit.append("/VMBS/");
    unit.append(options.version.toUtf8());
    datagram.append(unit);
    datagram.append('\0');
    return datagram;
}

QVector<QByteArray> DiscoveryResponder::answers(const Options &options)
{
    QVector<QByteArray> acks = options.ackHex;
    if (acks.isEmpty()) {
        for (int i = 0; i < options.stations; ++i)
            acks.append(acknowledgement(options, i));
    }
    QVector<QByteArray> out;
    for (int i = 0; i < options.junkFirst; ++i)
        out.append(QByteArrayLiteral("VELMORA STATUS ") + QByteArray::number(i));
    out += acks;
    if (options.ackTwice)
        out += acks;
    return out;
}

bool DiscoveryResponder::start(QString &error)
{
    fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = QStringLiteral("discovery socket: ") + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(Port);
    addr.sin_addr.s_addr = htonl(QHostAddress(options.discoveryBind).toIPv4Address());
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        error = QStringLiteral("cannot bind UDP %1:%2: %3")
                    .arg(options.discoveryBind)
                    .arg(Port)
                    .arg(QString::fromLocal8Bit(std::strerror(errno)));
        ::close(fd);
        fd = -1;
        return false;
    }
    thread = std::thread(&DiscoveryResponder::run, this);
    return true;
}

void DiscoveryResponder::stop()
{
    stopping = true;
    if (thread.joinable())
        thread.join();
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

void DiscoveryResponder::announce(const QString &unitIp, const QString &mac)
{
    std::lock_guard<std::mutex> lock(optionsMutex);
    options.unitIp = unitIp;
    options.mac = mac;
}

void DiscoveryResponder::run()
{
    char buffer[2048];
    while (!stopping) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, PollMs) <= 0)
            continue;
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        const ssize_t n = ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &fromLen);
        if (n < 0)
            continue;
        const QByteArray datagram(buffer, int(n));
        const quint32 senderIp = ntohl(from.sin_addr.s_addr);
        log.write({{QStringLiteral("method"), QStringLiteral("UDP")},
                   {QStringLiteral("from"),
                    QStringLiteral("%1:%2").arg(QHostAddress(senderIp).toString()).arg(ntohs(from.sin_port))},
                   {QStringLiteral("size"), int(n)},
                   {QStringLiteral("payload"), QString::fromLatin1(datagram)}});
        if (datagram == PingText)
            answer(senderIp);
    }
}

void DiscoveryResponder::answer(quint32 senderIp)
{
    // Sleep in small slices so that stop() is never held up for long.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.ackDelayMs);
    while (!stopping && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(Port);
    to.sin_addr.s_addr = htonl(senderIp);
    QVector<QByteArray> datagrams;
    {
        std::lock_guard<std::mutex> lock(optionsMutex);
        datagrams = answers(options);
    }
    for (const QByteArray &datagram : datagrams)
        ::sendto(fd, datagram.constData(), size_t(datagram.size()), 0, reinterpret_cast<const sockaddr *>(&to),
                 sizeof to);
}
