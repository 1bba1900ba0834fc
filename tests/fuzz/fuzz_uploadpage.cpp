// Any page the older generation's station may send for its upload status, read for the received size.

#include "fuzzcheck.h"
#include "replyreaders.h"

#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view phrase = "Firmware File is available, size is";

std::string_view view(const QByteArray &bytes)
{
    return {bytes.constData(), size_t(bytes.size())};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray page = fuzzBytes(data, size);
    const std::optional<int> received = uploadPageSize(page);

    const size_t at = view(page).find(phrase);
    FUZZ_CHECK(received.has_value() == (at != std::string_view::npos && at > 0),
               "a size is read exactly when the phrase stands after the page's first byte");
    if (received && *received != 0) {
        // The size's digits are on the page, maybe behind a sign or leading zeros.
        const QByteArray digits = QByteArray::number(qAbs(qint64(*received)));
        FUZZ_CHECK(view(page).find(view(digits), at + phrase.size()) != std::string_view::npos,
                   "a size that is not on the page");
    }

    // The station's own line, with whatever the rest of the page holds behind it.
    qint32 size32 = 0;
    std::memcpy(&size32, data, qMin(size, sizeof size32));
    const QByteArray line = "<p>" + QByteArray(phrase.data(), int(phrase.size())) + ' '
                            + QByteArray::number(size32) + "<br>";
    const std::optional<int> stated = uploadPageSize(line + page);
    FUZZ_CHECK(stated && *stated == size32, "the size the station states is not the size read");
    const std::optional<int> spaced = uploadPageSize(line.left(line.size() - 4) + "  \t<br>" + page);
    FUZZ_CHECK(spaced && *spaced == size32, "white space after the size is not allowed for");
    return 0;
}
