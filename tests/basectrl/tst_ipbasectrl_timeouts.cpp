#include "ipbasectrl.h"
#include "requesttimeouts.h"
#include "stationsim.h"

#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

int liveReplies(const IpBaseCtrl &ctrl)
{
    return ctrl.findChildren<QNetworkReply *>().size();
}

} // namespace

class tst_IpBaseCtrlTimeouts : public QObject
{
    Q_OBJECT

private slots:
    void requestsCarryTimeouts();
    void repliesReleased_data();
    void repliesReleased();
};

void tst_IpBaseCtrlTimeouts::requestsCarryTimeouts()
{
    StationSim sim({"--silent"});
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    QTemporaryDir dir;
    QFile image(dir.filePath("image.bin"));
    QVERIFY2(image.open(QIODevice::WriteOnly) && image.write(QByteArray(1000, 'x')) == 1000, "no image");
    image.close();

    IpBaseCtrl ctrl;
    ctrl.requestGetVersion(sim.address());
    ctrl.requestDoReboot(sim.address());
    ctrl.uploadFirmware(sim.address(), image.fileName());
    const QList<QNetworkReply *> replies = ctrl.findChildren<QNetworkReply *>();
    QCOMPARE(replies.size(), 3);
    for (const QNetworkReply *reply : replies) {
        const bool upload = reply->url().path() == QLatin1String("/file_upload_base");
        QCOMPARE(reply->request().transferTimeout(),
                 upload ? RequestTimeouts::uploadIdleMs : RequestTimeouts::commandMs);
    }
}

void tst_IpBaseCtrlTimeouts::repliesReleased_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("polls");
    QTest::addColumn<int>("answers");
    QTest::addColumn<int>("boundMs");

    // Empty args: a port where nothing listens.
    QTest::newRow("station answers") << QStringList{"--version", "V14.3"} << 300 << 300 << 20000;
    QTest::newRow("connection refused") << QStringList() << 300 << 0 << 20000;
    // More polls than Qt's six connections per host: without time-outs the last ones
    // would queue behind the silent six for ever.
    QTest::newRow("station silent") << QStringList{"--silent"} << 9 << 0
                                    << 2 * RequestTimeouts::commandMs + 10000;
}

void tst_IpBaseCtrlTimeouts::repliesReleased()
{
    QFETCH(QStringList, args);
    QFETCH(int, polls);
    QFETCH(int, answers);
    QFETCH(int, boundMs);

    std::unique_ptr<StationSim> sim;
    QString address;
    if (args.isEmpty()) {
        QTcpServer probe;
        QVERIFY2(probe.listen(QHostAddress::LocalHost), "no free port");
        address = QStringLiteral("127.0.0.1:%1").arg(probe.serverPort());
    } else {
        sim = std::make_unique<StationSim>(args);
        QVERIFY2(sim->start(), qPrintable(sim->errorString()));
        address = sim->address();
    }

    IpBaseCtrl ctrl;
    QSignalSpy device(&ctrl, &IpBaseCtrl::deviceStat);
    QSignalSpy progress(&ctrl, &IpBaseCtrl::progressUpd);
    for (int i = 0; i < polls; ++i) {
        ctrl.requestGetVersion(address);
        ctrl.requestFwUpgStatus(address);
    }
    QCOMPARE(liveReplies(ctrl), 2 * polls);
    QTRY_COMPARE_WITH_TIMEOUT(liveReplies(ctrl), 0, boundMs);
    QCOMPARE(device.size(), answers);
    QCOMPARE(progress.size(), answers);
}

QTEST_GUILESS_MAIN(tst_IpBaseCtrlTimeouts)
#include "tst_ipbasectrl_timeouts.moc"
