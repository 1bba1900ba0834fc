#include "discovery.h"
#include "privatenetwork.h"
#include "stationsim.h"
#include "windowdriver.h"

#include <QAccessible>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QProcess>
#include <QPushButton>
#include <QUdpSocket>
#include <QtTest>

#include <cstdio>

// What a user sees of the window outside an update: the station found and shown, the language switch, debug
// mode, the message boxes. Stations are station-sim processes on port 80 of loopback addresses of their own.
class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startsWithOnlyTheSearchVisible();
    void discoveryShowsTheStation_data();
    void discoveryShowsTheStation();
    void twoStationsSelectTheFirst();
    void unitTextAddressForms_data();
    void unitTextAddressForms();
    void searchOnThePrivateNetwork_data();
    void searchOnThePrivateNetwork();
    void typedAddress_data();
    void typedAddress();
    void startsInTheDesktopLanguage_data();
    void startsInTheDesktopLanguage();
    void networkTextsAreShownAsPlainText();
    void braceletConfirmationShowsUpdateControls();
    void updateRefusedWithoutStation_data();
    void updateRefusedWithoutStation();
    void updateRefusedWithoutFirmwareFile();
    void languageSwitch();
    void debugModeOpensAfterThreshold();
    void typedAddressIsAsked();
    void resetToDefaultsIsReported();
    void progressDisplay_data();
    void progressDisplay();
    void helpBox();
    void accessibleTexts_data();
    void accessibleTexts();
    void accessibleActionsClick_data();
    void accessibleActionsClick();

private:
    bool waitForVersion(WindowDriver &driver, const QString &text);
};

namespace {

constexpr int debugClicksNeeded = 5;

bool visible(WindowDriver &driver, std::initializer_list<const char *> names, bool expected)
{
    for (const char *name : names) {
        auto *widget = driver.find<QWidget>(name);
        if (!widget || widget->isVisible() != expected) {
            qWarning("%s is %s", name, expected ? "hidden" : "shown");
            return false;
        }
    }
    return true;
}

const std::initializer_list<const char *> deviceInfo = {"labelMacId", "labelIpAd", "labelSwVer", "labelMacAddr",
                                                        "labelDeviceStatus", "comboBoxIp"};
const std::initializer_list<const char *> confirmation = {"labelModClose", "checkBoxModClose"};
const std::initializer_list<const char *> updateControls = {"pushButtonUpdate", "labelProg", "progressBar",
                                                            "progressBarTotal", "labelStatus"};
const std::initializer_list<const char *> serviceControls = {"pushButtonDefaultCfg", "pushButtonBrowse",
                                                             "lineEditFirmware", "labelFw", "checkBoxNoReboot"};

} // namespace

bool tst_MainWindow::waitForVersion(WindowDriver &driver, const QString &text)
{
    auto *label = driver.find<QLabel>("labelDeviceStatus");
    if (QTest::qWaitFor([&] { return label->text() == text; }, 10000))
        return true;
    qWarning() << "version shown:" << label->text() << "expected:" << text;
    return false;
}

void tst_MainWindow::startsWithOnlyTheSearchVisible()
{
    WindowDriver driver;
    QCOMPARE(driver.window().windowTitle(), QStringLiteral("Velmora Updater 2021-01-26"));
    QVERIFY(visible(driver, {"pushButtonEN", "pushButtonNL", "pushButtonDevSearch", "pushButtonInfo",
                             "pushButtonOwl", "labelWarning", "statusBar"},
                    true));
    QVERIFY(visible(driver, deviceInfo, false));
    QVERIFY(visible(driver, confirmation, false));
    QVERIFY(visible(driver, updateControls, false));
    QVERIFY(visible(driver, serviceControls, false));
    QVERIFY(visible(driver, {"labelModFwVersion", "mainToolBar"}, false));
    QCOMPARE(driver.find<QLineEdit>("lineEditFirmware")->text(),
             QCoreApplication::applicationDirPath() + QStringLiteral("/vmlinuz20210125_v143"));
    QCOMPARE(driver.find<QPushButton>("pushButtonDevSearch")->text(), QStringLiteral("Find my Velmora"));
    QCOMPARE(QApplication::font().pointSize(), 12);
    QCOMPARE(driver.find<QLabel>("labelWarning")->font().pointSize(), 16);
}

void tst_MainWindow::discoveryShowsTheStation_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QString>("shownVersion");
    QTest::addColumn<bool>("upToDate");
    QTest::addColumn<QString>("shownMac");

    const QString sent = QStringLiteral("12:34:56:78:9A:BC");
    QTest::newRow("delivered version") << QStringList{"--version", "143 20210125 V14.3"} << "143 20210125 V14.3"
                                       << true << sent;
    QTest::newRow("older release") << QStringList{"--version", "143 20201120 V14.2"} << "143 20201120 V14.2"
                                   << false << sent;
    QTest::newRow("older generation") << QStringList{"--generation", "v11"} << "v11.x" << false << sent;
    QTest::newRow("version in lower case") << QStringList{"--version", "143 20210125 v14.3"}
                                           << "143 20210125 v14.3" << false << sent;
    // Still an answer: empty texts, and the MAC from the station's acknowledgement stays.
    QTest::newRow("reply not JSON") << QStringList{"--not-json"} << "" << false << "AA:BB:CC:DD:EE:FF";
}

