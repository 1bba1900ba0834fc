#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT (Ctrl-C) and SIGTERM into a Qt signal. The handler only writes the signal's number into a pipe;
// the event loop reads it there and emits received(). A closed standard output (a script that stopped reading)
// must not kill an update either: SIGPIPE is ignored, and a write to it just fails. One at a time per process.
class SignalPipe : public QObject
{
    Q_OBJECT

public:
    explicit SignalPipe(QObject *parent = nullptr);
    ~SignalPipe() override;
    SignalPipe(const SignalPipe &) = delete;
    SignalPipe &operator=(const SignalPipe &) = delete;

signals:
    void received(int signal);

private:
    void readPipe();

    QSocketNotifier *notifier = nullptr;
};
