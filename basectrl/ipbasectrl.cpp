#include "ipbasectrl.h"

#include "answerbounds.h"
#include "commandtext.h"
#include "replyreaders.h"
#include "uploadwatch.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QHttpPart>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkRequest>
#include <QUrl>

#include <cstdlib>
#include <limits>
#include <utility>

namespace {

const char defaultStationAddress[] = "192.168.1.10";

const char commandUrlTemplate[] = "http://%1/getJson.json?rand=%2&jsonString=%3";
const char uploadPageTemplate[] = "http://%1/firmware.html?rand=%2";
const char upgradePageTemplate[] = "http://%1/firmwareupg?rand=%2";
const char rebootUrlTemplate[] = "http://%1/debug?reboot=1";
const char uploadUrlTemplate[] = "http://%1/file_upload_base";

const char getVersionCommand[] = R"({"cmdType":2,"portId":0,"sysParamType":6,"sysParamValue":{}})";
const char getConfigCommand[] = R"({"cmdType":2,"portId":0,"sysParamType":28,"sysParamValue":{}})";
const char setDefaultConfigCommand[] =
    R"({"cmdType":2,"portId":0,"sysParamType":27,"sysParamValue":0})";
const char startUpgradeCommand[] = R"({"cmdType":1,"portId":0,"paramId":25,"paramValue":"%1"})";
const char upgradeStatusCommand[] = R"({"cmdType":1,"portId":0,"paramId":26,"paramValue":{}})";

const char uploadBoundary[] = "----WebKitFormBoundaryHtZmoCi3x1Jn5Cv2";
// The older generation flashes whatever it received under this name.
const char v11UploadName[] = "vmlinuz";

const char requestNameProperty[] = "vmfwupdRequest";

void logBody(const QByteArray &body)
{
    qDebug().noquote() << QString::fromUtf8(body);
}

// Every request to the station goes out alike on either Qt generation. A 3xx status is the station's answer
// like any other, so no redirect is followed (Qt 6 follows them by default), and HTTP/1.1 stays the only
// protocol: the station speaks nothing else (Qt 6 allows HTTP/2 by default). Accept-Encoding stays Qt's own
// ("gzip, deflate" on Qt 5, brotli and zstd ahead on Qt 6): set by hand, Qt would no longer decode the
// compressed answers that it offers to take.
QNetworkRequest stationRequest(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    return request;
}

} // namespace

IpBaseCtrl::IpBaseCtrl(QObject *parent)
    : QObject(parent)
    , baseAddr(QLatin1String(defaultStationAddress))
    , manager(new QNetworkAccessManager(this))
    , multiPart(nullptr)
    , lastReply(nullptr)
    , v11Mode(false)
    , fileSize(0)
    , writeProgress(0)
    , eraseProgress(0)
    , upgradeStarted(false)
{
    // The station is on the home network: a proxy from the desktop's settings cannot reach it.
    manager->setProxy(QNetworkProxy::NoProxy);
}

void IpBaseCtrl::requestGetVersion(QString address)
{
    sendCommand(address, QLatin1String(getVersionCommand), &IpBaseCtrl::onRequestGetVersion);
}

void IpBaseCtrl::requestGetConfig(QString address)
{
    sendCommand(address, QLatin1String(getConfigCommand), &IpBaseCtrl::onRequestGetConfig);
}

void IpBaseCtrl::requestSetDefaultConfig(QString address)
{
    sendCommand(address, QLatin1String(setDefaultConfigCommand),
                &IpBaseCtrl::onRequestSetDefaultConfig);
}

void IpBaseCtrl::requestDoReboot(QString address)
{
    baseAddr = address;
    sendGet(QUrl(QString::fromLatin1(rebootUrlTemplate).arg(baseAddr), QUrl::TolerantMode),
            &IpBaseCtrl::onRequestDoReboot);
}