void tst_MainWindow::discoveryShowsTheStation()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QString, shownVersion);
    QFETCH(bool, upToDate);
    QFETCH(QString, shownMac);

    StationSim sim = StationSim::onOwnLoopbackAddress(simArgs << "--mac" << "12:34:56:78:9A:BC");
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    WindowDriver driver;
    driver.offerStation(sim.address(), QStringLiteral("AA:BB:CC:DD:EE:FF"));

    QVERIFY(visible(driver, deviceInfo, true));
    QCOMPARE(driver.find<QComboBox>("comboBoxIp")->currentText(), sim.address());
    QVERIFY(driver.settle());
    QVERIFY(waitForVersion(driver, shownVersion));
    QCOMPARE(driver.find<QLabel>("labelMacAddr")->text(), shownMac);

    const QString warning = driver.find<QLabel>("labelWarning")->text();
    if (upToDate) {
        QCOMPARE(warning, QStringLiteral("This Velmora is up to date"));
        QVERIFY(visible(driver, confirmation, false));
    } else {
        QVERIFY2(warning.isEmpty(), qPrintable(warning));
        QVERIFY(visible(driver, confirmation, true));
        QVERIFY2(!driver.find<QCheckBox>("checkBoxModClose")->isChecked(), "the user confirms, not the window");
    }
    QVERIFY(visible(driver, updateControls, false));
}

