// Time from Discovery::start() to discoverReady with a station that answers at once. Broadcasts: it only
// runs on the updater host of tests/netns-run's private network, with station-sim on the station host.

#include "benchsupport.h"
#include "discovery.h"
#include "privatenetwork.h"
#include "stationsim.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

// Longer than Discovery's own read time-out: a run that reaches it found nothing.
constexpr int runTimeoutMs = Discovery::readTimeoutMs + 1000;

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Discovery round trip in the private network (run through tests/netns-run)."));
    parser.addHelpOption();
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Measured runs (default 30)."),
                                        QStringLiteral("N"), QStringLiteral("30"));
    parser.addOption(runsOption);
    parser.process(app);
    const int runs = qBound(1, parser.value(runsOption).toInt(), 200);

    const int budgetSeconds = 20 + (runs + 1) * runTimeoutMs / 1000;
    Bench::armWatchdog(budgetSeconds, "discovery");
    Bench::silenceDebugOutput();

    const QString problem = privateNetworkProblem();
    if (!problem.isEmpty()) {
        Bench::say(QStringLiteral("discovery: refused: ") + problem);
        return 2;
    }

    StationSim station = StationSim::onStationHost(
        {QStringLiteral("--discovery"), QStringLiteral("--lifetime"), QString::number(budgetSeconds)});
    if (!station.start()) {
        Bench::say(QStringLiteral("discovery: station-sim did not start: ") + station.errorString());
        return 1;
    }

    QVector<double> times;
    QString unit;
    // The first run is not counted: it fills the ARP cache of both hosts.
    for (int run = 0; run <= runs; ++run) {
        Discovery discovery(nullptr);
        bool ready = false;
        QObject::connect(&discovery, &Discovery::discoverReady, [&](const QVector<QString> &units) {
            ready = true;
            unit = units.value(0);
        });
        QElapsedTimer clock;
        clock.start();
        discovery.start();
        if (!Bench::waitFor([&] { return ready; }, runTimeoutMs)) {
            Bench::say(QStringLiteral("discovery: FAILED: run %1 got no discoverReady within %2 ms")
                           .arg(run)
                           .arg(runTimeoutMs));
            return 1;
        }
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        if (run == 0)
            Bench::say(QStringLiteral("discovery: first (uncounted) run %1 ms, unit \"%2\"").arg(ms, 0, 'f', 2).arg(unit));
        else
            times << ms;
    }
    const Bench::Spread s = Bench::spread(times);
    Bench::say(QStringLiteral("discovery: %1 runs, start() -> discoverReady, min/median/max %2 / %3 / %4 ms")
                   .arg(runs)
                   .arg(s.min, 0, 'f', 2)
                   .arg(s.median, 0, 'f', 2)
                   .arg(s.max, 0, 'f', 2));
    return 0;
}
