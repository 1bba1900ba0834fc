// Discovery against simulated stations on a second host. Runs only inside the private network of tests/netns-run:
// Discovery broadcasts on every interface it finds.
#include "discovery.h"
#include "privatenetwork.h"
#include "stationsim.h"

#include <QElapsedTimer>
#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>

#include <algorithm>
#include <functional>

namespace {

const QString startText = QStringLiteral("Starting Discovery for Velmora Units");
const QString completeText = QStringLiteral("Discovery Complete");
const QString timeoutText = QStringLiteral("No base stations found");
const QString stationMac = QStringLiteral("02:00:5E:10:00:01");

QString stationIp()
{
    return qEnvironmentVariable("VMFWUPD_STATION_IP");
}

// The station's datagrams and port, as a station sends and uses them.
constexpr quint16 discoveryPort = 23456;
constexpr char pingText[] = "DECT ULE Discovery Ping";

QByteArray ack(const QByteArray &unitBytes, int markerAt = 0)
{
    const QByteArray marker = QByteArrayLiteral("DECT ULE Discovery Ack:");
    QByteArray header(55, '-');
    header.replace(markerAt, marker.size(), marker);
    return header + unitBytes;
}

QByteArray unit(char tag)
{
    return QByteArrayLiteral("02:00:5E:10:00:0") + tag + QByteArray(32, ' ') + "198.18.0.2/VMBS/" + tag;
}

QStringList hexArgs(const QVector<QByteArray> &datagrams)
{
    QStringList args;
    for (const QByteArray &datagram : datagrams)
        args << QStringLiteral("--ack-hex") << QString::fromLatin1(datagram.toHex());
    return args;
}

// Everything Discovery emits, in emission order.
struct Recorder {
    explicit Recorder(Discovery &discovery)
    {
        QObject::connect(&discovery, &Discovery::discoverReady, &discovery, [this](const QVector<QString> &units) {
            lists.append(units);
            events << QStringLiteral("discoverReady");
        });
        QObject::connect(&discovery, &Discovery::statusUpd, &discovery, [this](const QString &txt) {
            statuses << txt;
            events << txt;
        });
        QObject::connect(&discovery, &Discovery::nothingFound, &discovery,
                         [this] { events << QStringLiteral("nothingFound"); });
    }
    QVector<QVector<QString>> lists;
    QStringList statuses;
    QStringList events;
};

// Keeps the event loop from running (so Discovery reads nothing) until done() holds.
bool holdEventLoopUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.hasExpired(timeoutMs))
            return false;
        QThread::msleep(5);
    }
    return true;
}

int udpEntries(const StationSim &sim, const QString &payload)
{
    int count = 0;
    const QVector<QJsonObject> entries = sim.log();
    for (const QJsonObject &entry : entries)
        count += entry.value(QLatin1String("method")) == QLatin1String("UDP")
                 && entry.value(QLatin1String("payload")).toString() == payload;
    return count;
}

// The station reads its datagrams one after another and answers a ping before it reads the next: once it has
// logged a datagram sent after the ping, all its answers are queued at the updater. Holding the event loop
// until then makes them one batch.
bool holdUntilAnswered(const StationSim &sim)
{
    static int serial = 0;
    const QString tag = QStringLiteral("sync %1").arg(++serial);
    QUdpSocket sender;
    if (sender.writeDatagram(tag.toLatin1(), QHostAddress(stationIp()), discoveryPort) < 0)
        return false;
    return holdEventLoopUntil([&] { return udpEntries(sim, tag) == 1; }, 5000);
}

QUdpSocket *socketOf(Discovery &discovery)
{
    return discovery.findChild<QUdpSocket *>();
}

QTimer *timerOf(Discovery &discovery)
{
    return discovery.findChild<QTimer *>();
}

} // namespace

class tst_Discovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void batch_data();
    void batch();
    void markerlessBatchKeepsRunning();
    void noAnswerTimesOut();
    void answerAfterTimeOutIsLost();
    void answerAfterCompleteIsLost();
    void secondRunRebinds();
    void pingOnTheLink();
    void answerBeforeFirstRun();
};

void tst_Discovery::initTestCase()
{
    const QString problem = privateNetworkProblem();
    if (!problem.isEmpty() || stationIp().isEmpty())
        QFAIL(qPrintable(QStringLiteral("REFUSING TO BROADCAST: ") + problem));

    const QString ownLink = qEnvironmentVariable("VMFWUPD_UPDATER_IF");

    const QList<QNetworkAddressEntry> entries = QNetworkInterface::interfaceFromName(ownLink).addressEntries();
    const bool ownAddress = std::any_of(entries.cbegin(), entries.cend(), [](const QNetworkAddressEntry &e) {
        return e.ip().toString() == qEnvironmentVariable("VMFWUPD_UPDATER_IP")
               && e.broadcast().toString() == qEnvironmentVariable("VMFWUPD_BROADCAST");
    });
    QVERIFY2(ownAddress, "the updater's link lacks its address or broadcast address");
}

