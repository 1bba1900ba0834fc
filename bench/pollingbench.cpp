// Sends many version polls to an answering, a refusing and a silent station and prints the memory and the
// reply objects still alive once every reply has ended: a controller that forgets replies grows here.

#include "benchsupport.h"
#include "ipbasectrl.h"
#include "requesttimeouts.h"
#include "stationsim.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>

#include <algorithm>
#include <cstdlib>

namespace {

// Queued polls time out together with the first ones, so a silent station needs about one time-out.
const int drainTimeoutMs = 6 * RequestTimeouts().commandMs;
constexpr int warmUpPolls = 20;
constexpr int settleSampleMs = 50;
constexpr int settleSteadySamples = 4;
constexpr int settleLimitMs = 3000;
constexpr qint64 settleToleranceBytes = qint64(64) * 1024;

int liveReplies(const QNetworkAccessManager &manager)
{
    return int(manager.findChildren<QNetworkReply *>(QString(), Qt::FindDirectChildrenOnly).size());
}

// A loopback port nobody listens on: bound once by the system, then given back.
quint16 refusingPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

// Runs the event loop until the memory in use stops changing, for at most settleLimitMs.
void settleHeap()
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = Bench::heapInUseBytes();
    int steady = 0;
    while (steady < settleSteadySamples && clock.elapsed() < settleLimitMs) {
        QElapsedTimer step;
        step.start();
        Bench::waitFor([&] { return step.elapsed() >= settleSampleMs; }, settleSampleMs * 2);
        const qint64 now = Bench::heapInUseBytes();
        steady = std::abs(now - last) < settleToleranceBytes ? steady + 1 : 0;
        last = now;
    }
}

struct Round {
    int ended = 0;
    int answered = 0;
    int failed = 0;
    double drainSeconds = 0;
    bool drained = false;
};

