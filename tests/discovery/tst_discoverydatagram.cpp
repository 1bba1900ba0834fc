#include "discoverydatagram.h"

#include <QtTest>

// A station's acknowledgement as the simulator and the real station lay it out: marker at 0, header padded to 55.
static constexpr char ackMarker[] = "DECT ULE Discovery Ack:";

static QByteArray ack(const QByteArray &unitBytes, int markerAt = 0)
{
    QByteArray header(55, 'h');
    header.replace(markerAt, int(qstrlen(ackMarker)), ackMarker);
    return header + unitBytes;
}

static const QByteArray unitText =
    QByteArrayLiteral("0A:1B:2C:3D:4E:5F                                192.168.1.23/base");

class tst_DiscoveryDatagram : public QObject
{
    Q_OBJECT

private slots:
    void ping()
    {
        QCOMPARE(discoveryPing(), QByteArray("DECT ULE Discovery Ping"));
        QCOMPARE(discoveryPing().size(), 23);
    }

    void readUnitText_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("isAck");
        QTest::addColumn<QString>("expected");

        const QByteArray marker(ackMarker);
        QTest::newRow("station answer") << ack(unitText) << true << QString::fromLatin1(unitText);
        QTest::newRow("marker at offset 10") << ack(unitText, 10) << true << QString::fromLatin1(unitText);
        QTest::newRow("marker ends at byte 55") << ack(unitText, 32) << true << QString::fromLatin1(unitText);
        QTest::newRow("marker inside the unit text") << QByteArray(60, 'x') + marker + QByteArray("\0tail", 5)
                                                     << true << QStringLiteral("xxxxx") + QLatin1String(marker);
        QTest::newRow("exactly 55 bytes") << ack({}) << true << QString();
        QTest::newRow("marker alone, 23 bytes") << marker << true << QString();
        QTest::newRow("NUL right at byte 55") << ack(QByteArray("\0junk", 5)) << true << QString();
        QTest::newRow("NUL then junk") << ack(unitText + QByteArray("\0\xff\xfejunk", 7)) << true
                                       << QString::fromLatin1(unitText);
        QTest::newRow("UTF-8 unit text") << ack("K\xc3\xbc" "che \xe2\x82\xac") << true
                                         << QStringLiteral("K\u00fcche \u20ac");
        QTest::newRow("invalid UTF-8 replaced") << ack("a\xff" "b") << true << QStringLiteral("a\ufffdb");
        QTest::newRow("UTF-8 cut by NUL") << ack(QByteArray("ab\xc3\0\xbc", 5)) << true
                                          << QStringLiteral("ab\ufffd");
        QTest::newRow("binary header before marker") << QByteArray("\0\x01\x02", 3) + marker
                + QByteArray(29, '\0') + "unit" << true << QStringLiteral("unit");

        QTest::newRow("empty datagram") << QByteArray() << false << QString();
        QTest::newRow("the ping itself") << QByteArray("DECT ULE Discovery Ping") << false << QString();
        QTest::newRow("marker missing its colon") << QByteArray("DECT ULE Discovery Ack") + QByteArray(40, ' ')
                                                  << false << QString();
        QTest::newRow("marker in other case") << ack(unitText).toLower() << false << QString();
        QTest::newRow("marker split by NUL") << QByteArray("DECT ULE Discovery\0Ack:", 23) + QByteArray(40, 'u')
                                             << false << QString();
        QTest::newRow("marker cut at the end") << QByteArray(50, 'x') + marker.left(22) << false << QString();
    }

    void readUnitText()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(bool, isAck);
        QFETCH(QString, expected);

        const std::optional<QString> unit = readDiscoveryUnitText(datagram);
        QVERIFY2(unit.has_value() == isAck, isAck ? "acknowledgement not recognised" : "taken for an acknowledgement");
        if (isAck)
            QCOMPARE(*unit, expected);
    }
};

QTEST_APPLESS_MAIN(tst_DiscoveryDatagram)
#include "tst_discoverydatagram.moc"
