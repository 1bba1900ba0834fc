#include "reporter.h"

#include "discoverydatagram.h"

#include <QJsonDocument>
#include <QMetaEnum>

#include <cstdio>

namespace {

QString stateName(UpdateRun::UpdateState state)
{
    return QString::fromLatin1(QMetaEnum::fromType<UpdateRun::UpdateState>().valueToKey(state));
}

QString outcomeName(Ending::Outcome outcome)
{
    switch (outcome) {
    case Ending::Success:
        return QStringLiteral("success");
    case Ending::Failed:
        return QStringLiteral("failed");
    case Ending::UpToDate:
        return QStringLiteral("up-to-date");
    case Ending::NotFound:
        return QStringLiteral("not-found");
    case Ending::Found:
        return QStringLiteral("found");
    case Ending::Interrupted:
        return QStringLiteral("interrupted");
    case Ending::Refused:
        return QStringLiteral("refused");
    }
    return QString();
}

} // namespace

QVector<StationInfo> StationInfo::listed(const QVector<QString> &units)
{
    QVector<StationInfo> stations;
    for (const ListedStation &station : listedStations(units))
        stations.append({station.address, station.mac, QString(), NotAsked});
    return stations;
}

Reporter::Reporter(bool json, bool terminal)
    : json(json)
    , terminal(terminal && !json)
{
    // Unbuffered: each line is out before the program goes on, as a script reading it expects.
    out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(fileno(stderr), QIODevice::WriteOnly | QIODevice::Unbuffered);
}

QString Reporter::nothingFoundMessage()
{
    return UpdateRun::nothingFoundText() + QLatin1String("\n\n") + tr("Then run this command again.")
           + QLatin1Char(' ')
           + tr("If you know the address of the base station (your router lists it), \"%1\" updates it without a "
                "search.")
                 .arg(QStringLiteral("vmfwupd-cli update --station ADDRESS"));
}

QString Reporter::stationLine(const StationInfo &info)
{
    const QString mac = info.mac.isEmpty() ? QStringLiteral("-") : info.mac;
    switch (info.answer) {
    case StationInfo::NotAsked:
        break;
    case StationInfo::Silent:
        return QStringLiteral("%1  %2  -  (%3)").arg(info.address, mac, tr("does not answer"));
    case StationInfo::Answered:
        return QStringLiteral("%1  %2  %3  (%4)")
            .arg(info.address, mac, info.version,
                 UpdateRun::isUpToDate(info.version) ? tr("up to date") : tr("update available"));
    }
    return QStringLiteral("%1  %2").arg(info.address, mac);
}

QString Reporter::stageLine(UpdateRun::UpdateState state, bool preReboot)
{
    switch (state) {
    case UpdateRun::WaitForBase:
        return preReboot ? tr("Rebooting the base station") : tr("Starting the update without a reboot first");
    case UpdateRun::Uploading:
        return tr("Uploading the firmware image");
    case UpdateRun::VerifyUpload:
        return tr("Checking the uploaded image");
    case UpdateRun::Upgrading:
        return tr("Starting the upgrade: keep the base station switched on until the update is over");
    case UpdateRun::WaitForRestart:
        return tr("Waiting for the base station to restart");
    case UpdateRun::ConfirmVersion:
        return tr("Asking the base station for its new version");
    case UpdateRun::Idle:
        break;
    }
    return QString();
}

QString Reporter::countdownLine(int value)
{
    return tr("Waiting for the base station %1/%2")
        .arg(value / (100 / UpdateRun::waitTicks))
        .arg(UpdateRun::waitTicks);
}

void Reporter::station(const StationInfo &info)
{
    if (!json) {
        line(stationLine(info));
        return;
    }
    QJsonObject event{{QStringLiteral("event"), QStringLiteral("station")},
                      {QStringLiteral("address"), info.address},
                      {QStringLiteral("mac"), info.mac}};
    if (info.answer != StationInfo::NotAsked)
        event.insert(QStringLiteral("answered"), info.answer == StationInfo::Answered);
    if (info.answer == StationInfo::Answered) {
        event.insert(QStringLiteral("version"), info.version);
        event.insert(QStringLiteral("upToDate"), UpdateRun::isUpToDate(info.version));
    }
    emitJson(event);
}

