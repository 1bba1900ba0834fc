#ifndef REPLYREADERS_H
#define REPLYREADERS_H

#include <QByteArray>
#include <QNetworkReply>
#include <QString>

#include <optional>

// Readers of the station's reply bodies. Plain functions on bytes so that tests
// and fuzzers can feed them anything.

// Whether a reply that ended with `error` brought the station's whole answer. A station
// may answer with any HTTP status; Qt turns an error status into an error code only once
// the body is in, so those count like no error at all. A network failure (refused, reset,
// cut short, timed out) brings no whole answer, whatever status line came before it.
bool answerArrivedWhole(QNetworkReply::NetworkError error);

// The JSON string at `key` of the body's top-level object; empty when the body is
// not a JSON object, lacks the key or holds another JSON type there.
QString jsonTextValue(const QByteArray &body, const QString &key);

// The JSON number at `key` as an integer; 0 in every other case.
int jsonIntValue(const QByteArray &body, const QString &key);

// The received size that the older generation's upload page reports. Nothing when
// the phrase is missing or stands at the very start of the page; 0 when the size
// does not parse.
std::optional<int> uploadPageSize(const QByteArray &page);

// What the older generation's upgrade page says.
enum class V11PageState {
    Unknown,   // none of the phrases
    Erasing,   // "Starting erase"
    Writing,   // "Erase Complete"
    Installed, // "Success: Firmware Installed" past the page's fixed head
};

V11PageState v11PageState(const QByteArray &page);

// Step of the flashing that a JSON upgrade-status text names.
struct UpgradeStep {
    int q;          // step index of the progress report, 1 to 6
    bool rebooting; // the station has finished and restarts
};

UpgradeStep upgradeStep(const QString &statusText);

// Upgrade-status texts in which the station reports that it cannot go on. They carry no step marker, so they
// fall on step 1 like any other text; only a station that keeps reporting one has given up.
inline constexpr const char *stationErrorTexts[] = {"ERROR", "CRC error in file"};

#endif // REPLYREADERS_H
