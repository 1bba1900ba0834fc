#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QMainWindow;
class QMessageBox;
class StatusWatcher;

// Carries one whole update through the real updater window the way a person would: "Find my Velmora", tick the
// bracelet confirmation, "Update Firmware", then wait for "Success, all done" and the new version. It prints
// every status text as the window shows it and saves a screenshot of each stage into a folder.
class Autopilot : public QObject
{
    Q_OBJECT

public:
    Autopilot(QMainWindow *window, const QString &screenshotDir, int timeLimitSeconds);

    void start();
    QStringList screenshots() const { return saved; }
    // When the search finds nothing, go on from its message: "Enter the address…" and this address typed in.
    void typeAddressWhenNothingFound(const QString &address) { typedAddress = address; }
    // Press "Find my Velmora" while the updated station restarts, and say what the controls let the owner do.
    void pressSearchWhileRestarting() { searchWhileRestarting = true; }

signals:
    // 0 when the update went through, 1 when it did not.
    void finished(int exitCode);

private:
    enum class Stage { WaitingForWindow, Searching, Found, Offered, Updating, Restarted, Over };

    void look();
    void takeStepText(const QString &text);
    void takeMessage(const QString &text);
    void closeMessageBox();
    // The no-station message's way on, when the autopilot was given an address; false when it was not.
    bool enterAddress(QMessageBox *box);
    void sayControls(const QString &when);
    // Lets the window finish laying out and painting, saves what the screen shows, then runs `then`.
    void shoot(const QString &name, const std::function<void()> &then = {});
    void fail(const QString &reason);
    void succeed();
    QString stageName() const;
    template<class T>
    T *widget(const char *objectName) const;

    QMainWindow *window;
    StatusWatcher *watcher;
    QString screenshotDir;
    int timeLimitSeconds;
    Stage stage = Stage::WaitingForWindow;
    bool uploadShot = false;
    bool flashingShot = false;
    bool done = false;
    bool boxSeen = false;
    QString typedAddress;
    bool searchWhileRestarting = false;
    bool searchPressed = false;
    QTimer lookTimer;
    QTimer deadline;
    QElapsedTimer clock;
    QStringList saved;
};
