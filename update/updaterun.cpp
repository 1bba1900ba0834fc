#include "updaterun.h"

#include "discovery.h"
#include "ipbasectrl.h"
#include "replyreaders.h"
#include "runlimits.h"
#include "sleepinhibitor.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <iterator>

namespace {

constexpr int workflowTickMs = 2000;
constexpr int progressPerWaitTick = 100 / UpdateRun::waitTicks;
constexpr int verifyPolls = 5;

enum ReportStatus {
    UploadComplete = 1,
    UpgradeFinished = 3,
    ReportError = 4,
};

// Texts from the controller arrive translated in its own context; a second lookup in the window's context lets
// its catalog word them its own way, and leaves them unchanged where it has no entry.
QString translated(const QString &text)
{
    return QCoreApplication::translate("MainWindow", text.toUtf8().constData());
}

// Whether a step label is one of the station's error texts, as the controller words them in the language shown.
bool isStationError(const QString &src)
{
    return std::any_of(std::begin(stationErrorTexts), std::end(stationErrorTexts),
                       [&src](const char *text) { return src == QCoreApplication::translate("IpBaseCtrl", text); });
}

} // namespace

UpdateRun::UpdateRun(QObject *parent)
    : QObject(parent)
    , search(new Discovery(this))
    , baseCtrl(new IpBaseCtrl(this))
    , timer(new QTimer(this))
    , sleepInhibitor(new SleepInhibitor(this))
    , firmwareVersion(QLatin1String(deliveredVersion))
{
    connect(search, &Discovery::statusUpd, this, &UpdateRun::statusText);
    connect(baseCtrl, &IpBaseCtrl::statusUpd, this, &UpdateRun::statusText);
    connect(baseCtrl, &IpBaseCtrl::progressUpd, this, &UpdateRun::progressUpd);
    connect(baseCtrl, &IpBaseCtrl::deviceStat, this, &UpdateRun::deviceStat);
    connect(timer, &QTimer::timeout, this, &UpdateRun::timerCheck);
    timer->start(workflowTickMs);
    connect(baseCtrl, &IpBaseCtrl::requestDone, this, &UpdateRun::requestDone);
    connect(search, &Discovery::discoverReady, this, &UpdateRun::discoverReady);
    connect(search, &Discovery::nothingFound, this, &UpdateRun::nothingFound);
}

void UpdateRun::setAddress(const QString &address)
{
    if (address == addr)
        return;
    addr = address;
    answeredMac.clear();
}

void UpdateRun::setImage(const QString &path)
{
    file = path;
}

void UpdateRun::setPreReboot(bool reboot)
{
    preReboot = reboot;
}

void UpdateRun::setSearchName(const QString &name)
{
    searchAction = name;
}

QString UpdateRun::searchName() const
{
    return searchAction.isEmpty() ? QCoreApplication::translate("MainWindow", "Find my Velmora") : searchAction;
}

bool UpdateRun::isUpToDate(const QString &version)
{
    return version.contains(QLatin1String(deliveredVersion));
}

QString UpdateRun::nothingFoundText()
{
    return QCoreApplication::translate("MainWindow", "No base station answered the search.") + QLatin1String("\n\n")
           + QCoreApplication::translate(
                 "MainWindow",
                 "Check that the base station is switched on and that its network cable is plugged into the router, "
                 "and that this computer is on the same home network (not a guest network, and no VPN in between)."
                 "\n\nA firewall on this computer must let the answers of the base station in (UDP port 23456). To "
                 "allow them, run one of these two commands:\n%1\n%2")
                 .arg(QStringLiteral("sudo firewall-cmd --add-service=vmfwupd"),
                      QStringLiteral("sudo ufw allow vmfwupd"));
}

QString UpdateRun::stepText(const QString &label, int step)
{
    return label + QStringLiteral(" (%1/%2)").arg(step + 1).arg(stepCount);
}

