// SleepInhibitor against a fake desktop portal and a fake logind on private buses, and without any bus.
#include "fakesleepservices.h"
#include "sleepinhibitor.h"

#include <QDBusConnection>
#include <QCoreApplication>
#include <QtTest>

#include <memory>

namespace {

using Holder = SleepInhibitor::Holder;
using Mode = FakeSleepServices::Mode;
using Service = FakeSleepServices::Service;

enum class End { Release, Destroy, ReleaseBeforeAnswer };

const QString applicationName = QStringLiteral("velmora-updater");
// The bound on each service's answer, with room for a loaded machine.
constexpr int answerBoundMs = 5000;
constexpr int marginMs = 3000;

QStringList debugLines;
QtMessageHandler passOn = nullptr;

void keepDebugLine(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    debugLines << text;
    passOn(type, context, text);
}

bool saidNotInhibited()
{
    return std::any_of(debugLines.cbegin(), debugLines.cend(),
                       [](const QString &line) { return line.contains(QLatin1String("may sleep")); });
}

} // namespace

Q_DECLARE_METATYPE(End)

class tst_SleepInhibitor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void inhibition_data();
    void inhibition();
    void withoutAnyBus();

private:
    std::unique_ptr<FakeSleepServices> services;
};

void tst_SleepInhibitor::initTestCase()
{
    // Never the machine's own buses, even when run by hand: until the fake starts its own, both lead nowhere.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/vmfwupd-no-bus");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/vmfwupd-no-bus");
    QCoreApplication::setApplicationName(applicationName);
    passOn = qInstallMessageHandler(keepDebugLine);
}

void tst_SleepInhibitor::inhibition_data()
{
    QTest::addColumn<Mode>("portal");
    QTest::addColumn<Mode>("logind");
    QTest::addColumn<End>("end");
    QTest::addColumn<Holder>("holder");
    QTest::addColumn<int>("withinMs");

    QTest::newRow("portal, released") << Mode::Answering << Mode::Answering << End::Release << Holder::Portal << 2000;
    QTest::newRow("portal, destroyed") << Mode::Answering << Mode::Absent << End::Destroy << Holder::Portal << 2000;
    QTest::newRow("portal, released before its answer")
        << Mode::Answering << Mode::Answering << End::ReleaseBeforeAnswer << Holder::None << 2000;
    QTest::newRow("no portal: logind, released")
        << Mode::Absent << Mode::Answering << End::Release << Holder::Logind << 2000;
    QTest::newRow("no portal: logind, destroyed")
        << Mode::Absent << Mode::Answering << End::Destroy << Holder::Logind << 2000;
    QTest::newRow("no portal: logind, released before its answer")
        << Mode::Absent << Mode::Answering << End::ReleaseBeforeAnswer << Holder::None << 2000;
    QTest::newRow("portal refuses: logind")
        << Mode::Refusing << Mode::Answering << End::Release << Holder::Logind << 2000;
    QTest::newRow("portal silent: logind within the bound")
        << Mode::Silent << Mode::Answering << End::Release << Holder::Logind << answerBoundMs + marginMs;
    QTest::newRow("neither") << Mode::Absent << Mode::Absent << End::Release << Holder::None << 1000;
    QTest::newRow("neither answers: none within the bounds")
        << Mode::Silent << Mode::Silent << End::Release << Holder::None << 2 * answerBoundMs + marginMs;
}

