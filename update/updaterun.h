#pragma once

#include "rundetails.h"
#include "stationwatch.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVector>

class Discovery;
class IpBaseCtrl;
class QTimer;
class SleepInhibitor;

// One update of a base station, from the owner's "Update Firmware" to the station's confirmation, and the idle
// ticks around it that ask the station at the chosen address for its version. A state machine stepped by a 2 s
// timer; the controller only answers single requests, all pacing and waiting lives here, counted in ticks.
// It knows no widget: a front end hands it the owner's choices and shows what its signals report. Its texts are
// the window's own: the catalogs hold them under the context "MainWindow".
class UpdateRun : public QObject
{
    Q_OBJECT

public:
    // Values of the workflow state; the number is printed in the per-tick debug line.
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

    // What a request to update meets.
    enum class Request { Taken, StationNotAnswered, ImageMissing };

    // The image this updater delivers, expected beside the program, and the version it brings.
    static constexpr char deliveredImage[] = "vmlinuz20210125_v143";
    static constexpr char deliveredVersion[] = "V14.3";
    // Ticks of the wait after the pre-upload reboot; the progress of each is 100 / waitTicks.
    static constexpr int waitTicks = 25;
    static constexpr int stepCount = 7;

    explicit UpdateRun(QObject *parent = nullptr);

    Discovery *discovery() const { return search; }
    IpBaseCtrl *controller() const { return baseCtrl; }

    // The owner's choices. Each tick reads them; during a run only the run itself moves the address.
    void setAddress(const QString &address);
    QString address() const { return addr; }
    void setImage(const QString &path);
    QString image() const { return file; }
    void setPreReboot(bool reboot);
    // How the owner searches for the station again, named in the advice at a run's end: by default the window's
    // "Find my Velmora", in the language shown.
    void setSearchName(const QString &name);

    // Whether a version text is the one the delivered image brings.
    static bool isUpToDate(const QString &version);
    // A step as the front ends show it: its label and "(step + 1/7)".
    static QString stepText(const QString &label, int step);
    // What a front end tells the owner when no station answered a search: that none did, and what to check (power,
    // cable, network, the firewall with its two commands), in the language shown. The front end adds how to
    // search again.
    static QString nothingFoundText();

    // The owner asks for an update of the station at the address: it begins on the next tick. Refused while no
    // station has answered since the last run or change of address, or while the image is missing.
    Request requestUpdate();
    // Asks the station at the address for its version at once, outside the ticks: a search has just listed it.
    void askVersion();
    // The owner leaves in the middle of a run (the window closed, the command line interrupted): the run ends
    // here, whatever the station is doing.
    void leave(const QString &reason);

    int state() const { return updateState; }
    bool inProgress() const;

signals:
    // The status line.
    void statusText(QString text);
    // A step of the run: its percentage, its index (0 to 6, shown as step + 1 of 7; 100 for the answer to the
    // configuration reset) and its label, all in the language shown.
    void progress(int value, int step, QString label);
    // What the station at the address runs: empty while a new address is asked, then each answer's text.
    void stationVersion(QString version);
    // Each MAC the station reports.
    void stationMac(QString mac);
    // After each version answer: whether the station already runs the delivered version and no run is on, or
    // the bracelet confirmation is to be offered.
    void versionDecided(bool upToDate);
    void stateChanged(UpdateRun::UpdateState state);
    // Locked from the start of a run, given back at its end.
    void controlsEnabled(bool enabled);
    // The bracelet confirmation is taken back at the end of a run: the next run needs it again.
    void confirmationWithdrawn();
    // The station answered the run's search at another address; every request goes there from now on.
    void addressFollowed(QString address, QString from);
    // The ends of a run: confirmed by the station, or given up with what happened, what to do (empty for an
    // error the station reported, which the status line alone shows) and the run's details.
    void succeeded(QString version);
    void failed(QString message, QString advice, QString details);

public slots:
    // One tick of the workflow.
    void timerCheck();

private slots:
    void progressUpd(int p, int q, QString src, QString msg, int stat);
    void deviceStat(QString msg, QString mac);
    void requestDone(QString request, QString error);
    void discoverReady(QVector<QString> units);
    void nothingFound();

private:
    void enableControls(bool enable);
    void startUpload();
    void finishUpdate();
    void beginRun();
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
    // Ends a run that the station did not end: what happened and what to do.
    void failRun(const QString &what, const QString &advice, const QString &reason);
    bool askedBeforeReboot() const;
    QString searchName() const;

    Discovery *search;
    IpBaseCtrl *baseCtrl;
    QTimer *timer;
    // Held from the request to update to the end of the run.
    SleepInhibitor *sleepInhibitor;
    QString addr;
    QString file;
    bool preReboot = true;
    QString searchAction;
    QString firmwareVersion;
    int updateState = Idle;
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
    // The MACs of the stations the owner's last search listed, by address, and the one the station at the
    // address reported itself since it was chosen.
    QHash<QString, QString> listedMacs;
    QString answeredMac;
    QString shownVersion;
    // The MAC of the station being updated, by which it is found again at another address.
    QString runMac;
    // Whether the image brings the version this updater delivers.
    bool versionForeseen = true;
};
