#include "privatenetwork.h"
#include "stationsim.h"
#include "statuswatcher.h"
#include "windowdriver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

// Whole updates as a user meets them: the real window on the updater host of a private network, and the simulated
// station on the station host, found by the discovery broadcast. With its real 2 s workflow timer, nothing is
// stepped by hand: the test clicks, then watches what the window shows and what the station received. The
// keyboard case ticks the workflow itself, as it is about the keys, not the pacing.
class tst_EndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wholeUpdate_data();
    void wholeUpdate();
    void droppedUploadThenStartAgain();
    void wholeUpdateByKeyboard();
};

namespace {

constexpr int debugClicksNeeded = 5;
constexpr int imageSize = 3 * 1024 * 1024 + 517;
constexpr int dropUploadAfter = 400000;
constexpr int foundTimeoutMs = 20000;
constexpr int reactionTimeoutMs = 10000;
// 25 ticks of waiting after the reboot, the upload, six verification ticks, about ten ticks of flashing and the
// 13-tick restart wait: about 100 s; the bound leaves room for a slow machine.
constexpr int wholeRunTimeoutMs = 240000;

const QString stationMac = QStringLiteral("5C:E1:A0:42:17:0B");
const QString newVersion = QStringLiteral("143 20210125 V14.3");
const QString powerWarning = QStringLiteral("Upgrade in Progress. Do not power off the base station!");
const QString upToDate = QStringLiteral("This Velmora is up to date");
const QString successText = QStringLiteral("Success, all done");
const QString uploadErrorText = QStringLiteral("Upload Error occurred. Pls Try Again");

// Every flashing step must outlast one 2 s tick, or the window's once-per-tick poll could skip it: the shortest
// of the station's steps (4 s nominal) then lasts 3 s.
// A real station is away for longer than one 2 s tick when it reboots; one that is back sooner would answer
// the poll the window still sends on the tick after "Rebooting" with "Idle".
QStringList stationArgs(const QString &generation)
{
    return {"--discovery",     "--port", "80",      "--lifetime",       "300", "--generation", generation,
            "--mac",           stationMac, "--time-scale", "0.75", "--reboot-seconds", "5"};
}

QString writeImage(const QString &path)
{
    QByteArray bytes(imageSize, Qt::Uninitialized);
    QRandomGenerator generator(20210125);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// One word per request or datagram the station received, in order.
QStringList requestWords(const QVector<QJsonObject> &log)
{
    QStringList words;
    for (const QJsonObject &entry : log) {
        const QString path = entry.value("path").toString();
        const QJsonObject command = entry.value("json").toObject();
        if (entry.value("method").toString() == QLatin1String("UDP"))
            words << "ping";
        else if (path == QLatin1String("/getJson.json"))
            words << (command.value("sysParamType").toInt(-1) == 6  ? "version"
                      : command.value("paramId").toInt(-1) == 25    ? "start"
                      : command.value("paramId").toInt(-1) == 26    ? "status"
                                                                    : "command");
        else if (path == QLatin1String("/debug"))
            words << "reboot";
        else if (path == QLatin1String("/file_upload_base"))
            words << "upload";
        else if (path == QLatin1String("/firmware.html"))
            words << "sizepage";
        else if (path == QLatin1String("/firmwareupg"))
            words << "upgradepage";
        else
            words << path;
    }
    return words;
}

// The course of the exchange: the words without the version requests (the window asks whenever it likes) and
// the start command (checked on its own), each run of equal words shown once.
QStringList courseOf(const QStringList &words)
{
    QStringList course;
    for (const QString &word : words) {
        if (word != QLatin1String("version") && word != QLatin1String("start")
            && (course.isEmpty() || course.constLast() != word))
            course << word;
    }
    return course;
}

QVector<QJsonObject> uploadsOf(const QVector<QJsonObject> &log)
{
    QVector<QJsonObject> uploads;
    for (const QJsonObject &entry : log) {
        if (entry.contains("upload"))
            uploads << entry.value("upload").toObject();
    }
    return uploads;
}

// The step numbers n of the label texts "... (n/7)", each run shown once.
QList<int> stepsShown(const QStringList &texts)
{
    static const QRegularExpression suffix(QStringLiteral("\\((\\d)/7\\)$"));
    QList<int> steps;
    for (const QString &text : texts) {
        const QRegularExpressionMatch match = suffix.match(text);
        const int step = match.hasMatch() ? match.captured(1).toInt() : 0;
        if (steps.isEmpty() || steps.constLast() != step)
            steps << step;
    }
    return steps;
}

// True when each expected text starts one of the messages, in this order.
bool appearInOrder(const QStringList &messages, const QStringList &expectedStarts)
{
    int next = 0;
    for (const QString &message : messages) {
        if (next < expectedStarts.size() && message.startsWith(expectedStarts.at(next)))
            ++next;
    }
    return next == expectedStarts.size();
}

QString listed(const QString &title, const QStringList &items)
{
    return title + QStringLiteral(":\n    ") + items.join(QStringLiteral("\n    "));
}

void clickCheckBox(QCheckBox *box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    option.text = box->text();
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

bool controlsEnabled(WindowDriver &driver)
{
    for (const char *name : {"pushButtonDevSearch", "pushButtonUpdate", "comboBoxIp"}) {
        if (!driver.find<QWidget>(name)->isEnabled())
            return false;
    }
    return true;
}

// The driver stops the workflow timer for tests that tick by hand; here it runs as in the program.
bool runRealTimer(WindowDriver &driver)
{
    QTimer *timer = driver.workflowTimer();
    if (!timer || timer->interval() != 2000)
        return false;
    timer->start();
    return true;
}

// "Find my Velmora", then waits until the station's version is shown.
bool findStation(WindowDriver &driver, const QString &versionShown)
{
    QTest::mouseClick(driver.find<QPushButton>("pushButtonDevSearch"), Qt::LeftButton);
    auto *version = driver.find<QLabel>("labelDeviceStatus");
    return QTest::qWaitFor([&] { return version->text() == versionShown; }, foundTimeoutMs);
}

// Ticks the bracelet confirmation and presses "Update Firmware"; true once the run has begun.
bool startUpdate(WindowDriver &driver)
{
    auto *confirm = driver.find<QCheckBox>("checkBoxModClose");
    if (!QTest::qWaitFor([&] { return confirm->isVisible(); }, reactionTimeoutMs))
        return false;
    clickCheckBox(confirm);
    auto *update = driver.find<QPushButton>("pushButtonUpdate");
    if (!confirm->isChecked() || !update->isVisible())
        return false;
    QTest::mouseClick(update, Qt::LeftButton);
    auto *warning = driver.find<QLabel>("labelWarning");
    return QTest::qWaitFor([&] { return warning->text() == powerWarning; }, reactionTimeoutMs);
}

void enterDebugModeWithoutReboot(WindowDriver &driver)
{
    driver.clickOwl(debugClicksNeeded);
    clickCheckBox(driver.find<QCheckBox>("checkBoxNoReboot"));
}

QString focused()
{
    QWidget *widget = QApplication::focusWidget();
    return widget ? widget->objectName() : QString();
}

// A key pressed and released on the widget that has the keyboard focus.
void press(Qt::Key key)
{
    if (QWidget *widget = QApplication::focusWidget())
        QTest::keyClick(widget, key);
}

// Tabs until `name` has the focus, at most once round the window; the widgets the focus passed, `name` last.
QStringList tabTo(const QString &name)
{
    QStringList passed;
    for (int i = 0; i < 20 && focused() != name; ++i) {
        press(Qt::Key_Tab);
        passed << focused();
    }
    return passed;
}

// The message boxes have no parent window, so when one closes the window manager hands the focus back to the
// window; the offscreen platform has none and leaves no window active.
bool backToWindow(WindowDriver &driver)
{
    driver.window().activateWindow();
    return QTest::qWaitForWindowActive(&driver.window());
}

// True once the station accepts connections again after a reboot.
bool stationListening(const StationSim &sim)
{
    return QTest::qWaitFor(
        [&] {
            QTcpSocket probe;
            probe.connectToHost(qEnvironmentVariable("VMFWUPD_STATION_IP"), sim.port());
            return probe.waitForConnected(200);
        },
        reactionTimeoutMs);
}

} // namespace

void tst_EndToEnd::initTestCase()
{
    // Discovery broadcasts on every interface: refuse to run anywhere but in the private network.
    const QString problem = privateNetworkProblem();
    QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("NOT RUN, unsafe network: ") + problem));
}

