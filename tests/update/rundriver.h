#pragma once

#include "runticker.h"
#include "updaterun.h"

#include <QString>
#include <QTranslator>

// Drives one UpdateRun without a window, as a front end would: offers it a station, hands it the owner's choices
// and keeps what a front end shows of the run, from its signals alone. WindowDriver answers the same questions
// from the window's widgets.
class RunDriver : public RunTicker
{
public:
    RunDriver();

    // A search listed this station (a dotted address), and the owner chose it.
    void offerStation(const QString &address, const QString &mac = QStringLiteral("0A:1B:2C:3D:4E:5F"));
    // The answers of one search; the first station listed is the one chosen.
    void offerStations(const QVector<QString> &units);
    bool typeAddress(const QString &address)
    {
        updateRun.setAddress(address);
        return true;
    }
    void switchLanguage(const QString &code);
    void chooseImage(const QString &path) { updateRun.setImage(path); }
    void setNoReboot(bool noReboot) { updateRun.setPreReboot(!noReboot); }
    // The owner confirms the bracelet and asks for the update; true when the run took the request.
    bool startUpdate();

    QString statusBarText() const { return shown.statusBar; }
    QString stepText() const { return shown.step; }
    int barValue() const { return shown.bar; }
    int totalValue() const { return shown.total; }
    QString warningText() const { return shown.warning; }
    QString versionText() const { return shown.version; }
    QString addressText() const { return updateRun.address(); }
    bool controlsEnabled() const { return shown.controls; }
    bool confirmationOffered() const { return shown.offered; }
    // The end a box would show: what happened and what to do; empty while none.
    QString boxText() const { return shown.box; }
    QString boxDetails() const { return shown.details; }
    void closeBox() { shown.box.clear(); }

private:
    struct Shown {
        QString statusBar;
        QString step;
        int bar = 0;
        int total = 0;
        QString warning;
        QString version;
        bool controls = true;
        bool offered = false;
        QString box;
        QString details;
    };

    UpdateRun updateRun;
    QTranslator translator;
    Shown shown;
};
