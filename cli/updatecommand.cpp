#include "updatecommand.h"

#include "discovery.h"
#include "ipbasectrl.h"
#include "updaterun.h"

#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <unistd.h>

UpdateCommand::UpdateCommand(const Arguments &arguments, Reporter *reporter, QObject *parent)
    : QObject(parent)
    , arguments(arguments)
    , reporter(reporter)
    , answerBound(new QTimer(this))
{
    answerBound->setSingleShot(true);
    answerBound->setInterval(firstAnswerBoundMs);
    connect(answerBound, &QTimer::timeout, this, &UpdateCommand::notAnswering);
}

bool UpdateCommand::isYes(const QString &answer)
{
    const QString word = answer.trimmed();
    for (const QString &yes : {QStringLiteral("y"), QStringLiteral("yes"), tr("y"), tr("yes")}) {
        if (word.compare(yes, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void UpdateCommand::start()
{
    // Checked before anything else: nothing may reach the station of an owner who cannot be asked.
    if (!arguments.yes && !isatty(STDIN_FILENO)) {
        refuse(tr("Standard input is no terminal, so nobody can be asked whether the bracelet is switched on, "
                  "connected to a charger and within 3 meters of the base station. Make sure that it is, then give "
                  "--yes."));
        return;
    }
    image = arguments.image.isEmpty()
                ? QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(UpdateRun::deliveredImage)
                : arguments.image;
    QFile file(image);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString problem = tr("The firmware image %1 cannot be read (%2).").arg(image, file.errorString());
        refuse(arguments.image.isEmpty()
                   ? problem + QLatin1Char('\n')
                         + tr("Put it beside the program, in %1, or name another image with --image.")
                               .arg(QCoreApplication::applicationDirPath())
                   : problem);
        return;
    }

    run = new UpdateRun(this);
    run->setSearchName(QStringLiteral("vmfwupd-cli find"));
    run->setImage(image);
    run->setPreReboot(arguments.preReboot);
    connect(run->discovery(), &Discovery::discoverReady, this, &UpdateCommand::listed);
    connect(run->discovery(), &Discovery::nothingFound, this, &UpdateCommand::nothingFound);
    connect(run->controller(), &IpBaseCtrl::requestDone, this, &UpdateCommand::firstAskDone);
    // The run empties the version whenever it asks the address anew; the last one known stays for the end.
    connect(run, &UpdateRun::stationVersion, this, [this](const QString &version) {
        if (!version.isEmpty())
            station.version = version;
    });
    connect(run, &UpdateRun::stationMac, this, [this](const QString &mac) { station.mac = mac; });
    connect(run, &UpdateRun::versionDecided, this, &UpdateCommand::versionDecided);
    connect(run, &UpdateRun::statusText, this, [this](const QString &text) { reporter->status(text); });
    connect(run, &UpdateRun::stateChanged, this, &UpdateCommand::stateChanged);
    connect(run, &UpdateRun::progress, this, &UpdateCommand::progress);
    connect(run, &UpdateRun::addressFollowed, this, &UpdateCommand::addressFollowed);
    connect(run, &UpdateRun::succeeded, this, &UpdateCommand::succeeded);
    connect(run, &UpdateRun::failed, this, &UpdateCommand::failed);

    if (arguments.station.isEmpty()) {
        reporter->say(tr("Searching for base stations"));
        run->discovery()->start();
    } else {
        choose(arguments.station, QString());
    }
}

void UpdateCommand::listed(const QVector<QString> &units)
{
    // The run's own searches look for the station it updates.
    if (phase != Searching || run->discovery()->isQuiet())
        return;
    const QVector<StationInfo> found = StationInfo::listed(units);
    if (found.isEmpty()) {
        nothingFound();
    } else if (found.size() == 1) {
        choose(found.constFirst().address, found.constFirst().mac);
    } else {
        for (const StationInfo &info : found)
            reporter->station(info);
        refuse(tr("Several base stations answered the search: name the one to update with --station ADDRESS."));
    }
}

void UpdateCommand::nothingFound()
{
    if (phase == Searching && !run->discovery()->isQuiet())
        finish(Ending::NotFound, 3, Reporter::nothingFoundMessage());
}

void UpdateCommand::choose(const QString &address, const QString &mac)
{
    phase = Asking;
    station = {address, mac, QString(), StationInfo::NotAsked};
    run->setAddress(address);
    run->askVersion();
    answerBound->start();
}

void UpdateCommand::firstAskDone(const QString &request, const QString &error)
{
    if (phase == Asking && request == QLatin1String("version") && !error.isEmpty() && ++failedAsks >= failedFirstAsks)
        notAnswering();
}

void UpdateCommand::versionDecided()
{
    if (phase != Asking)
        return;
    answerBound->stop();
    station.answer = StationInfo::Answered;
    reporter->station(station);
    // An image of the owner's choice may go onto any station, as in the window's debug mode.
    if (arguments.image.isEmpty() && UpdateRun::isUpToDate(station.version)) {
        finish(Ending::UpToDate, 2, QString());
        return;
    }
    if (arguments.yes) {
        begin();
        return;
    }
    phase = Confirming;
    reporter->ask(QCoreApplication::translate("MainWindow", "The bracelet is switched on, connected to a charger and "
                                                            "within 3 meters of the base station.")
                  + QLatin1Char(' ') + tr("[y/N] "));
    input.open(STDIN_FILENO, QIODevice::ReadOnly);
    inputNotifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(inputNotifier, &QSocketNotifier::activated, this, &UpdateCommand::readAnswer);
}

void UpdateCommand::readAnswer()
{
    inputNotifier->setEnabled(false);
    if (isYes(QString::fromLocal8Bit(input.readLine()))) {
        begin();
        return;
    }
    finish(Ending::Failed, 1, tr("The update was not started: nothing was sent to the base station."),
           tr("Switch the bracelet on and put it on its charger within 3 meters of the base station, then run the "
              "command again."));
}

void UpdateCommand::begin()
{
    phase = Running;
    switch (run->requestUpdate()) {
    case UpdateRun::Request::Taken:
        break;
    case UpdateRun::Request::StationNotAnswered:
        notAnswering();
        break;
    case UpdateRun::Request::ImageMissing:
        refuse(tr("The firmware image %1 is gone.").arg(image));
        break;
    }
}

void UpdateCommand::stateChanged(UpdateRun::UpdateState state)
{
    if (phase == Running)
        reporter->state(state, arguments.preReboot);
}

void UpdateCommand::progress(int value, int step, const QString &label)
{
    if (phase == Running)
        reporter->progress(UpdateRun::UpdateState(run->state()), value, step, label);
}

void UpdateCommand::addressFollowed(const QString &address, const QString &from)
{
    station.address = address;
    reporter->say(tr("The base station answered at %1 (it was at %2): the update follows it there.").arg(address, from));
}

void UpdateCommand::succeeded(const QString &version)
{
    station.version = version;
    finish(Ending::Success, 0, QString());
}

void UpdateCommand::failed(const QString &message, const QString &advice, const QString &details)
{
    finish(Ending::Failed, 1, message, advice, details);
}

void UpdateCommand::notAnswering()
{
    finish(Ending::NotFound, 3, tr("The base station %1 does not answer.").arg(station.address),
           tr("Check that it is switched on and that its network cable is plugged into the router, and that the "
              "address is right."));
}

void UpdateCommand::interrupt(int signal)
{
    if (phase == Over)
        return;
    const QString how = signal == SIGINT ? QStringLiteral("Ctrl-C (SIGINT)") : QStringLiteral("SIGTERM");
    if (phase != Running) {
        finish(Ending::Interrupted, 130, tr("Interrupted before the update began: nothing was changed."));
        return;
    }
    // Up to the start-upgrade command the station only holds an image it has not begun to flash.
    if (run->state() < UpdateRun::Upgrading) {
        run->leave(QStringLiteral("interrupted by %1 before the start of the upgrade").arg(how));
        finish(Ending::Interrupted, 130,
               tr("Interrupted before the upgrade started: the firmware of the base station is unchanged."),
               tr("Run the update again to bring it up to date."));
        return;
    }
    if (lastInterrupt.isValid() && !lastInterrupt.hasExpired(secondInterruptMs)) {
        run->leave(QStringLiteral("interrupted by %1 twice while the station was upgrading").arg(how));
        finish(Ending::Interrupted, 130, tr("Left while the base station is upgrading its firmware."),
               tr("Leave it switched on: it finishes by itself. In ten minutes, \"vmfwupd-cli find\" tells which "
                  "version it runs."));
        return;
    }
    lastInterrupt.start();
    reporter->warn(tr("The base station is upgrading its firmware and must stay switched on. The update goes on; "
                      "interrupt again within 5 seconds to leave anyway."));
}

void UpdateCommand::refuse(const QString &message)
{
    finish(Ending::Refused, 64, message);
}

void UpdateCommand::finish(Ending::Outcome outcome, int exitCode, const QString &message, const QString &advice,
                           const QString &details)
{
    if (phase == Over)
        return;
    phase = Over;
    answerBound->stop();
    Ending ending;
    ending.outcome = outcome;
    ending.exitCode = exitCode;
    ending.version = station.version;
    ending.message = message;
    ending.advice = advice;
    ending.details = details;
    reporter->end(ending);
    emit finished(exitCode);
}
