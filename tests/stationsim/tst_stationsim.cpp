#include "stationsim.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QHttpMultiPart>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
constexpr int ReplyTimeoutMs = 5000;
constexpr int UploadTimeoutMs = 30000;
const QByteArray Boundary = QByteArrayLiteral("----WebKitFormBoundaryHtZmoCi3x1Jn5Cv2");
const QString VersionCommand = QStringLiteral(R"({"cmdType":2,"portId":0,"sysParamType":6,"sysParamValue":{}})");
const QString StatusCommand = QStringLiteral(R"({"cmdType":1,"portId":0,"paramId":26,"paramValue":{}})");
const QString SuccessPhrase = QStringLiteral("Success: Firmware Installed");

struct Reply {
    QNetworkReply::NetworkError error = QNetworkReply::UnknownNetworkError;
    int status = 0;
    QByteArray body;
    int pieces = 0; // readyRead signals seen
};

QString startCommand(const QString &name)
{
    return QStringLiteral(R"({"cmdType":1,"portId":0,"paramId":25,"paramValue":"%1"})").arg(name);
}

QString pageUrl(const StationSim &sim, const QString &page)
{
    return QStringLiteral("http://%1/%2").arg(sim.address(), page);
}

QString commandUrl(const QString &address, const QString &json)
{
    return QStringLiteral("http://%1/getJson.json?rand=%2&jsonString=%3").arg(address).arg(1804289383).arg(json);
}

Reply finish(QNetworkReply *reply, int timeoutMs)
{
    // After a time-out the reply lives on until deleteLater runs and may still read: not into a dead frame.
    const auto r = std::make_shared<Reply>();
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [r, reply] {
        ++r->pieces;
        r->body += reply->readAll();
    });
    // A reply may have finished while another request's wait ran the event loop.
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (!reply->isFinished() && !finished.wait(timeoutMs))
        r->error = QNetworkReply::TimeoutError;
    else
        r->error = reply->error();
    if (reply->isOpen())
        r->body += reply->readAll();
    r->status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    reply->deleteLater();
    return *r;
}

Reply get(QNetworkAccessManager &nam, const QString &url, int timeoutMs = ReplyTimeoutMs)
{
    QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
    request.setTransferTimeout(timeoutMs);
    return finish(nam.get(request), timeoutMs + 1000);
}

QJsonObject getJson(QNetworkAccessManager &nam, const StationSim &sim, const QString &json)
{
    return QJsonDocument::fromJson(get(nam, commandUrl(sim.address(), json)).body).object();
}

QNetworkReply *post(QNetworkAccessManager &nam, const StationSim &sim, const QString &path, const QString &partName)
{
    auto *multiPart = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    multiPart->setBoundary(Boundary);
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentDispositionHeader,
                   QStringLiteral("form-data; name=\"file_upload_base\"; filename=\"%1\"").arg(partName));
    part.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/octet-stream"));
    auto *file = new QFile(path, multiPart);
    file->open(QIODevice::ReadOnly);
    part.setBodyDevice(file);
    multiPart->append(part);
    QNetworkRequest request(QUrl(pageUrl(sim, QStringLiteral("file_upload_base"))));
    request.setRawHeader("Content-Type", "multipart/form-data; boundary=" + Boundary);
    QNetworkReply *reply = nam.post(request, multiPart);
    multiPart->setParent(reply);
    return reply;
}

Reply upload(QNetworkAccessManager &nam, const StationSim &sim, const QString &path, const QString &partName)
{
    return finish(post(nam, sim, path, partName), UploadTimeoutMs);
}

QString statusText(QNetworkAccessManager &nam, const StationSim &sim)
{
    return getJson(nam, sim, StatusCommand).value(QStringLiteral("paramStatus")).toString();
}

QByteArray randomBytes(qint64 size)
{
    QByteArray data(int(size), Qt::Uninitialized);
    for (char &c : data)
        c = char(QRandomGenerator::global()->bounded(256));
    return data;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return {};
    return path;
}

QJsonObject lastEntry(const StationSim &sim, const QString &path)
{
    const QVector<QJsonObject> log = sim.log();
    for (auto it = log.crbegin(); it != log.crend(); ++it) {
        if (it->value(QStringLiteral("path")).toString() == path)
            return *it;
    }
    return {};
}

// True when a TCP connection to the address ("host:port") is refused (the station is rebooting).
bool refused(const QString &address)
{
    const QUrl url(QStringLiteral("http://") + address);
    QTcpSocket socket;
    socket.connectToHost(url.host(), quint16(url.port(80)));
    if (socket.waitForConnected(2000))
        return false;
    return socket.error() == QAbstractSocket::ConnectionRefusedError;
}

