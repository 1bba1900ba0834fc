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

    void unitTextFields_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("dotted");

        const QString head = QStringLiteral("0A:1B:2C:3D:4E:5F") + QString(32, QLatin1Char(' '));
        const auto row = [&](const char *name, const QString &address, bool dotted) {
            QTest::newRow(name) << head + address + QStringLiteral("/VMBS/x") << address << dotted;
        };
        QTest::newRow("no slash: the whole rest") << head + "10.0.0.1" << "10.0.0.1" << true;
        row("lowest", "0.0.0.0", true);
        row("highest", "255.255.255.255", true);
        row("256", "192.168.1.256", false);
        row("three numbers", "192.168.1", false);
        row("five numbers", "192.168.1.2.3", false);
        row("port", "192.168.1.2:80", false);
        row("host name", "evil.invalid", false);
        row("user information", "user@1.2.3.4", false);
        row("leading zero, read as octal by URLs", "010.1.1.1", false);
        row("space", "1.2.3.4 ", false);
        row("other digits", QStringLiteral("1.2.3.\u0664"), false);
    }

    void unitTextFields()
    {
        QFETCH(QString, unit);
        QFETCH(QString, address);
        QFETCH(bool, dotted);
        QCOMPARE(unitTextMac(unit), QStringLiteral("0A:1B:2C:3D:4E:5F"));
        QCOMPARE(unitTextAddress(unit), address);
        QCOMPARE(isDottedIpv4(address), dotted);
    }
};

QTEST_APPLESS_MAIN(tst_DiscoveryDatagram)
#include "tst_discoverydatagram.moc"
