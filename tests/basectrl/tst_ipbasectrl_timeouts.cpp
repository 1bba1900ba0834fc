#include "ipbasectrl.h"
#include "stationsim.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

int liveReplies(const IpBaseCtrl &ctrl)
{
    return int(ctrl.findChildren<QNetworkReply *>().size());
}

QString writeImage(const QTemporaryDir &dir, qint64 size)
{
    QFile image(dir.filePath(QStringLiteral("image.bin")));
    if (!image.open(QIODevice::WriteOnly) || !image.resize(size))
        return {};
    return image.fileName();
}

} // namespace

class tst_IpBaseCtrlTimeouts : public QObject
{
    Q_OBJECT

private slots:
    void requestsCarryTimeouts();
    void repliesReleased_data();
    void repliesReleased();
    void uploadIdleLimit_data();
    void uploadIdleLimit();
};

void tst_IpBaseCtrlTimeouts::requestsCarryTimeouts()
{
    StationSim sim({"--silent"});
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    QTemporaryDir dir;
    const QString image = writeImage(dir, 1000);
    QVERIFY2(!image.isEmpty(), "no image");

    IpBaseCtrl ctrl;
    ctrl.requestGetVersion(sim.address());
    ctrl.requestDoReboot(sim.address());
    ctrl.uploadFirmware(sim.address(), image);
    const QList<QNetworkReply *> replies = ctrl.findChildren<QNetworkReply *>();
    QCOMPARE(replies.size(), 3);
    for (const QNetworkReply *reply : replies) {
        if (reply->url().path() != QLatin1String("/file_upload_base")) {
            QCOMPARE(reply->request().transferTimeout(), 10000);
            continue;
        }
        // The upload's 60 s limit is its own: it must not run on while the station holds back its answer.
        QCOMPARE(reply->request().transferTimeout(), 0);
        const auto *idle = reply->findChild<QTimer *>();
        QVERIFY2(idle && idle->isActive(), "the upload has no idle limit");
        QCOMPARE(idle->interval(), 60000);
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
                                    << 2 * 10000 + 10000;
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

void tst_IpBaseCtrlTimeouts::uploadIdleLimit_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<qint64>("imageBytes");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<bool>("answered");

    // The limit is cut to half a second here; a station of these kinds is just as free with a minute.
    // More than the socket buffers on loopback take in: the body stops moving.
    QTest::newRow("silent station, body stuck") << QStringList{"--silent"} << (qint64(64) << 20) << true << false;
    QTest::newRow("silent station, whole body sent") << QStringList{"--silent"} << qint64(1000) << false << false;
    QTest::newRow("answer long after the last byte") << QStringList{"--upload-answer-delay", "3"}
                                                     << qint64(100000) << false << true;
}

void tst_IpBaseCtrlTimeouts::uploadIdleLimit()
{
    QFETCH(QStringList, args);
    QFETCH(qint64, imageBytes);
    QFETCH(bool, fails);
    QFETCH(bool, answered);
    constexpr int idleMs = 500;

    StationSim sim(args);
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    QTemporaryDir dir;
    const QString image = writeImage(dir, imageBytes);
    QVERIFY2(!image.isEmpty(), "no image");

    IpBaseCtrl ctrl;
    ctrl.setTimeouts({10000, idleMs});
    QSignalSpy progress(&ctrl, &IpBaseCtrl::progressUpd);
    ctrl.uploadFirmware(sim.address(), image);
    auto failed = [&progress] { return !progress.isEmpty() && progress.constLast().at(4).toInt() == 4; };
    // Well past the limit, still short of the station that answers late. The spy's own event loop lets the
    // body flow at full speed (qWaitFor's naps would hold it back).
    QElapsedTimer clock;
    clock.start();
    constexpr qint64 boundMs = qint64(4) * idleMs;
    while (!failed() && clock.elapsed() < boundMs)
        progress.wait(int(boundMs - clock.elapsed()));
    QCOMPARE(failed(), fails);
    if (fails) {
        QTRY_COMPARE_WITH_TIMEOUT(liveReplies(ctrl), 0, 5000);
        return;
    }
    QCOMPARE(progress.constLast().at(4).toInt(), 1);
    QCOMPARE(liveReplies(ctrl), 1); // still waiting for the answer
    if (answered) {
        QTRY_COMPARE_WITH_TIMEOUT(liveReplies(ctrl), 0, 5000);
        QCOMPARE(progress.constLast().at(4).toInt(), 1);
    }
}

QTEST_GUILESS_MAIN(tst_IpBaseCtrlTimeouts)
#include "tst_ipbasectrl_timeouts.moc"
