#include "rundetails.h"

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
    lines.push_back(QStringLiteral("%1 s  ").arg(double(clock.elapsed()) / 1000.0, 7, 'f', 1) + event);
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
    all.append(QStringList(lines.cbegin(), lines.cend()));
    return all.join(QLatin1Char('\n'));
}