void tst_SleepInhibitor::inhibition()
{
    QFETCH(Mode, portal);
    QFETCH(Mode, logind);
    QFETCH(End, end);
    QFETCH(Holder, holder);
    QFETCH(int, withinMs);
    if (!services) {
        services = std::make_unique<FakeSleepServices>();
        QVERIFY2(services->start(), qPrintable(services->errorString()));
    }
    services->clear();
    QVERIFY2(services->setMode(Service::Portal, portal) && services->setMode(Service::Logind, logind),
             qPrintable(services->errorString()));
    debugLines.clear();

    auto inhibitor = std::make_unique<SleepInhibitor>();
    QSignalSpy changes(inhibitor.get(), &SleepInhibitor::holderChanged);
    if (end == End::ReleaseBeforeAnswer)
        connect(services.get(), &FakeSleepServices::asked, inhibitor.get(), [&inhibitor] { inhibitor->release(); });
    const QString reason = QStringLiteral("Firmware update (%1)").arg(QString::fromLatin1(QTest::currentDataTag()));
    inhibitor->inhibit(reason);
    inhibitor->inhibit(QStringLiteral("asked again while the first is on its way"));

    if (end == End::ReleaseBeforeAnswer) {
        QTRY_VERIFY2_WITH_TIMEOUT(services->taken() == 1 && services->held() == 0,
                                  "an answer that came after release() must be let go of", withinMs);
        QCOMPARE(services->inhibitions().size(), 1);
        QVERIFY2(changes.isEmpty(), "released before any answer: nothing was ever held");
        return;
    }
    if (holder == Holder::None) {
        QTRY_VERIFY2_WITH_TIMEOUT(saidNotInhibited(), "a debug line says that nothing inhibits sleep", withinMs);
        QCOMPARE(inhibitor->holder(), Holder::None);
        QVERIFY(changes.isEmpty());
        return;
    }

    QTRY_COMPARE_WITH_TIMEOUT(inhibitor->holder(), holder, withinMs);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.at(0).at(0).value<Holder>(), holder);
    QCOMPARE(services->taken(), 1);
    QCOMPARE(services->held(), 1);
    // A portal on the bus is asked first, logind only when the portal does not answer.
    QCOMPARE(services->inhibitions().first().service, portal == Mode::Absent ? Service::Logind : Service::Portal);
    QCOMPARE(services->inhibitions().size(), portal == Mode::Absent || holder == Holder::Portal ? 1 : 2);
    const FakeSleepServices::Inhibition taken = services->inhibitions().constLast();
    QCOMPARE(taken.reason, reason);
    if (holder == Holder::Portal) {
        QCOMPARE(taken.service, Service::Portal);
        QCOMPARE(taken.flags, 4u | 8u);
        QCOMPARE(taken.window, QString());
    } else {
        QCOMPARE(taken.service, Service::Logind);
        QCOMPARE(taken.what, QStringLiteral("sleep:idle"));
        QCOMPARE(taken.who, applicationName);
        QCOMPARE(taken.mode, QStringLiteral("block"));
    }

    inhibitor->inhibit(QStringLiteral("asked again while held"));
    if (end == End::Destroy) {
        inhibitor.reset();
    } else {
        inhibitor->release();
        QCOMPARE(inhibitor->holder(), Holder::None);
        QCOMPARE(changes.size(), 2);
        QCOMPARE(changes.at(1).at(0).value<Holder>(), Holder::None);
    }
    QTRY_VERIFY2_WITH_TIMEOUT(services->held() == 0, "the inhibition is let go of", 2000);
    QCOMPARE(services->taken(), 1);
}

void tst_SleepInhibitor::withoutAnyBus()
{
    // CTest runs this case in a process of its own that never had a bus; run after the others, it first takes
    // the private buses away.
    services.reset();
    QTRY_VERIFY(!QDBusConnection::sessionBus().isConnected() && !QDBusConnection::systemBus().isConnected());
    debugLines.clear();

    SleepInhibitor inhibitor;
    QSignalSpy changes(&inhibitor, &SleepInhibitor::holderChanged);
    inhibitor.inhibit(QStringLiteral("Firmware update"));
    QTRY_VERIFY2_WITH_TIMEOUT(saidNotInhibited(), "without a bus a debug line says so at once", 1000);
    QCOMPARE(inhibitor.holder(), Holder::None);
    inhibitor.release();
    QVERIFY(changes.isEmpty());
}

QTEST_GUILESS_MAIN(tst_SleepInhibitor)
#include "tst_sleepinhibitor.moc"
