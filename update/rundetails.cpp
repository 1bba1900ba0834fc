#include "rundetails.h"

namespace {

QString seconds(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 1);
}

} // namespace

void RunDetails::begin(const QStringList &runHead)
{
    head = runHead;
    lines.clear();
    leftOut = 0;
    clock.start();
}

void RunDetails::note(const QString &event)
{
    if (!clock.isValid())
        return;
    const qint64 now = clock.elapsed();
    if (!lines.empty() && lines.back().event == event) {
        lines.back().lastMs = now;
        ++lines.back().times;
        return;
    }
    lines.push_back({event, now, now, 1});
    if (lines.size() > size_t(maxLines)) {
        lines.pop_front();
        ++leftOut;
    }
}

QString RunDetails::text() const
{
    QStringList all = head;
    if (leftOut > 0)
        all << QStringLiteral("(%1 earlier lines left out)").arg(leftOut);
    for (const Line &line : lines) {
        QString text = QStringLiteral("%1 s  ").arg(seconds(line.firstMs), 7) + line.event;
        if (line.times > 1)
            text += QStringLiteral(" (%1 times, the last at %2 s)").arg(line.times).arg(seconds(line.lastMs));
        all << text;
    }
    return all.join(QLatin1Char('\n'));
}
