#include "parse/json.h"

#include "parse/json_reader.h"

namespace tavimo {

namespace {

QString &errorText()
{
    thread_local QString errors;
    return errors;
}

} // namespace

JsonValue ParseJson(const QString &text)
{
    QString &errors = errorText();
    errors.clear();
    JsonReader reader(text, errors);
    return reader.ReadDocument();
}

JsonValue ParseJsonUtf8(const QByteArray &utf8)
{
    return ParseJson(QString::fromUtf8(utf8));
}

QString LastJsonErrors()
{
    return errorText();
}

} // namespace tavimo
