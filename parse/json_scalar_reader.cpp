#include "parse/json_reader.h"

// The reading steps for strings, numbers, literals and keys.

namespace tavimo {

namespace {

bool isNumberCharacter(char16_t c)
{
    return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.' || c == u'e' || c == u'E';
}

bool isKeyBlank(char16_t c)
{
    return c == u'\r' || c == u'\n' || c == u'\t' || c == u' ';
}

bool endsKeyRun(char16_t c)
{
    return c == u'"' || c == u'\'' || c == u':' || isKeyBlank(c);
}

int hexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

} // namespace

JsonValue JsonReader::ReadString()
{
    SkipBlanks();
    const char16_t quote = current();
    ++cursor_;
    const QStringView plain = plainRun(quote);
    // Most strings hold no escape: they are copied once, straight from the text.
    if (at(quote)) {
        ++cursor_;
        return JsonValue(texts_.Keep(plain));
    }
    unescaped_.resize(0);
    unescaped_.append(plain);
    while (!atEnd()) {
        const bool closing = current() == quote;
        ++cursor_;
        if (closing)
            break;
        readEscape();
        unescaped_.append(plainRun(quote));
    }
    return JsonValue(texts_.Keep(unescaped_));
}

QStringView JsonReader::plainRun(char16_t quote)
{
    if (atEnd())
        return QStringView();
    const char16_t *const start = text_ + cursor_ - 1;
    const char16_t *const end = text_ + length_;
    const char16_t *p = start;
    while (p < end && *p != u'\\' && *p != quote)
        ++p;
    cursor_ += p - start;
    return QStringView(start, p - start);
}

void JsonReader::readEscape()
{
    if (atEnd())
        return;
    char16_t unit;
    switch (current()) {
    case u'"':
    case u'\\':
    case u'/':
    case u'\'':
        unit = current();
        break;
    case u'b':
        unit = u'\b';
        break;
    case u'f':
        unit = u'\f';
        break;
    case u'n':
        unit = u'\n';
        break;
    case u'r':
        unit = u'\r';
        break;
    case u't':
        unit = u'\t';
        break;
    case u'u': {
        ++cursor_;
        // Up to four hexadecimal digits, as far as they go; lone surrogates
        // are kept as the code unit they name.
        char16_t code = 0;
        for (qint64 i = cursor_; i < cursor_ + 4 && i <= length_; ++i) {
            const int digit = hexDigitValue(text_[i - 1]);
            if (digit < 0)
                break;
            code = char16_t(code * 16 + digit);
        }
        unescaped_.append(QChar(code));
        cursor_ += 4;
        return;
    }
    default:
        // The escape letter is read again as an ordinary character.
        return;
    }
    unescaped_.append(QChar(unit));
    ++cursor_;
}

JsonValue JsonReader::ReadNumber()
{
    SkipBlanks();
    const qint64 start = cursor_;
    while (!atEnd() && isNumberCharacter(current()))
        ++cursor_;
    // A number cut off by the end of the text reads as empty.
    if (atEnd())
        return JsonValue();
    Decimal number;
    switch (Decimal::fromText(QStringView(text_ + start - 1, cursor_ - start), number)) {
    case Decimal::Conversion::Ok:
        return JsonValue(number);
    case Decimal::Conversion::TooLarge:
        failValue(u"Number too large");
        break;
    case Decimal::Conversion::Invalid:
        failValue(u"Invalid number");
        break;
    }
    valueFailed_ = true;
    return JsonValue();
}

JsonValue JsonReader::ReadBoolean()
{
    SkipBlanks();
    if (literalAtCursor(u"true")) {
        cursor_ += 4;
        return JsonValue(true);
    }
    if (literalAtCursor(u"false")) {
        cursor_ += 5;
        return JsonValue(false);
    }
    recordLiteralError(u"Invalid Boolean");
    return JsonValue(false);
}

JsonValue JsonReader::ReadNull()
{
    SkipBlanks();
    if (literalAtCursor(u"null")) {
        cursor_ += 4;
        return JsonValue::null();
    }
    recordLiteralError(u"Invalid null value");
    return JsonValue();
}

QString JsonReader::ReadKey(const QString *likelyKey)
{
    SkipBlanks();
    if (likelyKey && quotedKeyAtCursor(*likelyKey)) {
        cursor_ += likelyKey->size() + 3;
        return *likelyKey;
    }
    keyBuffer_.resize(0);
    gatherKey(keyBuffer_);
    return sharedKey(keyBuffer_);
}

void JsonReader::gatherKey(QString &key)
{
    bool inDoubleQuotes = false;
    bool inSingleQuotes = false;
    const char16_t *const end = text_ + length_;
    while (!atEnd()) {
        const char16_t c = current();
        if (c == u'"' || c == u'\'') {
            bool &inQuotes = c == u'"' ? inDoubleQuotes : inSingleQuotes;
            inQuotes = !inQuotes;
            ++cursor_;
            if (!inQuotes && closingKeyQuoteMisplaced(key))
                return;
        } else if (c == u':') {
            ++cursor_;
            if (!inDoubleQuotes && !inSingleQuotes)
                return;
            key.append(u':');
        } else if (isKeyBlank(c)) {
            ++cursor_;
        } else {
            const char16_t *const start = text_ + cursor_ - 1;
            const char16_t *p = start + 1;
            while (p < end && !endsKeyRun(*p))
                ++p;
            key.append(QStringView(start, p - start));
            cursor_ += p - start;
        }
    }
}

QString JsonReader::sharedKey(const QString &key)
{
    const auto known = keyCache_.constFind(key);
    if (known != keyCache_.constEnd())
        return *known;
    QString copy(key.constData(), key.size());
    if (keyCache_.size() < kKeyCacheSize)
        keyCache_.insert(copy);
    return copy;
}

bool JsonReader::quotedKeyAtCursor(const QString &key) const
{
    // A read key holds no quotes or blanks, so this text reads as the key
    // itself, whatever colons it holds.
    const qsizetype size = key.size();
    if (length_ - cursor_ + 1 < size + 3)
        return false;
    const char16_t *const quote = text_ + cursor_ - 1;
    return quote[0] == u'"' && quote[size + 1] == u'"' && quote[size + 2] == u':' &&
           QStringView(quote + 1, size) == key;
}

bool JsonReader::closingKeyQuoteMisplaced(const QString &key)
{
    SkipBlanks();
    if (at(u':'))
        return false;
    recordLine({u"Invalid Key at position ", QString::number(cursor_), u" : ", key});
    return true;
}

} // namespace tavimo
