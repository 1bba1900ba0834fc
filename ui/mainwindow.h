#pragma once

#include "rundetails.h"
#include "stationwatch.h"

#include <QMainWindow>
#include <QString>
#include <QTranslator>
#include <QVector>

class Discovery;
class IpBaseCtrl;
class QTimer;
class SleepInhibitor;

namespace Ui {
class MainWindow;
}

// The updater's only window: finds a station, shows what it runs and carries one update through.
// The update itself is a state machine stepped by a 2 s timer (updateworkflow.cpp).
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Values of updateState; the number is printed in the per-tick debug line.
    enum UpdateState {
        Idle = 0,
        WaitForBase = 1,
        Uploading = 4,
        VerifyUpload = 5,
        Upgrading = 6,
        WaitForRestart = 8,
        // Restarted after flashing: the run is over once the station says which version it now runs.
        ConfirmVersion = 9,
    };
    Q_ENUM(UpdateState)

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    // Closing the window in the middle of an update asks first.
    void closeEvent(QCloseEvent *event) override;

private slots:
    void fileBrowse();
    void discoverReady(QVector<QString> units);
    void updateFirmware();
    void btnTest();
    void setDefaultConfig();
    void checkModule(bool en);
    void showInfo();
    void progressUpd(int p, int q, QString src, QString msg, int stat);
    void statusUpd(QString txt);
    void cfgJsonUpd(QByteArray data);
    void timerCheck();
    void deviceStat(QString msg, QString mac);
    void enableCustom();
    void switchLang(int id);
    void requestDone(QString request, QString error);
    // A search ended without any answer: unless the workflow started it, a box says what to check.
    void noStationFound();

private:
    // The image this updater delivers, expected beside the program.
    static constexpr char deliveredImage[] = "vmlinuz20210125_v143";

    void showDeviceInfo(bool visible);
    void showModuleCheck(bool visible);
    void enableControls(bool enable);
    void startUpload();
    void finishUpdate();
    void beginRun(const QString &addr, const QString &file);
    void enterState(int state);
    // After a restart the station has been silent at its address for this many ticks: time to look for it.
    void followAfterSilence(int silentTicks);
    // The answers to that search: the station with the run's MAC at another address is followed there.
    void followStation(const QVector<QString> &units);
    // Ends an upgrade whose station has gone silent, or answers without ever starting to flash.
    void checkUpgradeLimits();
    void confirmUpdate(const QString &version);
    // Every end of a run; `reason` goes into the run's details.
    void endRun(const QString &reason);
    void abortRun(const QString &reason);
    // Ends a run that the station did not end: the controls come back and a box says what happened.
    void failRun(const QString &what, const QString &advice, const QString &reason);
    bool runInProgress() const;
    bool askedBeforeReboot() const;

    Ui::MainWindow *ui;
    QString releaseDate;
    QString firmwareVersion;
    QTranslator translator;
    Discovery *discovery;
    IpBaseCtrl *baseCtrl;
    QTimer *timer;
    // Held from the click on "Update Firmware" to the end of the run.
    SleepInhibitor *sleepInhibitor;
    int debugClicks = 0;
    int updateState = 0;
    bool uploadDone = false;
    bool updateRequested = false;
    bool upgradeDone = false;
    bool baseAvailable = false;
    bool updateFailed = false;
    int waitCount = 0;
    int verifyCount = 0;
    QString lastAddr;
    QString failureText;
    StationWatch watch;
    RunDetails details;
    // Ticks since the station reported that it finished flashing.
    int restartTicks = 0;
    // The MAC of the station being updated, by which it is found again at another address.
    QString runMac;
    // Whether the image brings the version this updater delivers.
    bool versionForeseen = true;
};