void tst_Discovery::batch_data()
{
    QTest::addColumn<QStringList>("simArgs");
    // Exact unit texts, or empty when the station generates them; then macs/ips give their fields in order.
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("stationCount");

    const QStringList generated{QStringLiteral("--mac"), stationMac};
    const QByteArray a = unit('a');
    const QByteArray b = unit('b');
    const auto texts = [](std::initializer_list<QByteArray> units) {
        QStringList out;
        for (const QByteArray &u : units)
            out << QString::fromUtf8(u);
        return out;
    };

    QTest::newRow("one station") << generated << QStringList() << 1;
    QTest::newRow("two stations") << generated + QStringList{QStringLiteral("--stations"), QStringLiteral("2")}
                                  << QStringList() << 2;
    QTest::newRow("one station answering twice") << generated + QStringList{QStringLiteral("--ack-twice")}
                                                 << QStringList() << 1;
    QTest::newRow("two stations answering twice")
        << generated + QStringList{QStringLiteral("--stations"), QStringLiteral("2"), QStringLiteral("--ack-twice")}
        << QStringList() << 2;
    QTest::newRow("junk before the answer")
        << generated + QStringList{QStringLiteral("--junk-first"), QStringLiteral("3")} << QStringList() << 1;

    QTest::newRow("arrival order a b") << hexArgs({ack(a), ack(b)}) << texts({a, b}) << 2;
    QTest::newRow("arrival order b a") << hexArgs({ack(b), ack(a)}) << texts({b, a}) << 2;
    QTest::newRow("same answer twice") << hexArgs({ack(a), ack(b), ack(a)}) << texts({a, b}) << 2;
    QTest::newRow("answers differing in the last character")
        << hexArgs({ack(a), ack(a.left(a.size() - 1) + 'z')}) << texts({a, a.left(a.size() - 1) + 'z'}) << 2;
    QTest::newRow("answers differing in the header only")
        << hexArgs({ack(a), ack(a, 20)}) << texts({a}) << 1;
    QTest::newRow("marker at offset 10") << hexArgs({ack(a, 10)}) << texts({a}) << 1;
    QTest::newRow("exactly 55 bytes") << hexArgs({ack({})}) << QStringList{QString()} << 1;
    QTest::newRow("55 bytes twice") << hexArgs({ack({}), ack({})}) << QStringList{QString()} << 1;
    QTest::newRow("unit text, NUL, junk") << hexArgs({ack(a + QByteArray("\0\x01junk/1.2.3.4", 14))})
                                         << texts({a}) << 1;
    QTest::newRow("marker-less datagram first") << hexArgs({"VELMORA STATUS", pingText, ack(b)})
                                                << texts({b}) << 1;
}

void tst_Discovery::batch()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, expected);
    QFETCH(int, stationCount);

    StationSim sim = StationSim::onStationHost(QStringList{QStringLiteral("--discovery")} + simArgs);
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    // Whatever proxy the desktop sets for everything, here one that leads nowhere, the stations are asked directly.
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::Socks5Proxy, QStringLiteral("127.0.0.1"), 9));
    Discovery discovery(nullptr);
    Recorder recorder(discovery);

    discovery.start();
    QNetworkProxy::setApplicationProxy(QNetworkProxy());
    QVERIFY2(holdUntilAnswered(sim), "the station did not answer within 5 s");
    QTRY_COMPARE_WITH_TIMEOUT(recorder.lists.size(), 1, 3000);

    const QVector<QString> units = recorder.lists.first();
    QCOMPARE(units.size(), stationCount);
    if (!expected.isEmpty()) {
        QCOMPARE(QStringList(units.toList()), expected);
    } else {
        QCOMPARE(units.first().left(17), stationMac);
        QCOMPARE(units.first().mid(49).section(QLatin1Char('/'), 0, 0), stationIp());
        QSet<QString> macs;
        for (const QString &u : units)
            macs.insert(u.left(17));
        QVERIFY2(macs.size() == stationCount, "stations listed with the same MAC");
    }
    QCOMPARE(recorder.events, (QStringList{startText, QStringLiteral("discoverReady"), completeText}));
    QCOMPARE(socketOf(discovery)->state(), QAbstractSocket::UnconnectedState);
    QVERIFY2(!timerOf(discovery)->isActive(), "time-out still running after a complete run");
}