void IpBaseCtrl::uploadFirmware(QString address, QString filePath)
{
    const QUrl url(QString::fromLatin1(uploadUrlTemplate).arg(address), QUrl::TolerantMode);
    const QFileInfo info(filePath);
    if (!info.exists()) {
        qDebug("Error");
        return;
    }
    // fileSize is 32 bits wide: a larger image would be compared with a wrapped size.
    if (info.size() > std::numeric_limits<qint32>::max()) {
        qDebug("Error");
        reportUploadError();
        return;
    }

    auto *body = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    body->setBoundary(uploadBoundary);
    auto *file = new QFile(filePath, body);
    // A path that exists but cannot be read (a directory, no permission) would
    // otherwise stall the transfer until the time-out.
    if (!file->open(QIODevice::ReadOnly)) {
        delete body;
        qDebug("Error");
        reportUploadError();
        return;
    }

    const QString partName = v11Mode ? QString::fromLatin1(v11UploadName) : uploadFileName(info.fileName());
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentDispositionHeader,
                   QStringLiteral("form-data; name=\"file_upload_base\"; filename=\"%1\"")
                       .arg(partName));
    part.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/octet-stream"));
    part.setBodyDevice(file);
    body->append(part);
    multiPart = body;
    fileSize = static_cast<qint32>(info.size());
    // A run aborted after its start-upgrade command must not silence the next one.
    upgradeStarted = false;

    QNetworkRequest request = stationRequest(url);
    // Set raw so the boundary stands unquoted, as the station expects.
    request.setRawHeader("Content-Type",
                         QByteArray("multipart/form-data; boundary=") + uploadBoundary);
    lastReply = manager->post(request, multiPart);
    multiPart->setParent(lastReply);
    connect(lastReply, &QNetworkReply::uploadProgress, this, &IpBaseCtrl::uploadProgress);
    connect(lastReply, &QNetworkReply::errorOccurred, this, &IpBaseCtrl::uploadError);
    uploadWatch = new UploadWatch(lastReply, timeouts.uploadIdleMs);
    new AnswerBounds(lastReply, timeouts.answerMaxBytes);
    // The station's answer is never read; the reply only has to go once it is over.
    connect(lastReply, &QNetworkReply::finished, lastReply, &QObject::deleteLater);
}

void IpBaseCtrl::requestFirmwareUpgrade(QString address, QString filePath)
{
    if (upgradeStarted)
        return;
    upgradeStarted = true;
    // Named as the upload named it, so that the station finds the file it stored.
    const QString fileName = uploadFileName(QFileInfo(filePath).fileName());
    sendCommand(address,
                QString::fromLatin1(startUpgradeCommand).arg(commandStringValue(fileName)),
                &IpBaseCtrl::onRequestFirmwareUpgrade);
    // From now on the station flashes and restarts, and may never answer the upload: nothing the upload's reply
    // could still report is an upload error.
    if (uploadWatch) {
        disconnect(uploadWatch->reply(), nullptr, this, nullptr);
        uploadWatch->letGo();
    }
}

void IpBaseCtrl::requestFwUploadStatus(QString address)
{
    if (!v11Mode) {
        requestFwUpgStatus(address);
        return;
    }
    sendPage(address, QLatin1String(uploadPageTemplate), &IpBaseCtrl::onRequestFwUploadStatus);
    writeProgress = 0;
    eraseProgress = 0;
}

void IpBaseCtrl::requestFwUpgStatus(QString address)
{
    if (v11Mode) {
        requestFwUpgStatusV11(address);
        return;
    }
    sendCommand(address, QLatin1String(upgradeStatusCommand), &IpBaseCtrl::onRequestFwUpgStatus);
}

void IpBaseCtrl::requestFwUpgStatusV11(QString address)
{
    if (!v11Mode) {
        requestFwUpgStatus(address);
        return;
    }
    sendPage(address, QLatin1String(upgradePageTemplate), &IpBaseCtrl::onRequestFwUpgStatusV11);
}

void IpBaseCtrl::setTimeouts(const RequestTimeouts &limits)
{
    timeouts = limits;
}

