#pragma once

#include "updaterun.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonObject>
#include <QString>
#include <QVector>

// A base station as the command line tells of it.
struct StationInfo {
    QString address;
    QString mac;
    QString version;
    // What came of the request for its version: a station that several others answered the search with is not
    // asked.
    enum Answer { NotAsked, Answered, Silent };
    Answer answer = NotAsked;

    // The stations that a search's answers list, as the window lists them: those at a dotted IPv4 address.
    static QVector<StationInfo> listed(const QVector<QString> &units);
};

// How a command ended, with its exit code; on failure what happened, what to do and the run's details.
struct Ending {
    enum Outcome { Success, Failed, UpToDate, NotFound, Found, Interrupted, Refused };

    Outcome outcome = Failed;
    int exitCode = 1;
    QString version;
    QString message;
    QString advice;
    QString details;
};

// Everything vmfwupd-cli tells. As text: a line per station, stage and flashing step on standard output, with the
// progress of the countdowns and of the upload updated in place on a terminal and once per tenth otherwise. With
// --json: one JSON object per line on standard output instead. Messages for the owner go to standard error in
// both cases.
class Reporter
{
    Q_DECLARE_TR_FUNCTIONS(Reporter)

public:
    Reporter(bool json, bool terminal);

    void station(const StationInfo &info);
    // The run entered a state.
    void state(UpdateRun::UpdateState state, bool preReboot);
    // What the run reported of its progress, while in the state given.
    void progress(UpdateRun::UpdateState state, int value, int step, const QString &label);
    // A status text of the run: JSON only, the text lines say it otherwise.
    void status(const QString &text);
    // A line for whoever follows the progress.
    void say(const QString &text);
    // A message for the owner, on standard error; a question leaves the line open for the answer.
    void warn(const QString &text);
    void ask(const QString &question);
    void end(const Ending &ending);

    // What to tell when no station answered a search, and what to check.
    static QString nothingFoundMessage();
    // The wording of the lines, as the text output gives them.
    static QString stationLine(const StationInfo &info);
    static QString stageLine(UpdateRun::UpdateState state, bool preReboot);
    static QString countdownLine(int value);

private:
    void emitJson(const QJsonObject &event);
    void line(const QString &text);
    // A line that stands for a value of 0 to 100: redrawn on a terminal, otherwise written per tenth.
    void gauge(const QString &text, int value);
    void closeGauge();

    bool json;
    bool terminal;
    QFile out;
    QFile err;
    bool gaugeOpen = false;
    QString lastGauge;
    int lastTenth = -1;
    QString lastStep;
    QString lastStatus;
    QJsonObject lastProgress;
};