// Connections to the station's port that their client has closed and the station not yet (CLOSE_WAIT).
int halfClosed(quint16 port)
{
    QFile tcp(QStringLiteral("/proc/net/tcp"));
    if (!tcp.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray local = ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    int count = 0;
    const QList<QByteArray> lines = tcp.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        count += fields.size() > 3 && fields.at(1).endsWith(local) && fields.at(3) == "08";
    }
    return count;
}

// Phase of the older generation's upgrade page, as an updater reads it.
QString pagePhase(const QByteArray &page)
{
    if (page.lastIndexOf(SuccessPhrase.toLatin1()) > 388)
        return QStringLiteral("installed");
    if (page.contains("Erase Complete"))
        return QStringLiteral("writing");
    if (page.contains("Starting erase"))
        return QStringLiteral("erasing");
    return QStringLiteral("idle");
}
} // namespace

class tst_StationSim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void upload_logsWhatArrived_data();
    void upload_logsWhatArrived();
    void upload_statusWhileArriving();
    void uploadAnswerDelay_data();
    void uploadAnswerDelay();
    void flashingWalk_data();
    void flashingWalk();
    void upgradeStart_data();
    void upgradeStart();
    void reboot_data();
    void reboot();
    void commandLog_data();
    void commandLog();
    void pieces_data();
    void pieces();
    void statusOption_data();
    void statusOption();
    void silent_neverAnswers();
    void unboundedAnswers_data();
    void unboundedAnswers();
    void support_reportsFailures_data();
    void support_reportsFailures();

private:
    QTemporaryDir dir;
    QNetworkAccessManager nam;
};

void tst_StationSim::initTestCase()
{
    QVERIFY2(dir.isValid(), "cannot create a temporary directory");
}

void tst_StationSim::upload_logsWhatArrived_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<qint64>("fileSize");
    QTest::addColumn<qint64>("expectedSize");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<int>("httpStatus"); // 0: no answer

    QTest::newRow("empty file") << QStringList() << qint64(0) << qint64(0) << true << 200;
    QTest::newRow("one byte") << QStringList() << qint64(1) << qint64(1) << true << 200;
    QTest::newRow("3 MiB") << QStringList() << qint64(3 << 20) << qint64(3 << 20) << true << 200;
    QTest::newRow("older generation") << QStringList{QStringLiteral("--generation"), QStringLiteral("v11")}
                                      << qint64(70001) << qint64(70001) << true << 200;
    QTest::newRow("dropped after 100000")
        << QStringList{QStringLiteral("--drop-upload-after"), QStringLiteral("100000")} << qint64(1 << 20)
        << qint64(100000) << false << 0;
    QTest::newRow("--upload-status 500") << QStringList{QStringLiteral("--upload-status"), QStringLiteral("500")}
                                         << qint64(50000) << qint64(50000) << true << 500;
    QTest::newRow("--status 404 leaves the upload alone")
        << QStringList{QStringLiteral("--status"), QStringLiteral("404")} << qint64(50000) << qint64(50000) << true
        << 200;
    QTest::newRow("--reset-upload") << QStringList{QStringLiteral("--reset-upload")} << qint64(1 << 20)
                                    << qint64(1 << 20) << true << 0;
}

void tst_StationSim::upload_logsWhatArrived()
{
    QFETCH(QStringList, args);
    QFETCH(qint64, fileSize);
    QFETCH(qint64, expectedSize);
    QFETCH(bool, complete);
    QFETCH(int, httpStatus);

    StationSim sim(args);
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    const QByteArray content = randomBytes(fileSize);
    const QString path = writeFile(dir, QStringLiteral("vmlinuz20210125_v143"), content);
    QVERIFY2(!path.isEmpty(), "cannot write the image file");

    const Reply reply = upload(nam, sim, path, QStringLiteral("vmlinuz20210125_v143"));
    QCOMPARE(reply.status, httpStatus);
    if (httpStatus == 0) {
        // The code depends on where the cut meets Qt's writing (seen: RemoteHostClosed, UnknownNetwork).
        QVERIFY2(reply.error > QNetworkReply::NoError && reply.error < QNetworkReply::ProxyConnectionRefusedError,
                 qPrintable(QStringLiteral("no network failure but %1").arg(reply.error)));
    } else {
        QVERIFY2((reply.error == QNetworkReply::NoError) == (httpStatus == 200),
                 qPrintable(QStringLiteral("status %1 ended with error %2").arg(httpStatus).arg(reply.error)));
        QVERIFY2(reply.body.contains("Upload OK"), reply.body.constData());
    }

    QJsonObject entry;
    QTRY_VERIFY2_WITH_TIMEOUT(!(entry = lastEntry(sim, QStringLiteral("/file_upload_base"))).isEmpty(),
                              "the upload was not logged", ReplyTimeoutMs);
    const QJsonObject logged = entry.value(QStringLiteral("upload")).toObject();
    QCOMPARE(entry.value(QStringLiteral("method")).toString(), QStringLiteral("POST"));
    QCOMPARE(logged.value(QStringLiteral("contentType")).toString(),
             QStringLiteral("multipart/form-data; boundary=") + QString::fromLatin1(Boundary));
    QCOMPARE(logged.value(QStringLiteral("name")).toString(), QStringLiteral("file_upload_base"));
    QCOMPARE(logged.value(QStringLiteral("filename")).toString(), QStringLiteral("vmlinuz20210125_v143"));
    QCOMPARE(logged.value(QStringLiteral("partContentType")).toString(), QStringLiteral("application/octet-stream"));
    QCOMPARE(qint64(logged.value(QStringLiteral("size")).toDouble()), expectedSize);
    QCOMPARE(logged.value(QStringLiteral("sha256")).toString(),
             QString::fromLatin1(
                 QCryptographicHash::hash(content.left(int(expectedSize)), QCryptographicHash::Sha256).toHex()));
    QCOMPARE(logged.value(QStringLiteral("complete")).toBool(), complete);
    QCOMPARE(statusText(nam, sim),
             complete ? QStringLiteral("Verification Success. New Firmware Available") : QStringLiteral("Idle"));

    if (args.contains(QStringLiteral("v11"))) {
        const QByteArray page = get(nam, pageUrl(sim, QStringLiteral("firmware.html?rand=5"))).body;
        const QByteArray expected = "Firmware File is available, size is " + QByteArray::number(fileSize) + "<br>";
        QVERIFY2(page.indexOf(expected) > 0, page.constData());
    }
}

