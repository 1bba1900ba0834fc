// Any body of a JSON command's reply, read for the values the controller takes from it.

#include "fuzzcheck.h"
#include "replyreaders.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cstring>

namespace {

constexpr const char *keys[] = {"paramStatus", "paramValue", "sysParamValue", "macAddr"};

void checkStep(const QString &status)
{
    const UpgradeStep step = upgradeStep(status);
    FUZZ_CHECK(step.q >= 1 && step.q <= 6, "the step index lies between 1 and 6");
    FUZZ_CHECK(step.rebooting == (step.q == 6), "only the last step reboots");
    FUZZ_CHECK(step.rebooting == status.contains(QLatin1String("Rebooting")), "\"Rebooting\" ends the flashing");
    if (step.q >= 2 && step.q <= 5)
        FUZZ_CHECK(status.contains(QStringLiteral("%1/5").arg(step.q - 1)), "a step needs its own marker");
    if (step.q == 1) {
        for (const char *marker : {"1/5", "2/5", "3/5", "4/5"})
            FUZZ_CHECK(!status.contains(QLatin1String(marker)), "a step marker went unnoticed");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body = fuzzBytes(data, size);

    for (const char *name : keys) {
        const QString key = QString::fromLatin1(name);
        const QString text = jsonTextValue(body, key);
        const int number = jsonIntValue(body, key);
        FUZZ_CHECK(text.isEmpty() || number == 0, "one member cannot be both a string and a number");
        if (!body.contains('{'))
            FUZZ_CHECK(text.isEmpty() && number == 0, "a body that is no JSON object yields no values");
        FUZZ_CHECK(text == jsonTextValue(body, key) && number == jsonIntValue(body, key), "reading is repeatable");
        checkStep(text);
    }

    // The same bytes as the station would send them: its status text and a percentage, written by a JSON writer.
    const QString status = QString::fromUtf8(body);
    qint32 percent = 0;
    std::memcpy(&percent, data, qMin(size, sizeof percent));
    const QJsonObject reply{{QStringLiteral("cmdType"), 1},
                            {QStringLiteral("portId"), 0},
                            {QStringLiteral("paramId"), 26},
                            {QStringLiteral("paramStatus"), status},
                            {QStringLiteral("paramValue"), percent}};
    const auto format = size % 2 ? QJsonDocument::Compact : QJsonDocument::Indented;
    const QByteArray written = QJsonDocument(reply).toJson(format);
    // Qt's JSON reader decodes a string without escapes as a UTF-8 document, dropping a byte-order mark at its
    // start; a station's status text never starts with one.
    const QString readBack = jsonTextValue(written, QStringLiteral("paramStatus"));
    FUZZ_CHECK(readBack == status || (status.startsWith(QChar(0xFEFF)) && readBack == status.mid(1)),
               "a status text is read back whole");
    FUZZ_CHECK(jsonIntValue(written, QStringLiteral("paramValue")) == percent, "a percentage is read back exactly");
    FUZZ_CHECK(jsonIntValue(written, QStringLiteral("paramStatus")) == 0, "a text member has no integer value");
    FUZZ_CHECK(jsonTextValue(written, QStringLiteral("paramValue")).isEmpty(), "a number member has no text value");
    checkStep(status);
    return 0;
}
