// vmfwupd-autopilot: the updater window as the program starts it, driven through one whole update by itself.
// It presses "Find my Velmora", so it runs only on the updater host of tests/netns-run's private network.

#include "autopilot.h"
#include "highdpi.h"
#include "mainwindow.h"
#include "privatenetwork.h"
#include "stylesheets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include <cstdio>

namespace {

constexpr int defaultTimeLimitSeconds = 300;
constexpr int debugModeClicks = 5;

QtMessageHandler defaultHandler = nullptr;

// The window writes a debug line on every tick and every reply; the autopilot prints what a user sees instead.
void dropDebugLines(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg)
        defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    // Before anything else: without a private network there is nothing this program may do.
    const QString problem = privateNetworkProblem();
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "vmfwupd-autopilot: refusing to search for stations: %s\n", qPrintable(problem));
        return 2;
    }
    enableHighDpiScaling();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vmfwupd-autopilot"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Carries one firmware update through the updater window by itself, printing every status "
                       "text and saving a screenshot of each stage. Runs only inside tests/netns-run."));
    parser.addHelpOption();
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("Folder for the screenshots."),
                                       QStringLiteral("DIR"));
    const QCommandLineOption limitOption(QStringLiteral("time-limit"),
                                         QStringLiteral("Give up after this many seconds (default %1).")
                                             .arg(defaultTimeLimitSeconds),
                                         QStringLiteral("SECONDS"), QString::number(defaultTimeLimitSeconds));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"), QStringLiteral("Also print the window's debug lines."));
    const QCommandLineOption dutchOption(QStringLiteral("dutch"), QStringLiteral("Press NL first: the window in Dutch."));
    const QCommandLineOption noRebootOption(QStringLiteral("no-pre-reboot"),
                                           QStringLiteral("Open debug mode and tick \"No Pre-Reboot\" first."));
    const QCommandLineOption addressOption(
        QStringLiteral("type-address"),
        QStringLiteral("When the search finds nothing, press \"Enter the address...\" in its message and type this."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption searchOption(QStringLiteral("search-while-restarting"),
                                          QStringLiteral("Press \"Find my Velmora\" while the updated station restarts."));
    parser.addOptions({outOption, limitOption, verboseOption, dutchOption, noRebootOption, addressOption, searchOption});
    parser.process(app);

    bool limitOk = false;
    const int timeLimit = parser.value(limitOption).toInt(&limitOk);
    if (!parser.isSet(outOption) || !limitOk || timeLimit <= 0) {
        std::fprintf(stderr, "vmfwupd-autopilot: give --out DIR and a positive --time-limit\n");
        return 2;
    }
    const QString outDir = QDir(parser.value(outOption)).absolutePath();
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "vmfwupd-autopilot: cannot create %s\n", qPrintable(outDir));
        return 2;
    }
    if (!parser.isSet(verboseOption))
        defaultHandler = qInstallMessageHandler(dropDebugLines);

    app.setStyleSheet(QString::fromLatin1(StyleSheets::application));
    MainWindow window;
    window.resize(1000, 800);
    window.show();
    if (parser.isSet(dutchOption))
        window.findChild<QAbstractButton *>(QStringLiteral("pushButtonNL"))->click();
    if (parser.isSet(noRebootOption)) {
        // A few clicks on the owl open debug mode, which offers the option.
        for (int click = 0; click < debugModeClicks; ++click)
            window.findChild<QAbstractButton *>(QStringLiteral("pushButtonOwl"))->click();
        window.findChild<QAbstractButton *>(QStringLiteral("checkBoxNoReboot"))->setChecked(true);
    }

    auto *autopilot = new Autopilot(&window, outDir, timeLimit);
    if (parser.isSet(addressOption))
        autopilot->typeAddressWhenNothingFound(parser.value(addressOption));
    if (parser.isSet(searchOption))
        autopilot->pressSearchWhileRestarting();
    QObject::connect(autopilot, &Autopilot::finished, &app, &QCoreApplication::exit);
    autopilot->start();
    return app.exec();
}
