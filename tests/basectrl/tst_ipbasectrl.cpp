#include "fakereply.h"
#include "ipbasectrl.h"
#include "randsequence.h"
#include "stationsim.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

enum class Op { GetVersion, GetConfig, SetDefaultConfig, DoReboot, FirmwareUpgrade,
                FwUploadStatus, FwUpgStatus, FwUpgStatusV11 };
enum class Slot { GetVersion, GetConfig, SetDefaultConfig, FwUpgStatus, FwUploadStatus,
                  FwUpgStatusV11, FirmwareUpgrade, DoReboot, Status };

const QString firmwareName = QStringLiteral("vmlinuz20210125_v143");
const QString boundary = QStringLiteral("----WebKitFormBoundaryHtZmoCi3x1Jn5Cv2");
// Stands for a version reply that failed in the network.
constexpr char cutOff[] = "(cut off)";

void send(IpBaseCtrl &ctrl, Op op, const QString &address)
{
    switch (op) {
    case Op::GetVersion: ctrl.requestGetVersion(address); break;
    case Op::GetConfig: ctrl.requestGetConfig(address); break;
    case Op::SetDefaultConfig: ctrl.requestSetDefaultConfig(address); break;
    case Op::DoReboot: ctrl.requestDoReboot(address); break;
    case Op::FirmwareUpgrade: ctrl.requestFirmwareUpgrade(address, "/opt/fw/" + firmwareName); break;
    case Op::FwUploadStatus: ctrl.requestFwUploadStatus(address); break;
    case Op::FwUpgStatus: ctrl.requestFwUpgStatus(address); break;
    case Op::FwUpgStatusV11: ctrl.requestFwUpgStatusV11(address); break;
    }
}

void bindSlot(QNetworkReply *reply, IpBaseCtrl &ctrl, Slot slot)
{
    static const QMap<Slot, void (IpBaseCtrl::*)()> handlers{
        {Slot::GetVersion, &IpBaseCtrl::onRequestGetVersion},
        {Slot::GetConfig, &IpBaseCtrl::onRequestGetConfig},
        {Slot::SetDefaultConfig, &IpBaseCtrl::onRequestSetDefaultConfig},
        {Slot::FwUpgStatus, &IpBaseCtrl::onRequestFwUpgStatus},
        {Slot::FwUploadStatus, &IpBaseCtrl::onRequestFwUploadStatus},
        {Slot::FwUpgStatusV11, &IpBaseCtrl::onRequestFwUpgStatusV11},
        {Slot::FirmwareUpgrade, &IpBaseCtrl::onRequestFirmwareUpgrade},
        {Slot::DoReboot, &IpBaseCtrl::onRequestDoReboot},
        {Slot::Status, &IpBaseCtrl::onRequestStatus},
    };
    QObject::connect(reply, &QNetworkReply::finished, &ctrl, handlers.value(slot));
}

int liveReplies(const IpBaseCtrl &ctrl)
{
    return int(ctrl.findChildren<QNetworkReply *>().size());
}

bool allReleased(const IpBaseCtrl &ctrl, int timeoutMs = 5000)
{
    return QTest::qWaitFor([&ctrl]() { return liveReplies(ctrl) == 0; }, timeoutMs);
}

QString writeImage(const QTemporaryDir &dir, const QString &name, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(QRandomGenerator::global()->bounded(256));
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != size)
        return {};
    return file.fileName();
}

QString sha256Hex(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex());
}

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort(); // closed again when probe goes
}

QVector<QJsonObject> entriesFrom(const StationSim &sim, int from)
{
    return sim.log().mid(from);
}

QVariantList report(int p, int q, const QString &src, const QString &msg, int stat)
{
    return {p, q, src, msg, stat};
}

// A station that answers every request with the same raw bytes, then hangs up; it keeps what it was sent.
class RawPeer : public QObject
{
public:
    explicit RawPeer(const QByteArray &answer)
    {
        server.listen(QHostAddress::LocalHost);
        connect(&server, &QTcpServer::newConnection, this, [this, answer] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, answer] {
                    received += socket->readAll();
                    if (received.endsWith("\r\n\r\n")) {
                        socket->write(answer);
                        socket->disconnectFromHost();
                    }
                });
            }
        });
    }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(server.serverPort()); }
    QByteArray received;

private:
    QTcpServer server;
};

} // namespace

Q_DECLARE_METATYPE(Op)
Q_DECLARE_METATYPE(Slot)

class tst_IpBaseCtrl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void commandWireForm_data();
    void commandWireForm();
    void randSequence();
    void replyReports_data();
    void replyReports();
    void answersOverTheWire_data();
    void answersOverTheWire();
    void v11PageReports();
    void stationGenerations_data();
    void stationGenerations();
    void uploadProgressReports_data();
    void uploadProgressReports();
    void uploadRefused_data();
    void uploadRefused();
    void uploadNetworkError_data();
    void uploadNetworkError();
    void startUpgradeFileName_data();
    void startUpgradeFileName();
    void startUpgradeGuard();

private:
    std::unique_ptr<StationSim> station;
    QTemporaryDir dir;
};

void tst_IpBaseCtrl::initTestCase()
{
    QVERIFY2(dir.isValid(), "no temporary directory");
    station = std::make_unique<StationSim>(QStringList{"--version", "143 20201120 V14.2",
                                                       "--reboot-seconds", "0.3", "--lifetime", "120"});
    QVERIFY2(station->start(), qPrintable(station->errorString()));
}

