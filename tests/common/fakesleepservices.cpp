#include "fakesleepservices.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QVariantMap>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int StartTimeoutMs = 5000;
constexpr int StopTimeoutMs = 3000;

const QString fakeConnection = QStringLiteral("vmfwupd-fake-sleep-services");
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString logindPath = QStringLiteral("/org/freedesktop/login1");

// The session bus's own configuration without its service directories, so that a private bus never starts a
// service installed on this machine (a real desktop portal among them).
constexpr char busConfig[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

} // namespace

FakeSleepServices::FakeSleepServices() = default;

FakeSleepServices::~FakeSleepServices()
{
    clear();
    if (connected)
        QDBusConnection::disconnectFromBus(fakeConnection);
    if (daemon && daemon->state() != QProcess::NotRunning) {
        daemon->kill();
        daemon->waitForFinished(StopTimeoutMs);
    }
}

bool FakeSleepServices::fail(const QString &reason)
{
    error = reason;
    return false;
}

QString FakeSleepServices::startBus()
{
    const QString base = dir->filePath(QStringLiteral("bus"));
    QFile config(base + QStringLiteral(".conf"));
    if (!config.open(QIODevice::WriteOnly)
        || config.write(QString::fromLatin1(busConfig).arg(base + QStringLiteral(".socket")).toUtf8()) < 0) {
        fail(QStringLiteral("cannot write %1: %2").arg(config.fileName(), config.errorString()));
        return {};
    }
    config.close();

    daemon = std::make_unique<QProcess>();
    daemon->setStandardErrorFile(base + QStringLiteral(".log"));
    // A test process that crashes takes its daemons with it.
    daemon->start(QStringLiteral("setpriv"),
                  {QStringLiteral("--pdeathsig"), QStringLiteral("KILL"), QStringLiteral("--"),
                   QStringLiteral("dbus-daemon"), QStringLiteral("--config-file=") + config.fileName(),
                   QStringLiteral("--nofork"), QStringLiteral("--print-address")},
                  QIODevice::ReadOnly);
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!daemon->canReadLine() && daemon->state() != QProcess::NotRunning && !deadline.hasExpired())
        daemon->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    QString address = QString::fromUtf8(daemon->readLine()).trimmed();
    if (address.isEmpty()) {
        QFile log(base + QStringLiteral(".log"));
        const QString said = log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).trimmed() : QString();
        fail(QStringLiteral("dbus-daemon printed no address within %1 ms (%2): %3")
                 .arg(StartTimeoutMs)
                 .arg(daemon->errorString(), said));
    }
    return address;
}

bool FakeSleepServices::start()
{
    dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid())
        return fail(QStringLiteral("no temporary folder: ") + dir->errorString());
    // One private bus stands in for both: the portal and logind keep to their own names on it.
    const QString address = startBus();
    if (address.isEmpty())
        return false;
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());

    QDBusConnection bus = QDBusConnection::connectToBus(address, fakeConnection);
    connected = true;
    if (!bus.isConnected())
        return fail(QStringLiteral("cannot connect to the private bus: ") + bus.lastError().message());
    // The portal's requests are objects below its own path.
    if (!bus.registerVirtualObject(portalPath, this, QDBusConnection::SubPath) || !bus.registerVirtualObject(logindPath, this))
        return fail(QStringLiteral("cannot register the fake services' objects"));

    const QDBusConnection processSession = QDBusConnection::sessionBus();
    const QDBusConnection processSystem = QDBusConnection::systemBus();
    if (!processSession.isConnected() || !processSystem.isConnected()
        || !processSession.interface()->isServiceRegistered(bus.baseService())
        || !processSystem.interface()->isServiceRegistered(bus.baseService()))
        return fail(QStringLiteral("this process's buses are not the private one: something touched "
                                   "QDBusConnection::sessionBus() or systemBus() before start()"));
    return setMode(Service::Portal, Mode::Answering) && setMode(Service::Logind, Mode::Answering);
}

QString FakeSleepServices::errorString() const
{
    return error;
}

