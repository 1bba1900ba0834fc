#include "ipbasectrl.h"
#include "stationsim.h"
#include "windowdriver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QtTest>

// Whole update runs, stepped tick by tick against a simulated station on loopback. After each tick the test
// waits for the station's answers, then checks what the window shows and what the station was sent.
class tst_UpdateWorkflow : public QObject
{
    Q_OBJECT

private slots:
    void wholeRun_data();
    void wholeRun();
    void uploadErrorAbortsTheRun();

private:
    bool prepare(StationSim &sim, WindowDriver &driver, const QString &image, bool noReboot);
};

namespace {

constexpr int debugClicksNeeded = 5;

// One short word per request the station received, in order.
QStringList requestsOf(const QVector<QJsonObject> &log)
{
    QStringList words;
    for (const QJsonObject &entry : log) {
        const QString path = entry.value("path").toString();
        const QJsonObject command = entry.value("json").toObject();
        if (path == QLatin1String("/getJson.json")) {
            const int system = command.value("sysParamType").toInt(-1);
            const int param = command.value("paramId").toInt(-1);
            words << (system == 6    ? "version"
                      : param == 25  ? "start"
                      : param == 26  ? "status"
                                     : "command");
        } else if (path == QLatin1String("/debug")) {
            words << "reboot";
        } else if (path == QLatin1String("/file_upload_base")) {
            words << "upload";
        } else if (path == QLatin1String("/firmware.html")) {
            words << "sizepage";
        } else if (path == QLatin1String("/firmwareupg")) {
            words << "upgradepage";
        } else {
            words << path;
        }
    }
    return words;
}

QString writeImage(const QString &path, int size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(1234);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    file.write(bytes);
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// A rebooting station refuses connections for a while; the window just keeps asking each tick.
bool waitUntilListening(quint16 port)
{
    return QTest::qWaitFor(
        [port] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            return probe.waitForConnected(200);
        },
        15000);
}

int stepShown(WindowDriver &driver)
{
    const QString text = driver.find<QLabel>("labelStatus")->text();
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("\\((\\d)/7\\)$")).match(text);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

bool controlsEnabled(WindowDriver &driver)
{
    for (const char *name : {"pushButtonBrowse", "pushButtonDevSearch", "pushButtonDefaultCfg", "pushButtonUpdate",
                             "lineEditFirmware", "comboBoxIp"}) {
        if (!driver.find<QWidget>(name)->isEnabled())
            return false;
    }
    return true;
}

const QString powerWarning = QStringLiteral("Upgrade in Progress. Do not power off the base station!");

} // namespace

bool tst_UpdateWorkflow::prepare(StationSim &sim, WindowDriver &driver, const QString &image, bool noReboot)
{
    if (!sim.start()) {
        qWarning() << sim.errorString();
        return false;
    }
    if (noReboot || image != driver.find<QLineEdit>("lineEditFirmware")->text()) {
        driver.clickOwl(debugClicksNeeded);
        driver.find<QLineEdit>("lineEditFirmware")->setText(image);
        driver.find<QCheckBox>("checkBoxNoReboot")->setChecked(noReboot);
    }
    driver.discover(sim.address());
    auto *confirm = driver.find<QCheckBox>("checkBoxModClose");
    if (!QTest::qWaitFor([&] { return confirm->isVisible(); }, 10000) || !driver.tick())
        return false;
    QTest::mouseClick(confirm, Qt::LeftButton, {}, QPoint(confirm->width() - 8, confirm->height() / 2));
    QTest::mouseClick(driver.find<QPushButton>("pushButtonUpdate"), Qt::LeftButton);
    return confirm->isChecked();
}

void tst_UpdateWorkflow::wholeRun_data()
{
    QTest::addColumn<QString>("generation");
    QTest::addColumn<bool>("noReboot");
    QTest::addColumn<QList<int>>("flashingSteps");

    QTest::newRow("current generation, pre-upload reboot") << "current" << false << QList<int>{3, 4, 5, 6};
    QTest::newRow("current generation, no pre-reboot") << "current" << true << QList<int>{3, 4, 5, 6};
    QTest::newRow("older generation, pre-upload reboot") << "v11" << false << QList<int>{3, 5};
    QTest::newRow("older generation, no pre-reboot") << "v11" << true << QList<int>{3, 5};
}