void tst_MainWindow::twoStationsSelectTheFirst()
{
    StationSim first =
        StationSim::onOwnLoopbackAddress({"--mac", "11:11:11:11:11:11", "--version", "143 20201120 V14.2"});
    QVERIFY2(first.start(), qPrintable(first.errorString()));
    WindowDriver driver;
    const QVector<QString> units{WindowDriver::unitText("AA:AA:AA:AA:AA:AA", first.address()),
                                 WindowDriver::unitText("BB:BB:BB:BB:BB:BB", QStringLiteral("127.0.0.9"))};
    QMetaObject::invokeMethod(&driver.window(), "discoverReady", Qt::DirectConnection,
                              Q_ARG(QVector<QString>, units));

    auto *box = driver.find<QComboBox>("comboBoxIp");
    QCOMPARE(box->count(), 2);
    QCOMPARE(box->itemText(1), QStringLiteral("127.0.0.9"));
    QCOMPARE(box->currentIndex(), 0);
    // Until the selected station answers, the MAC shown is the last one listed.
    QCOMPARE(driver.find<QLabel>("labelMacAddr")->text(), QStringLiteral("BB:BB:BB:BB:BB:BB"));
    QVERIFY(waitForVersion(driver, QStringLiteral("143 20201120 V14.2")));
    QCOMPARE(driver.find<QLabel>("labelMacAddr")->text(), QStringLiteral("11:11:11:11:11:11"));

    // An empty list keeps the items, asks the selected station again and shows no MAC until it answers.
    const auto asked = first.log().size();
    QMetaObject::invokeMethod(&driver.window(), "discoverReady", Qt::DirectConnection,
                              Q_ARG(QVector<QString>, QVector<QString>()));
    QCOMPARE(box->count(), 2);
    QCOMPARE(driver.find<QLabel>("labelMacAddr")->text(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(first.log().size(), asked + 1, 5000);
    // So does a list with nothing the window may list.
    QMetaObject::invokeMethod(&driver.window(), "discoverReady", Qt::DirectConnection,
                              Q_ARG(QVector<QString>, QVector<QString>{WindowDriver::unitText("CC", "evil.invalid")}));
    QCOMPARE(box->count(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(first.log().size(), asked + 2, 5000);

    // Every entry given is listed, a repeated one too.
    QMetaObject::invokeMethod(&driver.window(), "discoverReady", Qt::DirectConnection,
                              Q_ARG(QVector<QString>, (QVector<QString>{units.at(1), units.at(1)})));
    QCOMPARE(box->count(), 2);
    QCOMPARE(box->currentText(), QStringLiteral("127.0.0.9"));
}

void tst_MainWindow::unitTextAddressForms_data()
{
    QTest::addColumn<QStringList>("units");
    // The address listed and the MAC shown; both empty when nothing is listed.
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("mac");

    const QString mac = QStringLiteral("0A:1B:2C:3D:4E:5F");
    const auto one = [&](const char *name, const QString &unit, const QString &address) {
        QTest::newRow(name) << QStringList{unit} << address << (address.isEmpty() ? QString() : mac);
    };
    one("address ended by slash", WindowDriver::unitText(mac, "127.0.0.1"), "127.0.0.1");
    one("no slash: whole rest", mac + QString(32, QLatin1Char('x')) + "127.0.0.2", "127.0.0.2");
    one("slash before character 49", mac + "/" + QString(31, QLatin1Char('x')) + "127.0.0.3/x", "127.0.0.3");
    // A device that answers with anything but a dotted address where the address belongs would steer the update.
    one("49 characters: no address, not listed", mac + QString(32, QLatin1Char('x')), "");
    one("short text, not listed", "0A:1B", "");
    one("address with a port, not listed", WindowDriver::unitText(mac, "127.0.0.1:1"), "");
    QTest::newRow("station listed beside a rejected entry, whose MAC is not shown")
        << QStringList{WindowDriver::unitText(mac, "192.0.2.7"), WindowDriver::unitText("BB", "evil.invalid:8080")}
        << "192.0.2.7" << mac;
}

void tst_MainWindow::unitTextAddressForms()
{
    QFETCH(QStringList, units);
    QFETCH(QString, address);
    QFETCH(QString, mac);
    WindowDriver driver;
    for (int i = 0; i < units.size(); ++i)
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^unitlist IP="));
    // Every entry but the one listed is skipped with a line that says so.
    for (int i = address.isEmpty() ? 0 : 1; i < units.size(); ++i)
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^unit skipped"));
    QMetaObject::invokeMethod(&driver.window(), "discoverReady", Qt::DirectConnection,
                              Q_ARG(QVector<QString>, QVector<QString>(units.cbegin(), units.cend())));
    auto *box = driver.find<QComboBox>("comboBoxIp");
    QCOMPARE(box->count(), address.isEmpty() ? 0 : 1);
    QCOMPARE(box->currentText(), address);
    QCOMPARE(driver.find<QLabel>("labelMacAddr")->text(), mac);
    QVERIFY(driver.settle());
}

void tst_MainWindow::searchOnThePrivateNetwork_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("answers"); // the unit texts a station host answers with; none: no station
    QTest::addColumn<QString>("statusBar");
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("boxOpening"); // empty: no box
    // In turn, "Find my Velmora" and the search a run starts by itself.
    QTest::addColumn<QStringList>("searches");

    const QString station = qEnvironmentVariable("VMFWUPD_STATION_IP");
    const QStringList owner{"owner"};
    QTest::newRow("nobody answers") << "EN" << QStringList() << "No base stations found" << ""
                                    << "No base station answered the search." << owner;
    QTest::newRow("nobody answers, Dutch") << "NL" << QStringList() << "Geen basisstation gevonden" << ""
                                           << "Geen basisstation heeft op de zoekopdracht geantwoord." << owner;
    QTest::newRow("nobody answers the workflow's search") << "EN" << QStringList() << "" << "" << ""
                                                          << QStringList{"workflow"};
    QTest::newRow("the owner's search after the workflow's") << "EN" << QStringList() << "No base stations found"
        << "" << "No base station answered the search." << QStringList{"workflow", "owner"};
    QTest::newRow("a host name and a port beside the station")
        << "EN"
        << QStringList{WindowDriver::unitText("0A:1B:2C:3D:4E:5F", station),
                       WindowDriver::unitText("BB:BB:BB:BB:BB:BB", "evil.invalid"),
                       WindowDriver::unitText("CC:CC:CC:CC:CC:CC", station + ":8080")}
        << "Discovery Complete" << station << "" << owner;
}

void tst_MainWindow::searchOnThePrivateNetwork()
{
    QFETCH(QString, language);
    QFETCH(QStringList, answers);
    QFETCH(QString, statusBar);
    QFETCH(QString, listed);
    QFETCH(QString, boxOpening);
    QFETCH(QStringList, searches);
    const QString problem = privateNetworkProblem();
    if (!problem.isEmpty())
        QFAIL(qPrintable(QStringLiteral("REFUSING TO BROADCAST: ") + problem));

    QStringList args{"--discovery"};
    for (const QString &unit : qAsConst(answers))
        args << "--ack-hex" << ("DECT ULE Discovery Ack:" + QByteArray(32, '\0') + unit.toLatin1()).toHex();
    StationSim sim = StationSim::onStationHost(args);
    QVERIFY2(answers.isEmpty() || sim.start(), qPrintable(sim.errorString()));
    WindowDriver driver;
    QTest::mouseClick(driver.find<QPushButton>(qPrintable("pushButton" + language)), Qt::LeftButton);
    auto *search = driver.find<QPushButton>("pushButtonDevSearch");
    auto *discovery = driver.window().findChild<Discovery *>();
    QSignalSpy nothingFound(discovery, &Discovery::nothingFound);
    for (const QString &by : qAsConst(searches)) {
        // A search the workflow started ends without a text or a box.
        if (!nothingFound.isEmpty())
            QVERIFY(driver.statusBarText().isEmpty() && driver.window().findChildren<QMessageBox *>().isEmpty());
        nothingFound.clear();
        if (by == QLatin1String("workflow"))
            QVERIFY(QMetaObject::invokeMethod(discovery, "searchQuietly"));
        else
            QTest::mouseClick(search, Qt::LeftButton);
        QVERIFY(!answers.isEmpty() || nothingFound.wait(8000));
    }
    if (!answers.isEmpty()) {
        // The station answers a ping before it reads its next datagram: once it has logged this one, all its
        // answers wait here, to be read as one batch.
        QUdpSocket().writeDatagram("sync", QHostAddress(sim.address().section(':', 0, 0)), 23456);
        QDeadlineTimer held(5000);
        while (sim.log().size() < 2 && !held.hasExpired())
            QThread::msleep(5);
    }

    // The status text stays; the box, if any, comes right after it.
    QTRY_COMPARE_WITH_TIMEOUT(driver.statusBarText(), statusBar, 8000);
    QCOMPARE(driver.find<QComboBox>("comboBoxIp")->currentText(), listed);
    QCOMPARE(driver.find<QLabel>("labelMacAddr")->text(), listed.isEmpty() ? "" : "0A:1B:2C:3D:4E:5F");
    const QList<QMessageBox *> boxes = driver.window().findChildren<QMessageBox *>();
    QCOMPARE(boxes.size(), boxOpening.isEmpty() ? 0 : 1);
    if (boxes.isEmpty())
        return;
    QMessageBox *box = boxes.first();
    QCOMPARE(box->textFormat(), Qt::PlainText);
    QVERIFY2(box->isVisible() && box->text().startsWith(boxOpening + "\n\n"), qPrintable(box->text()));
    for (const QString &part : {QStringLiteral("UDP"), QStringLiteral("23456"),
                                QStringLiteral("\nsudo firewall-cmd --add-service=vmfwupd\nsudo ufw allow vmfwupd\n"),
                                '"' + search->text() + '"'})
        QVERIFY2(box->text().contains(part), qPrintable(part));
    QVERIFY2(WindowDriver::alertParts(box).contains(box->text()), "read out whole, as an alert");

    // The owner who knows the address goes on from here: the address row, outside debug mode, the keyboard in it.
    const QString enter = language == "NL" ? QStringLiteral("Adres invoeren…") : QStringLiteral("Enter the address…");
    const QList<QAbstractButton *> buttons = box->buttons();
    const auto found = std::find_if(buttons.cbegin(), buttons.cend(), [&](QAbstractButton *b) { return b->text() == enter; });
    QVERIFY2(found != buttons.cend() && (*found)->focusPolicy() & Qt::TabFocus, "a button the keyboard reaches");
    QCOMPARE(QAccessible::queryAccessibleInterface(*found)->text(QAccessible::Name), enter);
    QTest::mouseClick(*found, Qt::LeftButton);
    QTRY_VERIFY2(!box->isVisible(), "the button closes the box");
    auto *address = driver.find<QComboBox>("comboBoxIp");
    QVERIFY(visible(driver, {"labelIpAd", "comboBoxIp", "labelAddressHint"}, true));
    QVERIFY(visible(driver, serviceControls, false));
    QTRY_VERIFY2(address->hasFocus(), "the keyboard is in the address box");
    const QString hint = language == "NL"
                             ? QStringLiteral("Het adres staat in de lijst met apparaten van uw router, bijvoorbeeld 192.168.1.20")
                             : QStringLiteral("The address is in your router's list of devices, for example 192.168.1.20");
    QCOMPARE(driver.find<QLabel>("labelAddressHint")->text(), hint);
    QCOMPARE(QAccessible::queryAccessibleInterface(address)->text(QAccessible::Description), hint);
}

void tst_MainWindow::typedAddress_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("typed");
    // The message under the box; empty: the address is asked.
    QTest::addColumn<QString>("message");

    const QString notAnAddress = QStringLiteral("That is not an address of the form 192.168.1.20");
    QTest::newRow("a dotted address is asked") << "EN" << "127.0.0.1" << "";
    QTest::newRow("a host name") << "EN" << "localhost" << notAnAddress;
    QTest::newRow("an address with a port") << "EN" << "127.0.0.1:80" << notAnAddress;
    QTest::newRow("numbers past 255") << "EN" << "999.1.1.1" << notAnAddress;
    QTest::newRow("a short form, Dutch") << "NL" << "127.1" << "Dat is geen adres van de vorm 192.168.1.20";
}

// Outside debug mode only a station's own dotted address is asked; anything else is said so and sends nothing.
void tst_MainWindow::typedAddress()
{
    QFETCH(QString, language);
    QFETCH(QString, typed);
    QFETCH(QString, message);

    StationSim sim({"--listen", "127.0.0.1", "--port", "80", "--version", "143 20201120 V14.2"});
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    WindowDriver driver;
    driver.switchLanguage(language);
    QVERIFY(QMetaObject::invokeMethod(&driver.window(), "enterAddress"));
    QTest::keyClicks(driver.find<QComboBox>("comboBoxIp")->lineEdit(), typed);
    QVERIFY(driver.tick());
    auto *hint = driver.find<QLabel>("labelAddressHint");
    QVERIFY2(hint->isVisible(), "the hint or the message stays under the box");
    if (message.isEmpty()) {
        QVERIFY(waitForVersion(driver, QStringLiteral("143 20201120 V14.2")));
        QVERIFY(visible(driver, confirmation, true));
        return;
    }
    QCOMPARE(hint->text(), message);
    QVERIFY(driver.tick());
    QVERIFY2(sim.log().isEmpty(), "nothing is sent");
    QCOMPARE(driver.run()->address(), QString());
    WindowDriver::MessageBoxSeen seen;
    driver.closeNextMessageBox(&seen);
    QVERIFY(QMetaObject::invokeMethod(&driver.window(), "updateFirmware"));
    QCOMPARE(seen.title, language == "NL" ? QStringLiteral("Velmora BasisStation") : QStringLiteral("Velmora BaseStation"));
}

void tst_MainWindow::startsInTheDesktopLanguage_data()
{
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<QString>("pressed");
    QTest::addColumn<QString>("search");

    QTest::newRow("Dutch desktop") << QByteArray("nl_NL.UTF-8") << "pushButtonNL" << "Zoek mijn Velmora";
    QTest::newRow("German desktop") << QByteArray("de_DE.UTF-8") << "pushButtonEN" << "Find my Velmora";
    QTest::newRow("no language") << QByteArray("C") << "pushButtonEN" << "Find my Velmora";
}

// The desktop's language is the process's: a window of a child process started with it says what it shows.
void tst_MainWindow::startsInTheDesktopLanguage()
{
    QFETCH(QByteArray, lang);
    QFETCH(QString, pressed);
    QFETCH(QString, search);

    if (qEnvironmentVariableIsSet("VMFWUPD_TEST_CHILD")) {
        WindowDriver driver;
        auto *button = qobject_cast<QAbstractButton *>(driver.find<QButtonGroup>("buttonGroupLang")->checkedButton());
        std::printf("shown: %s %s\n", qPrintable(button ? button->objectName() : QString()),
                    qPrintable(driver.find<QPushButton>("pushButtonDevSearch")->text()));
        return;
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("LANG"), QString::fromLatin1(lang));
    environment.insert(QStringLiteral("VMFWUPD_TEST_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("startsInTheDesktopLanguage:") + QString::fromLatin1(QTest::currentDataTag())});
    QVERIFY2(child.waitForFinished(20000), "the child window came up and went");
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    QVERIFY2(output.contains(QStringLiteral("shown: %1 %2\n").arg(pressed, search)), qPrintable(output));
}

void tst_MainWindow::networkTextsAreShownAsPlainText()
{
    const QString markup = QStringLiteral("<b>V14.2</b><img src=\"x\">");
    StationSim sim = StationSim::onOwnLoopbackAddress({"--version", markup});
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    WindowDriver driver;
    driver.offerStation(sim.address());
    QVERIFY(waitForVersion(driver, markup));
    for (const char *name : {"labelDeviceStatus", "labelMacAddr", "labelStatus"}) {
        QCOMPARE(driver.find<QLabel>(name)->textFormat(), Qt::PlainText);
    }
}

void tst_MainWindow::braceletConfirmationShowsUpdateControls()
{
    StationSim sim = StationSim::onOwnLoopbackAddress();
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    WindowDriver driver;
    driver.offerStation(sim.address());
    auto *check = driver.find<QCheckBox>("checkBoxModClose");
    QTRY_VERIFY_WITH_TIMEOUT(check->isVisible(), 10000);

    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(check->width() - 8, check->height() / 2));
    QVERIFY(check->isChecked());
    QVERIFY(visible(driver, updateControls, true));
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(check->width() - 8, check->height() / 2));
    QVERIFY(visible(driver, updateControls, false));
}

void tst_MainWindow::updateRefusedWithoutStation_data()
{
    QTest::addColumn<QString>("address");

    QTest::newRow("address") << "127.0.0.1:9";
    QTest::newRow("address with markup") << "<b>127.0.0.9</b>";
}

void tst_MainWindow::updateRefusedWithoutStation()
{
    QFETCH(QString, address);
    WindowDriver driver;
    driver.clickOwl(debugClicksNeeded);
    driver.find<QComboBox>("comboBoxIp")->setEditText(address);

    WindowDriver::MessageBoxSeen seen;
    driver.closeNextMessageBox(&seen);
    QTest::mouseClick(driver.find<QPushButton>("pushButtonUpdate"), Qt::LeftButton);
    QCOMPARE(seen.title, QStringLiteral("Velmora BaseStation"));
    QCOMPARE(seen.text, "The basestation " + address + " could not be reached");
    QCOMPARE(seen.textFormat, Qt::PlainText);
    QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
    QVERIFY2(seen.defaultButtonSet, "Enter closes the box");

    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 0);
}

void tst_MainWindow::updateRefusedWithoutFirmwareFile()
{
    StationSim sim = StationSim::onOwnLoopbackAddress();
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    WindowDriver driver;
    driver.clickOwl(debugClicksNeeded);
    driver.find<QLineEdit>("lineEditFirmware")->setText(QStringLiteral("no/such/<i>vmlinuz</i>"));
    driver.offerStation(sim.address());
    QVERIFY(waitForVersion(driver, QStringLiteral("143 20201120 V14.2")));

    WindowDriver::MessageBoxSeen seen;
    driver.closeNextMessageBox(&seen);
    QTest::mouseClick(driver.find<QPushButton>("pushButtonUpdate"), Qt::LeftButton);
    QCOMPARE(seen.title, QStringLiteral("Velmora Firmware File"));
    QCOMPARE(seen.text, QStringLiteral("The firmware file no/such/<i>vmlinuz</i> was not found"));
    QCOMPARE(seen.textFormat, Qt::PlainText);

    QVERIFY(driver.tick());
    QCOMPARE(driver.state(), 0);
    QVERIFY2(driver.find<QPushButton>("pushButtonDevSearch")->isEnabled(), "no run started");
}

void tst_MainWindow::languageSwitch()
{
    StationSim sim = StationSim::onOwnLoopbackAddress();
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    WindowDriver driver;
    driver.offerStation(sim.address());
    QVERIFY(waitForVersion(driver, QStringLiteral("143 20201120 V14.2")));
    driver.clickOwl(debugClicksNeeded);
    auto *warning = driver.find<QLabel>("labelWarning");
    QVERIFY(warning->text().startsWith(QLatin1String("You have entered debug mode.")));
    driver.find<QLabel>("labelStatus")->setText(QStringLiteral("Upload (2/7)"));
    driver.find<QLabel>("labelFound")->setText(QStringLiteral("found"));
    const QString firmware = driver.find<QLineEdit>("lineEditFirmware")->text();

    QTest::mouseClick(driver.find<QPushButton>("pushButtonNL"), Qt::LeftButton);
    QCOMPARE(driver.find<QPushButton>("pushButtonDevSearch")->text(), QStringLiteral("Zoek mijn Velmora"));
    QCOMPARE(driver.find<QLabel>("labelIpAd")->text(), QStringLiteral("IP Adres"));
    QCOMPARE(driver.find<QPushButton>("pushButtonBrowse")->text(), QStringLiteral("Open"));
    QCOMPARE(driver.window().windowTitle(), QStringLiteral("Velmora Updater 2021-01-26"));
    QVERIFY2(warning->text().isEmpty(), "a switch empties the warning line");
    QVERIFY(driver.find<QLabel>("labelStatus")->text().isEmpty());
    QVERIFY(driver.find<QLabel>("labelFound")->text().isEmpty());
    QCOMPARE(driver.find<QComboBox>("comboBoxIp")->currentText(), sim.address());
    QCOMPARE(driver.find<QLineEdit>("lineEditFirmware")->text(), firmware);
    QCOMPARE(driver.find<QLabel>("labelDeviceStatus")->text(), QStringLiteral("143 20201120 V14.2"));
    QVERIFY2(driver.find<QPushButton>("pushButtonDefaultCfg")->isVisible(), "debug mode stays open");

    QTest::mouseClick(driver.find<QPushButton>("pushButtonEN"), Qt::LeftButton);
    QCOMPARE(driver.find<QPushButton>("pushButtonDevSearch")->text(), QStringLiteral("Find my Velmora"));
}

void tst_MainWindow::debugModeOpensAfterThreshold()
{
    WindowDriver driver;
    driver.clickOwl(debugClicksNeeded - 1);
    QVERIFY(visible(driver, serviceControls, false));
    QVERIFY(visible(driver, deviceInfo, false));
    QVERIFY(driver.find<QLabel>("labelWarning")->text().isEmpty());

    driver.clickOwl(1);
    QVERIFY(visible(driver, serviceControls, true));
    QVERIFY(visible(driver, deviceInfo, true));
    QVERIFY(visible(driver, confirmation, true));
    QCOMPARE(driver.find<QLabel>("labelWarning")->text(),
             QStringLiteral("You have entered debug mode. Hope you know what you are doing. Otherwise restart "
                            "application please."));

    // Every further click applies debug mode again, the notice included.
    driver.find<QLabel>("labelWarning")->clear();
    driver.clickOwl(1);
    QVERIFY(!driver.find<QLabel>("labelWarning")->text().isEmpty());
}

void tst_MainWindow::typedAddressIsAsked()
{
    StationSim sim({"--version", "143 20210125 V14.3"});
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    WindowDriver driver;
    driver.clickOwl(debugClicksNeeded);
    auto *address = driver.find<QComboBox>("comboBoxIp");
    address->lineEdit()->clear();
    QTest::keyClicks(address->lineEdit(), sim.address());
    QVERIFY(driver.tick());
    QVERIFY(waitForVersion(driver, QStringLiteral("143 20210125 V14.3")));
    QCOMPARE(driver.find<QLabel>("labelWarning")->text(), QStringLiteral("This Velmora is up to date"));
    QVERIFY2(visible(driver, confirmation, true), "an up-to-date answer leaves the confirmation as it was");

    const auto log = sim.log();
    QVERIFY2(!log.isEmpty(), "the station was asked");
    QCOMPARE(log.constLast().value("json").toObject().value("sysParamType").toInt(), 6);

    // While a run is on, the delivered version is no reason to call the station up to date.
    driver.find<QLineEdit>("lineEditFirmware")->setText(QCoreApplication::applicationFilePath());
    driver.find<QCheckBox>("checkBoxNoReboot")->setChecked(true);
    driver.find<QCheckBox>("checkBoxModClose")->click();
    QTest::mouseClick(driver.find<QPushButton>("pushButtonUpdate"), Qt::LeftButton);
    QVERIFY(driver.tick());
    QVERIFY2(driver.state() != 0, "no run started");
    QMetaObject::invokeMethod(driver.run(), "deviceStat", Qt::DirectConnection,
                              Q_ARG(QString, QStringLiteral("143 20210125 V14.3")), Q_ARG(QString, QString()));
    QVERIFY2(driver.find<QLabel>("labelWarning")->text() != QLatin1String("This Velmora is up to date"),
             "declared up to date during a run");
}

void tst_MainWindow::resetToDefaultsIsReported()
{
    StationSim sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    WindowDriver driver;
    driver.clickOwl(debugClicksNeeded);
    driver.find<QComboBox>("comboBoxIp")->setEditText(sim.address());
    QTest::mouseClick(driver.find<QPushButton>("pushButtonDefaultCfg"), Qt::LeftButton);

    QTRY_COMPARE_WITH_TIMEOUT(driver.statusBarText(), QStringLiteral("Default Configuration set successfully"),
                              10000);
    QCOMPARE(driver.find<QLabel>("labelStatus")->text(), QStringLiteral("Config (101/7)"));
    QCOMPARE(driver.find<QProgressBar>("progressBar")->value(), 100);
    const auto log = sim.log();
    QVERIFY(!log.isEmpty());
    const QJsonObject command = log.constLast().value("json").toObject();
    QCOMPARE(command.value("sysParamType").toInt(), 27);
    QCOMPARE(command.value("sysParamValue").toInt(-1), 0);
}

void tst_MainWindow::progressDisplay_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("p");
    QTest::addColumn<int>("q");
    QTest::addColumn<QString>("src");
    QTest::addColumn<QString>("msg");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("total");

    QTest::newRow("station step, English")
        << "EN" << 40 << 3 << "Verify Erased (2/5)" << "Upgrade Verify Erased (2/5)"
        << "Verify Erased (2/5) (4/7)" << "Upgrade Verify Erased (2/5)" << 340;
    QTest::newRow("station step, Dutch")
        << "NL" << 40 << 3 << "Verify Erased (2/5)" << "Upgrade Verify Erased (2/5)"
        << "Verificatie Wissen (2/5) (4/7)" << "Upgrade Verify Erased (2/5)" << 340;
    QTest::newRow("window's own wording of a station text")
        << "EN" << 0 << 1 << "Idle" << "Verification Success. New Firmware Available" << "Idle (2/7)"
        << "Firmware successfully uploaded. Upgrade will start." << 100;
    QTest::newRow("wait, Dutch") << "NL" << 8 << 0 << "Wait" << "wait for base" << "Wachten aub (1/7)"
                                 << "Wacht op basis station" << 8;
    QTest::newRow("already translated text passes unchanged")
        << "NL" << 100 << 1 << "Upload Compleet" << "Upload Compleet" << "Upload Compleet (2/7)"
        << "Upload Compleet" << 200;
    QTest::newRow("finish") << "EN" << 100 << 6 << "Upgrade Success" << "Upgrade done"
                            << "Upgrade Success (7/7)" << "Upgrade done" << 700;
}

