// How an update run begins and ends: its details, the end the station confirms, the ends its limits or the owner
// put to it, and following the station when a restart moved it to another address.

#include "updaterun.h"

#include "discovery.h"
#include "discoverydatagram.h"
#include "runlimits.h"
#include "sleepinhibitor.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QFileInfo>
#include <QMetaEnum>

void UpdateRun::checkUpgradeLimits()
{
    switch (watch.tick()) {
    case StationWatch::Silent:
        failRun(QCoreApplication::translate("MainWindow", "The base station stopped answering during the update."),
                QCoreApplication::translate(
                    "MainWindow",
                    "It may still be busy with the update, so leave it switched on. In ten minutes, search for it "
                    "again with \"%1\". If it does not show up, check that its network cable to the router is "
                    "plugged in and search once more; if it still does not show up, contact the helpdesk (see "
                    "Info).")
                    .arg(searchName()),
                QStringLiteral("no answer to any request for %1 ticks in a row during the upgrade")
                    .arg(RunLimits::silentUpgradeTicks));
        break;
    case StationWatch::NeverStarted:
        failRun(QCoreApplication::translate("MainWindow", "The base station did not start the upgrade."),
                QCoreApplication::translate(
                    "MainWindow", "Its firmware is unchanged. Keep the base station switched on and try the update again."),
                QStringLiteral("no flashing step reported within %1 ticks of the start of the upgrade")
                    .arg(RunLimits::upgradeStartTicks));
        break;
    default:
        break;
    }
}

void UpdateRun::requestDone(QString request, QString error)
{
    if (!inProgress())
        return;
    if (error.isEmpty())
        watch.answered();
    else
        details.note(QStringLiteral("%1 request failed: %2").arg(request, error));
}

void UpdateRun::discoverReady(QVector<QString> units)
{
    // The run's own search looks for the station being updated.
    if (search->isQuiet()) {
        followStation(units);
        return;
    }
    listedMacs.clear();
    for (const ListedStation &station : listedStations(units))
        listedMacs.insert(station.address, station.mac);
}

void UpdateRun::nothingFound()
{
    // The run's own search: its details keep the outcome.
    if (search->isQuiet())
        details.note(QStringLiteral("no station answered the search"));
}

// The first version the station reports after its restart tells whether the update took.
void UpdateRun::confirmUpdate(const QString &version)
{
    if (updateState != ConfirmVersion)
        return;
    // An answer without a version says nothing yet; the station is asked again.
    if (version.isEmpty()) {
        baseAvailable = false;
        details.note(QStringLiteral("version answer without a version"));
        return;
    }
    if (versionForeseen && !version.contains(firmwareVersion)) {
        failRun(QCoreApplication::translate("MainWindow", "The base station restarted but still runs version %1.")
                    .arg(version),
                QCoreApplication::translate("MainWindow",
                                            "The update did not take, so its firmware is unchanged. Keep the base "
                                            "station switched on and try the update again."),
                QStringLiteral("the station came back with version \"%1\", not %2").arg(version, firmwareVersion));
        baseAvailable = true;
        return;
    }
    enterState(Idle);
    emit confirmationWithdrawn();
    endRun(QStringLiteral("the station came back with version \"%1\"").arg(version));
    emit statusText(QCoreApplication::translate("MainWindow", "Success, all done"));
    emit succeeded(version);
}

void UpdateRun::beginRun()
{
    const QFileInfo image(file);
    // Only the delivered image is known to bring its version; any other one a user chose may bring any version.
    versionForeseen = image.fileName() == QLatin1String(deliveredImage);
    // The station's own MAC: what it answered, else what its answer to the search said. A station that reported
    // none is not followed: the MAC of another station of the same search would lead the run there.
    runMac = answeredMac.isEmpty() ? listedMacs.value(addr) : answeredMac;
    watch.reset();
    details.begin({
        QStringLiteral("Update started %1").arg(QDateTime::currentDateTime().toString(Qt::ISODate)),
        QStringLiteral("Base station %1, MAC %2, version \"%3\"").arg(addr, runMac, shownVersion),
        QStringLiteral("Image %1, %2 bytes").arg(image.fileName(), QString::number(image.size())),
        QStringLiteral("Pre-upload reboot: %1").arg(preReboot ? QStringLiteral("yes") : QStringLiteral("no")),
    });
}

void UpdateRun::followAfterSilence(int silentTicks)
{
    // Only a station known by its MAC can be told from any other that answers.
    if (silentTicks <= 0 || silentTicks % RunLimits::searchTicks != 0 || runMac.isEmpty())
        return;
    details.note(QStringLiteral("searching for the station with MAC %1").arg(runMac));
    search->searchQuietly();
}

void UpdateRun::followStation(const QVector<QString> &units)
{
    // Answers that come after the run ended have nobody left to follow.
    if (!inProgress())
        return;
    for (const QString &unit : units) {
        const QString address = unitTextAddress(unit);
        if (unitTextMac(unit).compare(runMac, Qt::CaseInsensitive) != 0 || !isDottedIpv4(address))
            continue;
        if (address == addr)
            break;
        const QString from = addr;
        details.note(QStringLiteral("the station answered the search at %1: followed there from %2").arg(address, from));
        addr = address;
        emit addressFollowed(address, from);
        return;
    }
    details.note(QStringLiteral("the search brought no other address of the station"));
}

void UpdateRun::enterState(int state)
{
    updateState = state;
    details.note(QStringLiteral("state ") + QLatin1String(QMetaEnum::fromType<UpdateState>().valueToKey(state)));
    emit stateChanged(UpdateState(state));
}

void UpdateRun::endRun(const QString &reason)
{
    details.note(QStringLiteral("ended: ") + reason);
    sleepInhibitor->release();
    // Only now: while the station restarts and until it confirms, another search or address would change which
    // station is asked, and so which one confirms the update.
    enableControls(true);
}

void UpdateRun::leave(const QString &reason)
{
    if (inProgress())
        endRun(reason);
}

void UpdateRun::abortRun(const QString &reason)
{
    finishUpdate();
    enterState(Idle);
    upgradeDone = false;
    emit confirmationWithdrawn();
    baseAvailable = false;
    updateFailed = false;
    endRun(reason);
}

void UpdateRun::failRun(const QString &what, const QString &advice, const QString &reason)
{
    abortRun(reason);
    emit statusText(what);
    qDebug().noquote() << "Run ended:" << what << '\n' << details.text();
    emit failed(what, advice, details.text());
}

bool UpdateRun::askedBeforeReboot() const
{
    // Nothing is asked while the run counts down after the reboot request: an answer then was asked for before
    // the reboot, and says nothing of whether the station is back, nor where.
    return updateState == WaitForBase && waitCount > 0;
}

bool UpdateRun::inProgress() const
{
    return updateRequested || updateState != Idle;
}
