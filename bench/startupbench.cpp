// Time from the start of the updater's process to its window on screen. The driver starts the window
// program (this file's --window mode, the same start-up as the updater's main) several times with
// fork and exec; the child reports when its window was first exposed and first painted.
// Run it under an X server inside a network namespace with only loopback (bench/run.sh does).

#include "benchsupport.h"
#include "highdpi.h"
#include "mainwindow.h"
#include "stylesheets.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <QWindow>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr char startEnv[] = "VMFWUPD_BENCH_START_NS";
constexpr int windowTimeoutMs = 10000;

qint64 monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Notes the first expose of the window and the end of its first paint, then ends the program.
class FirstFrame : public QObject
{
public:
    FirstFrame(QWidget *window, qint64 startNs)
        : window(window)
        , startNs(startNs)
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && exposedNs == 0 && watched == window->windowHandle())
            exposedNs = monotonicNs() - startNs;
        if (event->type() == QEvent::Paint && watched == window && !painting) {
            painting = true;
            // Runs once the repaint under way, children and flush to the screen included, is over.
            QTimer::singleShot(0, this, [this] {
                std::printf("%lld %lld\n", exposedNs, monotonicNs() - startNs);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    QWidget *window;
    qint64 startNs;
    qint64 exposedNs = 0;
    bool painting = false;
};

int windowMain(int argc, char *argv[])
{
    const qint64 startNs = qEnvironmentVariable(startEnv).toLongLong();
    Bench::silenceDebugOutput();
    // From here on as in the updater's main().
    enableHighDpiScaling();
    QApplication app(argc, argv);
    app.setStyleSheet(QString::fromLatin1(StyleSheets::application));
    MainWindow window;
    window.resize(1000, 800);
    FirstFrame firstFrame(&window, startNs);
    app.installEventFilter(&firstFrame);
    window.show();
    QTimer::singleShot(windowTimeoutMs, &app, [] { QCoreApplication::exit(1); });
    return app.exec();
}

struct Sample {
    bool ok = false;
    double exposedMs = 0;
    double paintedMs = 0;
    QString failure;
};

// One start of the window program; the clock starts just before the fork.
Sample startOnce(const QByteArray &self)
{
    Sample sample;
    int out[2];
    if (pipe(out) != 0) {
        sample.failure = QStringLiteral("pipe: ") + QString::fromLocal8Bit(std::strerror(errno));
        return sample;
    }
    QByteArray windowArg("--window");
    char *args[] = {const_cast<char *>(self.constData()), windowArg.data(), nullptr};

    // Building the environment after the clock starts costs microseconds; it keeps the code plain.
    const qint64 startNs = monotonicNs();
    QVector<QByteArray> envText;
    for (char **e = environ; *e; ++e) {
        if (std::strncmp(*e, startEnv, sizeof startEnv - 1) != 0)
            envText << QByteArray(*e);
    }
    envText << QByteArray(startEnv) + '=' + QByteArray::number(startNs);
    QVector<char *> envp;
    for (QByteArray &entry : envText)
        envp << entry.data();
    envp << nullptr;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execve(self.constData(), args, envp.data());
        _exit(127);
    }
    close(out[1]);
    if (pid < 0) {
        close(out[0]);
        sample.failure = QStringLiteral("fork failed");
        return sample;
    }

    QByteArray line;
    pollfd reader{out[0], POLLIN, 0};
    const qint64 deadlineNs = startNs + qint64(windowTimeoutMs + 2000) * 1000000;
    while (!line.contains('\n')) {
        const int leftMs = int((deadlineNs - monotonicNs()) / 1000000);
        if (leftMs <= 0 || poll(&reader, 1, leftMs) <= 0)
            break;
        char buffer[256];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        line.append(buffer, int(n));
    }
    close(out[0]);

    int status = 0;
    const qint64 waitUntilNs = monotonicNs() + 5000LL * 1000000;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (monotonicNs() > waitUntilNs) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            sample.failure = QStringLiteral("the window program did not end");
            return sample;
        }
        usleep(2000);
    }
    const QList<QByteArray> fields = line.trimmed().split(' ');
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || fields.size() != 2) {
        sample.failure = QStringLiteral("the window program showed no window (exit status %1)").arg(status);
        return sample;
    }
    sample.exposedMs = fields.at(0).toDouble() / 1e6;
    sample.paintedMs = fields.at(1).toDouble() / 1e6;
    sample.ok = true;
    return sample;
}

QString spreadText(const QVector<double> &values)
{
    const Bench::Spread s = Bench::spread(values);
    return QStringLiteral("%1 / %2 / %3 ms").arg(s.min, 0, 'f', 1).arg(s.median, 0, 'f', 1).arg(s.max, 0, 'f', 1);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--window") == 0)
        return windowMain(argc, argv);

    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Start-up time of the updater window (needs DISPLAY)."));
    parser.addHelpOption();
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Measured starts (default 15)."),
                                        QStringLiteral("N"), QStringLiteral("15"));
    parser.addOption(runsOption);
    parser.process(app);
    const int runs = qBound(1, parser.value(runsOption).toInt(), 100);

    // The window binds the discovery port: only ever start it where no packet can leave the machine.
    QString interfaces;
    if (!Bench::onlyInterfaces({QStringLiteral("lo")}, interfaces)) {
        Bench::say(QStringLiteral("startup: refused: network interfaces other than lo are visible (%1); "
                                  "run it through bench/run.sh, inside unshare --net")
                       .arg(interfaces));
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        Bench::say(QStringLiteral("startup: no DISPLAY (bench/run.sh starts Xvfb)"));
        return 2;
    }

    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    // The first start loads the libraries from disk; it is shown but not counted.
    const Sample cold = startOnce(self);
    if (!cold.ok) {
        Bench::say(QStringLiteral("startup: FAILED: ") + cold.failure);
        return 1;
    }
    Bench::say(QStringLiteral("startup: first (uncounted) start: exposed %1 ms, painted %2 ms")
                   .arg(cold.exposedMs, 0, 'f', 1)
                   .arg(cold.paintedMs, 0, 'f', 1));
    QVector<double> exposed;
    QVector<double> painted;
    for (int i = 0; i < runs; ++i) {
        const Sample sample = startOnce(self);
        if (!sample.ok) {
            Bench::say(QStringLiteral("startup: FAILED: ") + sample.failure);
            return 1;
        }
        exposed << sample.exposedMs;
        painted << sample.paintedMs;
    }
    const double target = 300;
    Bench::say(QStringLiteral("startup: %1 starts, process start -> window exposed, min/median/max %2")
                   .arg(runs)
                   .arg(spreadText(exposed)));
    Bench::say(QStringLiteral("startup: %1 starts, process start -> first paint done, min/median/max %2")
                   .arg(runs)
                   .arg(spreadText(painted)));
    Bench::say(QStringLiteral("startup: target under %1 ms (median to first paint): %2")
                   .arg(target)
                   .arg(Bench::spread(painted).median < target ? QStringLiteral("met") : QStringLiteral("NOT met")));
    return 0;
}