void tst_Discovery::markerlessBatchKeepsRunning()
{
    StationSim sim = StationSim::onStationHost(
        QStringList{QStringLiteral("--discovery")} + hexArgs({"VELMORA STATUS", QByteArray(80, 'x'), pingText}));
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    Discovery discovery(nullptr);
    Recorder recorder(discovery);

    discovery.start();
    QVERIFY2(holdUntilAnswered(sim), "the station did not answer within 5 s");
    QUdpSocket *socket = socketOf(discovery);
    QTRY_VERIFY2_WITH_TIMEOUT(!socket->hasPendingDatagrams(), "the batch was never read", 3000);

    QVERIFY(recorder.lists.isEmpty());
    QCOMPARE(recorder.statuses, QStringList{startText});
    QVERIFY2(timerOf(discovery)->isActive(), "a batch without acknowledgements stopped the time-out");
    QCOMPARE(socket->state(), QAbstractSocket::BoundState);

    // A second start during the run pings again and gives the run its whole 5 s anew.
    QTRY_VERIFY_WITH_TIMEOUT(timerOf(discovery)->remainingTime() < 4000, 3000);
    discovery.start();
    QVERIFY2(timerOf(discovery)->remainingTime() > 4000, "a second start did not restart the time-out");
    QTRY_COMPARE_WITH_TIMEOUT(udpEntries(sim, QString::fromLatin1(pingText)), 2, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(recorder.statuses.size(), 3, 7000);
    QCOMPARE(recorder.statuses, (QStringList{startText, startText, timeoutText}));
    QVERIFY(recorder.lists.isEmpty());
}

void tst_Discovery::noAnswerTimesOut()
{
    Discovery discovery(nullptr);
    Recorder recorder(discovery);
    QCOMPARE(timerOf(discovery)->interval(), 5000);
    QVERIFY(timerOf(discovery)->isSingleShot());
    QUdpSocket other; // another program may listen on the port beside the updater
    QVERIFY2(other.bind(QHostAddress::AnyIPv4, discoveryPort, QAbstractSocket::ShareAddress), "port not shared");

    QElapsedTimer clock;
    clock.start();
    discovery.start();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.statuses.size(), 2, 7000);
    // A coarse Qt timer may fire up to 5 % early.
    QVERIFY2(clock.elapsed() >= 5000 * 9 / 10, "gave up long before the 5 s time-out");
    QCOMPARE(recorder.events, (QStringList{startText, timeoutText, QStringLiteral("nothingFound")}));
    QVERIFY(recorder.lists.isEmpty());
    QCOMPARE(socketOf(discovery)->state(), QAbstractSocket::UnconnectedState);

    // The updater's own search ends alike, but without a word in the status bar.
    discovery.searchQuietly();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.events.size(), 4, 7000);
    QCOMPARE(recorder.events.constLast(), QStringLiteral("nothingFound"));
}

void tst_Discovery::answerAfterTimeOutIsLost()
{
    StationSim sim = StationSim::onStationHost(
        QStringList{QStringLiteral("--discovery"), QStringLiteral("--ack-delay-ms"), QStringLiteral("6000")}
        + hexArgs({ack(unit('a'))}));
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    Discovery discovery(nullptr);
    Recorder recorder(discovery);

    discovery.start();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.statuses.size(), 2, 7000);
    QCOMPARE(recorder.statuses.last(), timeoutText);
    QCOMPARE(socketOf(discovery)->state(), QAbstractSocket::UnconnectedState);

    // Only this probe listens now, so it sees the late answer arrive.
    QUdpSocket probe;
    QVERIFY(probe.bind(QHostAddress::AnyIPv4, discoveryPort, QAbstractSocket::ShareAddress));
    QTRY_VERIFY2_WITH_TIMEOUT(probe.hasPendingDatagrams(), "the late answer never came", 5000);
    QCoreApplication::processEvents();
    QVERIFY(recorder.lists.isEmpty());
    QCOMPARE(recorder.statuses.size(), 2);
}

void tst_Discovery::answerAfterCompleteIsLost()
{
    StationSim prompt = StationSim::onStationHost(QStringList{QStringLiteral("--discovery")} + hexArgs({ack(unit('a'))}));
    StationSim late = StationSim::onStationHost(
        QStringList{QStringLiteral("--discovery"), QStringLiteral("--ack-delay-ms"), QStringLiteral("1500")}
        + hexArgs({ack(unit('b'))}));
    QVERIFY2(prompt.start(), qPrintable(prompt.errorString()));
    QVERIFY2(late.start(), qPrintable(late.errorString()));
    Discovery discovery(nullptr);
    Recorder recorder(discovery);

    discovery.start();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.lists.size(), 1, 3000);
    QCOMPARE(recorder.lists.first(), QVector<QString>{QString::fromUtf8(unit('a'))});
    QCOMPARE(socketOf(discovery)->state(), QAbstractSocket::UnconnectedState);

    QUdpSocket probe;
    QVERIFY(probe.bind(QHostAddress::AnyIPv4, discoveryPort, QAbstractSocket::ShareAddress));
    QTRY_VERIFY2_WITH_TIMEOUT(probe.hasPendingDatagrams(), "the late answer never came", 5000);
    QCoreApplication::processEvents();
    QCOMPARE(recorder.lists.size(), 1);
    QCOMPARE(recorder.statuses, (QStringList{startText, completeText}));
}

