#include "fakesleepservices.h"
#include "ipbasectrl.h"
#include "privatenetwork.h"
#include "randsequence.h"
#include "rundriver.h"
#include "stationsim.h"
#include "windowdriver.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QMessageBox>
#include <QNetworkReply>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <type_traits>

// One whole update as the rows describe it, and what the window must show of it.
struct Run {
    Run() = default;
    Run(QString generation, bool noReboot, QStringList simArgs = {}, bool lateUploadAnswer = false)
        : generation(std::move(generation))
        , noReboot(noReboot)
        , simArgs(std::move(simArgs))
        , lateUploadAnswer(lateUploadAnswer)
    {
    }

    QString generation;
    bool noReboot = false;
    QStringList simArgs;
    // The station holds back its answer to the upload past the upload's idle limit: both are cut to a fiftieth
    // (60 s and 75 s become 1.2 s and 1.5 s).
    bool lateUploadAnswer = false;
    QString newVersion = QStringLiteral("143 20210125 V14.3");
    QString shownVersion = QStringLiteral("143 20210125 V14.3");
    // Any other name than the delivered image's is an image chosen in debug mode.
    QString image = QStringLiteral("vmlinuz20210125_v143");
    // A step label the station shows for a moment amid its flashing steps.
    QString shownOnce;
    // How the owner chose the station (see Choice).
    int choice = 0;
};
Q_DECLARE_METATYPE(Run)

// Whole update runs, stepped tick by tick against a simulated station on loopback. After each tick the test
// waits for the station's answers, then checks what a front end shows and what the station was sent. Most rows
// drive the run without a window; rows marked so drive the window, which must show the same.
class tst_UpdateRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void idleTicks_data();
    void idleTicks();
    void wholeRun_data();
    void wholeRun();
    void runsInARow_data();
    void runsInARow();
    void failureEndsTheRun_data();
    void failureEndsTheRun();

private:
    // How the owner chooses the station: found by a search; found, then "Update Firmware" pressed before the
    // run's first tick asked the station once more; typed in from the box of a search that found nothing.
    enum Choice { Found, QuickClick, Typed };
    template<class Driver>
    bool prepare(StationSim &sim, Driver &driver, const QString &image, bool noReboot, int choice = Found,
                 const QString &beside = QString());
    template<class Driver>
    void carryWholeRun(Driver &driver, StationSim &sim, const Run &run);
    template<class Driver>
    void endTheRun(Driver &driver);

    // The desktop portal and logind that a run asks to keep the computer awake.
    FakeSleepServices sleepServices;
};