void tst_MainWindow::progressDisplay()
{
    QFETCH(QString, language);
    QFETCH(int, p);
    QFETCH(int, q);
    QFETCH(QString, src);
    QFETCH(QString, msg);
    QFETCH(QString, label);
    QFETCH(QString, status);
    QFETCH(int, total);

    WindowDriver driver;
    QTest::mouseClick(driver.find<QPushButton>(qPrintable("pushButton" + language)), Qt::LeftButton);
    QMetaObject::invokeMethod(driver.run(), "progressUpd", Qt::DirectConnection, Q_ARG(int, p), Q_ARG(int, q),
                              Q_ARG(QString, src), Q_ARG(QString, msg), Q_ARG(int, 0));
    QCOMPARE(driver.find<QLabel>("labelStatus")->text(), label);
    QCOMPARE(driver.statusBarText(), status);
    QCOMPARE(driver.find<QProgressBar>("progressBar")->value(), p);
    QCOMPARE(driver.find<QProgressBar>("progressBarTotal")->value(), total);
}

void tst_MainWindow::helpBox()
{
    WindowDriver driver;
    WindowDriver::MessageBoxSeen seen;
    driver.closeNextMessageBox(&seen);
    QTest::mouseClick(driver.find<QPushButton>("pushButtonInfo"), Qt::LeftButton);
    QCOMPARE(seen.title, QStringLiteral("Velmora Updater Help"));
    QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
    QVERIFY2(seen.defaultButtonSet, "Ok is the default button");
    // The box may not exceed a small screen; what it asks for is what matters.
    QVERIFY2(seen.layoutMinimumWidth >= 1000, qPrintable(QString::number(seen.layoutMinimumWidth)));
    QVERIFY2(seen.text.contains(QLatin1String("143 20210125 V14.3")), "the English help text is shown");
}

