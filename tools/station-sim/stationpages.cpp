#include "stationpages.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The station's web pages share one long head; the updater relies on the upgrade
// page's success line standing well after its first 388 bytes.
QByteArray htmlPage(const QString &title, const QByteArray &body)
{
    QByteArray page = QByteArrayLiteral(
        "<!DOCTYPE html>\n<html>\n<head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
        "<meta http-equiv=\"Cache-Control\" content=\"no-cache, no-store\">\n"
        "<meta http-equiv=\"Pragma\" content=\"no-cache\">\n"
        "<title>Velmora Base Station - ");
    page += title.toUtf8();
    page += QByteArrayLiteral(
        "</title>\n<style type=\"text/css\">\n"
        "body { font-family: Arial, Helvetica, sans-serif; font-size: 13px; background: #ffffff; color: #111b36; }\n"
        "h2 { color: #394c81; margin-bottom: 6px; }\n"
        ".box { border: 1px solid #96afdb; padding: 8px; width: 480px; }\n"
        "</style>\n</head>\n<body>\n<h2>");
    page += title.toUtf8();
    page += QByteArrayLiteral("</h2>\n<div class=\"box\">\n");
    page += body;
    page += QByteArrayLiteral("</div>\n</body>\n</html>\n");
    return page;
}

} // namespace

namespace StationPages {

QByteArray version(const QString &version, const QString &mac)
{
    QJsonObject answer{{QStringLiteral("cmdType"), 2},
                       {QStringLiteral("portId"), 0},
                       {QStringLiteral("sysParamType"), 6},
                       {QStringLiteral("sysParamValue"), version},
                       {QStringLiteral("hwVersion"), QStringLiteral("VMBS-2")},
                       {QStringLiteral("bootVersion"), QStringLiteral("1.4.0")}};
    if (!mac.isEmpty())
        answer.insert(QStringLiteral("macAddr"), mac);
    return compact(answer);
}

QByteArray configuration(const QString &mac)
{
    const QJsonObject config{{QStringLiteral("deviceName"), QStringLiteral("Velmora")},
                             {QStringLiteral("macAddr"), mac},
                             {QStringLiteral("dhcp"), true},
                             {QStringLiteral("dectRegion"), QStringLiteral("EU")},
                             {QStringLiteral("ledBrightness"), 3},
                             {QStringLiteral("alarmVolume"), 7},
                             {QStringLiteral("braceletPaired"), true},
                             {QStringLiteral("timeZone"), QStringLiteral("Europe/Amsterdam")}};
    return compact({{QStringLiteral("cmdType"), 2},
                    {QStringLiteral("portId"), 0},
                    {QStringLiteral("sysParamType"), 28},
                    {QStringLiteral("sysParamValue"), config}});
}

QByteArray defaultConfiguration()
{
    return compact({{QStringLiteral("cmdType"), 2},
                    {QStringLiteral("portId"), 0},
                    {QStringLiteral("sysParamType"), 27},
                    {QStringLiteral("result"), QStringLiteral("OK")}});
}

QByteArray upgradeStart(const QString &fileName, bool started)
{
    return compact({{QStringLiteral("cmdType"), 1},
                    {QStringLiteral("portId"), 0},
                    {QStringLiteral("paramId"), 25},
                    {QStringLiteral("paramValue"), fileName},
                    {QStringLiteral("result"), started ? QStringLiteral("OK") : QStringLiteral("ERROR")}});
}

QByteArray upgradeStatus(const FlashStatus &status)
{
    QString text;
    switch (status.phase) {
    case FlashStatus::Idle:
        text = QStringLiteral("Idle");
        break;
    case FlashStatus::Receiving:
        text = QStringLiteral("FILE");
        break;
    case FlashStatus::Stored:
        text = QStringLiteral("Verification Success. New Firmware Available");
        break;
    case FlashStatus::Step:
        text = Station::stepText(status.step, status.olderGeneration);
        break;
    case FlashStatus::CrcError:
        text = QStringLiteral("CRC error in file");
        break;
    case FlashStatus::StepError:
        text = QStringLiteral("ERROR");
        break;
    }
    return compact({{QStringLiteral("cmdType"), 1},
                    {QStringLiteral("portId"), 0},
                    {QStringLiteral("paramId"), 26},
                    {QStringLiteral("paramStatus"), text},
                    {QStringLiteral("paramValue"), status.percent}});
}

QByteArray commandError(const QString &reason)
{
    return compact({{QStringLiteral("result"), QStringLiteral("ERROR")}, {QStringLiteral("reason"), reason}});
}

QByteArray notJson(const QByteArray &json)
{
    return QByteArrayLiteral("OK ") + json;
}

QByteArray firmwarePage(const UploadedFile *file, bool addOneByte)
{
    QByteArray body;
    if (file) {
        body = QByteArrayLiteral("Firmware File is available, size is ")
               + QByteArray::number(qint64(file->size) + (addOneByte ? 1 : 0)) + QByteArrayLiteral("<br>\n")
               + QByteArrayLiteral("File name: ") + file->filename.toHtmlEscaped().toUtf8() + QByteArrayLiteral("<br>\n");
    } else {
        body = QByteArrayLiteral("No firmware file uploaded<br>\n");
    }
    return htmlPage(QStringLiteral("Firmware"), body);
}

QByteArray upgradePage(const FlashStatus &status)
{
    QByteArray body;
    if (status.phase == FlashStatus::CrcError) {
        body = QByteArrayLiteral("CRC error in file<br>\n");
    } else if (status.phase == FlashStatus::StepError) {
        body = QByteArrayLiteral("ERROR<br>\n");
    } else if (status.phase != FlashStatus::Step) {
        body = QByteArrayLiteral("No upgrade in progress<br>\n");
    } else {
        // The page is the flashing log so far.
        body = QByteArrayLiteral("Starting erase<br>\n");
        if (status.step >= 2)
            body += QByteArrayLiteral("Erase Complete<br>\n");
        if (status.step >= Station::FlashSteps)
            body += QByteArrayLiteral("Success: Firmware Installed<br>\n");
        else
            body += QByteArrayLiteral("Progress ") + QByteArray::number(status.percent) + QByteArrayLiteral(" %<br>\n");
    }
    return htmlPage(QStringLiteral("Firmware Upgrade"), body);
}

QByteArray uploadAnswer(bool complete)
{
    return htmlPage(QStringLiteral("Firmware Upload"),
                    complete ? QByteArrayLiteral("Upload OK<br>\n") : QByteArrayLiteral("Upload failed<br>\n"));
}

QByteArray debugPage(bool rebooting)
{
    return htmlPage(QStringLiteral("Debug"),
                    rebooting ? QByteArrayLiteral("Rebooting...<br>\n") : QByteArrayLiteral("Debug interface<br>\n"));
}

QByteArray notFoundPage()
{
    return htmlPage(QStringLiteral("Not Found"), QByteArrayLiteral("The requested page was not found.<br>\n"));
}

} // namespace StationPages