// Several cases reboot the shared station: start each once it answers again.
void tst_IpBaseCtrl::init()
{
    IpBaseCtrl ctrl;
    QSignalSpy device(&ctrl, &IpBaseCtrl::deviceStat);
    const bool up = QTest::qWaitFor([&]() {
        if (liveReplies(ctrl) == 0)
            ctrl.requestGetVersion(station->address());
        return !device.isEmpty();
    }, 10000);
    QVERIFY2(up, "the shared station does not answer");
    QVERIFY2(allReleased(ctrl), "a version request hangs");
}

void tst_IpBaseCtrl::commandWireForm_data()
{
    QTest::addColumn<Op>("op");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("json");
    // Get-version answers that reach the controller before the request is sent: they decide its mode.
    QTest::addColumn<QByteArrayList>("versionReplies");

    const QByteArrayList normal;
    const QString cmd = QStringLiteral("/getJson.json?rand={r}&jsonString=");
    const QString status = QStringLiteral(R"({"cmdType":1,"portId":0,"paramId":26,"paramValue":{}})");
    const QString statusWire = cmd + "%7B%22cmdType%22:1,%22portId%22:0,%22paramId%22:26,%22paramValue%22:%7B%7D%7D";
    QTest::newRow("get version") << Op::GetVersion
        << cmd + "%7B%22cmdType%22:2,%22portId%22:0,%22sysParamType%22:6,%22sysParamValue%22:%7B%7D%7D"
        << R"({"cmdType":2,"portId":0,"sysParamType":6,"sysParamValue":{}})" << normal;
    QTest::newRow("get config") << Op::GetConfig
        << cmd + "%7B%22cmdType%22:2,%22portId%22:0,%22sysParamType%22:28,%22sysParamValue%22:%7B%7D%7D"
        << R"({"cmdType":2,"portId":0,"sysParamType":28,"sysParamValue":{}})" << normal;
    QTest::newRow("set default config") << Op::SetDefaultConfig
        << cmd + "%7B%22cmdType%22:2,%22portId%22:0,%22sysParamType%22:27,%22sysParamValue%22:0%7D"
        << R"({"cmdType":2,"portId":0,"sysParamType":27,"sysParamValue":0})" << normal;
    QTest::newRow("start upgrade") << Op::FirmwareUpgrade
        << cmd + "%7B%22cmdType%22:1,%22portId%22:0,%22paramId%22:25,%22paramValue%22:%22vmlinuz20210125_v143%22%7D"
        << R"({"cmdType":1,"portId":0,"paramId":25,"paramValue":"vmlinuz20210125_v143"})" << normal;
    QTest::newRow("upgrade status") << Op::FwUpgStatus << statusWire << status << normal;
    QTest::newRow("upload status, normal mode") << Op::FwUploadStatus << statusWire << status << normal;
    QTest::newRow("V11 status, normal mode") << Op::FwUpgStatusV11 << statusWire << status << normal;
    QTest::newRow("reboot") << Op::DoReboot << "/debug?reboot=1" << QString() << normal;

    const QByteArrayList older{R"({"sysParamValue":"VOIP_EN 11.7 20190301"})"};
    QTest::newRow("V11 mode kept by a failed version reply") << Op::FwUploadStatus << "/firmware.html?rand={r}"
        << QString() << older + QByteArrayList{cutOff};
    QTest::newRow("V11 mode left on an unreadable version reply") << Op::FwUploadStatus << statusWire << status
        << older + QByteArrayList{"<html/>"};
}

void tst_IpBaseCtrl::commandWireForm()
{
    QFETCH(Op, op);
    QFETCH(QString, target);
    QFETCH(QString, json);
    QFETCH(QByteArrayList, versionReplies);

    IpBaseCtrl ctrl;
    for (const QByteArray &body : versionReplies) {
        const auto error = body == cutOff ? QNetworkReply::RemoteHostClosedError : QNetworkReply::NoError;
        auto *reply = new FakeReply(body, error);
        bindSlot(reply, ctrl, Slot::GetVersion);
        emit reply->finished();
    }
    const auto before = station->log().size();
    const int r = restartRandSequence(1).at(0);
    send(ctrl, op, station->address());
    QTRY_COMPARE_WITH_TIMEOUT(station->log().size(), before + 1, 5000);
    const QJsonObject entry = station->log().at(before);
    QCOMPARE(entry.value("method").toString(), QStringLiteral("GET"));
    QCOMPARE(entry.value("target").toString(), target.replace("{r}", QString::number(r)));
    QCOMPARE(entry.value("jsonString").toString(), json);
    if (!json.isEmpty())
        QVERIFY2(entry.value("json").isObject(), "the station could not parse the command");
}

void tst_IpBaseCtrl::randSequence()
{
    IpBaseCtrl ctrl;
    const QVector<int> expected = restartRandSequence(5);
    const auto before = station->log().size();
    // The guard holds the second start-upgrade command back before it draws a number.
    const Op ops[] = {Op::GetVersion, Op::GetConfig, Op::FirmwareUpgrade, Op::FirmwareUpgrade, Op::FwUpgStatus,
                      Op::SetDefaultConfig, Op::DoReboot};
    for (Op op : ops) {
        send(ctrl, op, station->address());
        QTRY_COMPARE_WITH_TIMEOUT(liveReplies(ctrl), 0, 5000);
    }
    QTRY_COMPARE_WITH_TIMEOUT(station->log().size(), before + 6, 5000);
    QVector<int> drawn;
    const QVector<QJsonObject> entries = entriesFrom(*station, int(before));
    for (const QJsonObject &entry : entries) {
        const QUrlQuery query(QUrl(entry.value("target").toString()));
        if (query.hasQueryItem("rand"))
            drawn << query.queryItemValue("rand").toInt();
    }
    QCOMPARE(drawn, expected);
}

