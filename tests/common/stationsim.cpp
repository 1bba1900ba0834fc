#include "stationsim.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryFile>

namespace {
constexpr int StartTimeoutMs = 5000;
constexpr int StopTimeoutMs = 3000;

QString lastValueOf(const QStringList &args, const QString &option)
{
    QString value;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == option && i + 1 < args.size())
            value = args.at(i + 1);
        else if (args.at(i).startsWith(option + QLatin1Char('=')))
            value = args.at(i).mid(option.size() + 1);
    }
    return value;
}
} // namespace

StationSim::StationSim(QStringList extraArgs)
    : extraArgs(std::move(extraArgs))
{
}

StationSim::~StationSim()
{
    if (process && process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished(StopTimeoutMs);
    }
}

StationSim::StationSim(StationSim &&other) noexcept = default;
StationSim &StationSim::operator=(StationSim &&other) noexcept = default;

StationSim StationSim::onStationHost(QStringList extraArgs)
{
    StationSim sim(std::move(extraArgs));
    sim.remote = true;
    return sim;
}

bool StationSim::fail(const QString &reason)
{
    error = reason;
    if (process) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(StopTimeoutMs);
        }
        const QString stderrText = QString::fromUtf8(process->readAllStandardError()).trimmed();
        if (process->exitStatus() == QProcess::CrashExit)
            error += QStringLiteral("; station-sim crashed");
        else if (process->state() == QProcess::NotRunning)
            error += QStringLiteral("; exit code %1").arg(process->exitCode());
        if (!stderrText.isEmpty())
            error += QStringLiteral("; stderr: ") + stderrText;
    }
    return false;
}

bool StationSim::start()
{
    QString program = QStringLiteral(STATION_SIM_PATH);
    QStringList args;
    host = QStringLiteral("127.0.0.1");
    if (remote) {
        const QString netns = qEnvironmentVariable("VMFWUPD_STATION_NETNS");
        const QString ip = qEnvironmentVariable("VMFWUPD_STATION_IP");
        if (netns.isEmpty() || ip.isEmpty())
            return fail(QStringLiteral("remote station needs VMFWUPD_STATION_NETNS and VMFWUPD_STATION_IP "
                                       "(run the test through tests/netns-run)"));
        args << QStringLiteral("--net=") + netns << program << QStringLiteral("--listen") << ip
             << QStringLiteral("--unit-ip") << ip;
        program = QStringLiteral("nsenter");
        host = ip;
    }

    logFile = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/station-sim-XXXXXX.log"));
    if (!logFile->open())
        return fail(QStringLiteral("cannot create the log file: ") + logFile->errorString());
    logFile->close();

    args << QStringLiteral("--port") << QStringLiteral("0") << QStringLiteral("--lifetime") << QStringLiteral("60")
         << QStringLiteral("--log") << logFile->fileName() << extraArgs;
    const QString listen = lastValueOf(extraArgs, QStringLiteral("--listen"));
    if (!listen.isEmpty())
        host = listen;
    comebackHost = lastValueOf(extraArgs, QStringLiteral("--comeback-at"));
    if (comebackHost.isEmpty())
        comebackHost = host;

    process = std::make_unique<QProcess>();
    process->setProgram(program);
    process->setArguments(args);
    process->start(QIODevice::ReadOnly);
    if (!process->waitForStarted(StartTimeoutMs))
        return fail(QStringLiteral("cannot start %1: %2").arg(program, process->errorString()));

    QDeadlineTimer deadline(StartTimeoutMs);
    while (!process->canReadLine()) {
        if (process->state() == QProcess::NotRunning)
            return fail(QStringLiteral("station-sim ended before printing its port"));
        if (deadline.hasExpired())
            return fail(QStringLiteral("station-sim printed no port within %1 ms").arg(StartTimeoutMs));
        process->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    bool ok = false;
    const uint port = QString::fromLatin1(process->readLine()).trimmed().toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        return fail(QStringLiteral("station-sim's first line is not a port number"));
    boundPort = quint16(port);
    return true;
}

quint16 StationSim::port() const
{
    return boundPort;
}

QString StationSim::address() const
{
    return QStringLiteral("%1:%2").arg(host).arg(boundPort);
}

QString StationSim::addressAfterReboot() const
{
    return QStringLiteral("%1:%2").arg(comebackHost).arg(boundPort);
}

QVector<QJsonObject> StationSim::log() const
{
    QVector<QJsonObject> entries;
    if (!logFile)
        return entries;
    QFile file(logFile->fileName());
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    const QByteArray text = file.readAll();
    // A line without its newline is still being written: leave it for the next call.
    const QList<QByteArray> lines = text.left(text.lastIndexOf('\n') + 1).split('\n');
    for (const QByteArray &line : lines) {
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        if (doc.isObject())
            entries.append(doc.object());
    }
    return entries;
}

QString StationSim::errorString() const
{
    return error;
}
