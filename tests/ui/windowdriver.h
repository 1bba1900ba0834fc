#pragma once

#include "mainwindow.h"
#include "updaterun.h"

#include <QStringList>

class IpBaseCtrl;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// Drives one updater window in a test as a user would, with the workflow timer stopped: the test calls each
// tick itself and waits for the station's answers in between, so a whole run takes seconds, not minutes.
class WindowDriver
{
public:
    WindowDriver();
    ~WindowDriver();

    MainWindow &window() { return mainWindow; }
    UpdateRun *run() const;
    IpBaseCtrl *controller() const;
    // Stopped from the start; a test that wants the window's own pace starts it.
    QTimer *workflowTimer() const;

    template<class T>
    T *find(const char *objectName) const
    {
        return mainWindow.findChild<T *>(QString::fromLatin1(objectName));
    }

    enum Wait { Settle, NoSettle };
    // One workflow tick; by default then waits (bounded) for the answers to its requests (see settle).
    bool tick(Wait wait = Settle);
    // Waits until every request of the controller has been answered or has failed, an upload only until its
    // whole body has left: the window never reads the station's answer to it, which may come much later.
    bool settle(int timeoutMs = 10000);

    // The workflow state the last tick reported in its debug line; -1 before the first tick.
    int state() const;
    // The four request flags of the last tick's debug line, e.g. "startUpg false checkUpl true ...".
    QString requestFlags() const;
    QString statusBarText() const;

    void clickOwl(int times);
    // Offers the window a station found by discovery at this address (a dotted one: the window lists no other).
    void discover(const QString &address, const QString &mac = QStringLiteral("0A:1B:2C:3D:4E:5F"));

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

    static QString unitText(const QString &mac, const QString &address);
    // What a screen reader reads out of a message box, part by part; nothing unless it is announced as an alert.
    static QStringList alertParts(QWidget *box);

private:
    QNetworkAccessManager *manager() const;
    static bool bodySent(QNetworkReply *reply);


    MainWindow mainWindow;
};
