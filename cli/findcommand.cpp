#include "findcommand.h"

#include "discovery.h"
#include "ipbasectrl.h"

#include <QTimer>

FindCommand::FindCommand(Reporter *reporter, QObject *parent)
    : QObject(parent)
    , reporter(reporter)
    , search(new Discovery(this))
    , bound(new QTimer(this))
{
    bound->setSingleShot(true);
    bound->setInterval(answerBoundMs);
    connect(bound, &QTimer::timeout, this, &FindCommand::tell);
    connect(search, &Discovery::discoverReady, this, &FindCommand::listed);
    connect(search, &Discovery::nothingFound, this, &FindCommand::nothingFound);
}

void FindCommand::start()
{
    search->start();
}

void FindCommand::listed(const QVector<QString> &units)
{
    stations = StationInfo::listed(units);
    if (stations.isEmpty()) {
        nothingFound();
        return;
    }
    pending = int(stations.size());
    // A controller of its own for each station: its answer cannot be taken for another station's.
    for (int i = 0; i < stations.size(); ++i) {
        stations[i].answer = StationInfo::Silent;
        auto *controller = new IpBaseCtrl(this);
        connect(controller, &IpBaseCtrl::deviceStat, this, [this, i](const QString &version, const QString &mac) {
            stations[i].version = version;
            stations[i].answer = StationInfo::Answered;
            if (!mac.isEmpty())
                stations[i].mac = mac;
            settle();
        });
        // A whole answer comes on as deviceStat; only a failed request ends here.
        connect(controller, &IpBaseCtrl::requestDone, this, [this](const QString &, const QString &error) {
            if (!error.isEmpty())
                settle();
        });
        controller->requestGetVersion(stations.at(i).address);
    }
    bound->start();
}

void FindCommand::nothingFound()
{
    Ending ending;
    ending.outcome = Ending::NotFound;
    ending.exitCode = 3;
    ending.message = Reporter::nothingFoundMessage();
    reporter->end(ending);
    emit finished(ending.exitCode);
}

void FindCommand::settle()
{
    if (--pending == 0)
        tell();
}

void FindCommand::tell()
{
    bound->stop();
    pending = -1;
    for (const StationInfo &station : qAsConst(stations))
        reporter->station(station);
    Ending ending;
    ending.outcome = Ending::Found;
    ending.exitCode = 0;
    reporter->end(ending);
    emit finished(ending.exitCode);
}
