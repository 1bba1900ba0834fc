#pragma once

#include "mainwindow.h"
#include "runticker.h"
#include "updaterun.h"

#include <QStringList>

class QMessageBox;

// Drives one updater window in a test as a user would, with the run's timer stopped (see RunTicker). It answers
// what RunDriver answers of a run without a window, from the window's widgets.
class WindowDriver : public RunTicker
{
public:
    WindowDriver();

    MainWindow &window() { return mainWindow; }

    template<class T>
    T *find(const char *objectName) const
    {
        return mainWindow.findChild<T *>(QString::fromLatin1(objectName));
    }

    QString statusBarText() const;
    QString stepText() const;
    int barValue() const;
    int totalValue() const;
    QString warningText() const;
    QString versionText() const;
    QString addressText() const;
    bool controlsEnabled() const;
    bool confirmationOffered() const;
    // The box that ended a run: what happened and what to do; empty while none is open.
    QString boxText() const;
    QString boxDetails() const;
    void closeBox();

    void clickOwl(int times);
    // Offers the window a station found by discovery at this address (a dotted one: the window lists no other).
    void offerStation(const QString &address, const QString &mac = QStringLiteral("0A:1B:2C:3D:4E:5F"));
    // The answers of one search; the first station listed is the one chosen.
    void offerStations(const QVector<QString> &units);
    // A search finds nothing; from its box the owner goes on to type the address in. False without that box.
    bool typeAddress(const QString &address);
    void switchLanguage(const QString &code);
    // In debug mode, opened by the owl when a choice other than the window's own is to be made.
    void chooseImage(const QString &path);
    void setNoReboot(bool noReboot);
    // Ticks the bracelet confirmation and presses "Update Firmware"; true when the box is ticked.
    bool startUpdate();

    struct MessageBoxSeen {
        QString title;
        QString text;
        Qt::TextFormat textFormat = Qt::AutoText;
        QStringList buttons;
        bool defaultButtonSet = false;
        int layoutMinimumWidth = 0;
        bool closedByEnter = false;
    };
    enum Close { Done, PressEnter, AnswerYes };
    // Arms a watcher that closes the next modal message box and records what it showed. PressEnter presses
    // Enter on the box's focused widget as a user would; a box that stays open is then closed all the same.
    // AnswerYes closes it as its Yes button would.
    void closeNextMessageBox(MessageBoxSeen *seen, Close how = Done);

    // What a screen reader reads out of a message box, part by part; nothing unless it is announced as an alert.
    static QStringList alertParts(QWidget *box);

private:
    QMessageBox *endBox() const;

    MainWindow mainWindow;
};