namespace {

constexpr int debugClicksNeeded = 5;

template<class Driver>
constexpr bool isWindow = std::is_same_v<Driver, WindowDriver>;

// Rows so named drive the window, which must show what the run reports; the others drive the run alone.
bool inTheWindow()
{
    return QByteArray(QTest::currentDataTag()).endsWith(", in the window");
}

// One short word per HTTP request the station received, in order.
QStringList requestsOf(const QVector<QJsonObject> &log)
{
    QStringList words;
    for (const QJsonObject &entry : log) {
        // The pings of the window's search for a station that came back elsewhere.
        if (entry.value("method").toString() == QLatin1String("UDP"))
            continue;
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

QStringList versionRequests(int count)
{
    return QVector<QString>(count, QStringLiteral("version")).toList();
}

QStringList requestsInSendingOrder(const QVector<QJsonObject> &log, const QVector<int> &draws)
{
    QMap<int, QJsonObject> sent;
    for (const QJsonObject &entry : log) {
        const QUrlQuery query(QUrl(entry.value("target").toString()));
        if (query.hasQueryItem("rand"))
            sent.insert(int(draws.indexOf(query.queryItemValue("rand").toInt())), entry);
    }
    QVector<QJsonObject> inOrder;
    for (const QJsonObject &entry : qAsConst(sent))
        inOrder << entry;
    return requestsOf(inOrder);
}

// What the station logged of the last upload it received; empty before the first.
QJsonObject lastUpload(const QVector<QJsonObject> &log)
{
    const auto found = std::find_if(log.crbegin(), log.crend(), [](const QJsonObject &e) { return e.contains("upload"); });
    return found == log.crend() ? QJsonObject() : found->value("upload").toObject();
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

bool listening(const QString &address)
{
    const QUrl url(QStringLiteral("http://") + address);
    QTcpSocket probe;
    probe.connectToHost(url.host(), quint16(url.port(80)));
    return probe.waitForConnected(200);
}

// A rebooting station refuses connections for a while; the window just keeps asking each tick.
bool waitUntilListening(const QString &address)
{
    return QTest::qWaitFor([address] { return listening(address); }, 15000);
}

int stepShown(const QString &text)
{
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("\\((\\d)/7\\)$")).match(text);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

bool uploadOver(const RunTicker &driver)
{
    const QList<QNetworkReply *> replies = driver.controller()->findChildren<QNetworkReply *>();
    return std::none_of(replies.cbegin(), replies.cend(), [](const QNetworkReply *reply) {
        return reply->operation() == QNetworkAccessManager::PostOperation;
    });
}

const QString powerWarning = QStringLiteral("Upgrade in Progress. Do not power off the base station!");
const QString success = QStringLiteral("Success, all done");

// A station that comes back at another address is found by the window's discovery broadcast: it answers from the
// other host of the private network.
StationSim stationWith(const QStringList &args)
{
    return args.contains("--comeback-at")
               ? StationSim::onStationHost(args + QStringList{"--port", "80", "--discovery"})
               : StationSim::onOwnLoopbackAddress(args);
}

StationSim stationFor(const Run &run)
{
    return stationWith(QStringList{"--generation", run.generation, "--advance-per-poll", "--reboot-seconds", "1",
                                   "--new-version", run.newVersion}
                       + run.simArgs);
}

// The run looks for a station silent at its address a minute into the silence; the answer to that broadcast
// comes within moments of the tick that sent it.
template<class Driver>
void awaitFollow(Driver &driver, const StationSim &sim)
{
    static_cast<void>(QTest::qWaitFor([&] { return driver.addressText() == sim.addressAfterReboot(); }, 200));
}

} // namespace

template<class Driver>
bool tst_UpdateRun::prepare(StationSim &sim, Driver &driver, const QString &image, bool noReboot, int choice,
                            const QString &beside)
{
    if (!sim.port() && !sim.start()) {
        qWarning() << sim.errorString();
        return false;
    }
    driver.chooseImage(image);
    driver.setNoReboot(noReboot);
    QVector<QString> units{RunTicker::unitText(QStringLiteral("0A:1B:2C:3D:4E:5F"), sim.address())};
    if (!beside.isEmpty())
        units << RunTicker::unitText(beside, sim.addressAfterReboot());
    if (choice == Typed) {
        // Asked on the next tick.
        if (!driver.typeAddress(sim.address()) || !driver.tick())
            return false;
    } else {
        driver.offerStations(units);
    }
    // Only a station that has answered gets past "Update Firmware" without a modal box.
    if (!QTest::qWaitFor([&] { return driver.confirmationOffered() && !driver.versionText().isEmpty(); }, 10000)
        || (choice != QuickClick && !driver.tick()))
        return false;
    // Nothing keeps the computer awake before the click on "Update Firmware".
    if (sleepServices.held() != 0)
        return false;
    sleepServices.clear();
    return driver.startUpdate() && QTest::qWaitFor([this] { return sleepServices.held() == 1; }, 10000);
}

void tst_UpdateRun::initTestCase()
{
    // A station silent after a restart is searched for by the discovery broadcast: only in the private network.
    const QString problem = privateNetworkProblem();
    QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("NOT RUN, unsafe network: ") + problem));
    QVERIFY2(sleepServices.start(), qPrintable(sleepServices.errorString()));
}

void tst_UpdateRun::idleTicks_data()
{
    // station-sim's arguments for the station chosen first; empty: nothing listens there.
    QTest::addColumn<QStringList>("first");
    // The same for the station chosen before the second tick; empty: the address stays.
    QTest::addColumn<QStringList>("second");
    // The version requests of each of three ticks, answered or not.
    QTest::addColumn<QVector<int>>("asked");
    // Each text the version shows, in turn, and the decision after each answer.
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QVariantList>("upToDate");

    // The first tick asks twice: the address is new, and no station has answered yet.
    const QString delivered = QStringLiteral("143 20210125 V14.3");
    const QString older = QStringLiteral("143 20201120 V14.2");
    QTest::newRow("the delivered version is up to date") << QStringList{"--version", delivered} << QStringList()
        << QVector<int>{2, 0, 0} << QStringList{"", delivered, delivered} << QVariantList{true, true};
    QTest::newRow("an older version offers the update") << QStringList{"--version", older} << QStringList()
        << QVector<int>{2, 0, 0} << QStringList{"", older, older} << QVariantList{false, false};
    QTest::newRow("the older generation offers the update") << QStringList{"--generation", "v11"} << QStringList()
        << QVector<int>{2, 0, 0} << QStringList{"", "v11.x", "v11.x"} << QVariantList{false, false};
    QTest::newRow("nobody answers: every tick asks again") << QStringList() << QStringList() << QVector<int>{2, 1, 1}
        << QStringList{""} << QVariantList();
    QTest::newRow("another address: the version empties and the new address is asked")
        << QStringList{"--version", older} << QStringList{"--version", delivered} << QVector<int>{2, 1, 0}
        << QStringList{"", older, older, "", delivered} << QVariantList{false, false, true};
}

// While no run is on, each tick asks the chosen address for its version until a station has answered, and a tick
// that sees another address than the last one empties the version shown and asks the new one.
void tst_UpdateRun::idleTicks()
{
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(QVector<int>, asked);
    QFETCH(QStringList, shown);
    QFETCH(QVariantList, upToDate);

    // Without arguments, a port just given back: nothing listens there.
    const auto addressOf = [](StationSim &sim, const QStringList &args) {
        QTcpServer given;
        if (!args.isEmpty())
            return sim.start() ? sim.address() : sim.errorString();
        return given.listen(QHostAddress::LocalHost) ? QStringLiteral("127.0.0.1:%1").arg(given.serverPort())
                                                     : QString();
    };
    StationSim firstSim(first);
    StationSim secondSim(second);
    RunDriver driver;
    QSignalSpy versions(driver.run(), &UpdateRun::stationVersion);
    QSignalSpy decisions(driver.run(), &UpdateRun::versionDecided);
    QSignalSpy done(driver.controller(), &IpBaseCtrl::requestDone);
    driver.run()->setAddress(addressOf(firstSim, first));
    for (int tick = 0; tick < asked.size(); ++tick) {
        if (tick == 1 && !second.isEmpty())
            driver.run()->setAddress(addressOf(secondSim, second));
        done.clear();
        QVERIFY(driver.tick());
        QCOMPARE(int(done.size()), asked.at(tick));
    }
    QStringList versionsShown;
    for (const QList<QVariant> &version : qAsConst(versions))
        versionsShown << version.at(0).toString();
    QCOMPARE(versionsShown, shown);
    QVariantList decided;
    for (const QList<QVariant> &decision : qAsConst(decisions))
        decided << decision.at(0);
    QCOMPARE(decided, upToDate);
}

void tst_UpdateRun::wholeRun_data()
{
    QTest::addColumn<Run>("run");

    QTest::newRow("current generation, pre-upload reboot, in the window") << Run("current", false);
    QTest::newRow("current generation, no pre-reboot") << Run("current", true);
    QTest::newRow("older generation, pre-upload reboot") << Run("v11", false);
    QTest::newRow("older generation, no pre-reboot") << Run("v11", true);
    // A station is free in its status lines: these answer every GET with an error status and the usual body.
    QTest::newRow("current generation, every GET answered 404") << Run("current", true, {"--status", "404"});
    QTest::newRow("older generation, every GET answered 500") << Run("v11", false, {"--status", "500"});
    QTest::newRow("current generation, upload answered while flashing")
        << Run("current", true, {"--upload-answer-delay", "1.5"}, true);
    QTest::newRow("older generation, upload answered while flashing")
        << Run("v11", true, {"--upload-answer-delay", "1.5"}, true);
    QTest::newRow("current generation, upload never answered") << Run("current", true, {"--upload-answer-delay", "never"});
    QTest::newRow("older generation, upload never answered") << Run("v11", false, {"--upload-answer-delay", "never"});
    QTest::newRow("current generation, restart straight from Verify Write (4/5)")
        << Run("current", true, {"--restart-unannounced"});
    Run blip("current", true, {"--error-once-at-step", "3"});
    blip.shownOnce = QStringLiteral("ERROR (2/7)");
    QTest::newRow("current generation, ERROR for one report amid the flashing") << blip;
    Run chosen("current", true);
    chosen.image = QStringLiteral("vmlinuz_test_build");
    chosen.newVersion = chosen.shownVersion = QStringLiteral("143 20201120 V14.2");
    QTest::newRow("image chosen in debug mode, any version confirms") << chosen;
    Run typed("current", true);
    typed.choice = Typed;
    QTest::newRow("the address typed in from the box of a search that found nothing, in the window") << typed;
    const QString otherAddress = qEnvironmentVariable("VMFWUPD_STATION_IP2");
    // Its answer to the question asked with the reboot comes during the countdown: it says nothing of where the
    // station will be.
    Run moved("current", false, {"--comeback-at", otherAddress});
    moved.choice = QuickClick;
    QTest::newRow("current generation, back at another address after the pre-upload reboot, quick click") << moved;
    QTest::newRow("older generation, back at another address after flashing, in the window")
        << Run("v11", true, {"--comeback-at", otherAddress});
}

void tst_UpdateRun::wholeRun()
{
    QFETCH(Run, run);

    StationSim sim = stationFor(run);
    if (inTheWindow()) {
        WindowDriver driver;
        carryWholeRun(driver, sim, run);
    } else {
        RunDriver driver;
        carryWholeRun(driver, sim, run);
    }
}

void tst_UpdateRun::runsInARow_data()
{
    QTest::addColumn<Run>("first");
    QTest::addColumn<Run>("second");

    const Run older("v11", true);
    Run olderStaysOlder = older;
    olderStaysOlder.newVersion = QStringLiteral("VOIP_EN 11.8 20210125");
    olderStaysOlder.shownVersion = QStringLiteral("v11.x");
    olderStaysOlder.image = QStringLiteral("vmlinuz_v11_8");
    QTest::newRow("older generation, then the current one") << older << Run("current", false);
    QTest::newRow("older generation twice") << olderStaysOlder << olderStaysOlder;
}

// One run object, one controller: whatever a run leaves behind must not steer the next one.
void tst_UpdateRun::runsInARow()
{
    QFETCH(Run, first);
    QFETCH(Run, second);

    RunDriver driver;
    StationSim firstStation = stationFor(first);
    carryWholeRun(driver, firstStation, first);
    if (QTest::currentTestFailed())
        return;
    if (second.generation == first.generation) {
        carryWholeRun(driver, firstStation, second);
        return;
    }
    StationSim secondStation = stationFor(second);
    carryWholeRun(driver, secondStation, second);
}

template<class Driver>
void tst_UpdateRun::carryWholeRun(Driver &driver, StationSim &sim, const Run &run)
{
    const bool v11 = run.generation == QLatin1String("v11");
    // The default image lies beside the program, where a user's copy of the updater keeps it.
    const QString image = QCoreApplication::applicationDirPath() + QLatin1Char('/') + run.image;
    const QString sha256 = writeImage(image, 96 * 1024);
    QVERIFY2(!sha256.isEmpty(), qPrintable(image));
    auto removeImage = qScopeGuard([&] { QFile::remove(image); });
    if (run.lateUploadAnswer)
        driver.controller()->setTimeouts({10000, 1200});
    QVERIFY(prepare(sim, driver, image, run.noReboot, run.choice));
    if constexpr (isWindow<Driver>) {
        WindowDriver::MessageBoxSeen closing;
        driver.closeNextMessageBox(&closing, WindowDriver::PressEnter);
        QVERIFY2(!driver.window().close(), "Enter answers No: the window stays open");
        QCOMPARE(closing.text, QStringLiteral("The update is still in progress. Closing the updater now can leave the "
                                              "base station without working firmware.\n\nClose anyway?"));
        QCOMPARE(closing.buttons, (QStringList{"&Yes", "&No"}));
    }
    const auto requestsBefore = sim.log().size();
    const QVector<int> draws = restartRandSequence(2000);

    // Leaving Idle: controls locked, warning shown, the station rebooted unless told not to.
    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 1);
    QVERIFY2(!driver.controlsEnabled(), "controls are locked during a run");
    QCOMPARE(driver.warningText(), powerWarning);
    // A quick click leaves the run's question to the newly found station for this tick. A tick's requests go out
    // side by side, and the station may log them in either order.
    QStringList firstTick = requestsOf(sim.log().mid(requestsBefore));
    firstTick.sort();
    QCOMPARE(firstTick,
             (run.noReboot ? QStringList() : QStringList{"reboot"}) + versionRequests(run.choice == QuickClick ? 1 : 0));
    if constexpr (isWindow<Driver>) {
        auto *service = driver.template find<QPushButton>("pushButtonDefaultCfg");
        if (!service->isVisible()) {
            driver.clickOwl(debugClicksNeeded + 1);
            QVERIFY2(!service->isVisible(), "clicks on the owl during a run do not count towards debug mode");
        }
    }

