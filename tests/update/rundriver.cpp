#include "rundriver.h"

#include "discovery.h"
#include "discoverydatagram.h"

#include <QCoreApplication>

RunDriver::RunDriver()
{
    attach(&updateRun);
    // A front end starts with a catalog: the English one words some of the station's texts its own way.
    switchLanguage(QStringLiteral("en"));
    UpdateRun *run = &updateRun;
    QObject::connect(run, &UpdateRun::statusText, run, [this](const QString &text) { shown.statusBar = text; });
    QObject::connect(run, &UpdateRun::progress, run, [this](int value, int step, const QString &label) {
        shown.bar = value;
        shown.total = value + 100 * step;
        shown.step = UpdateRun::stepText(label, step);
    });
    QObject::connect(run, &UpdateRun::stationVersion, run, [this](const QString &version) { shown.version = version; });
    QObject::connect(run, &UpdateRun::versionDecided, run, [this](bool upToDate) {
        if (upToDate)
            shown.warning = QCoreApplication::translate("MainWindow", "This Velmora is up to date");
        else
            shown.offered = true;
    });
    QObject::connect(run, &UpdateRun::controlsEnabled, run, [this](bool enabled) {
        shown.controls = enabled;
        shown.warning = enabled ? QString()
                                : QCoreApplication::translate("MainWindow",
                                                              "Upgrade in Progress. Do not power off the base station!");
    });
    QObject::connect(run, &UpdateRun::confirmationWithdrawn, run, [this] { shown.offered = false; });
    QObject::connect(run, &UpdateRun::failed, run,
                     [this](const QString &message, const QString &advice, const QString &details) {
                         if (advice.isEmpty())
                             return;
                         shown.box = message + QStringLiteral("\n\n") + advice;
                         shown.details = details;
                     });
}

void RunDriver::offerStation(const QString &address, const QString &mac)
{
    offerStations({unitText(mac, address)});
}

void RunDriver::offerStations(const QVector<QString> &units)
{
    emit updateRun.discovery()->discoverReady(units);
    updateRun.setAddress(unitTextAddress(units.constFirst()));
    updateRun.askVersion();
}

void RunDriver::switchLanguage(const QString &code)
{
    static_cast<void>(translator.load(QStringLiteral("vmfwupd_") + code.toLower(), QStringLiteral(":/")));
    QCoreApplication::installTranslator(&translator);
}

bool RunDriver::startUpdate()
{
    return shown.offered && updateRun.requestUpdate() == UpdateRun::Request::Taken;
}
