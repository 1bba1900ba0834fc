#ifndef FAKESLEEPSERVICES_H
#define FAKESLEEPSERVICES_H

#include <QDBusVirtualObject>
#include <QString>
#include <QVector>

#include <memory>

class QProcess;
class QSocketNotifier;
class QTemporaryDir;

// A private message bus in both the session bus's and the system bus's place, a dbus-daemon of the test's own on
// a socket in a temporary folder, with a fake desktop portal and a fake logind on it that record every
// inhibition asked of them and whether it was let go of.
// start() points DBUS_SESSION_BUS_ADDRESS and DBUS_SYSTEM_BUS_ADDRESS at it. Qt connects a process to those
// buses once, on their first use, so start() must come before anything touches QDBusConnection::sessionBus()
// or systemBus() (it checks), and one instance serves every case of a test process: each case sets the modes
// it wants and clear()s the record.
class FakeSleepServices : public QDBusVirtualObject
{
    Q_OBJECT

public:
    enum class Service { Portal, Logind };
    Q_ENUM(Service)
    // Absent: its name is not on the bus. Refusing: answers Inhibit with an error. Silent: takes the call and
    // never answers it.
    enum class Mode { Absent, Answering, Refusing, Silent };
    Q_ENUM(Mode)

    struct Inhibition {
        Service service = Service::Portal;
        QString reason; // the portal's options["reason"], logind's "why"
        uint flags = 0; // portal
        QString window; // portal
        QString what;   // logind
        QString who;    // logind
        QString mode;   // logind
        QString handle; // portal: the request it answered with
        bool answered = false;
        // Portal: Close() called on its handle. logind: every copy of the descriptor it handed out closed.
        bool released = false;
    };

    FakeSleepServices();
    ~FakeSleepServices() override;

    // Starts the bus (5 s at most) with both services on it, answering.
    bool start();
    QString errorString() const;
    bool setMode(Service service, Mode mode);
    // Forgets what was asked so far and stops watching descriptors still handed out.
    void clear();

    // Every Inhibit call, in the order they came; taken(): those answered; held(): answered, not yet released.
    QVector<Inhibition> inhibitions() const;
    int taken() const;
    int held() const;

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

signals:
    // An Inhibit call has come; it is answered (or not, as the mode says) after this returns.
    void asked(FakeSleepServices::Service service);

private:
    bool fail(const QString &reason);
    QString startBus();
    bool inhibit(const QDBusMessage &message, const QDBusConnection &connection, const Inhibition &inhibition);
    void watchForClose(int readEnd, int index);

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QProcess> daemon;
    bool connected = false;
    Mode portalMode = Mode::Absent;
    Mode logindMode = Mode::Absent;
    QVector<Inhibition> record;
    QVector<QSocketNotifier *> watches;
    int handlesGiven = 0;
    QString error;
};

#endif // FAKESLEEPSERVICES_H
