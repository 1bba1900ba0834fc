#include "privatenetwork.h"

#include <QNetworkInterface>
#include <QStringList>

QString privateNetworkProblem()
{
    const QString vethEnd = qEnvironmentVariable("VMFWUPD_UPDATER_IF");
    if (vethEnd.isEmpty() || qEnvironmentVariableIsEmpty("VMFWUPD_STATION_NETNS"))
        return QStringLiteral("not inside the private network of tests/netns-run (VMFWUPD_UPDATER_IF and "
                              "VMFWUPD_STATION_NETNS are not set)");
    QStringList unexpected;
    bool vethSeen = false;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        if (interface.name() == vethEnd)
            vethSeen = true;
        else if (interface.type() != QNetworkInterface::Loopback || interface.name() != QLatin1String("lo"))
            unexpected << interface.name();
    }
    if (!unexpected.isEmpty())
        return QStringLiteral("network interfaces other than lo and %1 are present: %2")
            .arg(vethEnd, unexpected.join(QLatin1String(", ")));
    if (!vethSeen)
        return QStringLiteral("the private network's interface %1 is missing").arg(vethEnd);
    return QString();
}