void tst_StationSim::upload_statusWhileArriving()
{
    StationSim sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    const QByteArray head = "--" + Boundary
                            + "\r\nContent-Disposition: form-data; name=\"file_upload_base\"; filename=\"fw.bin\"\r\n"
                              "Content-Type: application/octet-stream\r\n\r\n";
    const QByteArray content = randomBytes(8000);
    const QByteArray tail = "\r\n--" + Boundary + "--\r\n";
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, sim.port());
    QVERIFY2(socket.waitForConnected(ReplyTimeoutMs), qPrintable(socket.errorString()));
    socket.write("POST /file_upload_base HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: multipart/form-data; boundary="
                 + Boundary + "\r\nContent-Length: "
                 + QByteArray::number(head.size() + content.size() + tail.size()) + "\r\n\r\n" + head
                 + content.left(4000));
    QVERIFY(socket.waitForBytesWritten(ReplyTimeoutMs));
    QTRY_COMPARE_WITH_TIMEOUT(statusText(nam, sim), QStringLiteral("FILE"), ReplyTimeoutMs);
    socket.write(content.mid(4000) + tail);
    QTRY_COMPARE_WITH_TIMEOUT(statusText(nam, sim), QStringLiteral("Verification Success. New Firmware Available"),
                              ReplyTimeoutMs);
    QTRY_VERIFY2_WITH_TIMEOUT(socket.bytesAvailable() > 0, "the upload was not answered", ReplyTimeoutMs);
    QVERIFY2(socket.readAll().startsWith("HTTP/1.1 200"), "the upload was not answered with 200");
}

void tst_StationSim::uploadAnswerDelay_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<bool>("rebootWhileWaiting");

    QTest::newRow("answered late") << 1500 << false;
    QTest::newRow("reboot cuts the wait") << 2000 << true;
}