void tst_Discovery::secondRunRebinds()
{
    StationSim sim = StationSim::onStationHost({QStringLiteral("--discovery"), QStringLiteral("--mac"), stationMac});
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    Discovery discovery(nullptr);
    Recorder recorder(discovery);

    discovery.start();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.lists.size(), 1, 3000);
    QCOMPARE(socketOf(discovery)->state(), QAbstractSocket::UnconnectedState);

    discovery.start();
    QCOMPARE(socketOf(discovery)->state(), QAbstractSocket::BoundState);
    QCOMPARE(socketOf(discovery)->localPort(), discoveryPort);
    QTRY_COMPARE_WITH_TIMEOUT(recorder.lists.size(), 2, 3000);
    QCOMPARE(recorder.lists.at(1), recorder.lists.at(0));
    QCOMPARE(recorder.lists.at(1).first().left(17), stationMac);
    QCOMPARE(recorder.statuses, (QStringList{startText, completeText, startText, completeText}));
    QCOMPARE(udpEntries(sim, QString::fromLatin1(pingText)), 2);
}

void tst_Discovery::pingOnTheLink()
{
    // A station bound to the subnet's broadcast address hears only datagrams sent to that address.
    StationSim listener = StationSim::onStationHost(
        {QStringLiteral("--discovery"), QStringLiteral("--discovery-bind"), qEnvironmentVariable("VMFWUPD_BROADCAST")});
    StationSim station = StationSim::onStationHost({QStringLiteral("--discovery")});
    QVERIFY2(listener.start(), qPrintable(listener.errorString()));
    QVERIFY2(station.start(), qPrintable(station.errorString()));
    Discovery discovery(nullptr);
    Recorder recorder(discovery);
    // Interface flags are not looked at: loopback's broadcast address gets a ping too.
    QUdpSocket loopback;
    QVERIFY2(loopback.bind(QHostAddress(QStringLiteral("127.255.255.255")), discoveryPort,
                           QAbstractSocket::ShareAddress), "cannot listen on loopback's broadcast address");
    const QString own = QRegularExpression::escape(qEnvironmentVariable("VMFWUPD_UPDATER_IP"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^send dgram " + own + "\\b"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^send dgram done " + own + "\\b"));

    discovery.start();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.lists.size(), 1, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(listener.log().size(), 1, 3000);
    QTRY_VERIFY2_WITH_TIMEOUT(loopback.hasPendingDatagrams(), "no ping on loopback", 3000);

    const QJsonObject ping = listener.log().constFirst();
    QCOMPARE(ping.value(QLatin1String("method")).toString(), QStringLiteral("UDP"));
    QCOMPARE(ping.value(QLatin1String("from")).toString(),
             qEnvironmentVariable("VMFWUPD_UPDATER_IP") + QStringLiteral(":23456"));
    QCOMPARE(ping.value(QLatin1String("size")).toInt(), 23);
    QCOMPARE(ping.value(QLatin1String("payload")).toString(), QStringLiteral("DECT ULE Discovery Ping"));
    QTRY_COMPARE_WITH_TIMEOUT(station.log().size(), 1, 3000);
}

void tst_Discovery::answerBeforeFirstRun()
{
    // The socket listens from construction: answers read before any run end it the same way.
    Discovery discovery(nullptr);
    Recorder recorder(discovery);
    QUdpSocket station;
    for (const QByteArray &datagram : {ack(unit('a')), QByteArray("noise"), ack(unit('b')), ack(unit('a'))})
        QVERIFY(station.writeDatagram(datagram, QHostAddress::LocalHost, discoveryPort) == datagram.size());

    QTRY_COMPARE_WITH_TIMEOUT(recorder.lists.size(), 1, 3000);
    QCOMPARE(recorder.lists.first(), (QVector<QString>{QString::fromUtf8(unit('a')), QString::fromUtf8(unit('b'))}));
    QCOMPARE(recorder.statuses, QStringList{completeText});
    QCOMPARE(socketOf(discovery)->state(), QAbstractSocket::UnconnectedState);

    // The next run lists only what its own batches bring.
    discovery.start();
    QVERIFY(station.writeDatagram(ack(unit('c')), QHostAddress::LocalHost, discoveryPort) > 0);
    QTRY_COMPARE_WITH_TIMEOUT(recorder.lists.size(), 2, 3000);
    QCOMPARE(recorder.lists.at(1), QVector<QString>{QString::fromUtf8(unit('c'))});
}

QTEST_GUILESS_MAIN(tst_Discovery)
#include "tst_discovery.moc"
