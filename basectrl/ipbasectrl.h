#ifndef IPBASECTRL_H
#define IPBASECTRL_H

#include "requesttimeouts.h"

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QHttpMultiPart;
class QNetworkAccessManager;
class QUrl;
class UploadWatch;

// Speaks the base station's HTTP interface: JSON commands carried in GET queries,
// the multipart image upload, the status pages and the reboot. Every operation
// sends one request and returns; the answer comes back later as a signal, or not
// at all when the request fails in the network.
class IpBaseCtrl : public QObject
{
    Q_OBJECT

public:
    explicit IpBaseCtrl(QObject *parent = nullptr);

    void requestGetVersion(QString address);
    void requestGetConfig(QString address);
    void requestSetDefaultConfig(QString address);
    void requestDoReboot(QString address);
    void uploadFirmware(QString address, QString filePath);
    void requestFirmwareUpgrade(QString address, QString filePath);
    void requestFwUploadStatus(QString address);
    void requestFwUpgStatus(QString address);
    void requestFwUpgStatusV11(QString address);

    // For a station that keeps a faster pace than a real one (tests, benchmarks); applies to
    // the requests sent from then on.
    void setTimeouts(const RequestTimeouts &limits);

signals:
    void progressUpd(int p, int q, QString src, QString msg, int stat);
    void statusUpd(QString txt);
    void cfgJsonUpd(QByteArray data);
    void deviceStat(QString msg, QString mac);
    // Every request to the station ends here once: `error` is empty when the station's whole answer arrived,
    // otherwise it says what happened. `request` names the request in a few English words.
    void requestDone(QString request, QString error);

public slots:
    void uploadFinished(QNetworkReply *reply);
    void uploadProgress(qlonglong bytesSent, qlonglong bytesTotal);
    void uploadError(QNetworkReply::NetworkError code);
    void onRequestStatus();
    void onRequestGetVersion();
    void onRequestGetConfig();
    void onRequestFirmwareUpgrade();
    void onRequestFwUploadStatus();
    void onRequestFwUpgStatus();
    void onRequestFwUpgStatusV11();
    void onRequestSetDefaultConfig();
    void onRequestDoReboot();

private:
    using ReplySlot = void (IpBaseCtrl::*)();

    void sendCommand(const QString &address, const QString &json, ReplySlot slot);
    void sendPage(const QString &address, const QString &urlTemplate, ReplySlot slot);
    void sendGet(const QUrl &url, ReplySlot slot);
    static const char *requestName(ReplySlot slot);
    std::optional<QByteArray> takeReplyBody();
    void reportUploadError();

    QString baseAddr;
    QNetworkAccessManager *manager;
    QHttpMultiPart *multiPart;
    QNetworkReply *lastReply;
    bool v11Mode;
    qint32 fileSize;
    qint32 writeProgress;
    qint32 eraseProgress;
    bool upgradeStarted;
    RequestTimeouts timeouts;
    QPointer<UploadWatch> uploadWatch;
};

#endif // IPBASECTRL_H