    if (!run.noReboot) {
        for (int i = 1; i <= 25; ++i) {
            QVERIFY(driver.tick());
            QCOMPARE(driver.state(), 1);
            QCOMPARE(driver.barValue(), 4 * i);
            QCOMPARE(driver.totalValue(), 4 * i);
            QCOMPARE(driver.stepText(), QStringLiteral("Wait (1/7)"));
            QCOMPARE(driver.statusBarText(), QStringLiteral("wait for base"));
        }
        // Nothing is asked during the countdown.
        QCOMPARE(requestsOf(sim.log().mid(requestsBefore)).size(), firstTick.size());
        // After the countdown every tick asks for the version until the rebooted station answers.
        QSignalSpy answers(driver.controller(), &IpBaseCtrl::deviceStat);
        for (int i = 0; i < 40 && answers.isEmpty(); ++i) {
            QVERIFY2(waitUntilListening(sim.addressAfterReboot()), "the station came back after its reboot");
            QVERIFY(driver.tick());
            QCOMPARE(driver.state(), 1);
            QCOMPARE(driver.requestFlags(),
                     QStringLiteral("startUpg false checkUpl false checkUpg false checkAvail true"));
            awaitFollow(driver, sim);
        }
        QVERIFY2(!answers.isEmpty(), "the rebooted station answered");
    }

