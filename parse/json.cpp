#include "parse/json.h"

#include "parse/json_reader.h"

#include <QStringDecoder>

#include <vector>

namespace tavimo {

namespace {

QString &errorText()
{
    thread_local QString errors;
    return errors;
}

JsonValue parseText(QStringView text)
{
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