void tst_IpBaseCtrl::replyReports_data()
{
    QTest::addColumn<Slot>("slot");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QNetworkReply::NetworkError>("error");
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<QVariantList>("args");

    const QByteArray none;
    const QVariantList noArgs;
    // Failed in the network, or answered whole with an error status: Qt sets these codes on finishing.
    const auto ok = QNetworkReply::NoError;
    const auto reset = QNetworkReply::RemoteHostClosedError;
    const auto timedOut = QNetworkReply::OperationCanceledError;
    const auto status404 = QNetworkReply::ContentNotFoundError;
    const auto status500 = QNetworkReply::InternalServerError;
    const QByteArray ver("deviceStat");
    QTest::newRow("version V14") << Slot::GetVersion
        << QByteArray(R"({"sysParamValue":"143 20201120 V14.2","macAddr":"0A:1B:2C:3D:4E:5F","x":1})")
        << ok << ver << QVariantList{"143 20201120 V14.2", "0A:1B:2C:3D:4E:5F"};
    QTest::newRow("version VOIP_EN") << Slot::GetVersion
        << QByteArray(R"({"sysParamValue":"VOIP_EN","macAddr":"m"})") << ok << ver << QVariantList{"v11.x", "m"};
    QTest::newRow("version with VOIP_EN inside") << Slot::GetVersion
        << QByteArray(R"({"sysParamValue":"xVOIP_EN 11.7y","macAddr":"m"})") << ok << ver << QVariantList{"v11.x", "m"};
    QTest::newRow("version voip_en lower case") << Slot::GetVersion
        << QByteArray(R"({"sysParamValue":"voip_en 11.7","macAddr":"m"})") << ok << ver << QVariantList{"voip_en 11.7", "m"};
    QTest::newRow("version as number") << Slot::GetVersion
        << QByteArray(R"({"sysParamValue":143,"macAddr":"m"})") << ok << ver << QVariantList{"", "m"};
    QTest::newRow("version without MAC") << Slot::GetVersion
        << QByteArray(R"({"sysParamValue":"V14.3"})") << ok << ver << QVariantList{"V14.3", ""};
    QTest::newRow("version not JSON") << Slot::GetVersion << QByteArray("<html/>") << ok << ver << QVariantList{"", ""};
    QTest::newRow("version cut off") << Slot::GetVersion
        << QByteArray(R"({"sysParamValue":"V14.3"})") << reset << none << noArgs;
    QTest::newRow("version answered 404") << Slot::GetVersion
        << QByteArray(R"({"sysParamValue":"V14.3","macAddr":"m"})") << status404 << ver << QVariantList{"V14.3", "m"};

    const QByteArray cfg("cfgJsonUpd");
    const QByteArray raw("{\"a\": 1}\n%s %n 100%");
    QTest::newRow("config passed on as is") << Slot::GetConfig << raw << ok << cfg << QVariantList{raw};
    QTest::newRow("config timed out") << Slot::GetConfig << raw << timedOut << none << noArgs;
    QTest::newRow("config answered 500") << Slot::GetConfig << raw << status500 << cfg << QVariantList{raw};

    const QByteArray prog("progressUpd");
    QTest::newRow("reset, any body") << Slot::SetDefaultConfig << QByteArray("x") << ok << prog
        << report(100, 100, "Config", "Default Configuration set successfully", 0);
    QTest::newRow("reset failed") << Slot::SetDefaultConfig << QByteArray("x") << reset << none << noArgs;

    auto status = [](const char *text, const char *value) {
        return QByteArray(R"({"paramStatus":")") + text + R"(","paramValue":)" + value + "}";
    };
    QTest::newRow("status Idle") << Slot::FwUpgStatus << status("Idle", "0") << ok << prog
        << report(0, 1, "Idle", "Upgrade Idle", 0);
    QTest::newRow("status 1/5") << Slot::FwUpgStatus << status("Erasing Flash (1/5)", "12") << ok << prog
        << report(12, 2, "Erasing Flash (1/5)", "Upgrade Erasing Flash (1/5)", 0);
    QTest::newRow("status 2/5") << Slot::FwUpgStatus << status("Verify Erased (2/5)", "40") << ok << prog
        << report(40, 3, "Verify Erased (2/5)", "Upgrade Verify Erased (2/5)", 0);
    QTest::newRow("status 3/5") << Slot::FwUpgStatus << status("Writing Flash (3/5)", "55") << ok << prog
        << report(55, 4, "Writing Flash (3/5)", "Upgrade Writing Flash (3/5)", 0);
    QTest::newRow("status 4/5") << Slot::FwUpgStatus << status("Verify Write (4/5)", "99") << ok << prog
        << report(99, 5, "Verify Write (4/5)", "Upgrade Verify Write (4/5)", 0);
    QTest::newRow("status Rebooting") << Slot::FwUpgStatus << status("Rebooting (5/5)", "77") << ok << prog
        << report(0, 6, "Rebooting (5/5)", "Upgrade Rebooting (5/5)", 3);
    QTest::newRow("status CRC error") << Slot::FwUpgStatus << status("CRC error in file", "0") << ok << prog
        << report(0, 1, "CRC error in file", "Upgrade CRC error in file", 0);
    QTest::newRow("status with percent signs") << Slot::FwUpgStatus << status("50% %1 %s", "5") << ok << prog
        << report(5, 1, "50% %1 %s", "Upgrade 50% %1 %s", 0);
    QTest::newRow("status not JSON") << Slot::FwUpgStatus << QByteArray("Rebooting") << ok << prog
        << report(0, 1, "", "Upgrade ", 0);
    QTest::newRow("status failed") << Slot::FwUpgStatus << status("Rebooting (5/5)", "0") << reset << none << noArgs;
    QTest::newRow("status answered 500") << Slot::FwUpgStatus << status("Writing Flash (3/5)", "55") << status500
        << prog << report(55, 4, "Writing Flash (3/5)", "Upgrade Writing Flash (3/5)", 0);

    // A fresh controller has sent no image: its fileSize is 0.
    const QByteArray page("<p>Firmware File is available, size is %1<br>");
    QTest::newRow("upload page, size matches") << Slot::FwUploadStatus << QByteArray(page).replace("%1", "0")
        << ok << prog << report(100, 1, "Verification Success", "Upload Complete", 2);
    QTest::newRow("upload page, size differs") << Slot::FwUploadStatus << QByteArray(page).replace("%1", "5")
        << ok << prog << report(100, 0, "Upload Error", "Upload Error", 4);
    QTest::newRow("upload page, phrase at 0") << Slot::FwUploadStatus << page.mid(3).replace("%1", "0")
        << ok << none << noArgs;
    QTest::newRow("upload page failed") << Slot::FwUploadStatus << QByteArray(page).replace("%1", "0")
        << timedOut << none << noArgs;
    QTest::newRow("upload page answered 404") << Slot::FwUploadStatus << QByteArray(page).replace("%1", "0")
        << status404 << prog << report(100, 1, "Verification Success", "Upload Complete", 2);

    QTest::newRow("start reply not examined") << Slot::FirmwareUpgrade << QByteArray("ERROR") << ok << none << noArgs;
    QTest::newRow("reboot reply") << Slot::DoReboot << QByteArray("ok") << ok << none << noArgs;
    QTest::newRow("general reply") << Slot::Status << QByteArray("%s%s%n") << ok << none << noArgs;
}

void tst_IpBaseCtrl::replyReports()
{
    QFETCH(Slot, slot);
    QFETCH(QByteArray, body);
    QFETCH(QNetworkReply::NetworkError, error);
    QFETCH(QByteArray, signal);
    QFETCH(QVariantList, args);

    IpBaseCtrl ctrl;
    QSignalSpy device(&ctrl, &IpBaseCtrl::deviceStat);
    QSignalSpy config(&ctrl, &IpBaseCtrl::cfgJsonUpd);
    QSignalSpy progress(&ctrl, &IpBaseCtrl::progressUpd);
    QPointer<FakeReply> reply = new FakeReply(body, error);
    bindSlot(reply, ctrl, slot);
    emit reply->finished();

    const QMap<QByteArray, QSignalSpy *> spies{{"deviceStat", &device}, {"cfgJsonUpd", &config},
                                               {"progressUpd", &progress}};
    for (auto it = spies.cbegin(); it != spies.cend(); ++it)
        QCOMPARE(it.value()->size(), it.key() == signal ? 1 : 0);
    if (!signal.isEmpty())
        QCOMPARE(spies.value(signal)->at(0), args);
    QTRY_VERIFY2_WITH_TIMEOUT(reply.isNull(), "the reply was not released", 1000);
}

void tst_IpBaseCtrl::answersOverTheWire_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("shown");

    const QByteArray body(R"({"sysParamValue":"143 20201120 V14.2","macAddr":"0A:1B:2C:3D:4E:5F"})");
    const QByteArray head = "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size())
                            + "\r\n\r\n";
    // A station chooses its status lines freely: any whole answer is read.
    for (const char *status : {"200 OK", "400 Bad Request", "401 Unauthorized", "403 Forbidden", "404 Not Found",
                               "405 Method Not Allowed", "409 Conflict", "410 Gone", "418 I'm a teapot",
                               "451 Unavailable For Legal Reasons", "500 Internal Server Error",
                               "501 Not Implemented", "503 Service Unavailable", "599 Station Busy"}) {
        QTest::newRow(status) << "HTTP/1.1 " + QByteArray(status) + "\r\n" + head + body << true;
    }
    // A redirect too is the station's answer: it is read, never followed.
    for (const char *status : {"301 Moved Permanently", "302 Found", "303 See Other", "307 Temporary Redirect",
                               "308 Permanent Redirect"}) {
        QTest::newRow(status) << "HTTP/1.1 " + QByteArray(status) + "\r\nLocation: /elsewhere\r\n" + head + body
                              << true;
    }
    QTest::newRow("404, chunked") << "HTTP/1.1 404 Not Found\r\nTransfer-Encoding: chunked\r\n\r\n"
                                         + QByteArray::number(body.size(), 16) + "\r\n" + body + "\r\n0\r\n\r\n"
                                  << true;
    QTest::newRow("404, ended by closing") << "HTTP/1.0 404 Not Found\r\n\r\n" + body << true;
    // Cut short: the station closes before the length it announced.
    QTest::newRow("200, cut short") << "HTTP/1.1 200 OK\r\n" + head + body.left(20) << false;
    QTest::newRow("404, cut short") << "HTTP/1.1 404 Not Found\r\n" + head + body.left(20) << false;
    QTest::newRow("500, cut short") << "HTTP/1.1 500 Internal Server Error\r\n" + head << false;
    QTest::newRow("closed before answering") << QByteArray() << false;
}

