#include "benchsupport.h"
#include "fakereply.h"
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
        // The whole answer within 30 s, but the upload's.
        const QList<QTimer *> timers = reply->findChildren<QTimer *>();
        QCOMPARE(std::count_if(timers.cbegin(), timers.cend(), [](const QTimer *t) { return t->interval() == 30000; }),
                 std::ptrdiff_t(reply->url().path() != QLatin1String("/file_upload_base")));
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
    // Not one is released sooner.
    QTest::addColumn<int>("earliestMs");
    // What every request reports; empty: not looked at.
    QTest::addColumn<QString>("failure");
    // Where the desktop's proxy settings lead, for a station on the other host of the private network.
    QTest::addColumn<QByteArray>("proxy");

    // Empty args: a port where nothing listens.
    QTest::newRow("station answers") << QStringList{"--version", "V14.3"} << 300 << 300 << 20000 << 0 << ""
                                     << QByteArray();
    QTest::newRow("connection refused") << QStringList() << 300 << 0 << 20000 << 0 << "" << QByteArray();
    // More polls than Qt's six connections per host: without time-outs the last ones
    // would queue behind the silent six for ever.
    QTest::newRow("station silent") << QStringList{"--silent"} << 9 << 0
                                    << 2 * 10000 + 10000 << 0 << "" << QByteArray();
    const QString large = QStringLiteral("answer larger than 1 MiB");
    QTest::newRow("endless version answers and status pages") << QStringList{"--generation", "v11", "--endless",
        "/getJson.json", "--endless", "/firmwareupg"} << 3 << 0 << 10000 << 0 << large << QByteArray();
    QTest::newRow("gzip answers decoding to 2 MiB")
        << QStringList{"--gzip-bomb", "/getJson.json"} << 3 << 0 << 10000 << 0 << large << QByteArray();
    QTest::newRow("answers dripping") << QStringList{"--drip", "/getJson.json", "--drip-seconds", "2"} << 3 << 0
                                      << 40000 << 30000 << "no whole answer within 30 s" << QByteArray();
    QTest::newRow("station answers, proxies lead nowhere")
        << QStringList{"--version", "V14.3"} << 3 << 3 << 10000 << 0 << "" << QByteArray("http://127.0.0.1:9");
}

void tst_IpBaseCtrlTimeouts::repliesReleased()
{
    QFETCH(QStringList, args);
    QFETCH(int, polls);
    QFETCH(int, answers);
    QFETCH(int, boundMs);
    QFETCH(int, earliestMs);
    QFETCH(QString, failure);
    QFETCH(QByteArray, proxy);

    const char *proxyVariables[] = {"http_proxy", "HTTPS_PROXY", "all_proxy"};
    for (const char *variable : proxyVariables)
        proxy.isEmpty() ? qunsetenv(variable) : qputenv(variable, proxy);
    auto unsetProxies = qScopeGuard([&] {
        for (const char *variable : proxyVariables)
            qunsetenv(variable);
    });
    std::unique_ptr<StationSim> sim;
    QString address;
    if (args.isEmpty()) {
        QTcpServer probe;
        QVERIFY2(probe.listen(QHostAddress::LocalHost), "no free port");
        address = QStringLiteral("127.0.0.1:%1").arg(probe.serverPort());
    } else {
        // Qt asks no proxy for a loopback address.
        sim = std::make_unique<StationSim>(proxy.isEmpty() ? StationSim(args) : StationSim::onStationHost(args));
        QVERIFY2(sim->start(), qPrintable(sim->errorString()));
        address = sim->address();
    }

    IpBaseCtrl ctrl;
    // Once a version answer named the older generation, its status pages are asked for.
    if (args.contains("v11")) {
        auto *older = new FakeReply(R"({"sysParamValue":"VOIP_EN 11.7 20190301"})");
        QObject::connect(older, &QNetworkReply::finished, &ctrl, &IpBaseCtrl::onRequestGetVersion);
        emit older->finished();
    }
    QSignalSpy device(&ctrl, &IpBaseCtrl::deviceStat);
    QSignalSpy progress(&ctrl, &IpBaseCtrl::progressUpd);
    QSignalSpy done(&ctrl, &IpBaseCtrl::requestDone);
    QVERIFY2(Bench::resetPeakRss(), "cannot reset the peak of resident memory");
    const qint64 rssBefore = Bench::statusKib("VmRSS");
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < polls; ++i) {
        ctrl.requestGetVersion(address);
        ctrl.requestFwUpgStatus(address);
    }
    QCOMPARE(liveReplies(ctrl), 2 * polls);
    QVERIFY(QTest::qWaitFor([&] { return liveReplies(ctrl) < 2 * polls; }, boundMs));
    QVERIFY2(clock.elapsed() >= earliestMs, qPrintable(QStringLiteral("released after %1 ms").arg(clock.elapsed())));
    QTRY_COMPARE_WITH_TIMEOUT(liveReplies(ctrl), 0, boundMs);
    QCOMPARE(device.size(), answers);
    QCOMPARE(progress.size(), answers);
    for (const QList<QVariant> &request : qAsConst(done))
        QVERIFY2(failure.isEmpty() || request.at(1).toString() == failure, qPrintable(request.at(1).toString()));
    // Flat: no answer given up is held in memory past the limit. (A burst of hundreds of pending requests takes
    // memory of its own, all the more under a sanitizer.)
    const qint64 growthKib = Bench::statusKib("VmHWM") - rssBefore;
    QVERIFY2(failure.isEmpty() || growthKib < 32768, qPrintable(QStringLiteral("memory grew by %1 KiB").arg(growthKib)));
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
    QTest::newRow("endless answer") << QStringList{"--endless", "/file_upload_base"} << qint64(1000) << true << false;
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