bool FakeSleepServices::setMode(Service service, Mode mode)
{
    const bool portal = service == Service::Portal;
    QDBusConnection bus(fakeConnection);
    const QString name = portal ? portalService : logindService;
    (portal ? portalMode : logindMode) = mode;
    const bool present = bus.interface()->isServiceRegistered(name);
    if (present == (mode != Mode::Absent))
        return true;
    if (present ? bus.unregisterService(name) : bus.registerService(name))
        return true;
    const QString change = present ? QStringLiteral("give up") : QStringLiteral("take");
    return fail(QStringLiteral("cannot %1 the name %2: %3").arg(change, name, bus.lastError().message()));
}

void FakeSleepServices::clear()
{
    for (QSocketNotifier *watch : qAsConst(watches)) {
        ::close(int(watch->socket()));
        delete watch;
    }
    watches.clear();
    record.clear();
}

QVector<FakeSleepServices::Inhibition> FakeSleepServices::inhibitions() const
{
    return record;
}

int FakeSleepServices::taken() const
{
    return int(std::count_if(record.cbegin(), record.cend(), [](const Inhibition &i) { return i.answered; }));
}

int FakeSleepServices::held() const
{
    return int(std::count_if(record.cbegin(), record.cend(),
                             [](const Inhibition &i) { return i.answered && !i.released; }));
}

QString FakeSleepServices::introspect(const QString &) const
{
    return {};
}

bool FakeSleepServices::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    const QString call = message.interface() + QLatin1Char('.') + message.member() + QLatin1Char('(')
        + message.signature() + QLatin1Char(')');
    const QVariantList args = message.arguments();
    if (call == QLatin1String("org.freedesktop.portal.Inhibit.Inhibit(sua{sv})") && message.path() == portalPath) {
        Inhibition inhibition;
        inhibition.window = args.at(0).toString();
        inhibition.flags = args.at(1).toUInt();
        inhibition.reason = qdbus_cast<QVariantMap>(args.at(2)).value(QStringLiteral("reason")).toString();
        return inhibit(message, connection, inhibition);
    }
    if (call == QLatin1String("org.freedesktop.login1.Manager.Inhibit(ssss)") && message.path() == logindPath) {
        Inhibition inhibition;
        inhibition.service = Service::Logind;
        inhibition.what = args.at(0).toString();
        inhibition.who = args.at(1).toString();
        inhibition.reason = args.at(2).toString();
        inhibition.mode = args.at(3).toString();
        return inhibit(message, connection, inhibition);
    }
    if (call == QLatin1String("org.freedesktop.portal.Request.Close()")) {
        for (Inhibition &inhibition : record) {
            if (inhibition.handle == message.path())
                inhibition.released = true;
        }
        return connection.send(message.createReply());
    }
    return false;
}

bool FakeSleepServices::inhibit(const QDBusMessage &message, const QDBusConnection &connection,
                                const Inhibition &inhibition)
{
    record.append(inhibition);
    const int index = int(record.size()) - 1;
    emit asked(inhibition.service);
    const Mode mode = inhibition.service == Service::Portal ? portalMode : logindMode;
    if (mode == Mode::Silent)
        return true;
    if (mode == Mode::Refusing)
        return connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                                                        QStringLiteral("refused by the test")));
    record[index].answered = true;
    if (inhibition.service == Service::Portal) {
        record[index].handle = portalPath + QStringLiteral("/request/fake/%1").arg(++handlesGiven);
        return connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(record[index].handle))));
    }
    // The caller gets the write end; once every copy of it is closed, the read end kept here sees end of file.
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return connection.send(message.createErrorReply(QDBusError::Failed, QStringLiteral("no pipe")));
    const bool sent = connection.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]))));
    ::close(ends[1]);
    watchForClose(ends[0], index);
    return sent;
}

void FakeSleepServices::watchForClose(int readEnd, int index)
{
    auto *watch = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    watches.append(watch);
    connect(watch, &QSocketNotifier::activated, this, [this, watch, readEnd, index] {
        char byte;
        if (::read(readEnd, &byte, 1) > 0)
            return;
        record[index].released = true;
        watches.removeOne(watch);
        watch->setEnabled(false);
        ::close(readEnd);
        watch->deleteLater();
    });
}