void tst_IpBaseCtrl::answersOverTheWire()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, shown);

    RawPeer peer(answer);
    IpBaseCtrl ctrl;
    QSignalSpy device(&ctrl, &IpBaseCtrl::deviceStat);
    ctrl.requestGetVersion(peer.address());
    QVERIFY2(allReleased(ctrl, 10000), "the reply did not end");
    QVERIFY2(peer.received.startsWith("GET /getJson.json?rand="), peer.received.constData());
    QVERIFY2(!peer.received.contains("Upgrade") && !peer.received.contains("HTTP2"), "HTTP/1.1 only");
    QCOMPARE(device.size(), shown ? 1 : 0);
    if (shown) {
        QCOMPARE(device.at(0), (QVariantList{"143 20201120 V14.2", "0A:1B:2C:3D:4E:5F"}));
        QCOMPARE(peer.received.count("GET "), 1);
    }
}

void tst_IpBaseCtrl::v11PageReports()
{
    IpBaseCtrl ctrl;
    auto *older = new FakeReply(R"({"sysParamValue":"VOIP_EN 11.7 20190301"})");
    bindSlot(older, ctrl, Slot::GetVersion);
    emit older->finished();
    // The V11 success reboots the address of the last request sent: not an earlier command's, nor that of a
    // start-upgrade command that the guard holds back.
    const QString elsewhere = QStringLiteral("127.0.0.1:%1").arg(closedPort());
    ctrl.requestFirmwareUpgrade(station->address(), firmwareName);
    ctrl.requestGetConfig(elsewhere);
    ctrl.requestFwUploadStatus(station->address());
    QVERIFY2(allReleased(ctrl), "a request hangs");
    QSignalSpy progress(&ctrl, &IpBaseCtrl::progressUpd);
    auto feed = [&ctrl, &progress](const QByteArray &page) {
        progress.clear();
        auto *reply = new FakeReply(page);
        bindSlot(reply, ctrl, Slot::FwUpgStatusV11);
        emit reply->finished();
    };

    const QByteArray head = QByteArray(300, '.') + "Success: Firmware Installed" + QByteArray(62, '.');
    const QByteArray erasing = head + "Starting erase";
    const QByteArray writing = erasing + "Erase Complete";
    const QByteArray done = writing + "Success: Firmware Installed";
    const struct { QByteArray page; QVariantList report; } steps[] = {
        {head, {}},
        {erasing, report(2, 2, "Erase", "Upgrade done", 0)},
        {erasing, report(4, 2, "Erase", "Upgrade done", 0)},
        {writing, report(20, 4, "Writing", "Upgrade done", 0)},
        {writing, report(40, 4, "Writing", "Upgrade done", 0)},
        {writing, report(60, 4, "Writing", "Upgrade done", 0)},
        {writing, report(80, 4, "Writing", "Upgrade done", 0)},
        {writing, report(100, 4, "Writing", "Upgrade done", 0)},
        {writing, report(120, 4, "Writing", "Upgrade done", 0)},
        {erasing, report(6, 2, "Erase", "Upgrade done", 0)},
        {done, report(100, 6, "Upgrade Success", "Upgrade done", 3)},
    };
    const auto before = station->log().size();
    for (const auto &step : steps) {
        ctrl.requestFirmwareUpgrade(elsewhere, firmwareName); // held back until the success
        feed(step.page);
        QCOMPARE(progress.size(), step.report.isEmpty() ? 0 : 1);
        if (!step.report.isEmpty())
            QCOMPARE(progress.at(0), step.report);
    }
    QTRY_COMPARE_WITH_TIMEOUT(station->log().size(), before + 1, 5000);
    QCOMPARE(station->log().at(before).value("target").toString(), QStringLiteral("/debug?reboot=1"));

    // The success ends the upgrade; a new upload-status request starts both counters again.
    QVERIFY2(allReleased(ctrl), "the reboot hangs");
    ctrl.requestFirmwareUpgrade(station->address(), firmwareName);
    QVERIFY2(liveReplies(ctrl) == 1, "no start-upgrade command after the success");
    ctrl.requestFwUploadStatus(station->address());
    QVERIFY2(allReleased(ctrl), "a request hangs");
    feed(erasing);
    QCOMPARE(progress.value(0), report(2, 2, "Erase", "Upgrade done", 0));
    feed(writing);
    QCOMPARE(progress.value(0), report(20, 4, "Writing", "Upgrade done", 0));
}