void tst_MainWindow::accessibleTexts_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    const QString mac = QStringLiteral("5C:E1:A0:42:17:0B");
    const QString version = QStringLiteral("143 20201120 V14.2");
    QTest::newRow("en owl") << "EN" << "pushButtonOwl" << "Velmora owl" << "Opens debug mode after several presses";
    QTest::newRow("nl owl") << "NL" << "pushButtonOwl" << "Velmora uil"
                            << "Opent na enkele keren drukken de debugmodus";
    QTest::newRow("en step bar") << "EN" << "progressBar" << "Step progress"
                                 << "Progress of the current step of the update";
    QTest::newRow("nl step bar") << "NL" << "progressBar" << "Voortgang stap"
                                 << "Voortgang van de huidige stap van de update";
    QTest::newRow("en total bar") << "EN" << "progressBarTotal" << "Total progress" << "Progress of the whole update";
    QTest::newRow("nl total bar") << "NL" << "progressBarTotal" << "Totale voortgang"
                                  << "Voortgang van de hele update";
    QTest::newRow("en address") << "EN" << "comboBoxIp" << "Ip Address" << "Address of the base station to update";
    QTest::newRow("nl address") << "NL" << "comboBoxIp" << "IP Adres"
                                << "Adres van het basisstation dat wordt bijgewerkt";
    // A value is read as it is shown; the description says what it is.
    QTest::newRow("en MAC") << "EN" << "labelMacAddr" << mac << "MAC address of the base station";
    QTest::newRow("nl MAC") << "NL" << "labelMacAddr" << mac << "MAC adres van het basisstation";
    QTest::newRow("en version") << "EN" << "labelDeviceStatus" << version << "Software version of the base station";
    QTest::newRow("nl version") << "NL" << "labelDeviceStatus" << version << "Software versie van het basisstation";
    QTest::newRow("en English") << "EN" << "pushButtonEN" << "English" << "Language of the window";
    QTest::newRow("nl English") << "NL" << "pushButtonEN" << "English" << "Taal van het venster";
    QTest::newRow("en Dutch") << "EN" << "pushButtonNL" << "Nederlands" << "Language of the window";
    QTest::newRow("nl Dutch") << "NL" << "pushButtonNL" << "Nederlands" << "Taal van het venster";
    QTest::newRow("en bracelet box")
        << "EN" << "checkBoxModClose"
        << "The bracelet is switched on, connected to a charger and within 3 meters of the base station."
        << "Confirm this to show the Update Firmware button";
    QTest::newRow("nl bracelet box")
        << "NL" << "checkBoxModClose"
        << "The armband is aangezet, verbonden met de oplader en binnen 3 meter bereik van het basisstation."
        << "Bevestig dit om de knop Update Firmware te tonen";
    QTest::newRow("en box named by its text") << "EN" << "checkBoxNoReboot" << "No Pre-Reboot" << "";
    QTest::newRow("nl firmware path") << "NL" << "lineEditFirmware" << "Firmware Bestand" << "";
}