void Reporter::state(UpdateRun::UpdateState state, bool preReboot)
{
    lastTenth = -1;
    if (json) {
        emitJson({{QStringLiteral("event"), QStringLiteral("state")}, {QStringLiteral("state"), stateName(state)}});
        return;
    }
    const QString text = stageLine(state, preReboot);
    if (!text.isEmpty())
        line(text);
}

void Reporter::progress(UpdateRun::UpdateState state, int value, int step, const QString &label)
{
    if (json) {
        const QJsonObject event{{QStringLiteral("event"), QStringLiteral("progress")},
                                {QStringLiteral("state"), stateName(state)},
                                {QStringLiteral("value"), value},
                                {QStringLiteral("step"), step + 1},
                                {QStringLiteral("steps"), UpdateRun::stepCount},
                                {QStringLiteral("label"), label}};
        // The upload reports every few kilobytes; a script wants to hear of a change only.
        if (event != lastProgress)
            emitJson(event);
        lastProgress = event;
        return;
    }
    // The run's own countdowns carry its "Wait" label; the station's reports carry the station's texts.
    if (label == QCoreApplication::translate("MainWindow", "Wait")) {
        gauge(countdownLine(value), value);
    } else if (state == UpdateRun::Uploading && step == 1) {
        gauge(tr("Uploading %1 %").arg(value), value);
    } else {
        const QString text = UpdateRun::stepText(label, step);
        if (text != lastStep)
            line(text);
        lastStep = text;
    }
}

void Reporter::status(const QString &text)
{
    if (json && !text.isEmpty() && text != lastStatus)
        emitJson({{QStringLiteral("event"), QStringLiteral("status")}, {QStringLiteral("text"), text}});
    lastStatus = text;
}

void Reporter::say(const QString &text)
{
    if (json)
        status(text);
    else
        line(text);
}

void Reporter::warn(const QString &text)
{
    closeGauge();
    err.write((text + QLatin1Char('\n')).toUtf8());
}

void Reporter::ask(const QString &question)
{
    closeGauge();
    err.write(question.toUtf8());
}

void Reporter::end(const Ending &ending)
{
    if (json) {
        QJsonObject event{{QStringLiteral("event"), QStringLiteral("end")},
                          {QStringLiteral("outcome"), outcomeName(ending.outcome)},
                          {QStringLiteral("exitCode"), ending.exitCode}};
        if (!ending.version.isNull())
            event.insert(QStringLiteral("version"), ending.version);
        if (!ending.message.isEmpty()) {
            event.insert(QStringLiteral("message"), ending.message);
            event.insert(QStringLiteral("advice"), ending.advice);
        }
        if (!ending.details.isEmpty())
            event.insert(QStringLiteral("details"), ending.details);
        emitJson(event);
    } else if (ending.outcome == Ending::Success) {
        line(tr("Success: the base station now runs %1").arg(ending.version));
    } else if (ending.outcome == Ending::UpToDate) {
        line(tr("Already up to date: the base station runs %1. Nothing was changed.").arg(ending.version));
    }
    // Whoever reads standard error learns what went wrong and what to do, whatever standard output carries.
    if (!ending.message.isEmpty())
        warn(ending.advice.isEmpty() ? ending.message : ending.message + QLatin1Char('\n') + ending.advice);
    if (!ending.details.isEmpty())
        warn(QLatin1Char('\n') + tr("Details of the update:") + QLatin1Char('\n') + ending.details);
    closeGauge();
}

void Reporter::emitJson(const QJsonObject &event)
{
    out.write(QJsonDocument(event).toJson(QJsonDocument::Compact) + '\n');
}

void Reporter::line(const QString &text)
{
    closeGauge();
    out.write((text + QLatin1Char('\n')).toUtf8());
}

void Reporter::gauge(const QString &text, int value)
{
    if (terminal) {
        if (text != lastGauge)
            out.write((QLatin1Char('\r') + text + QLatin1String("\x1b[K")).toUtf8());
        gaugeOpen = true;
    } else if (value / 10 != lastTenth) {
        line(text);
    }
    lastGauge = text;
    lastTenth = value / 10;
}

void Reporter::closeGauge()
{
    if (gaugeOpen)
        out.write("\n");
    gaugeOpen = false;
    lastGauge.clear();
}
