#include "runticker.h"

#include "ipbasectrl.h"
#include "updaterun.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QtTest>

namespace {

Q_GLOBAL_STATIC(QStringList, stateLines)
QtMessageHandler previousHandler = nullptr;

// The run reports its workflow state only in its per-tick debug line; keep those lines for the test.
void captureStateLines(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg && message.startsWith(QLatin1String("State ")))
        *stateLines << message.simplified();
    else if (previousHandler)
        previousHandler(type, context, message);
}

QStringList lastStateWords()
{
    return stateLines->isEmpty() ? QStringList() : stateLines->constLast().split(QLatin1Char(' '));
}

} // namespace

RunTicker::RunTicker()
{
    stateLines->clear();
    previousHandler = qInstallMessageHandler(captureStateLines);
}

void RunTicker::attach(UpdateRun *run)
{
    updateRun = run;
    QTimer *timer = workflowTimer();
    Q_ASSERT(timer);
    timer->stop();
}

RunTicker::~RunTicker()
{
    qInstallMessageHandler(previousHandler);
}

IpBaseCtrl *RunTicker::controller() const
{
    return updateRun->controller();
}

QTimer *RunTicker::workflowTimer() const
{
    return updateRun->findChild<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
}

QNetworkAccessManager *RunTicker::manager() const
{
    return controller()->findChild<QNetworkAccessManager *>();
}

bool RunTicker::tick(Wait wait)
{
    QMetaObject::invokeMethod(updateRun, "timerCheck", Qt::DirectConnection);
    return wait == NoSettle || settle();
}

bool RunTicker::settle(int timeoutMs)
{
    // Handled replies are released with deleteLater; qWaitFor also runs those deferred deletes.
    return QTest::qWaitFor(
        [this] {
            const QList<QNetworkReply *> replies = manager()->findChildren<QNetworkReply *>();
            return std::all_of(replies.cbegin(), replies.cend(), bodySent);
        },
        timeoutMs);
}

bool RunTicker::bodySent(QNetworkReply *reply)
{
    if (reply->operation() != QNetworkAccessManager::PostOperation)
        return false;
    // Seen first before the event loop has run since the upload began, so no progress report is missed.
    if (!reply->property("watched").toBool()) {
        reply->setProperty("watched", true);
        QObject::connect(reply, &QNetworkReply::uploadProgress, reply, [reply](qint64 sent, qint64 total) {
            if (total > 0 && sent == total)
                reply->setProperty("bodySent", true);
        });
    }
    return reply->property("bodySent").toBool();
}

QString RunTicker::unitText(const QString &mac, const QString &address)
{
    return mac + QString(49 - mac.size(), QLatin1Char('-')) + address + QStringLiteral("/velmora");
}

int RunTicker::state() const
{
    const QStringList words = lastStateWords();
    return words.size() > 1 ? words.at(1).toInt() : -1;
}

QString RunTicker::requestFlags() const
{
    return lastStateWords().mid(2).join(QLatin1Char(' '));
}
