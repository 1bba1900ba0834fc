#include "options.h"

#include <QCommandLineParser>
#include <QHostAddress>

#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

namespace {

bool usageError(const QString &text, int &exitCode)
{
    std::fprintf(stderr, "station-sim: %s\nTry 'station-sim --help'.\n", qUtf8Printable(text));
    exitCode = 2;
    return false;
}

bool toNumber(const QString &text, double min, double &out)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < min)
        return false;
    out = v;
    return true;
}

bool toInt(const QString &text, long long min, long long max, long long &out)
{
    bool ok = false;
    const long long v = text.toLongLong(&ok);
    if (!ok || v < min || v > max)
        return false;
    out = v;
    return true;
}

// A status the answer can carry its usual body with.
bool isBodyStatus(long long status)
{
    return status >= 200 && status <= 599 && status != 204 && status != 205 && status != 304;
}

bool isIpv4(const QString &text)
{
    QHostAddress address;
    return address.setAddress(text) && address.protocol() == QAbstractSocket::IPv4Protocol;
}

} // namespace

bool parseOptions(const QStringList &arguments, Options &o, int &exitCode)
{
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Plays a Velmora base station on the network: its HTTP interface, its firmware upgrade\n"
        "and, with --discovery, its discovery responder. The first line on stdout is the bound TCP port."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this list of options and exit."));
    p.addOption(help);
    auto add = [&p](const QString &name, const QString &text, const QString &value = {}) {
        QCommandLineOption opt(name, text, value);
        p.addOption(opt);
        return opt;
    };
    const auto listen = add(QStringLiteral("listen"), QStringLiteral("IPv4 address to listen on (default 127.0.0.1)."),
                            QStringLiteral("ADDR"));
    const auto port = add(QStringLiteral("port"), QStringLiteral("TCP port; 0 picks a free one (default 0)."),
                          QStringLiteral("N"));
    const auto lifetime = add(QStringLiteral("lifetime"),
                              QStringLiteral("Stop by itself after this many seconds, always (default 120)."),
                              QStringLiteral("SECONDS"));
    const auto generation = add(QStringLiteral("generation"),
                                QStringLiteral("current, or v11 for the older generation whose version text "
                                               "holds \"VOIP_EN\" (default current)."),
                                QStringLiteral("current|v11"));
    const auto version = add(QStringLiteral("version"),
                             QStringLiteral("Version text before the upgrade (default \"143 20201120 V14.2\", "
                                            "for v11 \"VOIP_EN 11.7 20190301\")."),
                             QStringLiteral("TEXT"));
    const auto newVersion = add(QStringLiteral("new-version"),
                                QStringLiteral("Version text after a finished upgrade (default \"143 20210125 V14.3\")."),
                                QStringLiteral("TEXT"));
    const auto mac = add(QStringLiteral("mac"),
                         QStringLiteral("MAC address text, 17 characters (default 0A:1B:2C:3D:4E:5F)."),
                         QStringLiteral("TEXT"));
    const auto rebootSeconds = add(QStringLiteral("reboot-seconds"),
                                   QStringLiteral("How long a reboot keeps the port closed (default 3)."),
                                   QStringLiteral("S"));
    const auto timeScale = add(QStringLiteral("time-scale"),
                               QStringLiteral("Multiplies the durations of the flashing steps; 0.01 makes an "
                                              "upgrade near-instant (default 1)."),
                               QStringLiteral("F"));
    const auto advance = add(QStringLiteral("advance-per-poll"),
                             QStringLiteral("Every upgrade-status poll (parameter 26 or /firmwareupg) moves the "
                                            "flashing one notch on (4 notches per step) instead of the clock."));
    const auto dropUpload = add(QStringLiteral("drop-upload-after"),
                                QStringLiteral("Fault: cut the upload connection once this many file bytes arrived."),
                                QStringLiteral("BYTES"));
    const auto wrongSize = add(QStringLiteral("wrong-size"),
                               QStringLiteral("Fault: firmware.html reports one byte more than received."));
    const auto noComeback = add(QStringLiteral("no-comeback"),
                                QStringLiteral("Fault: never listen again after a reboot."));
    const auto comebackAt = add(QStringLiteral("comeback-at"),
                                QStringLiteral("After each reboot listen on this IPv4 address instead of --listen "
                                               "(same port) and announce it in the acknowledgements."),
                                QStringLiteral("ADDR"));
    const auto comebackMac = add(QStringLiteral("comeback-mac"),
                                 QStringLiteral("After each reboot announce and report this MAC address text "
                                                "instead (17 characters): another station at the new address."),
                                 QStringLiteral("TEXT"));
    const auto notJson = add(QStringLiteral("not-json"), QStringLiteral("Fault: JSON command replies are not JSON."));
    const auto withoutMac = add(QStringLiteral("answer-without-mac"),
                                QStringLiteral("The version answer carries no \"macAddr\", as from a station that "
                                               "does not report its MAC."));
    const auto pieces = add(QStringLiteral("pieces"),
                            QStringLiteral("Send every reply body in N pieces (default 1)."), QStringLiteral("N"));
    const auto pieceMs = add(QStringLiteral("piece-ms"),
                             QStringLiteral("Pause between two pieces of a body, in ms (default 0)."),
                             QStringLiteral("M"));
    const auto crcError = add(QStringLiteral("crc-error"),
                              QStringLiteral("Fault: the upgrade reports \"CRC error in file\" instead of flashing."));
    const auto crcErrorOnUpload = add(
        QStringLiteral("crc-error-on-upload"),
        QStringLiteral("Fault: the stored image is broken: \"CRC error in file\" from the upload on, and no upgrade "
                       "starts."));
    const auto errorAtStep = add(QStringLiteral("error-at-step"),
                                 QStringLiteral("Fault: the flashing stops in step N (1-4) and reports \"ERROR\" "
                                                "from then on."),
                                 QStringLiteral("N"));
    const auto errorOnceAtStep = add(QStringLiteral("error-once-at-step"),
                                     QStringLiteral("The first poll in step N (1-4) answers \"ERROR\"; the "
                                                    "flashing goes on."),
                                     QStringLiteral("N"));
    const auto stallAtStep = add(QStringLiteral("stall-at-step"),
                                 QStringLiteral("Fault: the flashing never gets past step N (1-4)."),
                                 QStringLiteral("N"));
    const auto downAtStep = add(QStringLiteral("down-at-step"),
                                QStringLiteral("Fault: the station goes down for good as flashing step N (1-4) "
                                               "begins: that poll is not answered, the port closes and discovery "
                                               "falls silent."),
                                QStringLiteral("N"));
    const auto neverStart = add(QStringLiteral("never-start"),
                                QStringLiteral("Fault: answer the start-upgrade command as usual but never begin to "
                                               "flash; the status stays what it was before the start."));
    const auto restartUnannounced = add(
        QStringLiteral("restart-unannounced"),
        QStringLiteral("The current generation restarts straight from \"Verify Write (4/5)\": no poll sees "
                       "\"Rebooting (5/5)\"."));
    const auto endless = add(QStringLiteral("endless"),
                             QStringLiteral("Repeatable: answer PATH (e.g. /getJson.json) with a body that never "
                                            "ends: its usual one, then spaces, uncompressed and without a length, "
                                            "until the client hangs up or the station stops. Wins over --drip and "
                                            "--gzip-bomb for the same path."),
                             QStringLiteral("PATH"));
    const auto drip = add(QStringLiteral("drip"),
                          QStringLiteral("Repeatable: send the answers of PATH one byte at a time, --drip-seconds "
                                         "apart, their length announced and never compressed by the station."),
                          QStringLiteral("PATH"));
    const auto dripSeconds = add(QStringLiteral("drip-seconds"),
                                 QStringLiteral("Pause before each further byte of a --drip answer (default 4)."),
                                 QStringLiteral("S"));
    const auto gzipBomb = add(QStringLiteral("gzip-bomb"),
                              QStringLiteral("Repeatable: answer PATH with its usual body padded with spaces to "
                                             "2 MiB, gzip-compressed (Content-Encoding: gzip, about 2 KiB sent); "
                                             "with --drip for the same path these bytes drip."),
                              QStringLiteral("PATH"));
    const auto silent = add(QStringLiteral("silent"),
                            QStringLiteral("Fault: accept connections and read requests but never answer."));
    const auto status = add(QStringLiteral("status"),
                            QStringLiteral("Answer every GET with HTTP status N (200-599 but 204, 205 and 304) "
                                           "and its usual body; the station works on as usual."),
                            QStringLiteral("N"));
    const auto uploadStatus = add(QStringLiteral("upload-status"),
                                  QStringLiteral("Answer a complete upload with HTTP status N instead of 200, "
                                                 "usual body (same range as --status)."),
                                  QStringLiteral("N"));
    const auto uploadAnswerDelay = add(
        QStringLiteral("upload-answer-delay"),
        QStringLiteral("Store an upload at once but answer its POST only SECONDS after its last byte, or never; "
                       "the station serves everything else meanwhile and logs the answer with \"answered\": true. "
                       "A reboot cuts the POST unanswered."),
        QStringLiteral("SECONDS"));
    const auto resetUpload = add(QStringLiteral("reset-upload"),
                                 QStringLiteral("Fault: store the whole upload, then reset its connection "
                                                "instead of answering."));
    const auto log = add(QStringLiteral("log"),
                         QStringLiteral("Append one JSON object per received request or datagram to FILE."),
                         QStringLiteral("FILE"));
    const auto discovery = add(QStringLiteral("discovery"),
                               QStringLiteral("Answer discovery pings on UDP port 23456."));
    const auto discoveryBind = add(QStringLiteral("discovery-bind"),
                                   QStringLiteral("Address the discovery socket binds to (default 0.0.0.0)."),
                                   QStringLiteral("ADDR"));
    const auto unitIp = add(QStringLiteral("unit-ip"),
                            QStringLiteral("IPv4 address announced in the acknowledgement (default: --listen)."),
                            QStringLiteral("ADDR"));
    const auto ackTwice = add(QStringLiteral("ack-twice"), QStringLiteral("Every station answers each ping twice."));
    const auto stations = add(QStringLiteral("stations"),
                              QStringLiteral("Play N stations, each with its own MAC, address and datagram "
                                             "(default 1)."),
                              QStringLiteral("N"));
    const auto ackDelay = add(QStringLiteral("ack-delay-ms"),
                              QStringLiteral("Wait this long before answering a ping (default 0)."),
                              QStringLiteral("MS"));
    const auto junkFirst = add(QStringLiteral("junk-first"),
                               QStringLiteral("Send N datagrams without the marker before the answers (default 0)."),
                               QStringLiteral("N"));
    const auto ackHex = add(QStringLiteral("ack-hex"),
                            QStringLiteral("Repeatable: answer with this raw datagram, given in hex, instead of "
                                           "the generated acknowledgements."),
                            QStringLiteral("HEX"));

    if (!p.parse(arguments))
        return usageError(p.errorText(), exitCode);
    if (!p.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument: ") + p.positionalArguments().constFirst(), exitCode);
    if (p.isSet(help)) {
        std::fputs(qUtf8Printable(p.helpText()), stdout);
        exitCode = 0;
        return false;
    }

    long long n = 0;
    auto intOpt = [&](const QCommandLineOption &opt, long long min, long long max, auto &out) {
        if (!p.isSet(opt))
            return true;
        if (!toInt(p.value(opt), min, max, n))
            return false;
        out = static_cast<std::remove_reference_t<decltype(out)>>(n);
        return true;
    };
    auto realOpt = [&](const QCommandLineOption &opt, double min, double &out) {
        return !p.isSet(opt) || toNumber(p.value(opt), min, out);
    };
    auto bad = [&](const QCommandLineOption &opt) {
        return usageError(QStringLiteral("invalid value for --%1: %2").arg(opt.names().constFirst(), p.value(opt)),
                          exitCode);
    };

    if (p.isSet(listen))
        o.listen = p.value(listen);
    if (!isIpv4(o.listen))
        return bad(listen);
    if (!intOpt(port, 0, 65535, o.port))
        return bad(port);
    if (!realOpt(lifetime, 0.0, o.lifetime))
        return bad(lifetime);
    if (p.isSet(generation)) {
        if (p.value(generation) == QLatin1String("v11"))
            o.v11 = true;
        else if (p.value(generation) != QLatin1String("current"))
            return bad(generation);
    }
    o.version = p.isSet(version) ? p.value(version)
                : o.v11          ? QStringLiteral("VOIP_EN 11.7 20190301")
                                 : QStringLiteral("143 20201120 V14.2");
    if (p.isSet(newVersion))
        o.newVersion = p.value(newVersion);
    if (p.isSet(mac))
        o.mac = p.value(mac);
    if (o.mac.size() != 17)
        return bad(mac);
    if (!realOpt(rebootSeconds, 0.0, o.rebootSeconds))
        return bad(rebootSeconds);
    if (!realOpt(timeScale, 0.0, o.timeScale))
        return bad(timeScale);
    o.advancePerPoll = p.isSet(advance);
    if (!intOpt(dropUpload, 0, INT64_MAX, o.dropUploadAfter))
        return bad(dropUpload);
    o.wrongSize = p.isSet(wrongSize);
    o.noComeback = p.isSet(noComeback);
    o.comebackAt = p.value(comebackAt);
    if (p.isSet(comebackAt) && !isIpv4(o.comebackAt))
        return bad(comebackAt);
    o.comebackMac = p.value(comebackMac);
    if (p.isSet(comebackMac) && o.comebackMac.size() != 17)
        return bad(comebackMac);
    o.notJson = p.isSet(notJson);
    o.answerWithoutMac = p.isSet(withoutMac);
    if (!intOpt(pieces, 1, 1000, o.pieces))
        return bad(pieces);
    if (!intOpt(pieceMs, 0, 60000, o.pieceMs))
        return bad(pieceMs);
    o.crcError = p.isSet(crcError);
    o.crcErrorOnUpload = p.isSet(crcErrorOnUpload);
    if (!intOpt(errorAtStep, 1, 4, o.errorAtStep))
        return bad(errorAtStep);
    if (!intOpt(errorOnceAtStep, 1, 4, o.errorOnceAtStep))
        return bad(errorOnceAtStep);
    if (!intOpt(stallAtStep, 1, 4, o.stallAtStep))
        return bad(stallAtStep);
    if (!intOpt(downAtStep, 1, 4, o.downAtStep))
        return bad(downAtStep);
    o.neverStart = p.isSet(neverStart);
    o.restartUnannounced = p.isSet(restartUnannounced);
    o.silent = p.isSet(silent);
    for (const auto &[opt, paths] : {std::pair(&endless, &o.endless), std::pair(&drip, &o.drip),
                                     std::pair(&gzipBomb, &o.gzipBomb)}) {
        *paths = p.values(*opt);
        for (const QString &path : qAsConst(*paths)) {
            if (!path.startsWith(QLatin1Char('/')))
                return usageError(QStringLiteral("invalid value for --%1: %2").arg(opt->names().constFirst(), path),
                                  exitCode);
        }
    }
    if (!realOpt(dripSeconds, 0.0, o.dripSeconds))
        return bad(dripSeconds);
    if (!intOpt(status, 200, 599, o.status) || (o.status != 0 && !isBodyStatus(o.status)))
        return bad(status);
    if (!intOpt(uploadStatus, 200, 599, o.uploadStatus) || !isBodyStatus(o.uploadStatus))
        return bad(uploadStatus);
    if (p.value(uploadAnswerDelay) == QLatin1String("never"))
        o.uploadAnswerDelay = std::numeric_limits<double>::infinity();
    else if (!realOpt(uploadAnswerDelay, 0.0, o.uploadAnswerDelay))
        return bad(uploadAnswerDelay);
    o.resetUpload = p.isSet(resetUpload);
    o.logPath = p.value(log);

    o.discovery = p.isSet(discovery);
    if (p.isSet(discoveryBind))
        o.discoveryBind = p.value(discoveryBind);
    if (!isIpv4(o.discoveryBind))
        return bad(discoveryBind);
    o.unitIp = p.isSet(unitIp) ? p.value(unitIp) : o.listen;
    if (!isIpv4(o.unitIp))
        return bad(unitIp);
    o.ackTwice = p.isSet(ackTwice);
    if (!intOpt(stations, 1, 200, o.stations))
        return bad(stations);
    if (!intOpt(ackDelay, 0, 60000, o.ackDelayMs))
        return bad(ackDelay);
    if (!intOpt(junkFirst, 0, 1000, o.junkFirst))
        return bad(junkFirst);
    const QStringList hexes = p.values(ackHex);
    for (const QString &hex : hexes) {
        const QByteArray raw = QByteArray::fromHex(hex.toLatin1());
        if (raw.isEmpty() || raw.toHex() != hex.toLower().toLatin1())
            return usageError(QStringLiteral("invalid value for --ack-hex: ") + hex, exitCode);
        o.ackHex.append(raw);
    }
    return true;
}
