#include "statuswatcher.h"

#include "ipbasectrl.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>

StatusWatcher::StatusWatcher(QMainWindow *window)
    : QObject(window)
    , stepLabel(window->findChild<QLabel *>(QStringLiteral("labelStatus")))
{
    Q_ASSERT(stepLabel);
    connect(window->statusBar(), &QStatusBar::messageChanged, this, &StatusWatcher::takeMessage);
    // The label has no change signal. The window writes it only from its progress slot, which runs on the
    // controller's reports and from the workflow tick: looking after each of those sees every text.
    if (auto *controller = window->findChild<IpBaseCtrl *>())
        connect(controller, &IpBaseCtrl::progressUpd, this, &StatusWatcher::checkStepText);
    if (auto *tick = window->findChild<QTimer *>(QString(), Qt::FindDirectChildrenOnly))
        connect(tick, &QTimer::timeout, this, &StatusWatcher::checkStepText);
}

void StatusWatcher::checkStepText()
{
    const QString text = stepLabel->text();
    if (text == lastStepText)
        return;
    lastStepText = text;
    if (text.isEmpty())
        return;
    steps << text;
    emit stepTextChanged(text);
}

void StatusWatcher::takeMessage(const QString &text)
{
    // A language switch or a cleared bar sends an empty text; only what the user can read counts.
    if (text.isEmpty())
        return;
    shown << text;
    emit messageShown(text);
}
