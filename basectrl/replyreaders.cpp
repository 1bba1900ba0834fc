#include "replyreaders.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace {

QJsonValue topLevelValue(const QByteArray &body, const QString &key)
{
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    if (doc.isNull() || doc.isEmpty())
        return {};
    // A top-level array yields an empty object here.
    return doc.object().value(key);
}

} // namespace

bool answerArrivedWhole(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::NoError:
    // The codes Qt derives from a 4xx or 5xx status line.
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::AuthenticationRequiredError:
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::ContentOperationNotPermittedError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::ContentConflictError:
    case QNetworkReply::ContentGoneError:
    case QNetworkReply::UnknownContentError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::OperationNotImplementedError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
        return true;
    default:
        return false;
    }
}

QString jsonTextValue(const QByteArray &body, const QString &key)
{
    const QJsonValue value = topLevelValue(body, key);
    return value.isString() ? value.toString() : QString();
}

int jsonIntValue(const QByteArray &body, const QString &key)
{
    const QJsonValue value = topLevelValue(body, key);
    return value.isDouble() ? value.toInt() : 0;
}

std::optional<int> uploadPageSize(const QByteArray &page)
{
    static const QByteArray phrase("Firmware File is available, size is");
    const auto at = page.indexOf(phrase);
    // The station's page never starts with the phrase; one that does is not its page.
    if (at <= 0)
        return std::nullopt;

    const auto start = at + phrase.size() + 1; // one separator after the phrase
    auto end = page.indexOf("<br>", start);
    if (end < 0)
        end = page.size();
    const QByteArray field = page.mid(start, end - start);

    // A NUL ends the text as the station's C strings do.
    bool ok = false;
    const int size = QString::fromUtf8(field.constData()).trimmed().toInt(&ok);
    return ok ? size : 0;
}

V11PageState v11PageState(const QByteArray &page)
{
    // The page's fixed head quotes the success phrase within its first 388 bytes;
    // only a later occurrence means the station has finished.
    constexpr int headBytes = 388;
    if (page.lastIndexOf("Success: Firmware Installed") > headBytes)
        return V11PageState::Installed;
    if (page.contains("Erase Complete"))
        return V11PageState::Writing;
    if (page.contains("Starting erase"))
        return V11PageState::Erasing;
    return V11PageState::Unknown;
}

UpgradeStep upgradeStep(const QString &statusText)
{
    if (statusText.contains(QLatin1String("Rebooting")))
        return {6, true};
    static const char *const markers[] = {"1/5", "2/5", "3/5", "4/5"};
    for (int i = 0; i < 4; ++i) {
        if (statusText.contains(QLatin1String(markers[i])))
            return {i + 2, false};
    }
    return {1, false};
}
