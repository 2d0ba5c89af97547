#include "parse/json.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// Any bytes, decoded as UTF-8, must parse without crashing or hanging.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const tavimo::JsonValue value = tavimo::ParseJsonUtf8(bytes);
    const QString errors = tavimo::LastJsonErrors();
    if (value.isEmpty() != (errors == QLatin1String("Invalid JSON")))
        __builtin_trap();
    (void)value.toText();
    return 0;
}
