#include "benchsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkInterface>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>

namespace {

QtMessageHandler previousHandler = nullptr;

void dropDebugLines(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtDebugMsg && previousHandler)
        previousHandler(type, context, text);
}

} // namespace

namespace Bench {

qint64 statusKib(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (!line.startsWith(prefix))
            continue;
        bool ok = false;
        const qint64 value = line.mid(prefix.size()).simplified().split(' ').value(0).toLongLong(&ok);
        return ok ? value : -1;
    }
    return -1;
}

bool resetPeakRss()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

qint64 heapInUseBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks) + qint64(info.hblkhd);
}

void returnFreeMemory()
{
    malloc_trim(0);
}

Spread spread(QVector<double> values)
{
    Spread s;
    if (values.isEmpty())
        return s;
    std::sort(values.begin(), values.end());
    const auto n = values.size();
    s.min = values.first();
    s.max = values.last();
    s.median = n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
    return s;
}

QString mib(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MiB");
}

QString kibAsMib(qint64 kib)
{
    return mib(kib * 1024);
}

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    // The ticker makes the blocking processEvents() return often enough to look at the clock.
    QTimer ticker;
    ticker.start(5);
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // Outside exec() deleteLater() is only carried out on request.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

void armWatchdog(int seconds, const char *what)
{
    const QByteArray name(what);
    QTimer::singleShot(seconds * 1000, qApp, [name, seconds] {
        std::printf("%s: gave up after %d s\n", name.constData(), seconds);
        std::fflush(stdout);
        // Station simulators started by the benchmark end by themselves (--lifetime).
        std::_Exit(124);
    });
}

bool onlyInterfaces(const QStringList &allowed, QString &found)
{
    QStringList names;
    bool ok = true;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &netInterface : interfaces) {
        names << netInterface.name();
        if (!allowed.contains(netInterface.name()))
            ok = false;
    }
    found = names.join(QLatin1Char(' '));
    return ok;
}

void silenceDebugOutput()
{
    previousHandler = qInstallMessageHandler(dropDebugLines);
}

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace Bench
