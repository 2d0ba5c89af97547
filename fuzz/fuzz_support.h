#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace tavimo::fuzz {

// Stops the run so that libFuzzer keeps the input that broke a rule.
inline void require(bool holds)
{
    if (!holds)
        std::abort();
}

// The fuzzer's bytes read as UTF-8, as a page from the service would be.
inline QString TextOf(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

} // namespace tavimo::fuzz