void tst_EndToEnd::wholeUpdate_data()
{
    QTest::addColumn<QString>("generation");
    QTest::addColumn<bool>("noReboot");
    QTest::addColumn<QString>("versionBefore");
    QTest::addColumn<QString>("uploadName");
    QTest::addColumn<QStringList>("course");
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("current generation, pre-upload reboot")
        << "current" << false << "143 20201120 V14.2" << "vmlinuz20210125_v143"
        << QStringList{"ping", "reboot", "upload", "status"} << QList<int>{1, 2, 3, 4, 5, 6, 7}
        << QStringList{"Starting Discovery for Velmora Units", "Discovery Complete", "wait for base", "Upload ",
                       "Upload Complete", "Upgrade Erasing Flash", "Upgrade Verify Erase", "Upgrade Writing Flash",
                       "Upgrade Verfiy Write", "Upgrade Rebooting", "wait for base", successText};
    QTest::newRow("older generation, no pre-reboot")
        << "v11" << true << "v11.x" << "vmlinuz" << QStringList{"ping", "upload", "sizepage", "upgradepage", "reboot"}
        << QList<int>{2, 3, 5, 7}
        << QStringList{"Starting Discovery for Velmora Units", "Discovery Complete", "Upload ", "Upload Complete",
                       "Upgrade done", "wait for base", successText};
}

