#include "signalpipe.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};
const int caught[] = {SIGINT, SIGTERM};

extern "C" void writeSignal(int signal)
{
    const int savedErrno = errno;
    const char number = char(signal);
    // A full pipe drops the signal: the ones already in it are enough to act on.
    [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &number, 1);
    errno = savedErrno;
}

void setHandler(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

} // namespace

SignalPipe::SignalPipe(QObject *parent)
    : QObject(parent)
{
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &SignalPipe::readPipe);
    for (const int signal : caught)
        setHandler(signal, writeSignal);
    setHandler(SIGPIPE, SIG_IGN);
}

SignalPipe::~SignalPipe()
{
    if (!notifier)
        return;
    for (const int signal : caught)
        setHandler(signal, SIG_DFL);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void SignalPipe::readPipe()
{
    char numbers[16];
    ssize_t count = 0;
    while ((count = read(pipeEnds[0], numbers, sizeof numbers)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            emit received(numbers[i]);
    }
}
