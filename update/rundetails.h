#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <deque>

// The story of one update, in English, for whoever helps the owner when it goes wrong: what was updated, and each
// event with the seconds since the run began. Kept in memory for the run only, and only its last lines; an event
// that repeats the one before it (a poll that fails on every tick) adds no line but a count.
class RunDetails
{
public:
    static constexpr int maxLines = 200;

    // A new run: forgets the last one and starts the clock.
    void begin(const QStringList &head);
    void note(const QString &event);
    QString text() const;

private:
    struct Line {
        QString event;
        qint64 firstMs = 0;
        qint64 lastMs = 0;
        int times = 1;
    };

    QElapsedTimer clock;
    QStringList head;
    std::deque<Line> lines;
    int leftOut = 0;
};
