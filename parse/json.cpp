#include "parse/json.h"

#include "parse/json_reader.h"

#include <QStringDecoder>

#include <malloc.h>

#include <vector>

namespace tavimo {

namespace {

QString &errorText()
{
    thread_local QString errors;
    return errors;
}

// A large reply's values take several times its size in small heap blocks.
// Freeing them would hand the pages back to the system, and the next large
// reply would fault every one in again, which costs more than the parse
// itself; a high trim threshold keeps them for reuse.
void keepFreedHeapPages()
{
    static const bool kept = [] { return mallopt(M_TRIM_THRESHOLD, 256 << 20) == 1; }();
    Q_UNUSED(kept);
}

JsonValue parseText(QStringView text)
{
    keepFreedHeapPages();
    QString &errors = errorText();
    errors.clear();
    JsonReader reader(text, errors);
    return reader.ReadDocument();
}

} // namespace

JsonValue ParseJson(const QString &text)
{
    return parseText(text);
}

JsonValue ParseJsonUtf8(const QByteArray &utf8)
{
    // The decoded text goes to a buffer kept between calls: large replies
    // then reuse memory instead of mapping and touching fresh pages.
    constexpr size_t kKeptUnits = size_t(32) << 20;
    thread_local std::vector<char16_t> buffer;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    buffer.resize(size_t(decoder.requiredSpace(utf8.size())));
    QChar *const start = reinterpret_cast<QChar *>(buffer.data());
    const QChar *const end = decoder.appendToBuffer(start, utf8);

    JsonValue value = parseText(QStringView(start, end - start));
    if (buffer.capacity() > kKeptUnits)
        std::vector<char16_t>().swap(buffer);
    return value;
}

QString LastJsonErrors()
{
    return errorText();
}

} // namespace tavimo
