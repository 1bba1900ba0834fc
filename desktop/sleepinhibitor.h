#ifndef SLEEPINHIBITOR_H
#define SLEEPINHIBITOR_H

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

class QDBusConnection;
class QDBusMessage;
class QDBusPendingCallWatcher;

// Keeps the computer from suspending and from idling while an update runs, through the desktop portal on the
// session bus or, where no portal answers, through logind on the system bus. Where neither is there the update
// goes on all the same. Every call is asynchronous and bounded in time: a missing bus or a service that does not
// answer never holds up the window.
class SleepInhibitor : public QObject
{
    Q_OBJECT

public:
    explicit SleepInhibitor(QObject *parent = nullptr);
    ~SleepInhibitor() override;

    // Asks the desktop to keep the computer from sleeping and idling; returns at once. A call while an
    // inhibition is held or asked for does nothing. The reason is shown by the desktop as it stands.
    void inhibit(const QString &reason);
    // Lets the computer sleep again; an answer still on its way is let go of when it arrives.
    void release();

    enum class Holder { None, Portal, Logind };
    Q_ENUM(Holder)
    Holder holder() const;

signals:
    void holderChanged(SleepInhibitor::Holder holder);

private:
    void askPortal();
    void askLogind();
    void ask(const QDBusConnection &bus, const QDBusMessage &call, Holder asked);
    void answered(const QDBusPendingCallWatcher &watcher, Holder asked);
    void notAnswered(Holder asked, const QString &error);
    void dropHold();
    void setHolder(Holder holder);

    QString askedReason;
    // The call waiting for its answer; one that was given up on is no longer here and lets go when answered.
    QDBusPendingCallWatcher *pending = nullptr;
    Holder current = Holder::None;
    QString portalHandle;
    // A copy of logind's descriptor: the inhibition ends when the last copy is closed.
    QDBusUnixFileDescriptor logindFd;
};

#endif // SLEEPINHIBITOR_H