// The polls go out in batches; every batch waits until its replies have ended.
Round poll(IpBaseCtrl &ctrl, QNetworkAccessManager &manager, const QString &address, int polls, int batch)
{
    Round round;
    const auto answers = QObject::connect(&ctrl, &IpBaseCtrl::deviceStat, &ctrl, [&] { ++round.answered; });
    const auto endings = QObject::connect(&manager, &QNetworkAccessManager::finished, &manager, [&](QNetworkReply *reply) {
        ++round.ended;
        if (reply->error() != QNetworkReply::NoError)
            ++round.failed;
    });
    QElapsedTimer clock;
    clock.start();
    round.drained = true;
    for (int sent = 0; sent < polls && round.drained;) {
        const int count = std::min(batch, polls - sent);
        for (int i = 0; i < count; ++i)
            ctrl.requestGetVersion(address);
        sent += count;
        round.drained = Bench::waitFor([&] { return round.ended >= sent; }, drainTimeoutMs);
    }
    round.drainSeconds = double(clock.nsecsElapsed()) / 1e9;
    // Replies released with deleteLater() go on the next pass of the event loop; Qt's connection objects
    // behind them a little later, from its network thread.
    Bench::waitFor([&] { return liveReplies(manager) == 0; }, 200);
    settleHeap();
    QObject::disconnect(answers);
    QObject::disconnect(endings);
    return round;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Version polls against an answering, a refusing and a silent station."));
    parser.addHelpOption();
    const QCommandLineOption pollsOption(QStringLiteral("polls"), QStringLiteral("Polls per station (default 10000)."),
                                         QStringLiteral("N"), QStringLiteral("10000"));
    const QCommandLineOption batchOption(QStringLiteral("batch"),
                                         QStringLiteral("Polls sent at once before waiting for their replies "
                                                        "(default: all of them, one burst)."),
                                         QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption passesOption(QStringLiteral("passes"),
                                          QStringLiteral("Times the whole round of stations runs (default 2): "
                                                         "growth that repeats is a leak, growth once is a cache."),
                                          QStringLiteral("N"), QStringLiteral("2"));
    const QCommandLineOption stationsOption(QStringLiteral("stations"),
                                            QStringLiteral("Stations to poll, of answering,refusing,silent "
                                                           "(default all three)."),
                                            QStringLiteral("LIST"), QStringLiteral("answering,refusing,silent"));
    parser.addOptions({pollsOption, batchOption, passesOption, stationsOption});
    parser.process(app);
    const int passes = qBound(1, parser.value(passesOption).toInt(), 10);
    const QStringList chosen = parser.value(stationsOption).split(QLatin1Char(','), Qt::SkipEmptyParts);
    const int polls = qBound(1, parser.value(pollsOption).toInt(), 100000);
    int batch = parser.value(batchOption).toInt();
    if (batch <= 0 || batch > polls)
        batch = polls;
    const int batches = (polls + batch - 1) / batch;

    const int budgetSeconds = 30 + passes * 3 * batches * (drainTimeoutMs / 1000);
    Bench::armWatchdog(budgetSeconds, "polling");
    Bench::silenceDebugOutput();

    StationSim answering({QStringLiteral("--lifetime"), QString::number(budgetSeconds)});
    StationSim silent({QStringLiteral("--silent"), QStringLiteral("--lifetime"), QString::number(budgetSeconds)});
    if (!answering.start() || !silent.start()) {
        Bench::say(QStringLiteral("polling: station-sim did not start: ") + answering.errorString()
                   + silent.errorString());
        return 1;
    }
    const quint16 closedPort = refusingPort();
    if (closedPort == 0) {
        Bench::say(QStringLiteral("polling: found no free loopback port"));
        return 1;
    }

    IpBaseCtrl ctrl;
    auto *manager = ctrl.findChild<QNetworkAccessManager *>();
    if (!manager) {
        Bench::say(QStringLiteral("polling: the controller has no access manager"));
        return 1;
    }
    // The first requests load the network stack; that is not growth per poll.
    poll(ctrl, *manager, answering.address(), warmUpPolls, warmUpPolls);

    Bench::say(QStringLiteral("polling: %1 version polls per station and pass, %2 per batch, %3 passes, "
                              "command time-out %4 s")
                   .arg(polls)
                   .arg(batch)
                   .arg(passes)
                   .arg(RequestTimeouts().commandMs / 1000));
    const struct {
        const char *name;
        QString address;
    } stations[] = {
        {"answering", answering.address()},
        {"refusing", QStringLiteral("127.0.0.1:%1").arg(closedPort)},
        {"silent", silent.address()},
    };
    bool allDrained = true;
    for (int pass = 1; pass <= passes; ++pass) {
        for (const auto &station : stations) {
            if (!chosen.contains(QLatin1String(station.name)))
                continue;
            const qint64 rssBefore = Bench::statusKib("VmRSS");
            const qint64 heapBefore = Bench::heapInUseBytes();
            const int liveBefore = liveReplies(*manager);
            const Round round = poll(ctrl, *manager, station.address, polls, batch);
            const qint64 rssAfter = Bench::statusKib("VmRSS");
            const qint64 heapAfter = Bench::heapInUseBytes();
            const int liveAfter = liveReplies(*manager);
            // What the allocator kept from the peak of a burst is not held by the program.
            Bench::returnFreeMemory();
            const qint64 rssTrimmed = Bench::statusKib("VmRSS");
            allDrained = allDrained && round.drained;
            Bench::say(QStringLiteral("polling: pass %1, %2 station (%3): %4 replies ended (%5 answered, %6 failed) "
                                      "in %7 s%8")
                           .arg(pass)
                           .arg(QLatin1String(station.name), station.address)
                           .arg(round.ended)
                           .arg(round.answered)
                           .arg(round.failed)
                           .arg(round.drainSeconds, 0, 'f', 2)
                           .arg(round.drained ? QString() : QStringLiteral(" (NOT all ended)")));
            Bench::say(QStringLiteral("polling: pass %1, %2 station: RSS %3 -> %4 (%5 once the allocator returned "
                                      "freed memory), heap in use %6 -> %7, live replies %8 -> %9")
                           .arg(pass)
                           .arg(QLatin1String(station.name), Bench::kibAsMib(rssBefore), Bench::kibAsMib(rssAfter),
                                Bench::kibAsMib(rssTrimmed), Bench::mib(heapBefore), Bench::mib(heapAfter))
                           .arg(liveBefore)
                           .arg(liveAfter));
        }
    }
    Bench::say(QStringLiteral("polling: peak RSS of the whole run %1").arg(Bench::kibAsMib(Bench::statusKib("VmHWM"))));
    return allDrained ? 0 : 1;
}