    // Upload, with a version request on the same tick.
    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 4);
    QCOMPARE(driver.requestFlags(), QStringLiteral("startUpg false checkUpl false checkUpg false checkAvail true"));
    QTRY_COMPARE_WITH_TIMEOUT(driver.stepText(), QStringLiteral("Upload Complete (2/7)"), 10000);
    QCOMPARE(driver.totalValue(), 200);
    QTRY_VERIFY_WITH_TIMEOUT(!lastUpload(sim.log().mid(requestsBefore)).isEmpty(), 5000);
    const QJsonObject upload = lastUpload(sim.log().mid(requestsBefore));
    QCOMPARE(upload.value("sha256").toString(), sha256);
    QCOMPARE(upload.value("filename").toString(),
             v11 ? QStringLiteral("vmlinuz") : run.image);

    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 5);

    // Five upload-status polls, then the upgrade command and a sixth poll, sent in that order.
    const auto beforeVerify = sim.log().size();
    for (int i = 0; i < 5; ++i) {
        QVERIFY(driver.tick());
        QCOMPARE(driver.state(), 5);
        QCOMPARE(driver.requestFlags(), QStringLiteral("startUpg false checkUpl true checkUpg false checkAvail false"));
        QCOMPARE(driver.stepText(), v11 ? QStringLiteral("Verification Success (2/7)")
                                        : QStringLiteral("Upload ok, upgrade will start (2/7)"));
    }
    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 6);
    QCOMPARE(driver.requestFlags(), QStringLiteral("startUpg true checkUpl true checkUpg false checkAvail false"));
    const QString poll = v11 ? QStringLiteral("sizepage") : QStringLiteral("status");
    QCOMPARE(requestsInSendingOrder(sim.log().mid(beforeVerify), draws),
             (QStringList{poll, poll, poll, poll, poll, "start", poll}));
    const auto log = sim.log();
    const auto start = std::find_if(log.cbegin() + beforeVerify, log.cend(), [](const QJsonObject &entry) {
        return entry.value("json").toObject().value("paramId").toInt() == 25;
    });
    QVERIFY(start != log.cend());
    QCOMPARE(start->value("json").toObject().value("paramValue").toString(), run.image);

    if (run.lateUploadAnswer) {
        // The station flashes and only then answers the upload, well past the upload's idle limit.
        QVERIFY2(QTest::qWaitFor([&] { return sim.log().constLast().value("answered").toBool(); }, 10000),
                 "the station answered the upload");
        QVERIFY2(!driver.statusBarText().contains(QLatin1String("Error")), qPrintable(driver.statusBarText()));
    }

    // The flashing steps, in order, until the station reports the finish.
    QList<int> seen;
    bool shownOnce = false;
    for (int i = 0; i < 100 && stepShown(driver.stepText()) != 7; ++i) {
        QVERIFY(driver.tick());
        QCOMPARE(driver.state(), 6);
        shownOnce = shownOnce || driver.stepText() == run.shownOnce;
        // A station away for a restart is asked again only a little later, as by the run's timer; it may still be
        // away then.
        static_cast<void>(QTest::qWaitFor([&] { return listening(sim.address()); }, 300));
        // Texts without a step marker show as step 2 whenever they come.
        const int step = stepShown(driver.stepText());
        if (step == 2)
            continue;
        QVERIFY2(seen.isEmpty() || step >= seen.constLast(), "steps never go back");
        if (seen.isEmpty() || seen.constLast() != step)
            seen << step;
    }
    QVERIFY2(shownOnce || run.shownOnce.isEmpty(), qPrintable(run.shownOnce));
    QCOMPARE(seen.constLast(), 7);
    seen.removeLast();
    QCOMPARE(seen, (v11 ? QList<int>{3, 5} : QList<int>{3, 4, 5, 6}));
    // The station restarts, and the run is not over until it confirms its new version.
    QVERIFY2(!driver.controlsEnabled() && driver.warningText() == powerWarning, "the run keeps its controls");
    if (v11)
        QCOMPARE(driver.totalValue(), 700);

    // The restart wait: two per tick, 8..96; on the thirteenth tick the run starts asking which version the
    // station now runs, as it does when idle, and the first answer decides.
    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 8);
    for (int i = 1; i <= 12; ++i) {
        QVERIFY(driver.tick());
        QCOMPARE(driver.state(), 8);
        QCOMPARE(driver.barValue(), 8 * i);
        QCOMPARE(driver.totalValue(), 600 + 8 * i);
        QCOMPARE(driver.stepText(), QStringLiteral("Wait (7/7)"));
    }
    const auto beforeConfirm = sim.log().size();
    QSignalSpy answers(driver.controller(), &IpBaseCtrl::deviceStat);
    int confirmTicks = 0;
    for (; confirmTicks < 40 && answers.isEmpty(); ++confirmTicks) {
        QVERIFY2(driver.statusBarText() != success, "success waits for the station's answer");
        QVERIFY2(!driver.controlsEnabled(), "the controls wait for it too");
        QVERIFY2(confirmTicks == 0 || waitUntilListening(sim.addressAfterReboot()),
                 "the station came back with its new firmware");
        QVERIFY(driver.tick());
        QCOMPARE(driver.state(), 9);
        awaitFollow(driver, sim);
    }
    QCOMPARE(driver.statusBarText(), success);
    QVERIFY2(driver.controlsEnabled() && driver.warningText() != powerWarning, "success and the controls come back together");
    QCOMPARE(driver.versionText(), run.shownVersion);
    QCOMPARE(driver.addressText(), sim.addressAfterReboot());
    // The tick that ends the wait asks nothing; the next one asks twice (the address counts as new), later ones once.
    // A station followed to another address hears only the two of the tick after the search.
    const bool moved = sim.addressAfterReboot() != sim.address();
    QCOMPARE(requestsOf(sim.log().mid(beforeConfirm)), versionRequests(moved ? 2 : confirmTicks));
    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 0);
    QVERIFY(driver.controlsEnabled());
    const bool upToDate = run.shownVersion.contains(QLatin1String("V14.3"));
    QCOMPARE(driver.warningText(), upToDate ? QStringLiteral("This Velmora is up to date") : QString());
    QCOMPARE(driver.confirmationOffered(), !upToDate);
    QTRY_COMPARE(sleepServices.held(), 0);
    QCOMPARE(sleepServices.taken(), 1);
    const auto after = sim.log().mid(requestsBefore);
    QCOMPARE(std::count_if(after.cbegin(), after.cend(), [](const QJsonObject &e) { return e.contains("upload"); }), 1);
    QVERIFY2(!driver.run()->inProgress(), "the run is over");
    if constexpr (isWindow<Driver>) {
        QVERIFY2(!driver.template find<QProgressBar>("progressBar")->isVisible(), "the progress widgets are hidden again");
        QCloseEvent close;
        QCoreApplication::sendEvent(&driver.window(), &close);
        QVERIFY2(close.isAccepted(), "after the run the window closes without asking");
    }
}

