#include "commandtext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

QString commandStringValue(const QString &text)
{
    // Qt's JSON writer escapes the string; the array around it and the quotes are cut off again (after
    // decoding: a byte-order mark at the start of the bytes would be dropped).
    const QString json = QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact));
    QString out = json.mid(2, json.size() - 4);
    // '%' first: the others are encoded with it.
    for (const char c : {'%', '&', '#', '+', '='})
        out.replace(QLatin1Char(c), QLatin1Char('%') + QString::number(c, 16).toUpper());
    return out;
}

QString uploadFileName(const QString &fileName)
{
    QString out;
    out.reserve(fileName.size());
    for (const QChar c : fileName) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QString::fromLatin1(QUrl::toPercentEncoding(c));
        else
            out += c;
    }
    return out;
}