void tst_UpdateWorkflow::wholeRun()
{
    QFETCH(QString, generation);
    QFETCH(bool, noReboot);
    QFETCH(QList<int>, flashingSteps);
    const bool v11 = generation == QLatin1String("v11");

    StationSim sim({"--generation", generation, "--advance-per-poll", "--reboot-seconds", "1"});
    WindowDriver driver;
    // The default image lies beside the program, where a user's copy of the updater keeps it.
    const QString image = driver.find<QLineEdit>("lineEditFirmware")->text();
    const QString sha256 = writeImage(image, 96 * 1024);
    QVERIFY2(!sha256.isEmpty(), qPrintable(image));
    auto removeImage = qScopeGuard([&] { QFile::remove(image); });
    QVERIFY(prepare(sim, driver, image, noReboot));
    const int requestsBefore = sim.log().size();

    auto *bar = driver.find<QProgressBar>("progressBar");
    auto *total = driver.find<QProgressBar>("progressBarTotal");
    auto *warning = driver.find<QLabel>("labelWarning");

    // Leaving Idle: controls locked, warning shown, the station rebooted unless told not to.
    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 1);
    QVERIFY2(!controlsEnabled(driver), "controls are locked during a run");
    QCOMPARE(warning->text(), powerWarning);
    QCOMPARE(requestsOf(sim.log().mid(requestsBefore)), noReboot ? QStringList() : QStringList{"reboot"});
    auto *service = driver.find<QPushButton>("pushButtonDefaultCfg");
    if (!service->isVisible()) {
        driver.clickOwl(debugClicksNeeded + 1);
        QVERIFY2(!service->isVisible(), "clicks on the owl during a run do not count towards debug mode");
    }

    if (!noReboot) {
        for (int i = 1; i <= 25; ++i) {
            QVERIFY(driver.tick());
            QCOMPARE(driver.state(), 1);
            QCOMPARE(bar->value(), 4 * i);
            QCOMPARE(total->value(), 4 * i);
            QCOMPARE(driver.find<QLabel>("labelStatus")->text(), QStringLiteral("Wait (1/7)"));
            QCOMPARE(driver.statusBarText(), QStringLiteral("wait for base"));
        }
        QCOMPARE(requestsOf(sim.log().mid(requestsBefore)), QStringList{"reboot"});
        // After the countdown every tick asks for the version until the rebooted station answers.
        QSignalSpy answers(driver.controller(), &IpBaseCtrl::deviceStat);
        for (int i = 0; i < 10 && answers.isEmpty(); ++i) {
            QVERIFY2(waitUntilListening(sim.port()), "the station came back after its reboot");
            QVERIFY(driver.tick());
            QCOMPARE(driver.state(), 1);
            QCOMPARE(driver.requestFlags(),
                     QStringLiteral("startUpg false checkUpl false checkUpg false checkAvail true"));
        }
        QVERIFY2(!answers.isEmpty(), "the rebooted station answered");
    }

    // Upload, with a version request on the same tick.
    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 4);
    QCOMPARE(driver.requestFlags(), QStringLiteral("startUpg false checkUpl false checkUpg false checkAvail true"));
    QCOMPARE(driver.find<QLabel>("labelStatus")->text(), QStringLiteral("Upload Complete (2/7)"));
    QCOMPARE(total->value(), 200);
    const QJsonObject upload = sim.log().constLast().value("upload").toObject();
    QVERIFY2(!upload.isEmpty(), "the station received the image");
    QCOMPARE(upload.value("sha256").toString(), sha256);
    QCOMPARE(upload.value("filename").toString(),
             v11 ? QStringLiteral("vmlinuz") : QStringLiteral("vmlinuz20210125_v143"));

    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 5);

    // Five upload-status polls, then the upgrade command with a sixth poll.
    const int beforeVerify = sim.log().size();
    for (int i = 0; i < 5; ++i) {
        QVERIFY(driver.tick());
        QCOMPARE(driver.state(), 5);
        QCOMPARE(driver.requestFlags(), QStringLiteral("startUpg false checkUpl true checkUpg false checkAvail false"));
        QCOMPARE(stepShown(driver), 2);
    }
    if (v11)
        QCOMPARE(driver.find<QLabel>("labelStatus")->text(), QStringLiteral("Verification Success (2/7)"));
    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 6);
    QCOMPARE(driver.requestFlags(), QStringLiteral("startUpg true checkUpl true checkUpg false checkAvail false"));
    const QString poll = v11 ? QStringLiteral("sizepage") : QStringLiteral("status");
    // The last tick's two requests travel side by side: the station may log them in either order.
    QStringList requests = requestsOf(sim.log().mid(beforeVerify));
    QCOMPARE(requests.size(), 7);
    std::sort(requests.begin() + 5, requests.end());
    QCOMPARE(requests, (QStringList{poll, poll, poll, poll, poll, std::min(poll, QStringLiteral("start")),
                                    std::max(poll, QStringLiteral("start"))}));
    const auto log = sim.log();
    const auto start = std::find_if(log.cbegin() + beforeVerify, log.cend(), [](const QJsonObject &entry) {
        return entry.value("json").toObject().value("paramId").toInt() == 25;
    });
    QVERIFY(start != log.cend());
    QCOMPARE(start->value("json").toObject().value("paramValue").toString(),
             QStringLiteral("vmlinuz20210125_v143"));

    // The flashing steps, in order, until the station reports the finish.
    QList<int> seen;
    for (int i = 0; i < 100 && !controlsEnabled(driver); ++i) {
        QVERIFY(driver.tick());
        QCOMPARE(driver.state(), 6);
        const int step = stepShown(driver);
        QVERIFY2(seen.isEmpty() || step >= seen.constLast(), "steps never go back");
        if (seen.isEmpty() || seen.constLast() != step)
            seen << step;
    }
    QCOMPARE(seen.constLast(), 7);
    seen.removeLast();
    seen.removeAll(2);
    QCOMPARE(seen, flashingSteps);
    QVERIFY2(warning->text().isEmpty(), "the finish report lifts the warning");
    if (v11)
        QCOMPARE(total->value(), 700);

    // The restart wait: two per tick, 8..96, then done on the thirteenth tick.
    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 8);
    for (int i = 1; i <= 12; ++i) {
        QVERIFY(driver.tick());
        QCOMPARE(driver.state(), 8);
        QCOMPARE(bar->value(), 8 * i);
        QCOMPARE(total->value(), 600 + 8 * i);
        QCOMPARE(driver.find<QLabel>("labelStatus")->text(), QStringLiteral("Wait (7/7)"));
    }
    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 0);
    QCOMPARE(driver.statusBarText(), QStringLiteral("Success, all done"));
    QVERIFY2(!driver.find<QCheckBox>("checkBoxModClose")->isVisible(), "the confirmation is hidden again");
    QVERIFY2(!bar->isVisible(), "the progress widgets are hidden again");
    QVERIFY(controlsEnabled(driver));

    // Back in Idle the window asks until the restarted station answers with its new version.
    auto *version = driver.find<QLabel>("labelDeviceStatus");
    for (int i = 0; i < 10 && version->text().isEmpty(); ++i) {
        QVERIFY2(waitUntilListening(sim.port()), "the station came back with its new firmware");
        QVERIFY(driver.tick());
    }
    QCOMPARE(version->text(), QStringLiteral("143 20210125 V14.3"));
    QCOMPARE(warning->text(), QStringLiteral("This Velmora is up to date"));
}