void tst_UpdateRun::failureEndsTheRun_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<bool>("noReboot");
    QTest::addColumn<QString>("language");
    // The step label of the controller's report when the station does what ends its run; empty: the reboot request;
    // "start": the start-upgrade command; "last answer": the last tick whose requests the station answered.
    QTest::addColumn<QString>("trigger");
    // The run ends between these ticks after the trigger; latest -1: it is still running after the earliest.
    QTest::addColumn<int>("earliest");
    QTest::addColumn<int>("latest");
    QTest::addColumn<QString>("statusBar");
    // The second paragraph of the box that ends the run with the status bar's text; empty: no box.
    QTest::addColumn<QString>("advice");
    QTest::addColumn<bool>("startSent");
    // Ticks after the station fell silent at which it answers one request once more; 0: never.
    QTest::addColumn<int>("answerOnceAfter");
    // The MAC of another station that the same search listed, at the address the station comes back at.
    QTest::addColumn<QString>("beside");

    const QString upload = QStringLiteral("Upload Error occurred. Pls Try Again");
    QTest::newRow("station drops the upload, in the window")
        << QStringList{"--drop-upload-after", "20000"} << true << "EN" << "Error" << 1 << 1 << upload << "" << false << 0 << QString();
    QTest::newRow("station resets the connection instead of answering")
        << QStringList{"--reset-upload"} << true << "EN" << "Error" << 1 << 1 << upload << "" << false << 0 << QString();
    QTest::newRow("station answers the upload 500")
        << QStringList{"--upload-status", "500"} << true << "EN" << "Error" << 1 << 1 << upload << "" << false << 0 << QString();

    const QString crc = QStringLiteral("CRC error in uploaded file. Please close this application and start again");
    const QString crcNl = QStringLiteral("CRC fout in uploaded bestand. Sluit deze applicatie aub en begin opnieuw");
    const QString again = QStringLiteral("The update did not finish. Keep the base station switched on and try the "
                                         "update again.");
    const QString againNl = QStringLiteral("De update is niet afgerond. Laat het basisstation aan staan en probeer de "
                                           "update opnieuw.");
    QTest::newRow("CRC error in the stored image, before the start") << QStringList{"--crc-error-on-upload"} << true
        << "EN" << crc << 1 << 30 << "The base station reported an error: " + crc << again << false << 0 << QString();
    QTest::newRow("CRC error instead of flashing, Dutch, in the window") << QStringList{"--crc-error"} << true << "NL"
        << crcNl << 1 << 30 << "Het basisstation meldt een fout: " + crcNl << againNl << true << 0 << QString();
    QTest::newRow("ERROR from the third step on") << QStringList{"--error-at-step", "3"} << true << "EN"
        << "ERROR" << 1 << 30 << "The base station reported an error: ERROR" << again << true << 0 << QString();
    const QString notBack = QStringLiteral("The base station did not come back after its restart.");
    const QString nothingUploaded = QStringLiteral(
        "Nothing was uploaded, so its firmware is unchanged. Check that the base station has power and that its "
        "network cable to the router is plugged in, then search for it again with \"Find my Velmora\".");
    QTest::newRow("no comeback after the pre-upload reboot") << QStringList{"--no-comeback"} << false << "EN" << ""
        << 150 << 150 << notBack << nothingUploaded << false << 0 << QString();
    QTest::newRow("no comeback, Dutch") << QStringList{"--no-comeback"} << false << "NL" << "" << 150 << 150
        << "Het basisstation is na de herstart niet meer bereikbaar."
        << "Er is niets geüpload, de firmware is dus niet veranderd. Controleer of het basisstation stroom heeft en of "
           "de netwerkkabel naar de router goed vastzit, en zoek het daarna opnieuw met \"Zoek mijn Velmora\"." << false << 0 << QString();
    QTest::newRow("another station at the new address after the reboot")
        << QStringList{"--comeback-at", qEnvironmentVariable("VMFWUPD_STATION_IP2"), "--comeback-mac", "0A:1B:2C:3D:4E:60"}
        << false << "EN" << "" << 150 << 150 << notBack << nothingUploaded << false << 0 << QString();
    QTest::newRow("another station listed beside it, its own answer without a MAC, in the window")
        << QStringList{"--comeback-at", qEnvironmentVariable("VMFWUPD_STATION_IP2"), "--comeback-mac", "0A:1B:2C:3D:4E:60",
                       "--answer-without-mac"}
        << false << "EN" << "" << 150 << 150 << notBack << nothingUploaded << false << 0 << "0A:1B:2C:3D:4E:60";
    QTest::newRow("the same step for 10 minutes, in the window") << QStringList{"--stall-at-step", "3"} << true << "EN"
        << "Writing Flash" << 300 << -1 << "Upgrade Writing Flash" << "" << true << 0 << QString();

    const QString tryAgain = QStringLiteral("The update did not take, so its firmware is unchanged. Keep the base "
                                            "station switched on and try the update again.");
    QTest::newRow("back with its old version") << QStringList{"--new-version", "143 20201120 V14.2"} << true << "EN"
        << "Rebooting" << 16 << 16 << "The base station restarted but still runs version 143 20201120 V14.2."
        << tryAgain << true << 0 << QString();
    QTest::newRow("back as the older generation, Dutch") << QStringList{"--new-version", "VOIP_EN 11.7 20190301"}
        << true << "NL" << "Rebooting" << 16 << 16 << "Het basisstation is herstart maar draait nog steeds versie v11.x."
        << "De update is niet gelukt, de firmware is dus niet veranderd. Laat het basisstation aan staan en probeer de "
           "update opnieuw." << true << 0 << QString();
    QTest::newRow("never back after flashing") << QStringList{"--no-comeback"} << true << "EN" << "Rebooting" << 150
        << 150 << "The base station has not come back after the update."
        << "Check that the base station has power and that its network cable to the router is plugged in, then "
           "search for it again with \"Find my Velmora\"." << true << 0 << QString();
    const QString silentAdvice = QStringLiteral(
        "It may still be busy with the update, so leave it switched on. In ten minutes, search for it again with "
        "\"Find my Velmora\". If it does not show up, check that its network cable to the router is plugged in and "
        "search once more; if it still does not show up, contact the helpdesk (see Info).");
    QTest::newRow("silent from the second flashing step on") << QStringList{"--down-at-step", "2"} << true << "EN"
        << "last answer" << 300 << 300 << "The base station stopped answering during the update." << silentAdvice
        << true << 0 << QString();
    QTest::newRow("silent, but answers once in between") << QStringList{"--down-at-step", "2"} << true << "EN"
        << "last answer" << 300 << 300 << "The base station stopped answering during the update." << silentAdvice
        << true << 150 << QString();
    QTest::newRow("silent, Dutch") << QStringList{"--down-at-step", "3"} << true << "NL" << "last answer" << 300
        << 300 << "Het basisstation reageert niet meer tijdens de update."
        << "Misschien is het nog met de update bezig, laat het dus aan staan. Zoek het over tien minuten opnieuw met "
           "\"Zoek mijn Velmora\". Verschijnt het niet, controleer dan of de netwerkkabel naar de router goed vastzit "
           "en zoek nog een keer; verschijnt het dan nog steeds niet, neem dan contact op met de helpdesk (zie Info)."
        << true << 0 << QString();
    QTest::newRow("older generation, its upgrade page endless") << QStringList{"--generation", "v11", "--endless",
        "/firmwareupg"} << true << "EN" << "last answer" << 300 << 300
        << "The base station stopped answering during the update." << silentAdvice << true << 0 << QString();
    QTest::newRow("the start is never taken") << QStringList{"--never-start"} << true << "EN" << "start" << 150
        << 150 << "The base station did not start the upgrade."
        << "Its firmware is unchanged. Keep the base station switched on and try the update again." << true << 0 << QString();
    QTest::newRow("the older generation never starts, Dutch") << QStringList{"--never-start", "--generation", "v11"}
        << true << "NL" << "start" << 150 << 150 << "Het basisstation is niet met de upgrade begonnen."
        << "De firmware is niet veranderd. Laat het basisstation aan staan en probeer de update opnieuw." << true << 0 << QString();
}

