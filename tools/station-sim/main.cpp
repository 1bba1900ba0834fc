#include "discoveryresponder.h"
#include "httpfront.h"
#include "options.h"
#include "requestlog.h"
#include "station.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto RebindRetry = std::chrono::milliseconds(100);
// How long a restarting station stays on the network after it closed the upload it held.
constexpr auto RestartGrace = std::chrono::milliseconds(500);

Clock::duration seconds(double s)
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
}

int fatal(const QString &message)
{
    std::fprintf(stderr, "station-sim: %s\n", qUtf8Printable(message));
    return 1;
}

// Brings the web server back on its old port after a reboot; false once the lifetime is over.
bool comeBack(HttpFront &front, const QString &host, int port, Clock::time_point end)
{
    QString error;
    while (front.bind(host, port, error) < 0) {
        if (Clock::now() + RebindRetry >= end)
            return false;
        std::this_thread::sleep_for(RebindRetry);
    }
    front.start();
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("station-sim"));
    // A client that hangs up mid-answer must not end the station.
    std::signal(SIGPIPE, SIG_IGN);

    Options options;
    int exitCode = 0;
    if (!parseOptions(QCoreApplication::arguments(), options, exitCode))
        return exitCode;
    const Clock::time_point end = Clock::now() + seconds(options.lifetime);

    RequestLog log(options.logPath);
    if (!options.logPath.isEmpty() && !log.isOpen())
        return fatal(QStringLiteral("cannot open the log file ") + options.logPath);

    Station station(options);
    HttpFront front(options, station, log);
    QString error;
    const int port = front.bind(options.listen, options.port, error);
    if (port < 0)
        return fatal(error);
    DiscoveryResponder discovery(options, log);
    if (options.discovery && !discovery.start(error))
        return fatal(error);
    std::printf("%d\n", port);
    std::fflush(stdout);
    front.start();

    for (;;) {
        const Station::Event event = station.waitForEvent(end);
        if (event == Station::LifetimeOver)
            break;
        if (event == Station::WentDown) {
            front.stop();
            discovery.stop();
            std::this_thread::sleep_until(end);
            break;
        }
        // An upload it held unanswered is closed first; whoever sees that can still reach the station a moment.
        if (front.restartBegins())
            std::this_thread::sleep_for(RestartGrace);
        front.stop();
        if (options.noComeback) {
            std::this_thread::sleep_until(end);
            break;
        }
        std::this_thread::sleep_until(std::min(end, Clock::now() + seconds(options.rebootSeconds)));
        station.rebooted();
        if (!options.comebackAt.isEmpty() || !options.comebackMac.isEmpty())
            discovery.announce(options.comebackAt.isEmpty() ? options.unitIp : options.comebackAt, station.mac());
        if (Clock::now() >= end
            || !comeBack(front, options.comebackAt.isEmpty() ? options.listen : options.comebackAt, port, end))
            break;
    }
    front.stop();
    discovery.stop();
    return 0;
}