void IpBaseCtrl::uploadFinished(QNetworkReply *reply)
{
    Q_UNUSED(reply)
    qDebug("Upload done");
}

void IpBaseCtrl::uploadProgress(qlonglong bytesSent, qlonglong bytesTotal)
{
    qDebug("Upload %lld %lld ", bytesSent, bytesTotal);
    // Qt reports (0, 0) once more when the upload is over, also after an error;
    // passed on, it would put "0/0 bytes" over the completion or the error.
    const auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (reply && reply->isFinished())
        return;
    const qint64 percentage = bytesTotal != 0 ? bytesSent * 100 / bytesTotal : 0;
    // The framing makes the body longer than the file, so this holds before the
    // last bytes leave; the window only waits for it to start verifying.
    const bool complete = bytesSent >= qint64(fileSize) || (bytesSent == bytesTotal && bytesTotal != 0);
    if (complete) {
        qDebug("Uploading complete");
        emit progressUpd(100, 1, tr("Upload Complete"), tr("Upload Complete"), 1);
        return;
    }
    emit progressUpd(int(percentage), 1, tr("Upload"),
                     tr("Upload %1/%2 bytes").arg(bytesSent).arg(bytesTotal), 0);
}

void IpBaseCtrl::uploadError(QNetworkReply::NetworkError code)
{
    Q_UNUSED(code)
    qDebug("Error");
    if (const auto *reply = qobject_cast<QNetworkReply *>(sender()))
        emit requestDone(QStringLiteral("upload"), AnswerBounds::errorText(reply));
    reportUploadError();
}

void IpBaseCtrl::onRequestStatus()
{
    qDebug("status");
    takeReplyBody();
}

void IpBaseCtrl::onRequestGetVersion()
{
    const std::optional<QByteArray> body = takeReplyBody();
    if (!body)
        return;
    QString version = jsonTextValue(*body, QStringLiteral("sysParamValue"));
    const QString mac = jsonTextValue(*body, QStringLiteral("macAddr"));
    v11Mode = false;
    if (version.contains(QLatin1String("VOIP_EN"))) {
        version = QStringLiteral("v11.x");
        v11Mode = true;
    }
    emit deviceStat(version, mac);
}

void IpBaseCtrl::onRequestGetConfig()
{
    const std::optional<QByteArray> body = takeReplyBody();
    if (!body)
        return;
    logBody(*body);
    emit cfgJsonUpd(*body);
}

void IpBaseCtrl::onRequestFirmwareUpgrade()
{
    const std::optional<QByteArray> body = takeReplyBody();
    if (body)
        logBody(*body);
}

void IpBaseCtrl::onRequestFwUploadStatus()
{
    const std::optional<QByteArray> body = takeReplyBody();
    if (!body)
        return;
    logBody(*body);
    const std::optional<int> size = uploadPageSize(*body);
    if (!size)
        return;
    if (*size == fileSize)
        emit progressUpd(100, 1, tr("Verification Success"), tr("Upload Complete"), 2);
    else
        emit progressUpd(100, 0, tr("Upload Error"), tr("Upload Error"), 4);
}

void IpBaseCtrl::onRequestFwUpgStatus()
{
    const std::optional<QByteArray> body = takeReplyBody();
    if (!body)
        return;
    logBody(*body);
    const QString status = jsonTextValue(*body, QStringLiteral("paramStatus"));
    const int value = jsonIntValue(*body, QStringLiteral("paramValue"));
    const UpgradeStep step = upgradeStep(status);
    if (step.rebooting)
        upgradeStarted = false;
    // The station's own texts have catalog entries in this context.
    const QString src = QCoreApplication::translate("IpBaseCtrl", status.toUtf8().constData());
    emit progressUpd(step.rebooting ? 0 : value, step.q, src, tr("Upgrade %1").arg(src),
                     step.rebooting ? 3 : 0);
}