UpdateRun::Request UpdateRun::requestUpdate()
{
    if (!baseAvailable)
        return Request::StationNotAnswered;
    if (!QFileInfo::exists(file))
        return Request::ImageMissing;
    // A request while the last run waits for the station's restart starts nothing new.
    if (!inProgress()) {
        beginRun();
        // A computer that sleeps in the middle of an update leaves the station half done.
        sleepInhibitor->inhibit(
            QCoreApplication::translate("MainWindow", "Updating the firmware of the Velmora base station"));
    }
    updateRequested = true;
    return Request::Taken;
}

void UpdateRun::askVersion()
{
    baseCtrl->requestGetVersion(addr);
}

void UpdateRun::timerCheck()
{
    bool startUpg = false;
    bool checkUpl = false;
    bool checkUpg = false;
    bool checkAvail = false;

    if (addr != lastAddr) {
        shownVersion.clear();
        emit stationVersion(shownVersion);
        baseCtrl->requestGetVersion(addr);
        lastAddr = addr;
    }

    if (updateFailed) {
        abortRun(QStringLiteral("error report: ") + failureText);
        // A report that came after the error, from a poll that was under way, must not leave its text there.
        emit statusText(failureText);
        emit failed(failureText, QString(), details.text());
    }

    // Before the state's own work, so that a run that ends here goes on in Idle within the same tick, as after an
    // error report.
    if (updateState == Upgrading && !upgradeDone)
        checkUpgradeLimits();

    switch (updateState) {
    case Idle:
        if (!baseAvailable)
            baseCtrl->requestGetVersion(addr);
        if (updateRequested) {
            enableControls(false);
            updateRequested = false;
            if (!preReboot) {
                waitCount = 0;
                baseAvailable = true;
                qDebug() << "Skipping Base Reboot, wait for ready";
            } else {
                waitCount = waitTicks;
                baseAvailable = false;
                baseCtrl->requestDoReboot(addr);
                qDebug() << "Base Reboot, wait for ready";
            }
            enterState(WaitForBase);
        }
        break;
    case WaitForBase:
        if (waitCount > 0) {
            --waitCount;
            progressUpd((waitTicks - waitCount) * progressPerWaitTick, 0,
                        QCoreApplication::translate("MainWindow", "Wait"),
                        QCoreApplication::translate("MainWindow", "wait for base"), 0);
        } else if (baseAvailable) {
            uploadDone = false;
            startUpload();
            qDebug() << "Base Available, upload file";
            checkAvail = true;
            enterState(Uploading);
        } else {
            // Past zero the count goes on down: it tells the ticks since the countdown ended.
            --waitCount;
            if (waitTicks - waitCount < RunLimits::comebackTicks) {
                checkAvail = true;
                followAfterSilence(-waitCount);
            } else {
                failRun(QCoreApplication::translate("MainWindow",
                                                    "The base station did not come back after its restart."),
                        QCoreApplication::translate(
                            "MainWindow",
                            "Nothing was uploaded, so its firmware is unchanged. Check that the base station has "
                            "power and that its network cable to the router is plugged in, then search for it again "
                            "with \"%1\".")
                            .arg(searchName()),
                        QStringLiteral("no answer to a version request within %1 ticks of the reboot request")
                            .arg(RunLimits::comebackTicks));
            }
        }
        break;
    case Uploading:
        if (uploadDone) {
            uploadDone = false;
            upgradeDone = false;
            verifyCount = verifyPolls;
            enterState(VerifyUpload);
        }
        break;
    case VerifyUpload:
        --verifyCount;
        checkUpl = true;
        // A station that reports an error of its own is not told to flash while it does.
        if (verifyCount < 0 && (!watch.reportsError() || verifyCount < -RunLimits::errorHoldTicks)) {
            startUpg = true;
            enterState(Upgrading);
        }
        break;
    case Upgrading:
        checkUpg = true;
        if (upgradeDone) {
            waitCount = waitTicks;
            upgradeDone = false;
            restartTicks = 1;
            enterState(WaitForRestart);
        }
        break;
    case WaitForRestart:
        ++restartTicks;
        // Counts down two per tick, so the restart wait is about half as long as the first one.
        if (waitCount - 1 > 0) {
            waitCount -= 2;
            progressUpd((waitTicks - waitCount) * progressPerWaitTick, stepCount - 1,
                        QCoreApplication::translate("MainWindow", "Wait"),
                        QCoreApplication::translate("MainWindow", "wait for base"), 0);
        } else {
            --waitCount;
            finishUpdate();
            enterState(ConfirmVersion);
        }
        break;
    case ConfirmVersion:
        if (++restartTicks >= RunLimits::restartComebackTicks) {
            failRun(QCoreApplication::translate("MainWindow", "The base station has not come back after the update."),
                    QCoreApplication::translate(
                        "MainWindow",
                        "Check that the base station has power and that its network cable to the router is plugged "
                        "in, then search for it again with \"%1\".")
                        .arg(searchName()),
                    QStringLiteral("no answer to a version request within %1 ticks of the finish report")
                        .arg(RunLimits::restartComebackTicks));
        } else if (!baseAvailable) {
            baseCtrl->requestGetVersion(addr);
            // As in the first wait, the count goes on below zero.
            followAfterSilence(-(--waitCount));
        }
        break;
    default:
        break;
    }

    qDebug() << "State " << updateState << " startUpg " << startUpg << " checkUpl " << checkUpl << " checkUpg"
             << checkUpg << " checkAvail " << checkAvail;

    if (startUpg)
        baseCtrl->requestFirmwareUpgrade(addr, file);
    if (checkUpl)
        baseCtrl->requestFwUploadStatus(addr);
    if (checkUpg)
        baseCtrl->requestFwUpgStatus(addr);
    if (checkAvail)
        baseCtrl->requestGetVersion(addr);
}

