// vmfwupd-cli: the update of a Velmora base station without a window, for helpdesks, installers and scripts.

#include "arguments.h"
#include "desktoplanguage.h"
#include "findcommand.h"
#include "reporter.h"
#include "signalpipe.h"
#include "updatecommand.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTranslator>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int usageExitCode = 64;
constexpr int interruptedExitCode = 130;

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vmfwupd-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VMFWUPD_VERSION));
    // The run writes a debug line per tick and reply, for developers: QT_LOGGING_RULES=default.debug=true shows them.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    QTranslator translator;
    if (translator.load(QStringLiteral("vmfwupd_") + desktopLanguage(), QStringLiteral(":/")))
        QCoreApplication::installTranslator(&translator);

    Arguments arguments;
    const bool understood = arguments.read(QCoreApplication::arguments());
    Reporter reporter(arguments.json, isatty(STDOUT_FILENO) != 0);
    if (!understood) {
        reporter.warn(arguments.text);
        return usageExitCode;
    }
    switch (arguments.command) {
    case Arguments::Command::Help:
        std::fputs(qUtf8Printable(arguments.text), stdout);
        return 0;
    case Arguments::Command::Version:
        std::printf("%s %s\n", qUtf8Printable(QCoreApplication::applicationName()),
                    qUtf8Printable(QCoreApplication::applicationVersion()));
        return 0;
    case Arguments::Command::Find:
    case Arguments::Command::Update:
        break;
    }

    SignalPipe interruptions;
    // Queued: an end that comes before the event loop runs must still end it.
    const auto exit = [](int code) { QCoreApplication::exit(code); };
    // The commands are gone before the application object: their network access, with requests still under way,
    // is torn down while Qt's own objects are all still there.
    if (arguments.command == Arguments::Command::Find) {
        FindCommand find(&reporter);
        QObject::connect(&find, &FindCommand::finished, &app, exit, Qt::QueuedConnection);
        QObject::connect(&interruptions, &SignalPipe::received, &app, [] { QCoreApplication::exit(interruptedExitCode); });
        find.start();
        return QCoreApplication::exec();
    }
    UpdateCommand update(arguments, &reporter);
    QObject::connect(&update, &UpdateCommand::finished, &app, exit, Qt::QueuedConnection);
    QObject::connect(&interruptions, &SignalPipe::received, &update, &UpdateCommand::interrupt);
    update.start();
    return QCoreApplication::exec();
}
