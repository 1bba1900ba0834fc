#pragma once

#include <QMainWindow>
#include <QString>
#include <QTranslator>
#include <QVector>

class UpdateRun;

namespace Ui {
class MainWindow;
}

// The updater's only window: finds a station, shows what it runs and lets the owner update it. The update itself
// is an UpdateRun; the window hands it the owner's choices and shows what it reports.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
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
    void progressUpd(int p, int q, QString label);
    void statusUpd(QString txt);
    void cfgJsonUpd(QByteArray data);
    void stationVersion(QString version);
    void stationMac(QString mac);
    void versionDecided(bool upToDate);
    void enableCustom();
    void switchLang(int id);
    // A search ended without any answer: unless the run started it, a box says what to check, and offers to
    // type the station's address in.
    void noStationFound();
    // The address row, outside debug mode too, with a hint where to find the address.
    void enterAddress();
    void addressEdited(QString text);
    void enableControls(bool enable);
    // The run found its station at another address: the address box shows where it is now.
    void addressFollowed(QString address, QString from);
    // A run ended without the station's confirmation: a box says what happened and what to do.
    void runFailed(QString message, QString advice, QString details);

private:
    void showDeviceInfo(bool visible);
    void showModuleCheck(bool visible);
    bool debugMode() const;
    // Whether the address box holds an address the run may ask: in debug mode any text, otherwise a station's
    // own dotted address (or nothing yet).
    bool addressAccepted() const;
    void showAddressHint();

    Ui::MainWindow *ui;
    QString releaseDate;
    QTranslator translator;
    UpdateRun *run;
    int debugClicks = 0;
    // The owner chose to type the address in.
    bool addressEntry = false;
};