void tst_EndToEnd::wholeUpdate()
{
    QFETCH(QString, generation);
    QFETCH(bool, noReboot);
    QFETCH(QString, versionBefore);
    QFETCH(QString, uploadName);
    QFETCH(QStringList, course);
    QFETCH(QList<int>, steps);
    QFETCH(QStringList, messages);
    QElapsedTimer clock;
    clock.start();

    StationSim sim = StationSim::onStationHost(stationArgs(generation));
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    WindowDriver driver;
    QVERIFY2(runRealTimer(driver), "the window has its 2 s workflow timer");
    auto *watcher = new StatusWatcher(&driver.window());

    auto *firmware = driver.find<QLineEdit>("lineEditFirmware");
    QTemporaryDir chosen;
    if (noReboot) {
        enterDebugModeWithoutReboot(driver);
        QVERIFY2(driver.find<QCheckBox>("checkBoxNoReboot")->isChecked(), "No Pre-Reboot is ticked");
        // In debug mode the user may pick any image: one of this case's own, as the cases run side by side.
        firmware->setText(chosen.filePath(QStringLiteral("vmlinuz20210125_v143")));
    } else {
        // The default image lies beside the program, where a user's copy of the updater keeps it.
        QCOMPARE(firmware->text(), QCoreApplication::applicationDirPath() + QStringLiteral("/vmlinuz20210125_v143"));
    }
    const QString image = firmware->text();
    const QString sha256 = writeImage(image);
    auto removeImage = qScopeGuard([&] { QFile::remove(image); });
    QVERIFY2(!sha256.isEmpty(), qPrintable("cannot write the test image " + image));
    QVERIFY2(findStation(driver, versionBefore),
             qPrintable(listed("the station's version is not shown; status bar", watcher->messages())));
    QCOMPARE(driver.find<QLabel>("labelMacAddr")->text(), stationMac);
    QCOMPARE(driver.find<QComboBox>("comboBoxIp")->currentText(), qEnvironmentVariable("VMFWUPD_STATION_IP"));
    QVERIFY2(driver.find<QLabel>("labelWarning")->text() != upToDate, "an older version is not up to date");

    QVERIFY2(startUpdate(driver), "the bracelet confirmation and \"Update Firmware\" start a run");
    QVERIFY2(!controlsEnabled(driver), "the controls are locked during the run");

    const bool ended = QTest::qWaitFor(
        [&] {
            const QStringList shown = watcher->messages();
            return shown.contains(successText) || shown.contains(uploadErrorText);
        },
        wholeRunTimeoutMs);
    QVERIFY2(ended && !watcher->messages().contains(uploadErrorText),
             qPrintable(listed("no \"Success, all done\"; status bar", watcher->messages())
                        + listed("\nstep label", watcher->stepTexts())));

    // Back to asking the restarted station, which now runs the delivered version.
    auto *version = driver.find<QLabel>("labelDeviceStatus");
    QTRY_COMPARE_WITH_TIMEOUT(version->text(), newVersion, foundTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(driver.find<QLabel>("labelWarning")->text(), upToDate, reactionTimeoutMs);
    QVERIFY2(controlsEnabled(driver), "the controls are enabled after the run");
    QVERIFY2(!driver.find<QCheckBox>("checkBoxModClose")->isVisible()
                 && !driver.find<QPushButton>("pushButtonUpdate")->isVisible(),
             "neither the confirmation nor the update button is offered for an up-to-date station");

    qInfo().noquote() << listed("step label", watcher->stepTexts());
    qInfo().noquote() << listed("status bar", watcher->messages());
    QCOMPARE(stepsShown(watcher->stepTexts()), steps);
    QVERIFY2(appearInOrder(watcher->messages(), messages),
             qPrintable(listed("status bar", watcher->messages()) + listed("\nexpected in order", messages)));
    QCOMPARE(watcher->messages().constLast(), successText);

    const QVector<QJsonObject> log = sim.log();
    const QStringList words = requestWords(log);
    QVERIFY2(courseOf(words) == course, qPrintable(listed("requests", words)));

    const QVector<QJsonObject> uploads = uploadsOf(log);
    QCOMPARE(uploads.size(), 1);
    QCOMPARE(uploads.first().value("filename").toString(), uploadName);
    QCOMPARE(uploads.first().value("size").toDouble(), double(imageSize));
    QCOMPARE(uploads.first().value("sha256").toString(), sha256);
    QVERIFY2(uploads.first().value("complete").toBool(), "the station holds the whole upload");

    // The upgrade starts once, on the sixth verification tick after the upload.
    QCOMPARE(words.count("start"), 1);
    const auto upload = words.indexOf("upload");
    const auto start = words.indexOf("start");
    const QString verifyWord = generation == QLatin1String("v11") ? "sizepage" : "status";
    const auto verifyPolls = words.mid(upload, start - upload).count(verifyWord);
    QVERIFY2(start > upload && (verifyPolls == 5 || verifyPolls == 6), qPrintable(listed("requests", words)));
    if (!noReboot) {
        const auto reboot = words.indexOf("reboot");
        QVERIFY2(words.indexOf("version", reboot) < upload, "the rebooted station answered before the upload");
    }
    const QString lastFlashing = generation == QLatin1String("v11") ? "reboot" : "status";
    QVERIFY2(words.lastIndexOf("version") > words.lastIndexOf(lastFlashing),
             "the window asked the restarted station for its version");
    qInfo("%s: %.1f s", QTest::currentDataTag(), double(clock.elapsed()) / 1000.0);
}

void tst_EndToEnd::droppedUploadThenStartAgain()
{
    QElapsedTimer clock;
    clock.start();
    StationSim sim = StationSim::onStationHost(stationArgs("current")
                                               << "--drop-upload-after" << QString::number(dropUploadAfter));
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    WindowDriver driver;
    QVERIFY2(runRealTimer(driver), "the window has its 2 s workflow timer");
    auto *watcher = new StatusWatcher(&driver.window());
    enterDebugModeWithoutReboot(driver);
    QTemporaryDir chosen;
    const QString image = chosen.filePath(QStringLiteral("vmlinuz20210125_v143"));
    driver.find<QLineEdit>("lineEditFirmware")->setText(image);
    QVERIFY2(!writeImage(image).isEmpty(), qPrintable("cannot write the test image " + image));
    QVERIFY2(findStation(driver, "143 20201120 V14.2"), qPrintable(listed("status bar", watcher->messages())));
    QVERIFY2(startUpdate(driver), "the first run starts");

    QVERIFY2(QTest::qWaitFor([&] { return watcher->messages().contains(uploadErrorText); }, wholeRunTimeoutMs),
             qPrintable(listed("no upload error; status bar", watcher->messages())));
    QCOMPARE(driver.find<QLabel>("labelStatus")->text(), QStringLiteral("Error (1/7)"));
    // The next tick ends the run: controls back, confirmation withdrawn, the error left for the user to read.
    auto *confirm = driver.find<QCheckBox>("checkBoxModClose");
    QTRY_VERIFY2_WITH_TIMEOUT(controlsEnabled(driver) && driver.find<QLabel>("labelWarning")->text().isEmpty(),
                              "the run ends after the error", reactionTimeoutMs);
    QVERIFY2(!confirm->isChecked(), "the confirmation is unticked");
    QVERIFY2(!watcher->messages().contains(successText), "a failed upload is never reported as success");
    QCOMPARE(driver.statusBarText(), uploadErrorText);

    // Qt sends a request once more by itself when the connection closes before an answer, so the station may
    // see two attempts for one press; none of them complete.
    const QVector<QJsonObject> firstUploads = uploadsOf(sim.log());
    QVERIFY2(!firstUploads.isEmpty(), "the station saw the upload begin");
    for (const QJsonObject &upload : firstUploads) {
        QVERIFY2(!upload.value("complete").toBool(), "the station saw the upload cut off");
        QCOMPARE(upload.value("size").toDouble(), double(dropUploadAfter));
    }
    QCOMPARE(requestWords(sim.log()).count("start"), 0);

    // The station still answers, so the window offers the update again, and a second run reaches the upload.
    QVERIFY2(startUpdate(driver), "a second run starts after the failed one");
    QVERIFY2(QTest::qWaitFor([&] { return watcher->messages().count(uploadErrorText) == 2; }, wholeRunTimeoutMs),
             qPrintable(listed("the second run did not reach the upload; status bar", watcher->messages())));
    QVERIFY2(uploadsOf(sim.log()).size() > firstUploads.size(), "the second run uploaded again");
    QCOMPARE(requestWords(sim.log()).count("start"), 0);
    QTRY_VERIFY2_WITH_TIMEOUT(controlsEnabled(driver), "the second run ends too", reactionTimeoutMs);
    qInfo().noquote() << listed("status bar", watcher->messages());
    qInfo("dropped upload, two runs: %.1f s", double(clock.elapsed()) / 1000.0);
}

// Tab and Space, and Enter in the message boxes, from the start to "Success, all done", in the window's own
// focus order. The pre-upload reboot path: "No Pre-Reboot" is a debug-mode option.
void tst_EndToEnd::wholeUpdateByKeyboard()
{
    QElapsedTimer clock;
    clock.start();
    StationSim sim = StationSim::onStationHost(stationArgs("current")
                                               << "--advance-per-poll" << "--reboot-seconds" << "1");
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    WindowDriver driver;
    QVERIFY(QTest::qWaitForWindowActive(&driver.window()));
    auto *watcher = new StatusWatcher(&driver.window());
    // The image the user puts beside the program; this case's own, as the cases run side by side.
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("vmlinuz20210125_v143"));
    driver.find<QLineEdit>("lineEditFirmware")->setText(image);

    // The window opens with the focus on the first widget of its focus order on screen.
    QTRY_COMPARE_WITH_TIMEOUT(focused(), QStringLiteral("pushButtonInfo"), reactionTimeoutMs);
    WindowDriver::MessageBoxSeen help;
    driver.closeNextMessageBox(&help, WindowDriver::PressEnter);
    press(Qt::Key_Space);
    QCOMPARE(help.title, QStringLiteral("Velmora Updater Help"));
    QVERIFY2(help.closedByEnter, "Enter closes the help box");
    QVERIFY(backToWindow(driver));
    QCOMPARE(focused(), QStringLiteral("pushButtonInfo"));

    // The language buttons are one group: Tab stops at the checked one, the arrow keys switch.
    auto *search = driver.find<QPushButton>("pushButtonDevSearch");
    QCOMPARE(tabTo("pushButtonEN"), QStringList{"pushButtonEN"});
    press(Qt::Key_Right);
    QCOMPARE(search->text(), QStringLiteral("Zoek mijn Velmora"));
    press(Qt::Key_Left);
    QCOMPARE(search->text(), QStringLiteral("Find my Velmora"));

    QCOMPARE(tabTo("pushButtonDevSearch"), (QStringList{"pushButtonOwl", "pushButtonDevSearch"}));
    press(Qt::Key_Space);
    auto *version = driver.find<QLabel>("labelDeviceStatus");
    QVERIFY2(QTest::qWaitFor([&] { return version->text() == QLatin1String("143 20201120 V14.2"); }, foundTimeoutMs),
             qPrintable(listed("the station's version is not shown; status bar", watcher->messages())));

    QCOMPARE(tabTo("checkBoxModClose"), QStringList{"checkBoxModClose"});
    press(Qt::Key_Space);
    QVERIFY2(driver.find<QCheckBox>("checkBoxModClose")->isChecked(), "Space ticks the bracelet confirmation");
    QCOMPARE(tabTo("pushButtonUpdate"), (QStringList{"comboBoxIp", "pushButtonUpdate"}));

    // The image is not there yet: the box says so and Enter closes it, with the focus back on the button.
    WindowDriver::MessageBoxSeen missing;
    driver.closeNextMessageBox(&missing, WindowDriver::PressEnter);
    press(Qt::Key_Space);
    QCOMPARE(missing.text, "The firmware file " + image + " was not found");
    QVERIFY2(missing.closedByEnter, "Enter closes the missing-file box");
    QVERIFY(backToWindow(driver));
    QCOMPARE(focused(), QStringLiteral("pushButtonUpdate"));
    const QString sha256 = writeImage(image);
    QVERIFY2(!sha256.isEmpty(), qPrintable("cannot write the test image " + image));
    press(Qt::Key_Space);

    // The rest is the station's and the workflow's, one tick at a time while the station reboots twice, until
    // the window, back in Idle, has asked the restarted station for its new version.
    auto *warning = driver.find<QLabel>("labelWarning");
    for (int i = 0; i < 200 && warning->text() != upToDate; ++i) {
        QVERIFY2(stationListening(sim), "the station came back after its reboot");
        QVERIFY(driver.tick());
        // The window counts the upload done once the image's bytes are out, the station logs it only after the
        // closing boundary: a status poll on a connection of its own could otherwise overtake it in the log.
        if (driver.state() == 4)
            QTRY_VERIFY2_WITH_TIMEOUT(!uploadsOf(sim.log()).isEmpty(), "the station logs the upload",
                                      reactionTimeoutMs);
    }
    QVERIFY2(!watcher->messages().isEmpty() && watcher->messages().constLast() == successText,
             qPrintable(listed("status bar", watcher->messages())));
    QCOMPARE(warning->text(), upToDate);
    QCOMPARE(version->text(), newVersion);
    QVERIFY2(driver.window().isAncestorOf(QApplication::focusWidget()), "the keyboard focus is still in the window");
    const QVector<QJsonObject> log = sim.log();
    QVERIFY2(courseOf(requestWords(log)) == (QStringList{"ping", "reboot", "upload", "status"}),
             qPrintable(listed("requests", requestWords(log))));
    const QVector<QJsonObject> uploads = uploadsOf(log);
    QCOMPARE(uploads.size(), 1);
    QCOMPARE(uploads.first().value("sha256").toString(), sha256);
    qInfo("whole update by keyboard: %.1f s", double(clock.elapsed()) / 1000.0);
}

QTEST_MAIN(tst_EndToEnd)
#include "tst_endtoend.moc"