void tst_StationSim::uploadAnswerDelay()
{
    QFETCH(int, delayMs);
    QFETCH(bool, rebootWhileWaiting);

    StationSim sim({QStringLiteral("--upload-answer-delay"), QString::number(delayMs / 1000.0),
                    QStringLiteral("--advance-per-poll"), QStringLiteral("--reboot-seconds"), QStringLiteral("1")});
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    QElapsedTimer clock;
    clock.start();
    auto lastByte = std::make_shared<qint64>(-1);
    QNetworkReply *reply = post(nam, sim, writeFile(dir, QStringLiteral("fw.bin"), randomBytes(300000)),
                                QStringLiteral("fw.bin"));
    connect(reply, &QNetworkReply::uploadProgress, reply, [lastByte, clock](qint64 sent, qint64 total) {
        if (total > 0 && sent == total && *lastByte < 0)
            *lastByte = clock.elapsed();
    });
    QTRY_VERIFY2_WITH_TIMEOUT(!lastEntry(sim, QStringLiteral("/file_upload_base")).isEmpty(),
                              "the upload was not stored", ReplyTimeoutMs);

    // The station serves everything else while its answer to the POST waits.
    QCOMPARE(statusText(nam, sim), QStringLiteral("Verification Success. New Firmware Available"));
    QVERIFY2(!reply->isFinished(), "the POST was answered before its delay");
    const qint64 waitFrom = clock.elapsed();
    if (rebootWhileWaiting) {
        QCOMPARE(get(nam, pageUrl(sim, QStringLiteral("debug?reboot=1"))).error, QNetworkReply::NoError);
    } else {
        QCOMPARE(getJson(nam, sim, startCommand(QStringLiteral("fw.bin"))).value(QStringLiteral("result")).toString(),
                 QStringLiteral("OK"));
        QCOMPARE(statusText(nam, sim), QStringLiteral("Erasing Flash (1/5)"));
        QVERIFY2(!reply->isFinished(), "the POST was answered before its delay");
    }
    const Reply answer = finish(reply, delayMs + 2000);
    const qint64 endedAt = clock.elapsed();
    const qint64 lastByteAt = *lastByte;
    QVERIFY2(lastByteAt >= 0, "the last byte of the body never left");
    if (rebootWhileWaiting) {
        QVERIFY2(answer.error > QNetworkReply::NoError && answer.error < QNetworkReply::ProxyConnectionRefusedError,
                 qPrintable(QStringLiteral("the cut POST ended with %1").arg(answer.error)));
        QCOMPARE(answer.status, 0);
        QVERIFY2(endedAt - waitFrom < 1000,
                 qPrintable(QStringLiteral("the cut took %1 ms (%2)").arg(endedAt - waitFrom).arg(answer.error)));
        return;
    }
    QCOMPARE(answer.error, QNetworkReply::NoError);
    QCOMPARE(answer.status, 200);
    // Qt reports the last byte a little after the station has read it: allow for that hop.
    QVERIFY2(endedAt - lastByteAt >= delayMs - 50,
             qPrintable(QStringLiteral("answered %1 ms after the last byte").arg(endedAt - lastByteAt)));
    QTRY_VERIFY2_WITH_TIMEOUT(
        lastEntry(sim, QStringLiteral("/file_upload_base")).value(QStringLiteral("answered")).toBool(),
        "the answer was not logged", ReplyTimeoutMs);
}

void tst_StationSim::flashingWalk_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("pages");
    QTest::addColumn<QStringList>("expectedPhases");

    const QStringList jsonSteps{QStringLiteral("Erasing Flash (1/5)"), QStringLiteral("Verify Erased (2/5)"),
                                QStringLiteral("Writing Flash (3/5)"), QStringLiteral("Verify Write (4/5)"),
                                QStringLiteral("Rebooting (5/5)")};
    QTest::newRow("current, per poll") << QStringList{QStringLiteral("--advance-per-poll")} << false << jsonSteps;
    QTest::newRow("current, by the clock")
        << QStringList{QStringLiteral("--time-scale"), QStringLiteral("0.02")} << false << jsonSteps;
    QTest::newRow("current, per poll, every GET answered 500")
        << QStringList{QStringLiteral("--advance-per-poll"), QStringLiteral("--status"), QStringLiteral("500")}
        << false << jsonSteps;
    QTest::newRow("older generation, per poll")
        << QStringList{QStringLiteral("--generation"), QStringLiteral("v11"), QStringLiteral("--advance-per-poll")}
        << true << QStringList{QStringLiteral("erasing"), QStringLiteral("writing"), QStringLiteral("installed")};
    QTest::newRow("older generation, JSON status, per poll")
        << QStringList{QStringLiteral("--generation"), QStringLiteral("v11"), QStringLiteral("--advance-per-poll")}
        << false << QStringList(jsonSteps.mid(0, 4) << QStringLiteral("Success"));
    // A station that goes down answers no poll from then on; "" stands for a poll without an answer.
    QTest::newRow("current, per poll, down as step 3 begins")
        << QStringList{QStringLiteral("--advance-per-poll"), QStringLiteral("--down-at-step"), QStringLiteral("3")}
        << false << QStringList(jsonSteps.mid(0, 2) << QString());
    QTest::newRow("current, by the clock, down as step 2 begins")
        << QStringList{QStringLiteral("--time-scale"), QStringLiteral("0.05"), QStringLiteral("--down-at-step"),
                       QStringLiteral("2")}
        << false << QStringList{jsonSteps.at(0), QString()};
    QTest::newRow("older generation, per poll, down as step 1 begins")
        << QStringList{QStringLiteral("--generation"), QStringLiteral("v11"), QStringLiteral("--advance-per-poll"),
                       QStringLiteral("--down-at-step"), QStringLiteral("1")}
        << true << QStringList{QString()};
}

