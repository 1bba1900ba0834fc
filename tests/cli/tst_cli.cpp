#include "privatenetwork.h"
#include "stationsim.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <csignal>

// vmfwupd-cli as a script or a helpdesk meets it: the real program on the updater host of the private network, the
// simulated station on the station host, found by the search or named. Nothing is stepped by hand: a whole update
// takes its real ticks, with a station that flashes one notch per poll and reboots in a second.
class tst_Cli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void find_data();
    void find();
    void refused_data();
    void refused();
    void update_data();
    void update();
    void interrupt_data();
    void interrupt();

private:
    // From a folder of its own, beside a made-up image under the delivered image's name.
    void start(QProcess &cli, const QStringList &args, const QString &language = QStringLiteral("en"));

    QTemporaryDir folder;
};

namespace {

constexpr int imageSize = 1 << 20;
constexpr int shortRunMs = 40000;
constexpr int wholeRunMs = 240000;
const QString stationIp = QStringLiteral("198.18.0.2");
const QString oldVersion = QStringLiteral("143 20201120 V14.2");
const QString newVersion = QStringLiteral("143 20210125 V14.3");

StationSim station(const QStringList &args)
{
    return StationSim::onStationHost(QStringList{"--port", "80", "--discovery", "--lifetime", "300",
                                                 "--advance-per-poll", "--reboot-seconds", "1"}
                                     + args);
}

// The request kinds the station logged, one word each.
QStringList requestsOf(const StationSim &sim)
{
    QStringList words;
    for (const QJsonObject &entry : sim.log()) {
        const QString path = entry.value("path").toString();
        words << (entry.value("method").toString() == QLatin1String("UDP") ? QStringLiteral("ping")
                  : entry.value("json").toObject().value("sysParamType").toInt() == 6 ? QStringLiteral("version")
                  : entry.contains("upload")                                         ? QStringLiteral("upload")
                                                                                     : path);
    }
    return words;
}

QVector<QJsonObject> jsonLines(const QByteArray &out)
{
    QVector<QJsonObject> events;
    for (const QByteArray &line : out.trimmed().split('\n')) {
        const QJsonObject event = QJsonDocument::fromJson(line).object();
        if (event.value("event").toString().isEmpty())
            return {};
        events << event;
    }
    return events;
}

// Whether the lines follow one another in this order, others between them.
bool inOrder(const QStringList &lines, const QStringList &expected)
{
    int next = 0;
    for (const QString &line : lines)
        next += next < expected.size() && line == expected.at(next);
    return next == expected.size();
}

// The search takes the first batch of answers only. Several stations that answer late (within its 5 s), while
// vmfwupd-cli is held, wait in its socket together: the station answers a ping before it reads the next datagram,
// so once it has logged one sent after the ping, its answers are there.
void holdUntilAllAnswered(QProcess &cli, const StationSim &sim)
{
    QTRY_VERIFY_WITH_TIMEOUT(requestsOf(sim).contains("ping"), 5000);
    QVERIFY2(cli.state() == QProcess::Running && ::kill(pid_t(cli.processId()), SIGSTOP) == 0,
             "vmfwupd-cli was not held before the answers came");
    QUdpSocket().writeDatagram("sync", QHostAddress(stationIp), 23456);
    QTRY_VERIFY_WITH_TIMEOUT(requestsOf(sim).count("ping") == 2, 5000);
    QVERIFY2(::kill(pid_t(cli.processId()), SIGCONT) == 0, "vmfwupd-cli was not let go");
}

// Not waitForFinished(): the signals sent to vmfwupd-cli bring this process a SIGCHLD, which may break its wait off
// at once.
bool ended(QProcess &cli, int ms)
{
    return QTest::qWaitFor([&cli] { return cli.state() == QProcess::NotRunning; }, ms);
}

} // namespace

