#pragma once

#include "reporter.h"

#include <QObject>
#include <QString>
#include <QVector>

class Discovery;
class QTimer;

// vmfwupd-cli find: one search as the window's "Find my Velmora" makes it, then each station listed is asked for
// its version, and one line per station tells its address, MAC, version and whether it is up to date.
class FindCommand : public QObject
{
    Q_OBJECT

public:
    // A station that has not answered its version request by then does not answer.
    static constexpr int answerBoundMs = 30000;

    FindCommand(Reporter *reporter, QObject *parent = nullptr);
    void start();

signals:
    void finished(int exitCode);

private:
    void listed(const QVector<QString> &units);
    void nothingFound();
    // A station answered, or its request failed.
    void settle();
    // Once every station answered or failed to, or at the bound: the lines, then the end.
    void tell();

    Reporter *reporter;
    Discovery *search;
    QTimer *bound;
    QVector<StationInfo> stations;
    int pending = 0;
};
