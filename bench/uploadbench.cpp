// Uploads one image to station-sim on loopback, alternately with IpBaseCtrl::uploadFirmware and with curl,
// and prints both times, their ratio and the updater's peak memory increase during its uploads.

#include "benchsupport.h"
#include "ipbasectrl.h"
#include "stationsim.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int uploadTimeoutMs = 120000;
constexpr int rssSampleMs = 2;
constexpr qint64 chunkBytes = 1 << 20;
constexpr qint64 peakTargetBytes = 32LL << 20;

// Random bytes, so that nothing on the way can shorten the transfer; returns the SHA-256 in hex.
QString writeImage(const QString &path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    QCryptographicHash sha256(QCryptographicHash::Sha256);
    QByteArray chunk(int(chunkBytes), Qt::Uninitialized);
    auto *words = reinterpret_cast<quint32 *>(chunk.data());
    for (qint64 written = 0; written < bytes; written += chunk.size()) {
        QRandomGenerator::global()->fillRange(words, chunk.size() / int(sizeof(quint32)));
        const QByteArray piece = chunk.left(int(std::min<qint64>(chunk.size(), bytes - written)));
        if (file.write(piece) != piece.size())
            return {};
        sha256.addData(piece);
    }
    return QString::fromLatin1(sha256.result().toHex());
}

struct UpdaterRun {
    bool ok = false;
    double seconds = 0;
    qint64 rssBeforeKib = 0;
    qint64 peakKib = 0;
    qint64 peakIncreaseBytes = 0;
    QString failure;
};

UpdaterRun uploadWithUpdater(IpBaseCtrl &ctrl, QNetworkAccessManager &manager, const QString &address,
                             const QString &path)
{
    UpdaterRun run;
    bool complete = false;
    bool failed = false;
    bool ended = false;
    const auto progress = QObject::connect(&ctrl, &IpBaseCtrl::progressUpd, &ctrl,
                                           [&](int, int, const QString &, const QString &, int stat) {
                                               complete = complete || stat == 1;
                                               failed = failed || stat == 4;
                                           });
    const auto finished = QObject::connect(&manager, &QNetworkAccessManager::finished, &manager, [&](QNetworkReply *reply) {
        ended = true;
        if (reply->error() != QNetworkReply::NoError)
            run.failure = QStringLiteral("reply ended with: ") + reply->errorString();
    });

    QCoreApplication::processEvents();
    const qint64 rssBeforeKib = Bench::statusKib("VmRSS");
    run.rssBeforeKib = rssBeforeKib;
    // VmHWM alone would do once reset; the samples still show the peak where clear_refs is not allowed.
    const bool peakReset = Bench::resetPeakRss();
    qint64 rssMaxKib = rssBeforeKib;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { rssMaxKib = std::max(rssMaxKib, Bench::statusKib("VmRSS")); });
    sampler.start(rssSampleMs);

    QElapsedTimer clock;
    clock.start();
    ctrl.uploadFirmware(address, path);
    const bool done = Bench::waitFor([&] { return failed || (complete && ended); }, uploadTimeoutMs);
    run.seconds = double(clock.nsecsElapsed()) / 1e9;
    sampler.stop();
    run.peakKib = peakReset ? std::max(rssMaxKib, Bench::statusKib("VmHWM")) : rssMaxKib;
    run.peakIncreaseBytes = (run.peakKib - rssBeforeKib) * 1024;

    QObject::disconnect(progress);
    QObject::disconnect(finished);
    if (!done)
        run.failure = QStringLiteral("no completion report and end of reply within %1 s").arg(uploadTimeoutMs / 1000);
    else if (failed)
        run.failure = QStringLiteral("the controller reported an upload error");
    run.ok = run.failure.isEmpty();
    return run;
}