void tst_IpBaseCtrl::stationGenerations_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("shownVersion");
    QTest::addColumn<QString>("uploadName");
    QTest::addColumn<QString>("statusPath");
    QTest::addColumn<QString>("upgradePath");
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<QVariantList>("finalReport");

    const QStringList current{"--generation", "current", "--version", "143 20201120 V14.2"};
    const QStringList v11{"--generation", "v11", "--version", "VOIP_EN 11.7 20190301"};
    const QStringList pieces{"--pieces", "4", "--piece-ms", "40"};
    const QVariantList rebooting = report(0, 6, "Rebooting (5/5)", "Upgrade Rebooting (5/5)", 3);
    const QVariantList installed = report(100, 6, "Upgrade Success", "Upgrade done", 3);
    const QList<int> jsonSteps{2, 3, 4, 5, 6};
    const QList<int> pageSteps{2, 4, 6};
    QTest::newRow("current") << current << "143 20201120 V14.2" << firmwareName << "/getJson.json"
                             << "/getJson.json" << jsonSteps << rebooting;
    QTest::newRow("current, bodies in pieces") << current + pieces << "143 20201120 V14.2" << firmwareName
                                               << "/getJson.json" << "/getJson.json" << jsonSteps << rebooting;
    QTest::newRow("v11") << v11 << "v11.x" << "vmlinuz" << "/firmware.html" << "/firmwareupg" << pageSteps
                         << installed;
    QTest::newRow("v11, bodies in pieces") << v11 + pieces << "v11.x" << "vmlinuz" << "/firmware.html"
                                           << "/firmwareupg" << pageSteps << installed;
    QTest::newRow("current, every GET answered 404") << current + QStringList{"--status", "404"}
        << "143 20201120 V14.2" << firmwareName << "/getJson.json" << "/getJson.json" << jsonSteps << rebooting;
    QTest::newRow("v11, every GET answered 500") << v11 + QStringList{"--status", "500"} << "v11.x" << "vmlinuz"
        << "/firmware.html" << "/firmwareupg" << pageSteps << installed;
}