void tst_StationSim::flashingWalk()
{
    QFETCH(QStringList, args);
    QFETCH(bool, pages);
    QFETCH(QStringList, expectedPhases);
    const bool older = args.contains(QStringLiteral("v11"));
    const bool perPoll = args.contains(QStringLiteral("--advance-per-poll"));

    StationSim sim(args << QStringLiteral("--reboot-seconds") << QStringLiteral("1"));
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    const QString path = writeFile(dir, QStringLiteral("fw.bin"), randomBytes(4096));
    QCOMPARE(upload(nam, sim, path, QStringLiteral("fw.bin")).error, QNetworkReply::NoError);
    QCOMPARE(getJson(nam, sim, startCommand(QStringLiteral("fw.bin"))).value(QStringLiteral("result")).toString(),
             QStringLiteral("OK"));

    QStringList phases;
    int lastPercent = -1;
    QElapsedTimer clock;
    clock.start();
    for (int poll = 0; poll < 5000 && clock.elapsed() < 20000; ++poll) {
        QString phase;
        if (pages) {
            const QByteArray page = get(nam, pageUrl(sim, QStringLiteral("firmwareupg?rand=9"))).body;
            phase = page.isEmpty() ? QString() : pagePhase(page);
            if (phase == QLatin1String("installed"))
                QVERIFY2(page.indexOf(SuccessPhrase.toLatin1()) > 388, "success phrase within the first 388 bytes");
        } else {
            const QJsonObject status = getJson(nam, sim, StatusCommand);
            phase = status.value(QStringLiteral("paramStatus")).toString();
            const int percent = status.value(QStringLiteral("paramValue")).toInt(-1);
            if (!phases.isEmpty() && phase == phases.last() && perPoll)
                QVERIFY2(percent > lastPercent, qPrintable(QStringLiteral("%1 fell to %2 %").arg(phase).arg(percent)));
            lastPercent = percent;
        }
        if (phases.isEmpty() || phases.last() != phase)
            phases << phase;
        if (phase == expectedPhases.last())
            break;
    }
    if (perPoll) {
        QCOMPARE(phases, expectedPhases);
    } else {
        QCOMPARE(phases.last(), expectedPhases.last());
        int at = -1;
        for (const QString &phase : qAsConst(phases)) {
            const int next = int(expectedPhases.indexOf(phase));
            QVERIFY2(next > at, qPrintable(QStringLiteral("out of order: ") + phases.join(QLatin1String(", "))));
            at = next;
        }
    }

    if (args.contains(QStringLiteral("--down-at-step"))) {
        QTRY_VERIFY2_WITH_TIMEOUT(refused(sim.address()), "the station did not go down", ReplyTimeoutMs);
        for (clock.restart(); clock.elapsed() < 2000;)
            QVERIFY2(refused(sim.address()), "a station gone down listened again");
        return;
    }
    // The current generation restarts by itself; the older one waits for the updater.
    if (older) {
        for (clock.restart(); clock.elapsed() < 500;)
            QVERIFY2(pages ? !get(nam, pageUrl(sim, QStringLiteral("firmwareupg?rand=9"))).body.isEmpty()
                           : statusText(nam, sim) == expectedPhases.last(),
                     "the older generation restarted by itself");
        QCOMPARE(get(nam, pageUrl(sim, QStringLiteral("debug?reboot=1"))).error, QNetworkReply::NoError);
    }
    QTRY_VERIFY2_WITH_TIMEOUT(refused(sim.address()), "the station did not go away to restart", ReplyTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(getJson(nam, sim, VersionCommand).value(QStringLiteral("sysParamValue")).toString(),
                              QStringLiteral("143 20210125 V14.3"), 10000);
}

void tst_StationSim::upgradeStart_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("uploadFirst");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("status");

    QTest::newRow("no upload") << QStringList() << false << QStringLiteral("ERROR") << QStringLiteral("Idle");
    QTest::newRow("dropped upload") << QStringList{QStringLiteral("--drop-upload-after"), QStringLiteral("10")}
                                    << true << QStringLiteral("ERROR") << QStringLiteral("Idle");
    QTest::newRow("crc error") << QStringList{QStringLiteral("--crc-error"), QStringLiteral("--advance-per-poll")}
                               << true << QStringLiteral("OK") << QStringLiteral("CRC error in file");
    QTest::newRow("never starts") << QStringList{QStringLiteral("--never-start"), QStringLiteral("--advance-per-poll")}
                                  << true << QStringLiteral("OK")
                                  << QStringLiteral("Verification Success. New Firmware Available");
    QTest::newRow("older generation never starts")
        << QStringList{QStringLiteral("--generation"), QStringLiteral("v11"), QStringLiteral("--never-start"),
                       QStringLiteral("--advance-per-poll")}
        << true << QStringLiteral("OK") << QStringLiteral("Verification Success. New Firmware Available");
}