void tst_Cli::initTestCase()
{
    QVERIFY2(privateNetworkProblem().isEmpty(), qPrintable(privateNetworkProblem()));
    QVERIFY2(folder.isValid(), "no temporary folder");
    QVERIFY2(QFile::copy(QStringLiteral(CLI_PATH), folder.filePath("vmfwupd-cli")), "cannot copy vmfwupd-cli");
    QFile image(folder.filePath("vmlinuz20210125_v143"));
    QByteArray bytes(imageSize, Qt::Uninitialized);
    QRandomGenerator generator(24);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    QVERIFY2(image.open(QIODevice::WriteOnly) && image.write(bytes) == bytes.size(), "cannot write the image");
}

void tst_Cli::start(QProcess &cli, const QStringList &args, const QString &language)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("LC_ALL");
    environment.remove("LC_MESSAGES");
    environment.insert("LANG", language == QLatin1String("nl") ? "nl_NL.UTF-8" : "C.UTF-8");
    cli.setProcessEnvironment(environment);
    cli.start(folder.filePath("vmfwupd-cli"), args);
    QVERIFY2(cli.waitForStarted(5000), qPrintable(cli.errorString()));
}

void tst_Cli::find_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("shown");

    QTest::newRow("a station") << QStringList{"--mac", "5C:E1:A0:42:17:0B"} << QStringList{} << "en" << 0
                               << "198.18.0.2  5C:E1:A0:42:17:0B  143 20201120 V14.2  (update available)\n";
    QTest::newRow("two stations, JSON") << QStringList{"--stations", "2", "--ack-delay-ms", "3000"}
                                        << QStringList{"--json"} << "en" << 0
                                        << "\"outcome\":\"found\"";
    const QString commands = "\nsudo firewall-cmd --add-service=vmfwupd\nsudo ufw allow vmfwupd\n\n";
    QTest::newRow("none") << QStringList() << QStringList{} << "en" << 3
                          << "No base station answered the search.\n\nCheck that the base station is switched on and "
                             "that its network cable is plugged into the router, and that this computer is on the same "
                             "home network (not a guest network, and no VPN in between).\n\nA firewall on this "
                             "computer must let the answers of the base station in (UDP port 23456). To allow them, "
                             "run one of these two commands:"
                                 + commands + "Then run this command again. If you know the address of the base "
                                              "station (your router lists it), \"vmfwupd-cli update --station "
                                              "ADDRESS\" updates it without a search.\n";
    QTest::newRow("none, Dutch") << QStringList() << QStringList{} << "nl" << 3
                                 << "(UDP-poort 23456). Dat staat u toe met een van deze twee opdrachten:" + commands
                                        + "Geef daarna deze opdracht opnieuw. Kent u het adres van het basisstation "
                                          "(uw router vermeldt het), dan werkt \"vmfwupd-cli update --station "
                                          "ADDRESS\" het bij zonder te zoeken.\n";
}

void tst_Cli::find()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, args);
    QFETCH(QString, language);
    QFETCH(int, exitCode);
    QFETCH(QString, shown);

    StationSim sim = station(simArgs);
    QVERIFY2(simArgs.isEmpty() || sim.start(), qPrintable(sim.errorString()));
    QProcess cli;
    start(cli, QStringList{"find"} + args, language);
    if (simArgs.contains("--stations"))
        holdUntilAllAnswered(cli, sim);
    QVERIFY2(ended(cli, shortRunMs), "find did not end");
    const QString out = QString::fromUtf8(cli.readAllStandardOutput());
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    QCOMPARE(cli.exitCode(), exitCode);
    QVERIFY2((exitCode == 0 ? out : err).contains(shown), qPrintable(out + err));
    if (args.contains("--json")) {
        const QVector<QJsonObject> events = jsonLines(out.toUtf8());
        QVERIFY2(events.size() == 3 && events.at(1).value("answered") == false, qPrintable(out));
        QCOMPARE(events.at(0).value("version").toString(), oldVersion);
    }
}