void tst_UpdateRun::failureEndsTheRun()
{
    if (inTheWindow()) {
        WindowDriver driver;
        endTheRun(driver);
    } else {
        RunDriver driver;
        endTheRun(driver);
    }
}

template<class Driver>
void tst_UpdateRun::endTheRun(Driver &driver)
{
    QFETCH(QStringList, simArgs);
    QFETCH(bool, noReboot);
    QFETCH(QString, language);
    QFETCH(QString, trigger);
    QFETCH(int, earliest);
    QFETCH(int, latest);
    QFETCH(QString, statusBar);
    QFETCH(QString, advice);
    QFETCH(bool, startSent);
    QFETCH(int, answerOnceAfter);
    QFETCH(QString, beside);

    StationSim sim = stationWith(QStringList{"--advance-per-poll", "--reboot-seconds", "1"} + simArgs);
    driver.switchLanguage(language);
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("vmlinuz20210125_v143"));
    QVERIFY(!writeImage(image, 512 * 1024).isEmpty());
    QVERIFY(prepare(sim, driver, image, noReboot, Found, beside));
    const auto before = sim.log().size();
    const bool answers = !simArgs.contains("--no-comeback") && !simArgs.contains("--down-at-step")
                         && !simArgs.contains("--comeback-mac");
    QSignalSpy reports(driver.controller(), &IpBaseCtrl::progressUpd);
    QSignalSpy requestsDone(driver.controller(), &IpBaseCtrl::requestDone);
    QSignalSpy messages(driver.run(), &UpdateRun::statusText);
    bool answeredOnce = false;

    // Each tick is looked at as it leaves the run, before the station answers what it sent.
    int triggerTick = trigger.isEmpty() ? 1 : -1;
    int endTick = -1;
    for (int tick = 1; tick <= 800 && (triggerTick < 0 || tick <= triggerTick + qMax(earliest, latest)); ++tick) {
        if (answerOnceAfter > 0 && !answeredOnce && tick == triggerTick + answerOnceAfter) {
            // The silent station answers one request, as the controller reports it.
            QVERIFY(QMetaObject::invokeMethod(driver.run(), "requestDone", Q_ARG(QString, "version"),
                                              Q_ARG(QString, QString())));
            answeredOnce = true;
            triggerTick = tick - 1;
        }
        requestsDone.clear();
        driver.tick(RunTicker::NoSettle);
        if (driver.state() == 0) {
            endTick = tick;
            break;
        }
        QVERIFY(driver.settle());
        // The upload decides the run before the next tick, as it does in the run's slower ticks.
        if (driver.state() == 4)
            QVERIFY(QTest::qWaitFor([&] { return uploadOver(driver); }, 10000));
        // A restarting station is asked again only once it is back, as by the run's timer.
        if (driver.state() == 9 && answers)
            QVERIFY(waitUntilListening(sim.address()));
        const bool answered = std::any_of(requestsDone.cbegin(), requestsDone.cend(),
                                          [](const QList<QVariant> &done) { return done.at(1).toString().isEmpty(); });
        if (trigger == QLatin1String("start")) {
            if (triggerTick < 0 && driver.requestFlags().startsWith(QLatin1String("startUpg true")))
                triggerTick = tick;
        } else if (trigger == QLatin1String("last answer")) {
            if (answered)
                triggerTick = tick;
        } else if (triggerTick < 0 && std::any_of(reports.cbegin(), reports.cend(), [&](const QList<QVariant> &report) {
                       return report.at(2).toString() == trigger;
                   })) {
            triggerTick = tick;
        }
    }
    QVERIFY2(answeredOnce || answerOnceAfter == 0, "the silent station answered once");
    for (const QList<QVariant> &message : qAsConst(messages))
        QVERIFY2(!message.at(0).toString().startsWith(QLatin1String("Success")), "no success is ever claimed");
    QVERIFY2(triggerTick > 0, qPrintable(trigger));
    QCOMPARE(driver.statusBarText(), statusBar);
    QCOMPARE(driver.boxText(), advice.isEmpty() ? QString() : statusBar + "\n\n" + advice);
    if (!advice.isEmpty()) {
        // Its details tell whoever helps what was updated, how the run went and why it ended.
        const QString details = driver.boxDetails();
        QVERIFY2(details.section(QLatin1Char('\n'), 1, 1).contains(sim.address())
                     && details.contains(QLatin1String(" state WaitForBase\n"))
                     && details.contains(QRegularExpression(QStringLiteral(" state Idle\n[^\n]* ended: [^\n]+$"))),
                 qPrintable(details));
    }
    if constexpr (isWindow<Driver>) {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            QCOMPARE(box->textFormat(), Qt::PlainText);
            QVERIFY2(WindowDriver::alertParts(box).contains(box->text()), "read out whole, as an alert");
            const QList<QAbstractButton *> buttons = box->buttons();
            QVERIFY2(std::any_of(buttons.cbegin(), buttons.cend(), [&](const QAbstractButton *button) {
                         return button->text() == (language == "NL" ? "Details tonen..." : "Show Details...");
                     }),
                     "the details are behind a button in the language shown");
        }
    }
    QCOMPARE(requestsOf(sim.log().mid(before)).contains(QStringLiteral("start")), startSent);
    QCOMPARE(sleepServices.inhibitions().constFirst().reason,
             language == "NL" ? QStringLiteral("De firmware van het Velmora basisstation wordt bijgewerkt")
                              : QStringLiteral("Updating the firmware of the Velmora base station"));
    if (latest < 0) {
        QVERIFY2(endTick < 0 && !driver.controlsEnabled(), "a station that goes on reporting steps is waited for");
        QCOMPARE(driver.warningText(), powerWarning);
        QCOMPARE(sleepServices.held(), 1);
        // Leaving in the middle of the run lets the computer sleep again.
        if constexpr (isWindow<Driver>) {
            WindowDriver::MessageBoxSeen closing;
            driver.closeNextMessageBox(&closing, WindowDriver::AnswerYes);
            QVERIFY2(driver.window().close(), "Yes closes the window");
        } else {
            driver.run()->leave(QStringLiteral("the owner left"));
        }
        QTRY_COMPARE(sleepServices.held(), 0);
        return;
    }
    QVERIFY2(endTick - triggerTick >= earliest && endTick - triggerTick <= latest,
             qPrintable(QStringLiteral("ended %1 ticks after the trigger").arg(endTick - triggerTick)));
    driver.closeBox();

    QVERIFY(driver.controlsEnabled());
    QVERIFY(driver.warningText().isEmpty());
    // Unless the very answer that ended the run offers it again.
    QVERIFY2(!driver.confirmationOffered() || (trigger == "Rebooting" && answers), "the confirmation is withdrawn");
    if constexpr (isWindow<Driver>) {
        QVERIFY2(!driver.template find<QCheckBox>("checkBoxModClose")->isChecked(), "the confirmation is unticked");
        QVERIFY2(!driver.template find<QPushButton>("pushButtonUpdate")->isVisible(), "the update button is hidden");
    }
    QVERIFY(driver.settle());
    QVERIFY2(!answers || requestsOf(sim.log().mid(before)).contains(QLatin1String("version")), "the version is asked again");

    // A station that answers offers the confirmation again: the user can start a new run.
    QCOMPARE(driver.confirmationOffered(), answers);
    QCOMPARE(driver.statusBarText(), statusBar);
    QTRY_COMPARE(sleepServices.held(), 0);
    QCOMPARE(sleepServices.taken(), 1);
}

QTEST_MAIN(tst_UpdateRun)
#include "tst_updaterun.moc"