void tst_StationSim::upgradeStart()
{
    QFETCH(QStringList, args);
    QFETCH(bool, uploadFirst);
    QFETCH(QString, result);
    QFETCH(QString, status);

    StationSim sim(args);
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    if (uploadFirst)
        upload(nam, sim, writeFile(dir, QStringLiteral("fw.bin"), randomBytes(2048)), QStringLiteral("fw.bin"));
    QCOMPARE(getJson(nam, sim, startCommand(QStringLiteral("fw.bin"))).value(QStringLiteral("result")).toString(),
             result);
    for (int poll = 0; poll < 3; ++poll) {
        QCOMPARE(getJson(nam, sim, StatusCommand).value(QStringLiteral("paramStatus")).toString(), status);
        if (args.contains(QStringLiteral("v11")))
            QCOMPARE(pagePhase(get(nam, pageUrl(sim, QStringLiteral("firmwareupg?rand=9"))).body),
                     QStringLiteral("idle"));
    }
}

void tst_StationSim::reboot_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("comesBack");
    QTest::addColumn<QString>("mac"); // reported after the reboot

    const QString mac = QStringLiteral("0A:1B:2C:3D:4E:5F");
    QTest::newRow("comes back") << QStringList() << true << mac;
    QTest::newRow("no comeback") << QStringList{QStringLiteral("--no-comeback")} << false << mac;
    QTest::newRow("comes back at another address")
        << QStringList{QStringLiteral("--comeback-at"), QStringLiteral("127.0.0.3")} << true << mac;
    QTest::newRow("another station comes back at another address")
        << QStringList{QStringLiteral("--comeback-at"), QStringLiteral("127.0.0.3"), QStringLiteral("--comeback-mac"),
                       QStringLiteral("0A:1B:2C:3D:4E:99")}
        << true << QStringLiteral("0A:1B:2C:3D:4E:99");
}

void tst_StationSim::reboot()
{
    QFETCH(QStringList, args);
    QFETCH(bool, comesBack);
    QFETCH(QString, mac);

    StationSim sim(args << QStringLiteral("--reboot-seconds") << QStringLiteral("1"));
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    const Reply answer = get(nam, pageUrl(sim, QStringLiteral("debug?reboot=1")));
    QVERIFY2(answer.error == QNetworkReply::NoError && !answer.body.isEmpty(), "the reboot request got no answer");
    QTRY_VERIFY2_WITH_TIMEOUT(refused(sim.address()), "the port stayed open after the reboot request", ReplyTimeoutMs);

    QElapsedTimer clock;
    clock.start();
    if (comesBack) {
        const QString back = sim.addressAfterReboot();
        QTRY_VERIFY2_WITH_TIMEOUT(!refused(back), "the station did not come back", 5000);
        QVERIFY2(clock.elapsed() > 300, "the station came back before its reboot time");
        if (back != sim.address())
            QVERIFY2(refused(sim.address()), "the station still listens at its old address");
        const QJsonObject version = QJsonDocument::fromJson(get(nam, commandUrl(back, VersionCommand)).body).object();
        QCOMPARE(version.value(QStringLiteral("sysParamValue")).toString(), QStringLiteral("143 20201120 V14.2"));
        QCOMPARE(version.value(QStringLiteral("macAddr")).toString(), mac);
    } else {
        while (clock.elapsed() < 2500)
            QVERIFY2(refused(sim.address()), "a station with --no-comeback listened again");
    }
}

void tst_StationSim::commandLog_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("jsonString");
    QTest::addColumn<bool>("parses");
    QTest::addColumn<int>("httpStatus");
    QTest::addColumn<bool>("jsonReply");

    QTest::newRow("version") << QStringList() << VersionCommand << true << 200 << true;
    QTest::newRow("configuration") << QStringList()
                                   << QStringLiteral(R"({"cmdType":2,"portId":0,"sysParamType":28,"sysParamValue":{}})")
                                   << true << 200 << true;
    QTest::newRow("reset with space and umlaut")
        << QStringList() << QStringLiteral(R"({"cmdType":2,"portId":0,"sysParamType":27,"sysParamValue":0, "x":"ü"})")
        << true << 200 << true;
    QTest::newRow("not json") << QStringList() << QStringLiteral("hello") << false << 400 << true;
    QTest::newRow("--not-json version") << QStringList{QStringLiteral("--not-json")} << VersionCommand << true << 200
                                        << false;
}

void tst_StationSim::commandLog()
{
    QFETCH(QStringList, args);
    QFETCH(QString, jsonString);
    QFETCH(bool, parses);
    QFETCH(int, httpStatus);
    QFETCH(bool, jsonReply);

    StationSim sim(args);
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    const QUrl url(commandUrl(sim.address(), jsonString), QUrl::TolerantMode);
    const Reply reply = get(nam, url.toString());
    QCOMPARE(reply.status, httpStatus);
    QCOMPARE(QJsonDocument::fromJson(reply.body).isObject(), jsonReply);

    QJsonObject entry;
    QTRY_VERIFY2_WITH_TIMEOUT(!(entry = lastEntry(sim, QStringLiteral("/getJson.json"))).isEmpty(),
                              "the command was not logged", ReplyTimeoutMs);
    QCOMPARE(entry.value(QStringLiteral("target")).toString(),
             QString::fromLatin1(url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority)));
    QCOMPARE(entry.value(QStringLiteral("jsonString")).toString(), jsonString);
    QCOMPARE(entry.value(QStringLiteral("json")).isObject(), parses);
    if (!parses)
        QVERIFY2(entry.value(QStringLiteral("json")).isNull(), "an unparsable command must log json as null");
}

