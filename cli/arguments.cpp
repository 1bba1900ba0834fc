#include "arguments.h"

#include "discoverydatagram.h"
#include "updaterun.h"

#include <QCommandLineParser>

bool Arguments::read(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Updates the firmware of a Velmora base station without a window.\n\n"
           "Commands:\n"
           "  find    lists the base stations on this network: address, MAC, version, and whether it is up to "
           "date\n"
           "  update  updates one base station, as the window's \"Update Firmware\" does\n\n"
           "Without --image, update takes the firmware image %1 from %2.\n"
           "The search broadcasts on UDP port 23456: a firewall on this computer must let the answers in.\n\n"
           "Exit codes: 0 done, 1 the update failed or was not started, 2 already up to date, 3 no base station "
           "found or it does not answer, 64 a mistake in the command line, 130 interrupted.")
            .arg(QLatin1String(UpdateRun::deliveredImage), QCoreApplication::applicationDirPath()));
    parser.addPositionalArgument(QStringLiteral("command"), tr("find or update"), QStringLiteral("find|update"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption stationOption(
        QStringLiteral("station"), tr("update: the base station at this IPv4 address, without a search."),
        tr("ADDRESS"));
    const QCommandLineOption imageOption(QStringLiteral("image"),
                                         tr("update: this firmware image instead of the delivered one; whatever "
                                            "version the base station then reports counts as success."),
                                         tr("FILE"));
    const QCommandLineOption noRebootOption(QStringLiteral("no-pre-reboot"),
                                            tr("update: no reboot of the base station before the upload."));
    const QCommandLineOption yesOption(QStringLiteral("yes"),
                                       tr("update: answers yes to the question whether the bracelet is switched on, "
                                          "connected to a charger and within 3 meters of the base station."));
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        tr("One JSON object per line on standard output instead of text."));
    const QList<QCommandLineOption> updateOptions{stationOption, imageOption, noRebootOption, yesOption};
    parser.addOptions(updateOptions);
    parser.addOption(jsonOption);

    const auto fail = [this](const QString &problem) {
        text = problem + QLatin1Char('\n') + tr("\"vmfwupd-cli --help\" lists the commands and options.");
        return false;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        command = Command::Help;
        text = parser.helpText();
        return true;
    }
    if (parser.isSet(version)) {
        command = Command::Version;
        return true;
    }
    const QStringList positional = parser.positionalArguments();
    const QString name = positional.value(0);
    if (positional.size() > 1)
        return fail(tr("One command at a time: find or update."));
    if (name == QLatin1String("find")) {
        command = Command::Find;
    } else if (name == QLatin1String("update")) {
        command = Command::Update;
    } else {
        return fail(name.isEmpty() ? tr("Name a command: find or update.")
                                   : tr("\"%1\" is no command: find or update.").arg(name));
    }
    for (const QCommandLineOption &option : updateOptions) {
        if (command == Command::Find && parser.isSet(option))
            return fail(tr("--%1 is an option of update, not of find.").arg(option.names().constFirst()));
    }
    station = parser.value(stationOption);
    if (parser.isSet(stationOption) && !isDottedIpv4(station))
        return fail(tr("\"%1\" is not an IPv4 address of four numbers with dots between, such as 192.168.1.20.")
                        .arg(station));
    image = parser.value(imageOption);
    preReboot = !parser.isSet(noRebootOption);
    yes = parser.isSet(yesOption);
    json = parser.isSet(jsonOption);
    return true;
}