void IpBaseCtrl::onRequestFwUpgStatusV11()
{
    const std::optional<QByteArray> body = takeReplyBody();
    if (!body)
        return;
    logBody(*body);
    switch (v11PageState(*body)) {
    case V11PageState::Installed:
        emit progressUpd(100, 6, tr("Upgrade Success"), tr("Upgrade done"), 3);
        // The older generation does not restart by itself.
        requestDoReboot(baseAddr);
        upgradeStarted = false;
        break;
    case V11PageState::Writing:
        writeProgress += 20;
        emit progressUpd(writeProgress, 4, tr("Writing"), tr("Upgrade done"), 0);
        break;
    case V11PageState::Erasing:
        eraseProgress += 2;
        emit progressUpd(eraseProgress, 2, tr("Erase"), tr("Upgrade done"), 0);
        break;
    case V11PageState::Unknown:
        break;
    }
}

void IpBaseCtrl::onRequestSetDefaultConfig()
{
    const std::optional<QByteArray> body = takeReplyBody();
    if (!body)
        return;
    logBody(*body);
    // Left untranslated here: the window looks both texts up in its own context.
    emit progressUpd(100, 100, QStringLiteral("Config"),
                     QStringLiteral("Default Configuration set successfully"), 0);
}

void IpBaseCtrl::onRequestDoReboot()
{
    takeReplyBody();
}

void IpBaseCtrl::sendCommand(const QString &address, const QString &json, ReplySlot slot)
{
    const int r = std::rand();
    baseAddr = address;
    // The JSON text goes in last so that nothing in it is taken for a placeholder.
    const QString text = QString::fromLatin1(commandUrlTemplate).arg(baseAddr).arg(r).arg(json);
    sendGet(QUrl(text, QUrl::TolerantMode), slot);
}

void IpBaseCtrl::sendPage(const QString &address, const QString &urlTemplate, ReplySlot slot)
{
    const int r = std::rand();
    baseAddr = address;
    sendGet(QUrl(urlTemplate.arg(baseAddr).arg(r), QUrl::TolerantMode), slot);
}

const char *IpBaseCtrl::requestName(ReplySlot slot)
{
    static const std::pair<ReplySlot, const char *> names[] = {
        {&IpBaseCtrl::onRequestGetVersion, "version"},
        {&IpBaseCtrl::onRequestGetConfig, "configuration"},
        {&IpBaseCtrl::onRequestSetDefaultConfig, "default configuration"},
        {&IpBaseCtrl::onRequestDoReboot, "reboot"},
        {&IpBaseCtrl::onRequestFirmwareUpgrade, "start upgrade"},
        {&IpBaseCtrl::onRequestFwUploadStatus, "upload status page"},
        {&IpBaseCtrl::onRequestFwUpgStatus, "upgrade status"},
        {&IpBaseCtrl::onRequestFwUpgStatusV11, "upgrade status page"},
    };
    for (const auto &[known, name] : names) {
        if (known == slot)
            return name;
    }
    return "request";
}

void IpBaseCtrl::sendGet(const QUrl &url, ReplySlot slot)
{
    QNetworkRequest request = stationRequest(url);
    request.setTransferTimeout(timeouts.commandMs);
    lastReply = manager->get(request);
    lastReply->setProperty(requestNameProperty, QLatin1String(requestName(slot)));
    new AnswerBounds(lastReply, timeouts.answerMaxBytes, timeouts.wholeAnswerMs);
    // Handled once on the whole body: readyRead may deliver it in several pieces.
    connect(lastReply, &QNetworkReply::finished, this, slot);
}

std::optional<QByteArray> IpBaseCtrl::takeReplyBody()
{
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (!reply)
        return std::nullopt;
    reply->deleteLater();
    const bool whole = answerArrivedWhole(reply->error());
    emit requestDone(reply->property(requestNameProperty).toString(),
                     whole ? QString() : AnswerBounds::errorText(reply));
    if (!whole)
        return std::nullopt;
    return reply->readAll();
}

void IpBaseCtrl::reportUploadError()
{
    emit progressUpd(0, 0, tr("Error"), tr("Upload Error occurred. Pls Try Again"), 4);
}
