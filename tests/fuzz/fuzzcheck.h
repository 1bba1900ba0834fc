#ifndef FUZZCHECK_H
#define FUZZCHECK_H

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken property is a finding like a crash: libFuzzer saves the input when the process aborts.
#define FUZZ_CHECK(cond, why)                                                                              \
    do {                                                                                                   \
        if (!(cond)) {                                                                                     \
            std::fprintf(stderr, "property broken at %s:%d: %s (%s)\n", __FILE__, __LINE__, why, #cond);   \
            std::abort();                                                                                  \
        }                                                                                                  \
    } while (false)

// The fuzzer's bytes, copied: a QByteArray from raw data would assume a NUL after the last byte.
inline QByteArray fuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), int(size));
}

#endif // FUZZCHECK_H
