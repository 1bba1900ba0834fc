// Any datagram that reaches the discovery port, read as a station's acknowledgement.

#include "discoverydatagram.h"
#include "fuzzcheck.h"

#include <QUrl>

#include <algorithm>
#include <cstring>

namespace {


bool plainAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The bytes the unit text is decoded from, found with the C library rather than QByteArray.
QByteArray unitBytes(const QByteArray &datagram)
{
    if (datagram.size() <= discoveryUnitTextOffset)
        return {};
    const char *begin = datagram.constData() + discoveryUnitTextOffset;
    const size_t available = size_t(datagram.size() - discoveryUnitTextOffset);
    const void *nul = std::memchr(begin, 0, available);
    const size_t length = nul ? size_t(static_cast<const char *>(nul) - begin) : available;
    return QByteArray(begin, int(length));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray datagram = fuzzBytes(data, size);
    const std::optional<QString> unit = readDiscoveryUnitText(datagram);

    FUZZ_CHECK(unit.has_value() == datagram.contains(discoveryAckMarker), "an acknowledgement is exactly a datagram with the marker");
    if (!unit)
        return 0;

    const QString &text = *unit;
    const QByteArray bytes = unitBytes(datagram);
    FUZZ_CHECK(!text.contains(QChar(0)), "the unit text ends at the first NUL");
    FUZZ_CHECK(text.size() <= bytes.size(), "UTF-8 never decodes to more characters than bytes");
    FUZZ_CHECK(datagram.size() > discoveryUnitTextOffset || text.isEmpty(), "a short acknowledgement has no text");
    FUZZ_CHECK(text == QString::fromUtf8(bytes), "the text is the bytes from offset 55 up to the NUL");
    if (plainAscii(bytes))
        FUZZ_CHECK(text.toLatin1() == bytes, "an ASCII unit text is passed on byte for byte");
    FUZZ_CHECK(QString::fromUtf8(text.toUtf8()) == text, "the text survives a round trip through UTF-8");

    // The fields the window reads, and what it lets into a URL.
    const QString mac = unitTextMac(text);
    const QString address = unitTextAddress(text);
    FUZZ_CHECK(mac.size() == qMin(17, int(text.size())) && text.startsWith(mac), "the MAC is the first 17 characters");
    FUZZ_CHECK(!address.contains(QLatin1Char('/')), "the address ends before the first slash");
    FUZZ_CHECK(text.size() > 49 ? text.mid(49).startsWith(address) : address.isEmpty(),
               "the address starts at character 49");
    if (isDottedIpv4(address)) {
        FUZZ_CHECK(address.size() <= 15 && address.count(QLatin1Char('.')) == 3, "a dotted address is short");
        FUZZ_CHECK(QUrl(QStringLiteral("http://") + address + QStringLiteral("/getJson.json")).host() == address,
                   "a URL reaches exactly the dotted address listed");
    }

    // Whatever follows a NUL after the header is not part of the unit text.
    if (datagram.size() >= discoveryUnitTextOffset) {
        QByteArray padded = datagram;
        padded.append('\0').append(datagram);
        const std::optional<QString> again = readDiscoveryUnitText(padded);
        FUZZ_CHECK(again && *again == text, "bytes after a terminating NUL change the unit text");
    }
    return 0;
}