void tst_StationSim::pieces_data()
{
    QTest::addColumn<int>("pieces");
    QTest::newRow("whole") << 1;
    QTest::newRow("three pieces") << 3;
}

void tst_StationSim::pieces()
{
    QFETCH(int, pieces);
    StationSim sim({QStringLiteral("--pieces"), QString::number(pieces), QStringLiteral("--piece-ms"),
                    QStringLiteral("60")});
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    const Reply reply = get(nam, commandUrl(sim.address(), VersionCommand));
    QCOMPARE(reply.error, QNetworkReply::NoError);
    QCOMPARE(QJsonDocument::fromJson(reply.body).object().value(QStringLiteral("macAddr")).toString(),
             QStringLiteral("0A:1B:2C:3D:4E:5F"));
    QVERIFY2(reply.pieces >= pieces, qPrintable(QStringLiteral("body came in %1 reads").arg(reply.pieces)));
}

void tst_StationSim::statusOption_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("httpStatus");
    QTest::addColumn<QNetworkReply::NetworkError>("error");
    QTest::addColumn<QByteArray>("bodyHolds");

    const QString version = QStringLiteral("getJson.json?rand=1&jsonString=") + VersionCommand;
    const QStringList v11{QStringLiteral("--generation"), QStringLiteral("v11")};
    auto status = [](const char *n) { return QStringList{QStringLiteral("--status"), QLatin1String(n)}; };
    QTest::newRow("command 404") << status("404") << version << 404 << QNetworkReply::ContentNotFoundError
                                 << QByteArray("\"sysParamValue\":\"143 20201120 V14.2\"");
    QTest::newRow("command 500") << status("500") << version << 500 << QNetworkReply::InternalServerError
                                 << QByteArray("\"macAddr\":\"0A:1B:2C:3D:4E:5F\"");
    QTest::newRow("page 500") << (status("500") << v11) << QStringLiteral("firmware.html?rand=3") << 500
                              << QNetworkReply::InternalServerError << QByteArray("No firmware file uploaded");
    QTest::newRow("page 201") << (status("201") << v11) << QStringLiteral("firmwareupg?rand=3") << 201
                              << QNetworkReply::NoError << QByteArray("No upgrade in progress");
    QTest::newRow("reboot address 404") << status("404") << QStringLiteral("debug?reboot=1") << 404
                                        << QNetworkReply::ContentNotFoundError << QByteArray("Rebooting...");
    QTest::newRow("unknown path 500") << status("500") << QStringLiteral("nothing.html") << 500
                                      << QNetworkReply::InternalServerError
                                      << QByteArray("The requested page was not found.");
    QTest::newRow("unknown path 200") << status("200") << QStringLiteral("nothing.html") << 200
                                      << QNetworkReply::NoError << QByteArray("The requested page was not found.");
}

void tst_StationSim::statusOption()
{
    QFETCH(QStringList, args);
    QFETCH(QString, target);
    QFETCH(int, httpStatus);
    QFETCH(QNetworkReply::NetworkError, error);
    QFETCH(QByteArray, bodyHolds);

    StationSim sim(args << QStringLiteral("--reboot-seconds") << QStringLiteral("1"));
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    const Reply reply = get(nam, pageUrl(sim, target));
    QCOMPARE(reply.status, httpStatus);
    QCOMPARE(reply.error, error);
    QVERIFY2(reply.body.contains(bodyHolds), reply.body.constData());
    QVERIFY2(reply.pieces > 0, "the body did not come through readyRead");
    if (target.startsWith(QLatin1String("debug?reboot=1")))
        QTRY_VERIFY2_WITH_TIMEOUT(refused(sim.address()), "the station did not reboot", ReplyTimeoutMs);
}

void tst_StationSim::silent_neverAnswers()
{
    StationSim sim({QStringLiteral("--silent")});
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    const Reply reply = get(nam, commandUrl(sim.address(), VersionCommand), 700);
    QCOMPARE(reply.error, QNetworkReply::OperationCanceledError);
    QVERIFY2(reply.body.isEmpty(), "a silent station answered");
    QVERIFY2(!lastEntry(sim, QStringLiteral("/getJson.json")).isEmpty(), "the silent station did not log the request");
}