void tst_MainWindow::accessibleTexts()
{
    QFETCH(QString, language);
    QFETCH(QString, widget);
    QFETCH(QString, name);
    QFETCH(QString, description);

    WindowDriver driver;
    QMetaObject::invokeMethod(driver.run(), "deviceStat", Qt::DirectConnection,
                              Q_ARG(QString, QStringLiteral("143 20201120 V14.2")),
                              Q_ARG(QString, QStringLiteral("5C:E1:A0:42:17:0B")));
    // Everything on screen: debug mode, and the update controls behind the bracelet confirmation.
    driver.clickOwl(debugClicksNeeded);
    driver.find<QCheckBox>("checkBoxModClose")->click();
    QTest::mouseClick(driver.find<QPushButton>(qPrintable("pushButton" + language)), Qt::LeftButton);

    auto *target = driver.find<QWidget>(qPrintable(widget));
    QVERIFY2(target && target->isVisible(), qPrintable(widget + " is not on screen"));
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(target);
    QVERIFY2(accessible, "every widget has an accessible interface");
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(accessible->text(QAccessible::Description), description);
}

void tst_MainWindow::accessibleActionsClick_data()
{
    QTest::addColumn<QString>("clickedFirst");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("times");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("shows");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");

    const QString toggle = QAccessibleActionInterface::toggleAction();
    const QString press = QAccessibleActionInterface::pressAction();
    QTest::newRow("bracelet box, Toggle") << "" << "checkBoxModClose" << toggle << 1 << true << "pushButtonUpdate"
                                          << "visible" << QVariant(true);
    QTest::newRow("bracelet box, Press") << "" << "checkBoxModClose" << press << 1 << true << "pushButtonUpdate"
                                         << "visible" << QVariant(true);
    QTest::newRow("bracelet box, Toggle twice") << "" << "checkBoxModClose" << toggle << 2 << false
                                                << "pushButtonUpdate" << "visible" << QVariant(false);
    QTest::newRow("Dutch, Toggle") << "" << "pushButtonNL" << toggle << 1 << true << "pushButtonDevSearch" << "text"
                                   << QVariant(QStringLiteral("Zoek mijn Velmora"));
    QTest::newRow("Dutch, Press") << "" << "pushButtonNL" << press << 1 << true << "pushButtonDevSearch" << "text"
                                  << QVariant(QStringLiteral("Zoek mijn Velmora"));
    QTest::newRow("English after Dutch, Toggle") << "pushButtonNL" << "pushButtonEN" << toggle << 1 << true
                                                 << "pushButtonDevSearch" << "text"
                                                 << QVariant(QStringLiteral("Find my Velmora"));
    QTest::newRow("Dutch again, Toggle") << "pushButtonNL" << "pushButtonNL" << toggle << 1 << true << "labelWarning"
                                         << "text" << QVariant(QString());
}