void tst_Cli::refused_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("shown");
    // What the station may have been sent: nothing at all before a refusal.
    QTest::addColumn<QStringList>("sent");

    QTest::newRow("up to date, JSON") << QStringList{"--version", "143 20210125 V14.3"}
                                      << QStringList{"--yes", "--json"} << 2 << "\"outcome\":\"up-to-date\""
                                      << QStringList{"ping", "version"};
    QTest::newRow("absent") << QStringList() << QStringList{"--yes", "--station", "198.18.0.3"} << 3
                            << "The base station 198.18.0.3 does not answer." << QStringList();
    QTest::newRow("not a dotted address") << QStringList{"--silent"} << QStringList{"--yes", "--station", "198.18.0.2:80"}
                                          << 64 << "\"198.18.0.2:80\" is not an IPv4 address" << QStringList();
    QTest::newRow("unreadable image") << QStringList{"--silent"}
                                      << QStringList{"--yes", "--image", "/nonexistent/vmlinuz20210125_v143"} << 64
                                      << "The firmware image /nonexistent/vmlinuz20210125_v143 cannot be read"
                                      << QStringList();
    QTest::newRow("no terminal, no --yes") << QStringList{"--silent"} << QStringList{"--station", "198.18.0.2"} << 64
                                           << "Standard input is no terminal" << QStringList();
    QTest::newRow("several stations") << QStringList{"--stations", "2", "--ack-delay-ms", "3000"}
                                      << QStringList{"--yes"} << 64
                                      << "name the one to update with --station" << QStringList{"ping"};
}

void tst_Cli::refused()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, shown);
    QFETCH(QStringList, sent);

    StationSim sim = station(simArgs);
    QVERIFY2(simArgs.isEmpty() || sim.start(), qPrintable(sim.errorString()));
    QProcess cli;
    start(cli, QStringList{"update"} + args);
    if (simArgs.contains("--stations"))
        holdUntilAllAnswered(cli, sim);
    QVERIFY2(ended(cli, shortRunMs), "the update did not end");
    const QString output = QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError());
    QCOMPARE(cli.exitCode(), exitCode);
    QVERIFY2(output.contains(shown), qPrintable(output));
    const QStringList requests = requestsOf(sim);
    for (const QString &request : requests)
        QVERIFY2(sent.contains(request), qPrintable(requests.join(' ')));
}

void tst_Cli::update_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("current generation")
        << QStringList{"--generation", "current"} << QStringList() << 0
        << QStringList{"198.18.0.2  0A:1B:2C:3D:4E:5F  143 20201120 V14.2  (update available)",
                       "Starting the update without a reboot first", "Uploading the firmware image", "Uploading 100 %",
                       "Checking the uploaded image",
                       "Starting the upgrade: keep the base station switched on until the update is over",
                       "Erasing Flash (3/7)", "Writing Flash (5/7)", "Rebooting (7/7)",
                       "Waiting for the base station to restart", "Waiting for the base station 24/25",
                       "Asking the base station for its new version",
                       "Success: the base station now runs 143 20210125 V14.3"};
    QTest::newRow("older generation, JSON") << QStringList{"--generation", "v11"} << QStringList{"--json"} << 0
                                            << QStringList{"Upgrading", "WaitForRestart", "ConfirmVersion"};
    QTest::newRow("back with its old version")
        << QStringList{"--new-version", oldVersion} << QStringList{"--station", stationIp} << 1
        << QStringList{"The base station restarted but still runs version 143 20201120 V14.2.",
                       QStringLiteral("The update did not take, so its firmware is unchanged. ")
                           + "Keep the base station switched on and try the update again.",
                       "", "Details of the update:",
                       "Base station 198.18.0.2, MAC 0A:1B:2C:3D:4E:5F, version \"" + oldVersion + '"'};
}

