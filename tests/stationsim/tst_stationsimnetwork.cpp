#include "privatenetwork.h"
#include "stationsim.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

namespace {
constexpr int ReplyTimeoutMs = 5000;
}

// Discovery and the station on its own host, inside the private two-host network that tests/netns-run builds.
class tst_StationSimNetwork : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void discovery_data();
    void discovery();
    void answersOnItsOwnHost_data();
    void answersOnItsOwnHost();

private:
    QString stationIp;
};

void tst_StationSimNetwork::initTestCase()
{
    // Broadcasts must never reach a real network: refuse to run outside the private one.
    const QString problem = privateNetworkProblem();
    if (!problem.isEmpty())
        QFAIL(qPrintable(QStringLiteral("REFUSING TO BROADCAST: ") + problem));
    stationIp = qEnvironmentVariable("VMFWUPD_STATION_IP");
    QVERIFY2(!stationIp.isEmpty(), "VMFWUPD_STATION_IP is not set: run this test through tests/netns-run");
}

void tst_StationSimNetwork::discovery_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("units"); // "MAC IP" of each acknowledgement, or the raw datagram
    QTest::addColumn<int>("junk");

    const QString first = QStringLiteral("0A:1B:2C:3D:4E:5F 10.9.8.7");
    const QString second = QStringLiteral("0A:1B:2C:3D:4E:60 10.9.8.8");
    QTest::newRow("one station") << QStringList() << QStringList{first} << 0;
    QTest::newRow("two stations twice, junk first")
        << QStringList{QStringLiteral("--stations"), QStringLiteral("2"), QStringLiteral("--ack-twice"),
                       QStringLiteral("--junk-first"), QStringLiteral("1")}
        << QStringList{first, second, first, second} << 1;
    QTest::newRow("raw datagram") << QStringList{QStringLiteral("--ack-hex"), QStringLiteral("41422f43")}
                                  << QStringList{QStringLiteral("AB/C")} << 0;
}

void tst_StationSimNetwork::discovery()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, units);
    QFETCH(int, junk);
    const bool raw = args.contains(QStringLiteral("--ack-hex"));

    // Station on 127.0.0.2, updater on 127.0.0.1: both on loopback, each with its own port-23456 socket.
    QUdpSocket updater;
    QVERIFY2(updater.bind(QHostAddress(QStringLiteral("127.0.0.1")), 23456, QAbstractSocket::ShareAddress),
             qPrintable(updater.errorString()));
    StationSim sim(args << QStringLiteral("--discovery") << QStringLiteral("--discovery-bind")
                        << QStringLiteral("127.0.0.2") << QStringLiteral("--unit-ip") << QStringLiteral("10.9.8.7"));
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    updater.writeDatagram(QByteArrayLiteral("DECT ULE Discovery Ping"), QHostAddress(QStringLiteral("127.0.0.2")),
                          23456);

    QVector<QByteArray> datagrams;
    QElapsedTimer clock;
    clock.start();
    while (datagrams.size() < units.size() + junk && clock.elapsed() < ReplyTimeoutMs) {
        if (!updater.hasPendingDatagrams() && !updater.waitForReadyRead(200))
            continue;
        QByteArray datagram(int(updater.pendingDatagramSize()), '\0');
        updater.readDatagram(datagram.data(), datagram.size());
        datagrams.append(datagram);
    }
    QCOMPARE(datagrams.size(), units.size() + junk);
    for (int i = 0; i < junk; ++i)
        QVERIFY2(!datagrams.at(i).contains("DECT ULE Discovery Ack:"), "junk datagram carries the marker");
    for (int i = 0; i < units.size(); ++i) {
        const QByteArray &datagram = datagrams.at(junk + i);
        if (raw) {
            QCOMPARE(datagram, units.at(i).toLatin1());
            continue;
        }
        QVERIFY2(datagram.startsWith("DECT ULE Discovery Ack:"), "marker missing at offset 0");
        QVERIFY2(datagram.endsWith('\0'), "unit text is not NUL-terminated");
        const QString unit = QString::fromUtf8(datagram.mid(55).constData());
        const auto slash = unit.indexOf(QLatin1Char('/'), 49);
        QVERIFY2(slash > 49, qPrintable(QStringLiteral("no address at character 49: ") + unit));
        QCOMPARE(unit.left(17) + QLatin1Char(' ') + unit.mid(49, slash - 49), units.at(i));
    }
    const QJsonObject ping = sim.log().value(0);
    QCOMPARE(ping.value(QStringLiteral("method")).toString(), QStringLiteral("UDP"));
    QCOMPARE(ping.value(QStringLiteral("size")).toInt(), 23);
    QCOMPARE(ping.value(QStringLiteral("payload")).toString(), QStringLiteral("DECT ULE Discovery Ping"));
    QCOMPARE(ping.value(QStringLiteral("from")).toString(), QStringLiteral("127.0.0.1:23456"));
}