// A screen reader's action on a button must do what a click does: the window listens to clicks only.
void tst_MainWindow::accessibleActionsClick()
{
    QFETCH(QString, clickedFirst);
    QFETCH(QString, target);
    QFETCH(QString, action);
    QFETCH(int, times);
    QFETCH(bool, checked);
    QFETCH(QString, shows);
    QFETCH(QString, property);
    QFETCH(QVariant, value);

    WindowDriver driver;
    // A station on an older version offers the bracelet confirmation.
    QMetaObject::invokeMethod(driver.run(), "deviceStat", Qt::DirectConnection,
                              Q_ARG(QString, QStringLiteral("143 20201120 V14.2")), Q_ARG(QString, QString()));
    if (!clickedFirst.isEmpty())
        QTest::mouseClick(driver.find<QPushButton>(qPrintable(clickedFirst)), Qt::LeftButton);
    // A text that only a language switch clears.
    driver.find<QLabel>("labelWarning")->setText(QStringLiteral("scribbled"));

    auto *button = driver.find<QAbstractButton>(qPrintable(target));
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(button);
    if (!accessible || !accessible->actionInterface())
        QFAIL("the button offers actions");
    QVERIFY2(accessible->state().checkable, "a screen reader is told the button can be checked");
    for (int i = 0; i < times; ++i)
        accessible->actionInterface()->doAction(action);
    QTRY_COMPARE_WITH_TIMEOUT(driver.find<QWidget>(qPrintable(shows))->property(qPrintable(property)), value, 1000);
    QCOMPARE(button->isChecked(), checked);
    QCOMPARE(bool(accessible->state().checked), checked);
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