// One update against each generation of station, as the window's workflow drives it.
void tst_IpBaseCtrl::stationGenerations()
{
    QFETCH(QStringList, args);
    QFETCH(QString, shownVersion);
    QFETCH(QString, uploadName);
    QFETCH(QString, statusPath);
    QFETCH(QString, upgradePath);
    QFETCH(QList<int>, steps);
    QFETCH(QVariantList, finalReport);

    StationSim sim(args + QStringList{"--advance-per-poll", "--mac", "0A:1B:2C:3D:4E:5F"});
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    IpBaseCtrl ctrl;
    QSignalSpy device(&ctrl, &IpBaseCtrl::deviceStat);
    QSignalSpy progress(&ctrl, &IpBaseCtrl::progressUpd);

    ctrl.requestGetVersion(sim.address());
    QTRY_COMPARE_WITH_TIMEOUT(liveReplies(ctrl), 0, 5000);
    QCOMPARE(device.size(), 1);
    QCOMPARE(device.at(0), (QVariantList{shownVersion, "0A:1B:2C:3D:4E:5F"}));

    const QString image = writeImage(dir, firmwareName, 300000);
    QVERIFY2(!image.isEmpty(), "cannot write the image");
    ctrl.uploadFirmware(sim.address(), image);
    QTRY_COMPARE_WITH_TIMEOUT(liveReplies(ctrl), 0, 10000);
    QVERIFY2(!progress.isEmpty(), "no upload progress");
    QCOMPARE(progress.last(), report(100, 1, "Upload Complete", "Upload Complete", 1));
    QTRY_VERIFY_WITH_TIMEOUT(!sim.log().isEmpty() && sim.log().constLast().contains("upload"), 5000);
    const QJsonObject upload = sim.log().constLast().value("upload").toObject();
    QCOMPARE(upload.value("contentType").toString(), "multipart/form-data; boundary=" + boundary);
    QCOMPARE(upload.value("name").toString(), QStringLiteral("file_upload_base"));
    QCOMPARE(upload.value("filename").toString(), uploadName);
    QCOMPARE(upload.value("partContentType").toString(), QStringLiteral("application/octet-stream"));
    QCOMPARE(upload.value("size").toInt(), 300000);
    QCOMPARE(upload.value("sha256").toString(), sha256Hex(image));
    QVERIFY2(upload.value("complete").toBool(), "the station did not receive the whole body");

    progress.clear();
    auto logged = sim.log().size();
    ctrl.requestFwUploadStatus(sim.address());
    QTRY_COMPARE_WITH_TIMEOUT(liveReplies(ctrl), 0, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(sim.log().size(), logged + 1, 5000);
    const QString statusTarget = sim.log().constLast().value("target").toString();
    const QRegularExpression randOnly("^" + QRegularExpression::escape(statusPath) + "\\?rand=\\d+(&|$)");
    QVERIFY2(randOnly.match(statusTarget).hasMatch(), qPrintable(statusTarget));
    QCOMPARE(progress.size(), 1);
    if (uploadName == QLatin1String("vmlinuz"))
        QCOMPARE(progress.at(0), report(100, 1, "Verification Success", "Upload Complete", 2));

    ctrl.requestFirmwareUpgrade(sim.address(), image);
    QTRY_COMPARE_WITH_TIMEOUT(liveReplies(ctrl), 0, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(sim.log().size(), logged + 2, 5000);
    QCOMPARE(sim.log().constLast().value("json").toObject().value("paramValue").toString(), firmwareName);

    progress.clear();
    logged = sim.log().size();
    for (int poll = 0; poll < 60 && (progress.isEmpty() || progress.last().at(4).toInt() != 3); ++poll) {
        const auto reports = progress.size();
        ctrl.requestFwUpgStatus(sim.address());
        QTRY_COMPARE_WITH_TIMEOUT(liveReplies(ctrl), 0, 5000);
        QVERIFY2(progress.size() - reports <= 1, "one reply gave several reports");
    }
    QVERIFY2(!progress.isEmpty(), "no upgrade progress");
    QCOMPARE(progress.last(), finalReport);
    QList<int> seen;
    for (const QVariantList &r : qAsConst(progress)) {
        if (seen.isEmpty() || seen.last() != r.at(1).toInt())
            seen << r.at(1).toInt();
    }
    QCOMPARE(seen, steps);
    if (finalReport.at(0).toInt() == 100) { // the controller restarts the older generation
        QTRY_VERIFY_WITH_TIMEOUT(sim.log().constLast().value("target").toString() == "/debug?reboot=1", 5000);
    }
    const QVector<QJsonObject> polls = entriesFrom(sim, int(logged));
    for (const QJsonObject &entry : polls) {
        if (entry.value("path").toString() != QLatin1String("/debug"))
            QCOMPARE(entry.value("path").toString(), upgradePath);
    }
}

void tst_IpBaseCtrl::uploadProgressReports_data()
{
    QTest::addColumn<int>("fileBytes");
    QTest::addColumn<qlonglong>("sent");
    QTest::addColumn<qlonglong>("total");
    QTest::addColumn<QVariantList>("expected");

    const QVariantList complete = report(100, 1, "Upload Complete", "Upload Complete", 1);
    QTest::newRow("nothing known yet") << 1000 << 0LL << 0LL << report(0, 1, "Upload", "Upload 0/0 bytes", 0);
    QTest::newRow("part way") << 1000 << 500LL << 1200LL << report(41, 1, "Upload", "Upload 500/1200 bytes", 0);
    QTest::newRow("60 MB image, half sent") << 60000000 << 30000000LL << 60000000LL
                                            << report(50, 1, "Upload", "Upload 30000000/60000000 bytes", 0);
    QTest::newRow("file sent, framing not") << 1000 << 1000LL << 1200LL << complete;
    QTest::newRow("all sent") << 1000 << 1200LL << 1200LL << complete;
    QTest::newRow("image just under 2 GiB, file sent") << 2147483647 << 2147483700LL << 2147483900LL << complete;
    QTest::newRow("sent equals total below file size") << 1000 << 300LL << 300LL << complete;
    QTest::newRow("empty file, nothing known") << 0 << 0LL << 0LL << complete;
}

void tst_IpBaseCtrl::uploadProgressReports()
{
    QFETCH(int, fileBytes);
    QFETCH(qlonglong, sent);
    QFETCH(qlonglong, total);
    QFETCH(QVariantList, expected);

    IpBaseCtrl ctrl;
    // Nothing listens there: the upload fails before it reads the (sparse) image, and fileSize stays set.
    QFile image(dir.filePath("sparse.bin"));
    QVERIFY(image.open(QIODevice::WriteOnly) && image.resize(fileBytes));
    image.close();
    ctrl.uploadFirmware(QStringLiteral("127.0.0.1:%1").arg(closedPort()), image.fileName());
    QTRY_COMPARE_WITH_TIMEOUT(liveReplies(ctrl), 0, 5000);
    QSignalSpy progress(&ctrl, &IpBaseCtrl::progressUpd);
    ctrl.uploadProgress(sent, total);
    QCOMPARE(progress.size(), 1);
    QCOMPARE(progress.at(0), expected);
}

void tst_IpBaseCtrl::uploadRefused_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("reported");

    QTest::newRow("missing file") << dir.filePath("no-such-image") << false;
    QTest::newRow("directory") << dir.path() << true;
    QFile huge(dir.filePath("huge.bin"));
    if (huge.open(QIODevice::WriteOnly))
        huge.resize(qint64(1) << 31); // sparse: takes no disk
    QTest::newRow("2 GiB image") << huge.fileName() << true;
}

void tst_IpBaseCtrl::uploadRefused()
{
    QFETCH(QString, path);
    QFETCH(bool, reported);

    IpBaseCtrl ctrl;
    for (int size : {500, 1000}) {
        ctrl.uploadFirmware(station->address(), writeImage(dir, "image.bin", size));
        QVERIFY2(allReleased(ctrl), "the upload did not end");
    }
    QSignalSpy progress(&ctrl, &IpBaseCtrl::progressUpd);
    ctrl.uploadFirmware(station->address(), path);
    QCOMPARE(liveReplies(ctrl), 0); // nothing went out
    QCOMPARE(progress.size(), reported ? 1 : 0);
    if (reported)
        QCOMPARE(progress.at(0), report(0, 0, "Error", "Upload Error occurred. Pls Try Again", 4));
    // The size of the image sent last stays in force.
    ctrl.uploadProgress(500, 1200);
    QCOMPARE(progress.constLast(), report(41, 1, "Upload", "Upload 500/1200 bytes", 0));
}

void tst_IpBaseCtrl::uploadNetworkError_data()
{
    QTest::addColumn<QStringList>("args");

    QTest::newRow("nothing listens") << QStringList();
    QTest::newRow("station drops the upload") << QStringList{"--drop-upload-after", "65536"};
    QTest::newRow("station resets instead of answering") << QStringList{"--reset-upload"};
    QTest::newRow("station answers 500") << QStringList{"--upload-status", "500"};
    QTest::newRow("station answers 404") << QStringList{"--upload-status", "404"};
}

void tst_IpBaseCtrl::uploadNetworkError()
{
    QFETCH(QStringList, args);

    std::unique_ptr<StationSim> sim;
    QString address = QStringLiteral("127.0.0.1:%1").arg(closedPort());
    if (!args.isEmpty()) {
        sim = std::make_unique<StationSim>(args);
        QVERIFY2(sim->start(), qPrintable(sim->errorString()));
        address = sim->address();
    }
    IpBaseCtrl ctrl;
    ctrl.requestGetConfig(station->address());
    QVERIFY2(allReleased(ctrl), "no config reply");
    QSignalSpy progress(&ctrl, &IpBaseCtrl::progressUpd);
    ctrl.uploadFirmware(address, writeImage(dir, "large.bin", 4 << 20));
    QVERIFY2(allReleased(ctrl, 10000), "the failed upload was not released");
    QVERIFY2(!progress.isEmpty(), "no report");
    QCOMPARE(progress.last(), report(0, 0, "Error", "Upload Error occurred. Pls Try Again", 4));

    // The upload leaves the address of the other requests alone: the V11 finish
    // reboots the station that the last command went to.
    const auto before = station->log().size();
    auto *page = new FakeReply(QByteArray(400, ' ') + "Success: Firmware Installed");
    bindSlot(page, ctrl, Slot::FwUpgStatusV11);
    emit page->finished();
    QTRY_COMPARE_WITH_TIMEOUT(station->log().size(), before + 1, 5000);
    QCOMPARE(station->log().at(before).value("target").toString(), QStringLiteral("/debug?reboot=1"));
}

void tst_IpBaseCtrl::startUpgradeFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stationName");
    QTest::addColumn<QString>("jsonValue");
    QTest::addColumn<QString>("wireValue");

    QTest::newRow("release image") << firmwareName << firmwareName << firmwareName << firmwareName;
    QTest::newRow("space") << "fw 1.bin" << "fw 1.bin" << "fw 1.bin" << "fw%201.bin";
    QTest::newRow("non-ASCII") << "fw_ü.bin" << "fw_ü.bin" << "fw_ü.bin" << "fw_%C3%BC.bin";
    QTest::newRow("ampersand") << "a&jsonString=x.bin" << "a&jsonString=x.bin" << "a&jsonString=x.bin" << QString();
    QTest::newRow("hash") << "fw#2.bin" << "fw#2.bin" << "fw#2.bin" << QString();
    QTest::newRow("percent") << "100%41.bin" << "100%41.bin" << "100%41.bin" << QString();
    QTest::newRow("plus") << "a+b.bin" << "a+b.bin" << "a+b.bin" << QString();
    QTest::newRow("semicolon") << "a; name=b.bin" << "a; name=b.bin" << "a; name=b.bin" << QString();
    // These would end or break the quoted name in the upload's header.
    QTest::newRow("double quote") << "a\"b.bin" << "a%22b.bin" << "a%22b.bin" << QString();
    QTest::newRow("quote, then more parameters") << "x\"; name=\"y.bin" << "x%22; name=%22y.bin"
                                                 << "x%22; name=%22y.bin" << QString();
    QTest::newRow("backslash") << "a\\b.bin" << "a%5Cb.bin" << "a%5Cb.bin" << QString();
    QTest::newRow("backslash at the end") << "ab\\" << "ab%5C" << "ab%5C" << QString();
    QTest::newRow("line break") << "a\r\nX-Y: z.bin" << "a%0D%0AX-Y: z.bin" << "a%0D%0AX-Y: z.bin" << QString();
    QTest::newRow("control character") << "a\tb\x01.bin" << "a%09b%01.bin" << "a%09b%01.bin" << QString();
}

