// Any page the older generation's station may send for its upgrade status, read for its decision.

#include "fuzzcheck.h"
#include "replyreaders.h"

#include <string_view>

namespace {

constexpr std::string_view success = "Success: Firmware Installed";
constexpr size_t headBytes = 388;

std::string_view view(const QByteArray &bytes)
{
    return {bytes.constData(), size_t(bytes.size())};
}

// The decision, worked out with the standard library's searches.
V11PageState expected(std::string_view page)
{
    const size_t last = page.rfind(success);
    if (last != std::string_view::npos && last > headBytes)
        return V11PageState::Installed;
    if (page.find("Erase Complete") != std::string_view::npos)
        return V11PageState::Writing;
    if (page.find("Starting erase") != std::string_view::npos)
        return V11PageState::Erasing;
    return V11PageState::Unknown;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray page = fuzzBytes(data, size);
    const V11PageState state = v11PageState(page);
    FUZZ_CHECK(state == expected(view(page)), "the decision differs from the phrases on the page");

    // A longer head in front only moves a success line further back.
    if (state == V11PageState::Installed)
        FUZZ_CHECK(v11PageState("<!-- -->" + page) == V11PageState::Installed, "a longer head undid a success");

    // The success line, placed behind the page's fixed head, always decides.
    QByteArray finished = page.left(int(headBytes) + 1);
    finished.append(QByteArray(int(headBytes) + 1 - finished.size(), ' '));
    finished.append(success.data(), int(success.size()));
    FUZZ_CHECK(v11PageState(finished) == V11PageState::Installed, "a success line after the head went unseen");
    return 0;
}
