#pragma once

#include "station.h"

#include <QByteArray>
#include <QString>

// Reply bodies of the station, as its firmware writes them.
namespace StationPages {
QByteArray version(const QString &version, const QString &mac);
QByteArray configuration(const QString &mac);
QByteArray defaultConfiguration();
QByteArray upgradeStart(const QString &fileName, bool started);
QByteArray upgradeStatus(const FlashStatus &status);
QByteArray commandError(const QString &reason);
// The same reply garbled the way a station with broken JSON output sends it.
QByteArray notJson(const QByteArray &json);

QByteArray firmwarePage(const UploadedFile *file, bool addOneByte);
QByteArray upgradePage(const FlashStatus &status);
QByteArray uploadAnswer(bool complete);
QByteArray debugPage(bool rebooting);
QByteArray notFoundPage();
} // namespace StationPages