// The start-upgrade command names the file as the upload named it, so that the station finds what it stored.
void tst_IpBaseCtrl::startUpgradeFileName()
{
    QFETCH(QString, name);
    QFETCH(QString, stationName);
    QFETCH(QString, jsonValue);
    QFETCH(QString, wireValue);

    QTemporaryDir images;
    QVERIFY2(images.isValid(), "no temporary directory");
    const QString image = writeImage(images, name, 1000);
    QVERIFY2(!image.isEmpty(), "cannot write the image");
    IpBaseCtrl ctrl;
    auto before = station->log().size();
    ctrl.uploadFirmware(station->address(), image);
    QVERIFY2(allReleased(ctrl), "the upload did not end");
    QTRY_COMPARE_WITH_TIMEOUT(station->log().size(), before + 1, 5000);
    const QJsonObject upload = station->log().at(before).value("upload").toObject();
    QVERIFY2(upload.value("complete").toBool(), "the station did not take the upload");
    QCOMPARE(upload.value("filename").toString(), stationName);

    before = station->log().size();
    const int r = restartRandSequence(1).at(0);
    ctrl.requestFirmwareUpgrade(station->address(), image);
    QTRY_COMPARE_WITH_TIMEOUT(station->log().size(), before + 1, 5000);
    const QJsonObject entry = station->log().at(before);
    QCOMPARE(entry.value("jsonString").toString(),
             R"({"cmdType":1,"portId":0,"paramId":25,"paramValue":")" + jsonValue + "\"}");
    QCOMPARE(entry.value("json").toObject().value("paramValue").toString(), stationName);
    if (!wireValue.isEmpty()) { // ordinary names go out as they always did
        QCOMPARE(entry.value("target").toString(),
                 QStringLiteral("/getJson.json?rand=%1&jsonString=%7B%22cmdType%22:1,%22portId%22:0,"
                                "%22paramId%22:25,%22paramValue%22:%22").arg(r) + wireValue + "%22%7D");
    }
}