void tst_StationSimNetwork::answersOnItsOwnHost_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("rebootFirst");
    QTest::addColumn<QString>("mac");
    QTest::newRow("current") << QStringList() << false << QStringLiteral("0A:1B:2C:3D:4E:5F");
    QTest::newRow("older generation, own MAC")
        << QStringList{QStringLiteral("--generation"), QStringLiteral("v11"), QStringLiteral("--mac"),
                       QStringLiteral("00:11:22:33:44:55")}
        << false << QStringLiteral("00:11:22:33:44:55");
    QTest::newRow("another station at the second address after a reboot")
        << QStringList{QStringLiteral("--comeback-at"), qEnvironmentVariable("VMFWUPD_STATION_IP2"),
                       QStringLiteral("--comeback-mac"), QStringLiteral("0A:1B:2C:3D:4E:99")}
        << true << QStringLiteral("0A:1B:2C:3D:4E:99");
}

void tst_StationSimNetwork::answersOnItsOwnHost()
{
    QFETCH(QStringList, args);
    QFETCH(bool, rebootFirst);
    QFETCH(QString, mac);

    QUdpSocket updater;
    QVERIFY2(updater.bind(QHostAddress::AnyIPv4, 23456, QAbstractSocket::ShareAddress),
             qPrintable(updater.errorString()));
    StationSim sim = StationSim::onStationHost(args << QStringLiteral("--discovery") << QStringLiteral("--reboot-seconds")
                                                    << QStringLiteral("1"));
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    QCOMPARE(sim.address(), QStringLiteral("%1:%2").arg(stationIp).arg(sim.port()));

    QNetworkAccessManager nam;
    const auto get = [&nam](const QString &url) {
        QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
        request.setTransferTimeout(ReplyTimeoutMs);
        std::unique_ptr<QNetworkReply> reply(nam.get(request));
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        return finished.wait(ReplyTimeoutMs + 1000) && reply->error() == QNetworkReply::NoError ? reply->readAll()
                                                                                              : QByteArray();
    };
    QString address = sim.address();
    if (rebootFirst) {
        QVERIFY2(!get(QStringLiteral("http://%1/debug?reboot=1").arg(address)).isEmpty(), "no answer to the reboot");
        address = sim.addressAfterReboot();
    }
    const QString version = QStringLiteral("http://%1/getJson.json?rand=7&jsonString={\"cmdType\":2,\"portId\":0,"
                                           "\"sysParamType\":6,\"sysParamValue\":{}}")
                                .arg(address);
    QByteArray answer;
    QTRY_VERIFY2_WITH_TIMEOUT(!(answer = get(version)).isEmpty(), "no answer from the station host", 10000);
    QCOMPARE(QJsonDocument::fromJson(answer).object().value(QStringLiteral("macAddr")).toString(), mac);

    updater.writeDatagram(QByteArrayLiteral("DECT ULE Discovery Ping"),
                          QHostAddress(qEnvironmentVariable("VMFWUPD_BROADCAST")), 23456);
    QByteArray ack;
    QElapsedTimer clock;
    clock.start();
    while (ack.isEmpty() && clock.elapsed() < ReplyTimeoutMs) {
        if (!updater.hasPendingDatagrams() && !updater.waitForReadyRead(200))
            continue;
        QByteArray datagram(int(updater.pendingDatagramSize()), '\0');
        updater.readDatagram(datagram.data(), datagram.size());
        if (datagram.contains("DECT ULE Discovery Ack:")) // our own broadcast ping comes back too
            ack = datagram;
    }
    QVERIFY2(!ack.isEmpty(), "no acknowledgement from the station host");
    const QString unit = QString::fromUtf8(ack.mid(55).constData());
    QCOMPARE(unit.left(17), mac);
    QCOMPARE(unit.mid(49, unit.indexOf(QLatin1Char('/'), 49) - 49), QUrl(QStringLiteral("http://") + address).host());
}

QTEST_GUILESS_MAIN(tst_StationSimNetwork)
#include "tst_stationsimnetwork.moc"
