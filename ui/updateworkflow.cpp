// The update sequence of MainWindow: a state machine stepped once per timer tick. The controller only
// answers single requests; all pacing and waiting lives here, counted in ticks.

#include "mainwindow.h"

#include "ipbasectrl.h"
#include "replyreaders.h"
#include "runlimits.h"
#include "sleepinhibitor.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QFileInfo>
#include <QMessageBox>

#include <algorithm>
#include <iterator>

namespace {

constexpr int waitTicks = 25;
constexpr int progressPerWaitTick = 4;
constexpr int verifyPolls = 5;
constexpr int stepCount = 7;

enum ReportStatus {
    UploadComplete = 1,
    UpgradeFinished = 3,
    ReportError = 4,
};

// Texts from the controller arrive translated in its own context; a second lookup here lets the window's
// catalog word them its own way, and leaves them unchanged where it has no entry.
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

// What QMessageBox::critical shows, but never read as markup: the texts carry a station's address from its
// acknowledgement, or a file name that debug mode lets the user pick freely.
void showCritical(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    // The static helper makes the accept button the default when it is given none.
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

} // namespace

void MainWindow::updateFirmware()
{
    if (!baseAvailable) {
        showCritical(tr("Velmora BaseStation"),
                     tr("The basestation %1 could not be reached").arg(ui->comboBoxIp->currentText()));
        return;
    }
    const QString path = ui->lineEditFirmware->text();
    if (QFileInfo::exists(path)) {
        // A press while the last run waits for the station's restart starts nothing new.
        if (!runInProgress()) {
            beginRun(ui->comboBoxIp->currentText(), path);
            // A computer that sleeps in the middle of an update leaves the station half done.
            sleepInhibitor->inhibit(tr("Updating the firmware of the Velmora base station"));
        }
        updateRequested = true;
        return;
    }
    showCritical(tr("Velmora Firmware File"), tr("The firmware file %1 was not found").arg(path));
}

void MainWindow::btnTest()
{
    baseCtrl->requestFwUpgStatus(ui->comboBoxIp->currentText());
}

void MainWindow::timerCheck()
{
    const QString addr = ui->comboBoxIp->currentText();
    const QString file = ui->lineEditFirmware->text();
    bool startUpg = false;
    bool checkUpl = false;
    bool checkUpg = false;
    bool checkAvail = false;

    if (addr != lastAddr) {
        ui->labelDeviceStatus->setText(QString());
        baseCtrl->requestGetVersion(addr);
        lastAddr = addr;
    }

    if (updateFailed) {
        abortRun(QStringLiteral("error report: ") + failureText);
        // A report that came after the error, from a poll that was under way, must not leave its text there.
        ui->statusBar->showMessage(failureText);
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
            if (ui->checkBoxNoReboot->isChecked()) {
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
            progressUpd((waitTicks - waitCount) * progressPerWaitTick, 0, tr("Wait"), tr("wait for base"), 0);
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
                failRun(tr("The base station did not come back after its restart."),
                        tr("Nothing was uploaded, so its firmware is unchanged. Check that the base station has "
                           "power and that its network cable to the router is plugged in, then search for it again "
                           "with \"%1\".")
                            .arg(ui->pushButtonDevSearch->text()),
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
            progressUpd((waitTicks - waitCount) * progressPerWaitTick, stepCount - 1, tr("Wait"),
                        tr("wait for base"), 0);
        } else {
            --waitCount;
            finishUpdate();
            enterState(ConfirmVersion);
        }
        break;
    case ConfirmVersion:
        if (++restartTicks >= RunLimits::restartComebackTicks) {
            failRun(tr("The base station has not come back after the update."),
                    tr("Check that the base station has power and that its network cable to the router is plugged "
                       "in, then search for it again with \"%1\".")
                        .arg(ui->pushButtonDevSearch->text()),
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

void MainWindow::progressUpd(int p, int q, QString src, QString msg, int stat)
{
    // The wait displays of the tick come here too; only the station's reports are part of the run's story, and
    // of the upload only its end.
    // One arg() for all: a station's text may itself hold "%1".
    if (sender() == baseCtrl && runInProgress() && (updateState != Uploading || stat != 0))
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
    ui->progressBar->setValue(p);
    ui->progressBarTotal->setValue(p + 100 * q);
    ui->labelStatus->setText(translated(src) + QStringLiteral(" (%1/%2)").arg(q + 1).arg(stepCount));
    ui->statusBar->showMessage(translated(msg));
    if (verdict == StationWatch::GaveUp)
        failRun(tr("The base station reported an error: %1").arg(translated(src)),
                tr("The update did not finish. Keep the base station switched on and try the update again."),
                QStringLiteral("the station reported its own error %1 times in a row")
                    .arg(RunLimits::stationErrorReports));
}

void MainWindow::enableControls(bool enable)
{
    const std::initializer_list<QWidget *> controls = {ui->pushButtonBrowse, ui->pushButtonDevSearch,
                                                       ui->pushButtonDefaultCfg, ui->pushButtonUpdate,
                                                       ui->lineEditFirmware, ui->comboBoxIp};
    for (QWidget *control : controls)
        control->setEnabled(enable);
    ui->labelWarning->setText(enable ? QString() : tr("Upgrade in Progress. Do not power off the base station!"));
}

void MainWindow::startUpload()
{
    baseCtrl->uploadFirmware(ui->comboBoxIp->currentText(), ui->lineEditFirmware->text());
    uploadDone = false;
}

void MainWindow::finishUpdate()
{
    updateRequested = false;
    uploadDone = false;
    lastAddr.clear();
    qDebug() << "Success, all done";
    enableControls(true);
    baseAvailable = false;
}
