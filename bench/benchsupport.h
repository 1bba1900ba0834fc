#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// Readings and helpers shared by the benchmark programs. Figures go to stdout as plain lines.
namespace Bench {

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"); -1 when it cannot be read.
qint64 statusKib(const char *field);

// Starts VmHWM again from the present VmRSS, so that a peak belongs to the phase measured.
bool resetPeakRss();

// Bytes the allocator has handed out and not got back: unlike RSS it does not keep
// memory that was freed but not yet returned to the system.
qint64 heapInUseBytes();

// Gives memory that was freed back to the system (malloc_trim), so that RSS shows what is still held.
void returnFreeMemory();

struct Spread {
    double min = 0;
    double median = 0;
    double max = 0;
};
Spread spread(QVector<double> values);

QString mib(qint64 bytes);
QString kibAsMib(qint64 kib);

// Runs the event loop (deferred deletes included) until done() holds or timeoutMs passes.
bool waitFor(const std::function<bool()> &done, int timeoutMs);

// Ends the process with exit code 124 if it is still running after the given time.
void armWatchdog(int seconds, const char *what);

// True when the process sees no network interface outside `allowed`; `found` lists what it sees.
bool onlyInterfaces(const QStringList &allowed, QString &found);

// Drops Qt's debug lines (the controller logs every upload progress step); warnings still reach stderr.
void silenceDebugOutput();

// printf to stdout, flushed at once so that a timed-out run still shows what it measured.
void say(const QString &line);

} // namespace Bench
