#include "sleepinhibitor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>
#include <QPointer>
#include <QVariantMap>

namespace {

// How long each service has to answer before the next one is asked, or the run goes on without either. The bus
// may first have to start the portal.
constexpr int AnswerTimeoutMs = 5000;

constexpr uint PortalSuspend = 4;
constexpr uint PortalIdle = 8;

QString portalService()
{
    return QStringLiteral("org.freedesktop.portal.Desktop");
}

QDBusMessage portalInhibitCall(const QString &reason)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        portalService(), QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
    // No window identifier: the portal then does without a parent window.
    call << QString() << (PortalSuspend | PortalIdle) << QVariantMap{{QStringLiteral("reason"), reason}};
    return call;
}

QDBusMessage portalCloseCall(const QString &handle)
{
    return QDBusMessage::createMethodCall(portalService(), handle, QStringLiteral("org.freedesktop.portal.Request"),
                                          QStringLiteral("Close"));
}

QDBusMessage logindInhibitCall(const QString &reason)
{
    QString who = QCoreApplication::applicationName();
    if (who.isEmpty())
        who = QStringLiteral("vmfwupd");
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << who << reason << QStringLiteral("block");
    return call;
}

// An answer that nobody waits for any more: the portal's inhibition is closed at once. logind's descriptor
// closes by itself with the answer that carries it.
void letGo(const QDBusPendingCallWatcher &answer, SleepInhibitor::Holder asked)
{
    if (asked != SleepInhibitor::Holder::Portal)
        return;
    const QDBusPendingReply<QDBusObjectPath> reply = answer;
    if (reply.isValid())
        QDBusConnection::sessionBus().send(portalCloseCall(reply.value().path()));
}

} // namespace

SleepInhibitor::SleepInhibitor(QObject *parent)
    : QObject(parent)
{
}

SleepInhibitor::~SleepInhibitor()
{
    dropHold();
}

void SleepInhibitor::inhibit(const QString &reason)
{
    if (pending || current != Holder::None)
        return;
    askedReason = reason;
    askPortal();
}

void SleepInhibitor::release()
{
    pending = nullptr;
    dropHold();
    setHolder(Holder::None);
}

SleepInhibitor::Holder SleepInhibitor::holder() const
{
    return current;
}

void SleepInhibitor::askPortal()
{
    ask(QDBusConnection::sessionBus(), portalInhibitCall(askedReason), Holder::Portal);
}

void SleepInhibitor::askLogind()
{
    ask(QDBusConnection::systemBus(), logindInhibitCall(askedReason), Holder::Logind);
}

void SleepInhibitor::ask(const QDBusConnection &bus, const QDBusMessage &call, Holder asked)
{
    // A call on a bus that is not there would never be answered, not even with an error.
    if (!bus.isConnected()) {
        notAnswered(asked, bus.lastError().message());
        return;
    }
    // Owned by the application, not by this object: an answer that arrives after release() or after this object
    // is gone must still be let go of.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, AnswerTimeoutMs), QCoreApplication::instance());
    pending = watcher;
    const QPointer<SleepInhibitor> self(this);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [self, asked](QDBusPendingCallWatcher *answer) {
        answer->deleteLater();
        if (self && self->pending == answer)
            self->answered(*answer, asked);
        else
            letGo(*answer, asked);
    });
}

void SleepInhibitor::answered(const QDBusPendingCallWatcher &watcher, Holder asked)
{
    pending = nullptr;
    if (asked == Holder::Portal) {
        const QDBusPendingReply<QDBusObjectPath> reply = watcher;
        if (!reply.isValid()) {
            notAnswered(asked, reply.error().message());
            return;
        }
        portalHandle = reply.value().path();
    } else {
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = watcher;
        if (!reply.isValid() || !reply.value().isValid()) {
            notAnswered(asked, reply.error().message());
            return;
        }
        logindFd = reply.value();
    }
    setHolder(asked);
}

void SleepInhibitor::notAnswered(Holder asked, const QString &error)
{
    if (asked == Holder::Portal) {
        qDebug() << "Sleep inhibitor: no desktop portal:" << error;
        askLogind();
    } else {
        qDebug() << "Sleep inhibitor: no logind either, the computer may sleep during the update:" << error;
    }
}

void SleepInhibitor::dropHold()
{
    if (!portalHandle.isEmpty())
        QDBusConnection::sessionBus().send(portalCloseCall(portalHandle));
    portalHandle.clear();
    logindFd = QDBusUnixFileDescriptor();
}

void SleepInhibitor::setHolder(Holder holder)
{
    if (holder == current)
        return;
    current = holder;
    emit holderChanged(holder);
}
