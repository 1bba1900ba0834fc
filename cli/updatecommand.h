#pragma once

#include "arguments.h"
#include "reporter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QVector>

class QSocketNotifier;
class QTimer;
class UpdateRun;

// vmfwupd-cli update: one whole update through an UpdateRun, as the window's "Update Firmware" makes it. It takes
// the station given or the one a search finds, asks the bracelet question once the station has answered, requests
// the update and follows what the run reports to its end, which becomes the exit code.
class UpdateCommand : public QObject
{
    Q_OBJECT

public:
    // The station has not answered its version request by then: it does not answer.
    static constexpr int firstAnswerBoundMs = 30000;
    // Failed version requests that tell the same sooner (a station that refuses the connection). Two, not one:
    // before a search has listed the station, the run's idle ticks ask the empty address, which fails at once.
    static constexpr int failedFirstAsks = 2;
    // A second interruption within this time of the first leaves a flashing station anyway.
    static constexpr int secondInterruptMs = 5000;

    UpdateCommand(const Arguments &arguments, Reporter *reporter, QObject *parent = nullptr);
    void start();
    // SIGINT or SIGTERM.
    void interrupt(int signal);

    // Whether an answer to the bracelet question is yes, in English or in the language shown.
    static bool isYes(const QString &answer);

signals:
    void finished(int exitCode);

private:
    enum Phase { Searching, Asking, Confirming, Running, Over };

    void listed(const QVector<QString> &units);
    void nothingFound();
    void choose(const QString &address, const QString &mac);
    void versionDecided();
    void firstAskDone(const QString &request, const QString &error);
    void readAnswer();
    void begin();
    void stateChanged(UpdateRun::UpdateState state);
    void progress(int value, int step, const QString &label);
    void addressFollowed(const QString &address, const QString &from);
    void succeeded(const QString &version);
    void failed(const QString &message, const QString &advice, const QString &details);
    void notAnswering();
    // Ends before anything was sent: a mistake in what the command was given.
    void refuse(const QString &message);
    void finish(Ending::Outcome outcome, int exitCode, const QString &message, const QString &advice = QString(),
                const QString &details = QString());

    Arguments arguments;
    Reporter *reporter;
    UpdateRun *run = nullptr;
    QTimer *answerBound;
    Phase phase = Searching;
    StationInfo station;
    QString image;
    int failedAsks = 0;
    QFile input;
    QSocketNotifier *inputNotifier = nullptr;
    QElapsedTimer lastInterrupt;
};
