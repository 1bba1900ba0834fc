#include "statuswatcher.h"

#include "updaterun.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

StatusWatcher::StatusWatcher(QMainWindow *window)
    : QObject(window)
    , stepLabel(window->findChild<QLabel *>(QStringLiteral("labelStatus")))
{
    Q_ASSERT(stepLabel);
    connect(window->statusBar(), &QStatusBar::messageChanged, this, &StatusWatcher::takeMessage);
    // The label has no change signal. The window writes it only when the run reports progress: looking after
    // each report, once the window has shown it, sees every text.
    if (auto *run = window->findChild<UpdateRun *>())
        connect(run, &UpdateRun::progress, this, &StatusWatcher::checkStepText);
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