double uploadWithCurl(const QString &curl, const QString &address, const QString &path, QString &failure)
{
    QProcess process;
    process.setProgram(curl);
    process.setArguments({QStringLiteral("-sS"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                          QStringLiteral("-w"), QStringLiteral("%{http_code}"), QStringLiteral("--max-time"),
                          QString::number(uploadTimeoutMs / 1000), QStringLiteral("-F"),
                          QStringLiteral("file_upload_base=@") + path,
                          QStringLiteral("http://%1/file_upload_base").arg(address)});
    QElapsedTimer clock;
    clock.start();
    process.start(QIODevice::ReadOnly);
    if (!process.waitForFinished(uploadTimeoutMs + 5000)) {
        process.kill();
        process.waitForFinished(3000);
        failure = QStringLiteral("curl did not finish");
        return 0;
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const QByteArray code = process.readAllStandardOutput().trimmed();
    if (process.exitCode() != 0 || code != "200")
        failure = QStringLiteral("curl exit %1, HTTP %2: %3")
                      .arg(process.exitCode())
                      .arg(QString::fromLatin1(code), QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
    return seconds;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Image upload to station-sim: the updater beside curl."));
    parser.addHelpOption();
    const QCommandLineOption sizeOption(QStringLiteral("size-mib"), QStringLiteral("Image size (default 256)."),
                                        QStringLiteral("MIB"), QStringLiteral("256"));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"),
                                          QStringLiteral("Uploads by each of the two (default 3)."),
                                          QStringLiteral("N"), QStringLiteral("3"));
    parser.addOptions({sizeOption, roundsOption});
    parser.process(app);
    const qint64 imageBytes = qBound(1, parser.value(sizeOption).toInt(), 1024) * (1LL << 20);
    const int rounds = qBound(1, parser.value(roundsOption).toInt(), 10);

    Bench::armWatchdog(60 + rounds * 2 * (uploadTimeoutMs / 1000), "upload");
    Bench::silenceDebugOutput();

    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    if (curl.isEmpty()) {
        Bench::say(QStringLiteral("upload: curl not found (apt-get install curl)"));
        return 1;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vmlinuz-bench.img"));
    const QString imageSha = dir.isValid() ? writeImage(path, imageBytes) : QString();
    if (imageSha.isEmpty()) {
        Bench::say(QStringLiteral("upload: cannot write the image to ") + path);
        return 1;
    }

    const int lifetime = 60 + rounds * 2 * (uploadTimeoutMs / 1000);
    StationSim sim({QStringLiteral("--lifetime"), QString::number(lifetime)});
    if (!sim.start()) {
        Bench::say(QStringLiteral("upload: station-sim did not start: ") + sim.errorString());
        return 1;
    }

    IpBaseCtrl ctrl;
    auto *manager = ctrl.findChild<QNetworkAccessManager *>();
    if (!manager) {
        Bench::say(QStringLiteral("upload: the controller has no access manager"));
        return 1;
    }

    Bench::say(QStringLiteral("upload: image %1 (random bytes), station-sim on %2, %3 rounds, updater then curl")
                   .arg(Bench::mib(imageBytes), sim.address())
                   .arg(rounds));
    QVector<double> updaterTimes;
    QVector<double> curlTimes;
    qint64 peakIncrease = 0;
    bool allOk = true;
    for (int round = 1; round <= rounds; ++round) {
        const UpdaterRun run = uploadWithUpdater(ctrl, *manager, sim.address(), path);
        QString curlFailure;
        const double curlSeconds = uploadWithCurl(curl, sim.address(), path, curlFailure);
        Bench::say(QStringLiteral("upload: round %1: updater %2 s (RSS %3 before, peak %4: +%5), curl %6 s")
                       .arg(round)
                       .arg(run.seconds, 0, 'f', 3)
                       .arg(Bench::kibAsMib(run.rssBeforeKib), Bench::kibAsMib(run.peakKib),
                            Bench::mib(run.peakIncreaseBytes))
                       .arg(curlSeconds, 0, 'f', 3));
        if (!run.ok || !curlFailure.isEmpty()) {
            Bench::say(QStringLiteral("upload: FAILED: ") + (run.ok ? curlFailure : run.failure));
            allOk = false;
            break;
        }
        updaterTimes << run.seconds;
        curlTimes << curlSeconds;
        peakIncrease = std::max(peakIncrease, run.peakIncreaseBytes);
    }

    // The station logs each upload once it has read the whole body, before it answers.
    int uploads = 0;
    int matching = 0;
    const QVector<QJsonObject> log = sim.log();
    for (const QJsonObject &entry : log) {
        if (entry.value(QStringLiteral("path")).toString() != QLatin1String("/file_upload_base"))
            continue;
        ++uploads;
        const QJsonObject upload = entry.value(QStringLiteral("upload")).toObject();
        if (upload.value(QStringLiteral("sha256")).toString() == imageSha
            && qint64(upload.value(QStringLiteral("size")).toDouble()) == imageBytes
            && upload.value(QStringLiteral("complete")).toBool())
            ++matching;
    }
    const auto expected = updaterTimes.size() + curlTimes.size();
    const bool shaOk = uploads == expected && matching == expected;
    Bench::say(QStringLiteral("upload: station's SHA-256 and size equal the file's: %1 of %2 uploads (%3)")
                   .arg(matching)
                   .arg(uploads)
                   .arg(shaOk ? QStringLiteral("ok") : QStringLiteral("MISMATCH")));
    if (!allOk || !shaOk)
        return 1;

    const Bench::Spread updater = Bench::spread(updaterTimes);
    const Bench::Spread byCurl = Bench::spread(curlTimes);
    const double mibTotal = double(imageBytes) / (1 << 20);
    Bench::say(QStringLiteral("upload: updater min/median/max %1 / %2 / %3 s (%4 MiB/s at the median)")
                   .arg(updater.min, 0, 'f', 3)
                   .arg(updater.median, 0, 'f', 3)
                   .arg(updater.max, 0, 'f', 3)
                   .arg(mibTotal / updater.median, 0, 'f', 0));
    Bench::say(QStringLiteral("upload: curl    min/median/max %1 / %2 / %3 s (%4 MiB/s at the median)")
                   .arg(byCurl.min, 0, 'f', 3)
                   .arg(byCurl.median, 0, 'f', 3)
                   .arg(byCurl.max, 0, 'f', 3)
                   .arg(mibTotal / byCurl.median, 0, 'f', 0));
    Bench::say(QStringLiteral("upload: time ratio updater/curl (medians) %1").arg(updater.median / byCurl.median, 0, 'f', 2));
    Bench::say(QStringLiteral("upload: updater peak memory increase %1 (target under 32 MiB): %2")
                   .arg(Bench::mib(peakIncrease),
                        peakIncrease < peakTargetBytes ? QStringLiteral("met") : QStringLiteral("NOT met")));
    return 0;
}
