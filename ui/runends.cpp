// How an update run of MainWindow begins and ends: its details, the end the station confirms, the ends its
// limits or the owner put to it, and following the station when a restart moved it to another address.

#include "mainwindow.h"

#include "discovery.h"
#include "discoverydatagram.h"
#include "ipbasectrl.h"
#include "runlimits.h"
#include "sleepinhibitor.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDebug>
#include <QFileInfo>
#include <QMessageBox>
#include <QMetaEnum>

void MainWindow::checkUpgradeLimits()
{
    switch (watch.tick()) {
    case StationWatch::Silent:
        failRun(tr("The base station stopped answering during the update."),
                tr("It may still be busy with the update, so leave it switched on. In ten minutes, search for it "
                   "again with \"%1\". If it does not show up, check that its network cable to the router is "
                   "plugged in and search once more; if it still does not show up, contact the helpdesk (see "
                   "Info).")
                    .arg(ui->pushButtonDevSearch->text()),
                QStringLiteral("no answer to any request for %1 ticks in a row during the upgrade")
                    .arg(RunLimits::silentUpgradeTicks));
        break;
    case StationWatch::NeverStarted:
        failRun(tr("The base station did not start the upgrade."),
                tr("Its firmware is unchanged. Keep the base station switched on and try the update again."),
                QStringLiteral("no flashing step reported within %1 ticks of the start of the upgrade")
                    .arg(RunLimits::upgradeStartTicks));
        break;
    default:
        break;
    }
}

void MainWindow::requestDone(QString request, QString error)
{
    if (!runInProgress())
        return;
    if (error.isEmpty())
        watch.answered();
    else
        details.note(QStringLiteral("%1 request failed: %2").arg(request, error));
}

// The first version the station reports after its restart tells whether the update took.
void MainWindow::confirmUpdate(const QString &version)
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
        failRun(tr("The base station restarted but still runs version %1.").arg(version),
                tr("The update did not take, so its firmware is unchanged. Keep the base station switched on and "
                   "try the update again."),
                QStringLiteral("the station came back with version \"%1\", not %2").arg(version, firmwareVersion));
        baseAvailable = true;
        return;
    }
    enterState(Idle);
    showModuleCheck(false);
    endRun(QStringLiteral("the station came back with version \"%1\"").arg(version));
    ui->statusBar->showMessage(tr("Success, all done"));
}

void MainWindow::beginRun(const QString &addr, const QString &file)
{
    const QFileInfo image(file);
    // Only the delivered image is known to bring its version; any other one a user chose may bring any version.
    versionForeseen = image.fileName() == QLatin1String(deliveredImage);
    runMac = ui->labelMacAddr->text();
    watch.reset();
    details.begin({
        QStringLiteral("Update started %1").arg(QDateTime::currentDateTime().toString(Qt::ISODate)),
        QStringLiteral("Base station %1, MAC %2, version \"%3\"")
            .arg(addr, runMac, ui->labelDeviceStatus->text()),
        QStringLiteral("Image %1, %2 bytes").arg(image.fileName(), QString::number(image.size())),
        QStringLiteral("Pre-upload reboot: %1")
            .arg(ui->checkBoxNoReboot->isChecked() ? QStringLiteral("no") : QStringLiteral("yes")),
    });
}

void MainWindow::followAfterSilence(int silentTicks)
{
    // Only a station known by its MAC can be told from any other that answers.
    if (silentTicks <= 0 || silentTicks % RunLimits::searchTicks != 0 || runMac.isEmpty())
        return;
    details.note(QStringLiteral("searching for the station with MAC %1").arg(runMac));
    discovery->searchQuietly();
}

void MainWindow::followStation(const QVector<QString> &units)
{
    // Answers that come after the run ended have nobody left to follow.
    if (!runInProgress())
        return;
    const QString current = ui->comboBoxIp->currentText();
    for (const QString &unit : units) {
        const QString address = unitTextAddress(unit);
        if (unitTextMac(unit).compare(runMac, Qt::CaseInsensitive) != 0 || !isDottedIpv4(address))
            continue;
        if (address == current)
            break;
        details.note(QStringLiteral("the station answered the search at %1: followed there from %2").arg(address, current));
        // Every further request reads the address from the box, which shows the owner where the station is now.
        const int index = ui->comboBoxIp->currentIndex();
        if (index >= 0 && ui->comboBoxIp->itemText(index) == current)
            ui->comboBoxIp->setItemText(index, address);
        else
            ui->comboBoxIp->setEditText(address);
        return;
    }
    details.note(QStringLiteral("the search brought no other address of the station"));
}

void MainWindow::enterState(int state)
{
    updateState = state;
    details.note(QStringLiteral("state ") + QLatin1String(QMetaEnum::fromType<UpdateState>().valueToKey(state)));
}

void MainWindow::endRun(const QString &reason)
{
    details.note(QStringLiteral("ended: ") + reason);
    sleepInhibitor->release();
}

void MainWindow::abortRun(const QString &reason)
{
    finishUpdate();
    enterState(Idle);
    upgradeDone = false;
    showModuleCheck(false);
    baseAvailable = false;
    updateFailed = false;
    endRun(reason);
}

void MainWindow::failRun(const QString &what, const QString &advice, const QString &reason)
{
    abortRun(reason);
    ui->statusBar->showMessage(what);
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Velmora Firmware Update"), what + QLatin1String("\n\n") + advice,
                                QMessageBox::Ok, this);
    box->setTextFormat(Qt::PlainText);
    // Qt shows it as plain, selectable text behind "Show Details...": for whoever helps the owner.
    box->setDetailedText(details.text());
    qDebug().noquote() << "Run ended:" << what << '\n' << details.text();
    box->setDefaultButton(QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Not exec(): no tick may run inside the one that ends the run, and the window goes on asking for the version.
    box->open();
}

bool MainWindow::askedBeforeReboot() const
{
    // The window asks nothing while it counts down after the reboot request: an answer then was asked for before
    // the reboot, and says nothing of whether the station is back, nor where.
    return updateState == WaitForBase && waitCount > 0;
}

bool MainWindow::runInProgress() const
{
    return updateRequested || updateState != Idle;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (runInProgress()) {
        QMessageBox box(QMessageBox::Warning, tr("Velmora Firmware Update"),
                        tr("The update is still in progress. Closing the updater now can leave the base station "
                           "without working firmware.")
                            + QLatin1String("\n\n") + tr("Close anyway?"),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setTextFormat(Qt::PlainText);
        box.button(QMessageBox::Yes)->setText(tr("&Yes"));
        box.button(QMessageBox::No)->setText(tr("&No"));
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        if (box.exec() != QMessageBox::Yes) {
            event->ignore();
            return;
        }
        endRun(QStringLiteral("the window was closed"));
    }
    QMainWindow::closeEvent(event);
}