void tst_UpdateWorkflow::uploadErrorAbortsTheRun()
{
    StationSim sim({"--drop-upload-after", "20000"});
    WindowDriver driver;
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("vmlinuz20210125_v143"));
    QVERIFY(!writeImage(image, 512 * 1024).isEmpty());
    QVERIFY(prepare(sim, driver, image, true));

    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 1);
    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 4);
    QCOMPARE(driver.statusBarText(), QStringLiteral("Upload Error occurred. Pls Try Again"));
    QCOMPARE(driver.find<QLabel>("labelStatus")->text(), QStringLiteral("Error (1/7)"));

    // The abort, as the tick leaves it, before the station answers the version request it sent.
    const int before = sim.log().size();
    driver.tick(WindowDriver::NoSettle);
    QCOMPARE(driver.state(), 0);
    QVERIFY(controlsEnabled(driver));
    QVERIFY(driver.find<QLabel>("labelWarning")->text().isEmpty());
    auto *confirm = driver.find<QCheckBox>("checkBoxModClose");
    QVERIFY2(!confirm->isVisible() && !confirm->isChecked(), "the confirmation is hidden and unticked");
    QVERIFY2(!driver.find<QPushButton>("pushButtonUpdate")->isVisible(), "the update button is hidden");
    QCOMPARE(driver.statusBarText(), QStringLiteral("Upload Error occurred. Pls Try Again"));
    QVERIFY(driver.settle());
    QVERIFY2(requestsOf(sim.log().mid(before)).contains(QLatin1String("version")), "the version is asked again");

    // The station's answer offers the confirmation again: the user can start a new run.
    QVERIFY(confirm->isVisible());
    QCOMPARE(driver.statusBarText(), QStringLiteral("Upload Error occurred. Pls Try Again"));
}

QTEST_MAIN(tst_UpdateWorkflow)
#include "tst_updateworkflow.moc"