void UpdateRun::progressUpd(int p, int q, QString src, QString msg, int stat)
{
    // The wait displays of the tick come here too; only the station's reports are part of the run's story, and
    // of the upload only its end.
    // One arg() for all: a station's text may itself hold "%1".
    if (sender() == baseCtrl && inProgress() && (updateState != Uploading || stat != 0))
        details.note(QStringLiteral("report %1/%2 %3% \"%4\" (status %5)")
                         .arg(QString::number(q + 1), QString::number(stepCount), QString::number(p), src,
                              QString::number(stat)));
    StationWatch::Verdict verdict = StationWatch::Working;
    if (stat == 0 && (updateState == VerifyUpload || updateState == Upgrading))
        verdict = watch.report(q, isStationError(src));
    if (verdict == StationWatch::Restarted) {
        // It flashed and restarted before a poll saw it say so: its run goes on as after its own finish report.
        p = 0;
        q = stepCount - 1;
        stat = UpgradeFinished;
    }
    switch (stat) {
    case UploadComplete:
        uploadDone = true;
        break;
    case UpgradeFinished:
        upgradeDone = true;
        finishUpdate();
        break;
    case ReportError:
        updateFailed = true;
        failureText = translated(msg);
        break;
    default:
        break;
    }
    emit progress(p, q, translated(src));
    emit statusText(translated(msg));
    if (verdict == StationWatch::GaveUp)
        failRun(QCoreApplication::translate("MainWindow", "The base station reported an error: %1").arg(translated(src)),
                QCoreApplication::translate(
                    "MainWindow",
                    "The update did not finish. Keep the base station switched on and try the update again."),
                QStringLiteral("the station reported its own error %1 times in a row")
                    .arg(RunLimits::stationErrorReports));
}

void UpdateRun::deviceStat(QString msg, QString mac)
{
    shownVersion = msg;
    emit stationVersion(msg);
    if (!mac.isEmpty()) {
        answeredMac = mac;
        emit stationMac(mac);
    }
    if (!askedBeforeReboot())
        baseAvailable = true;
    qDebug() << "deviceStat" << msg << " " << mac << " " << updateState;
    // After the restart that ends an update, this answer tells whether the update took.
    confirmUpdate(msg);
    emit versionDecided(msg.contains(firmwareVersion) && updateState == Idle);
}

void UpdateRun::enableControls(bool enable)
{
    emit controlsEnabled(enable);
}

void UpdateRun::startUpload()
{
    baseCtrl->uploadFirmware(addr, file);
    uploadDone = false;
}

void UpdateRun::finishUpdate()
{
    updateRequested = false;
    uploadDone = false;
    lastAddr.clear();
    qDebug() << "Success, all done";
    baseAvailable = false;
}