void tst_IpBaseCtrl::startUpgradeGuard()
{
    IpBaseCtrl ctrl;
    const QString image = writeImage(dir, firmwareName, 1000);
    const QString address = station->address();
    auto startSent = [&ctrl, &image, &address]() {
        ctrl.requestFirmwareUpgrade(address, image);
        const bool sent = liveReplies(ctrl) == 1;
        return allReleased(ctrl) && sent;
    };
    QVERIFY2(startSent(), "the first start-upgrade command was not sent");
    QVERIFY2(!startSent(), "a second start-upgrade command went out during the upgrade");
    auto *writing = new FakeReply(R"x({"paramStatus":"Writing Flash (3/5)","paramValue":55})x");
    bindSlot(writing, ctrl, Slot::FwUpgStatus);
    emit writing->finished();
    QVERIFY2(!startSent(), "a flashing step before the reboot let a second start-upgrade command through");

    // The station reports that it reboots: the upgrade is over.
    auto *rebooting = new FakeReply(R"x({"paramStatus":"Rebooting (5/5)","paramValue":0})x");
    bindSlot(rebooting, ctrl, Slot::FwUpgStatus);
    emit rebooting->finished();
    QVERIFY2(startSent(), "no start-upgrade command after the station rebooted");

    // A run aborted after its start command; the next run's upload clears the guard.
    QVERIFY2(!startSent(), "the guard let a second command through");
    ctrl.uploadFirmware(address, image);
    QVERIFY2(allReleased(ctrl), "the upload did not end");
    QVERIFY2(startSent(), "a new upload did not clear the guard");
}

QTEST_GUILESS_MAIN(tst_IpBaseCtrl)
#include "tst_ipbasectrl.moc"