void tst_Cli::update()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QStringList, shown);

    StationSim sim = station(simArgs);
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    QProcess cli;
    start(cli, QStringList{"update", "--yes", "--no-pre-reboot"} + args);
    QVERIFY2(ended(cli, wholeRunMs), "the update did not end");
    const QByteArray out = cli.readAllStandardOutput();
    const QByteArray err = cli.readAllStandardError();
    QCOMPARE(cli.exitCode(), exitCode);
    QCOMPARE(requestsOf(sim).count("upload"), 1);
    if (!args.contains("--json")) {
        const QStringList lines = QString::fromUtf8(exitCode == 0 ? out : err).split('\n');
        QVERIFY2(inOrder(lines, shown), qPrintable(lines.join('\n')));
        // Without a terminal the progress comes once per tenth, not once per report.
        QVERIFY2(lines.filter("Waiting for the base station ").size() <= 12, qPrintable(lines.join('\n')));
        return;
    }
    const QVector<QJsonObject> events = jsonLines(out);
    QVERIFY2(!events.isEmpty(), out.constData());
    QStringList states;
    for (const QJsonObject &event : events) {
        if (event.value("event") == "state")
            states << event.value("state").toString();
    }
    QVERIFY2(inOrder(states, shown), qPrintable(states.join(' ')));
    QCOMPARE(events.constFirst().value("event").toString(), "status");
    QCOMPARE(events.constLast().value("outcome").toString(), "success");
    QCOMPARE(events.constLast().value("version").toString(), newVersion);
}

void tst_Cli::interrupt_data()
{
    QTest::addColumn<bool>("preReboot");
    QTest::addColumn<QString>("when");
    QTest::addColumn<QVector<int>>("interruptions");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("shown");

    QTest::newRow("before the start") << true << "Rebooting the base station" << QVector<int>{SIGINT} << 130
                                      << "Interrupted before the upgrade started: the firmware of the base station "
                                         "is unchanged.";
    const QString upgrading = "Starting the upgrade: keep the base station switched on until the update is over";
    QTest::newRow("after the start, once") << false << upgrading << QVector<int>{SIGINT} << 0
                                           << "Success: the base station now runs 143 20210125 V14.3";
    QTest::newRow("after the start, twice within 5 s") << false << upgrading << QVector<int>{SIGTERM, SIGINT} << 130
                                                       << "Left while the base station is upgrading its firmware.";
}

void tst_Cli::interrupt()
{
    QFETCH(bool, preReboot);
    QFETCH(QString, when);
    QFETCH(QVector<int>, interruptions);
    QFETCH(int, exitCode);
    QFETCH(QString, shown);

    StationSim sim = station({});
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    QProcess cli;
    start(cli, preReboot ? QStringList{"update", "--yes"} : QStringList{"update", "--yes", "--no-pre-reboot"});
    QByteArray out;
    QByteArray err;
    QTRY_VERIFY2_WITH_TIMEOUT((out += cli.readAllStandardOutput()).contains(when.toUtf8()), out.constData(), 60000);
    const auto pid = pid_t(cli.processId());
    QVERIFY2(::kill(pid, interruptions.constFirst()) == 0, "the signal was not sent");
    // Once flashing, the update goes on and says that the station must stay switched on.
    if (!preReboot)
        QTRY_VERIFY2_WITH_TIMEOUT((err += cli.readAllStandardError()).contains("must stay switched on"), err.constData(),
                                  3000);
    for (const int signal : interruptions.mid(1))
        QVERIFY2(::kill(pid, signal) == 0, "the signal was not sent");
    const int leaveMs = 3000;
    QVERIFY2(ended(cli, exitCode == 130 ? leaveMs : wholeRunMs), "the update did not end");
    out += cli.readAllStandardOutput();
    err += cli.readAllStandardError();
    QCOMPARE(cli.exitCode(), exitCode);
    QVERIFY2((exitCode == 0 ? out : err).contains(shown.toUtf8()), (out + err).constData());
    if (preReboot)
        QVERIFY2(!requestsOf(sim).contains("upload"), qPrintable(requestsOf(sim).join(' ')));
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_cli.moc"
