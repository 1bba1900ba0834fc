#include "windowdriver.h"

#include "ipbasectrl.h"
#include "updaterun.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLayout>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

namespace {

Q_GLOBAL_STATIC(QStringList, stateLines)
QtMessageHandler previousHandler = nullptr;

// The window reports its workflow state only in its per-tick debug line; keep those lines for the test.
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

WindowDriver::WindowDriver()
{
    stateLines->clear();
    previousHandler = qInstallMessageHandler(captureStateLines);
    QTimer *timer = workflowTimer();
    Q_ASSERT(timer);
    timer->stop();
    mainWindow.show();
}

WindowDriver::~WindowDriver()
{
    qInstallMessageHandler(previousHandler);
}

UpdateRun *WindowDriver::run() const
{
    return mainWindow.findChild<UpdateRun *>();
}

IpBaseCtrl *WindowDriver::controller() const
{
    return run()->controller();
}

QTimer *WindowDriver::workflowTimer() const
{
    return run()->findChild<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
}

QNetworkAccessManager *WindowDriver::manager() const
{
    return controller()->findChild<QNetworkAccessManager *>();
}

bool WindowDriver::tick(Wait wait)
{
    QMetaObject::invokeMethod(run(), "timerCheck", Qt::DirectConnection);
    return wait == NoSettle || settle();
}

bool WindowDriver::settle(int timeoutMs)
{
    // Handled replies are released with deleteLater; qWaitFor also runs those deferred deletes.
    return QTest::qWaitFor(
        [this] {
            const QList<QNetworkReply *> replies = manager()->findChildren<QNetworkReply *>();
            return std::all_of(replies.cbegin(), replies.cend(), bodySent);
        },
        timeoutMs);
}

bool WindowDriver::bodySent(QNetworkReply *reply)
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

int WindowDriver::state() const
{
    const QStringList words = lastStateWords();
    return words.size() > 1 ? words.at(1).toInt() : -1;
}

QString WindowDriver::requestFlags() const
{
    return lastStateWords().mid(2).join(QLatin1Char(' '));
}

QString WindowDriver::statusBarText() const
{
    return find<QStatusBar>("statusBar")->currentMessage();
}

void WindowDriver::clickOwl(int times)
{
    auto *owl = find<QPushButton>("pushButtonOwl");
    for (int i = 0; i < times; ++i)
        QTest::mouseClick(owl, Qt::LeftButton);
}

QString WindowDriver::unitText(const QString &mac, const QString &address)
{
    return mac + QString(49 - mac.size(), QLatin1Char('-')) + address + QStringLiteral("/velmora");
}

QStringList WindowDriver::alertParts(QWidget *box)
{
    QStringList parts;
    const QAccessibleInterface *alert = QAccessible::queryAccessibleInterface(box);
    if (!alert || alert->role() != QAccessible::AlertMessage)
        return parts;
    for (int i = 0; i < alert->childCount(); ++i)
        parts << alert->child(i)->text(QAccessible::Name);
    return parts;
}

void WindowDriver::discover(const QString &address, const QString &mac)
{
    QMetaObject::invokeMethod(&mainWindow, "discoverReady", Qt::DirectConnection,
                              Q_ARG(QVector<QString>, QVector<QString>{unitText(mac, address)}));
}

void WindowDriver::closeNextMessageBox(MessageBoxSeen *seen, Close how)
{
    auto *watcher = new QTimer;
    watcher->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(watcher, &QTimer::timeout, watcher, [watcher, seen, tries, how] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        // A key goes where the focus is: the box is shown a little before it has the focus.
        const bool ready = box && (how == Done || box->isAncestorOf(QApplication::focusWidget()));
        if (!ready && ++*tries < 500)
            return;
        watcher->deleteLater();
        if (!box)
            return;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->textFormat = box->textFormat();
        const QList<QAbstractButton *> buttons = box->buttons();
        for (QAbstractButton *button : buttons)
            seen->buttons << button->text();
        seen->defaultButtonSet = box->defaultButton() != nullptr;
        seen->layoutMinimumWidth = box->layout() ? box->layout()->minimumSize().width() : 0;
        if (how == PressEnter && ready) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            seen->closedByEnter = !box->isVisible();
        }
        if (box->isVisible())
            box->done(how == AnswerYes ? QMessageBox::Yes : QMessageBox::Ok);
    });
    watcher->start();
}
