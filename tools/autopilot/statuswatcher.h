#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLabel;
class QMainWindow;

// Follows what the updater window tells its user: every new text of its step label (labelStatus) and every
// status-bar message, in the order they appear. Create it after the window, so that its connections run after
// the window's own slots and see the texts those slots have just set.
class StatusWatcher : public QObject
{
    Q_OBJECT

public:
    explicit StatusWatcher(QMainWindow *window);

    QStringList stepTexts() const { return steps; }
    QStringList messages() const { return shown; }

signals:
    void stepTextChanged(const QString &text);
    void messageShown(const QString &text);

private:
    void checkStepText();
    void takeMessage(const QString &text);

    QLabel *stepLabel = nullptr;
    QString lastStepText;
    QStringList steps;
    QStringList shown;
};