void tst_StationSim::unboundedAnswers_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<int>("readMs");
    // Body bytes read within readMs.
    QTest::addColumn<int>("minBytes");
    QTest::addColumn<int>("maxBytes");
    // The client hangs up then; otherwise the station ends the answer.
    QTest::addColumn<bool>("hangUp");

    const QStringList drip{QStringLiteral("--drip"), QStringLiteral("/getJson.json"), QStringLiteral("--drip-seconds")};
    QTest::newRow("endless") << QStringList{QStringLiteral("--endless"), QStringLiteral("/getJson.json")}
                             << QByteArray("Connection: close") << 500 << (2 << 20) << INT_MAX << true;
    QTest::newRow("dripping, a byte in 5 s") << drip + QStringList{QStringLiteral("5")}
                                             << QByteArray("Content-Length: ") << 1000 << 1 << 1 << true;
    QTest::newRow("dripping until the lifetime ends")
        << drip + QStringList{QStringLiteral("0.3"), QStringLiteral("--lifetime"), QStringLiteral("2")}
        << QByteArray("Content-Length: ") << 1000 << 2 << 5 << false;
    QTest::newRow("gzip bomb") << QStringList{QStringLiteral("--gzip-bomb"), QStringLiteral("/getJson.json")}
                               << QByteArray("Content-Encoding: gzip") << 500 << 1000 << 4096 << true;
}

void tst_StationSim::unboundedAnswers()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, header);
    QFETCH(int, readMs);
    QFETCH(int, minBytes);
    QFETCH(int, maxBytes);
    QFETCH(bool, hangUp);

    StationSim sim(args);
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, sim.port());
    QVERIFY(client.waitForConnected(ReplyTimeoutMs));
    client.write("GET /getJson.json?rand=1&jsonString=" + QUrl::toPercentEncoding(VersionCommand)
                 + " HTTP/1.1\r\nHost: station\r\nAccept-Encoding: br, gzip\r\n\r\n");
    QByteArray head; // and the first bytes of the body
    qint64 received = 0;
    QElapsedTimer clock;
    clock.start();
    while (!clock.hasExpired(readMs) && client.waitForReadyRead(int(qMax<qint64>(1, readMs - clock.elapsed())))) {
        const QByteArray bytes = client.readAll();
        received += bytes.size();
        if (head.size() < 4096)
            head += bytes.left(4096);
    }
    const qint64 body = received - head.indexOf("\r\n\r\n") - 4;
    QVERIFY2(head.contains("\r\n" + header), head.constData());
    QVERIFY2(body >= minBytes && body <= maxBytes, qPrintable(QStringLiteral("%1 body bytes").arg(body)));
    if (!hangUp) {
        QVERIFY2(client.waitForDisconnected(5000), "the station did not end its answer");
        return;
    }
    client.close();
    QTRY_VERIFY2_WITH_TIMEOUT(halfClosed(sim.port()) == 0, "the station did not end the answer of a client gone", 1000);
}

void tst_StationSim::support_reportsFailures_data()
{
    QTest::addColumn<bool>("remote");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("reason");

    QTest::newRow("remote without namespace") << true << QStringList() << QStringLiteral("VMFWUPD_STATION_NETNS");
    QTest::newRow("bad option") << false << QStringList{QStringLiteral("--mac"), QStringLiteral("short")}
                                << QStringLiteral("--mac");
    QTest::newRow("status without a body") << false << QStringList{QStringLiteral("--status"), QStringLiteral("204")}
                                           << QStringLiteral("invalid value for --status: 204");
    QTest::newRow("status 304") << false << QStringList{QStringLiteral("--status"), QStringLiteral("304")}
                                << QStringLiteral("invalid value for --status: 304");
    QTest::newRow("upload status 600") << false
                                       << QStringList{QStringLiteral("--upload-status"), QStringLiteral("600")}
                                       << QStringLiteral("invalid value for --upload-status: 600");
    QTest::newRow("upload status 205") << false
                                       << QStringList{QStringLiteral("--upload-status"), QStringLiteral("205")}
                                       << QStringLiteral("invalid value for --upload-status: 205");
    QTest::newRow("negative answer delay")
        << false << QStringList{QStringLiteral("--upload-answer-delay"), QStringLiteral("-0.5")}
        << QStringLiteral("invalid value for --upload-answer-delay: -0.5");
}

void tst_StationSim::support_reportsFailures()
{
    QFETCH(bool, remote);
    QFETCH(QStringList, args);
    QFETCH(QString, reason);

    qunsetenv("VMFWUPD_STATION_NETNS");
    qunsetenv("VMFWUPD_STATION_IP");
    StationSim sim = remote ? StationSim::onStationHost(args) : StationSim(args);
    QVERIFY2(!sim.start(), "start() succeeded");
    QVERIFY2(sim.errorString().contains(reason), qPrintable(sim.errorString()));
}

QTEST_GUILESS_MAIN(tst_StationSim)
#include "tst_stationsim.moc"
