#include "parse/json_reader.h"

namespace tavimo {

namespace {

constexpr qsizetype kContextLength = 20;

} // namespace

JsonReader::JsonReader(QStringView text, QString &errors) : text_(text.utf16()), length_(text.size()), errors_(errors)
{
}

JsonValue JsonReader::ReadDocument()
{
    SkipBlanks();
    if (at(u'{'))
        return ReadObject();
    if (at(u'['))
        return ReadArray();
    errors_ = QStringLiteral("Invalid JSON");
    return JsonValue();
}

void JsonReader::SkipBlanks()
{
    bool inComment = false;
    bool longComment = false;
    bool startMark = false;
    for (; !atEnd(); ++cursor_) {
        switch (current()) {
        case u'\r':
        case u'\n':
            if (!longComment)
                inComment = startMark = false;
            break;
        case u'\t':
        case u' ':
        case u'(':
        case u')':
            break;
        case u'/':
            if (longComment) {
                if (startMark)
                    longComment = inComment = startMark = false;
            } else if (startMark) {
                inComment = true;
                startMark = false;
            } else {
                startMark = true;
                inComment = longComment = false;
            }
            break;
        case u'*':
            if (startMark) {
                inComment = longComment = true;
                startMark = false;
            } else {
                startMark = true;
            }
            break;
        default:
            if (!inComment)
                return;
        }
    }
}

JsonValue JsonReader::ReadValue()
{
    SkipBlanks();
    if (atEnd())
        return ReadNumber();
    switch (current()) {
    case u'{':
        return ReadObject();
    case u'[':
        return ReadArray();
    case u'"':
    case u'\'':
        return ReadString();
    case u't':
    case u'f':
        return ReadBoolean();
    case u'n':
        return ReadNull();
    default:
        return ReadNumber();
    }
}

bool JsonReader::enterNesting()
{
    if (depth_ >= kMaxDepth) {
        recordLine({u"Nesting too deep at position ", QString::number(cursor_)});
        stopped_ = true;
        valueFailed_ = true;
        return false;
    }
    ++depth_;
    SkipBlanks();
    ++cursor_;
    return true;
}

void JsonReader::finishNesting()
{
    --depth_;
    // A failure of a member does not fail the object or array holding it.
    valueFailed_ = false;
}

bool JsonReader::nextMember(char16_t closing, QStringView missingClosing)
{
    SkipBlanks();
    if (at(closing)) {
        ++cursor_;
        return false;
    }
    if (at(u',')) {
        ++cursor_;
        SkipBlanks();
    } else if (atEnd()) {
        recordLine({missingClosing, QStringView(text_, length_).right(kContextLength)});
        return false;
    }
    pending_ = false;
    valueFailed_ = false;
    return true;
}

JsonValue JsonReader::ReadObject()
{
    if (!enterNesting())
        return JsonValue();
    auto object = std::make_shared<JsonObject>();
    // Sibling objects in a reply usually share one shape: room for as many
    // members as the previous object at this depth avoids regrowing, and
    // its keys serve again.
    std::shared_ptr<const JsonObject> &sibling = previousObjects_[size_t(depth_ - 1)];
    const std::vector<JsonObject::Member> noMembers;
    const auto &siblingMembers = sibling ? sibling->Members() : noMembers;
    object->Reserve(int(siblingMembers.size()));
    for (size_t position = 0; nextMember(u'}', u"Missing '}': "); ++position) {
        const QString key = ReadKey(position < siblingMembers.size() ? &siblingMembers[position].first : nullptr);
        pending_ = false;
        JsonValue value = ReadValue();
        if (!valueFailed_ && !object->Add(key, std::move(value)))
            failValue(u"Duplicate key");
        if (stopped_)
            break;
        if (pending_) {
            recordLine({pendingDescription_, u": ", key});
            break;
        }
    }
    sibling = object;
    finishNesting();
    return JsonValue(std::move(object));
}

JsonValue JsonReader::ReadArray()
{
    if (!enterNesting())
        return JsonValue();
    auto array = std::make_shared<JsonArray>();
    while (nextMember(u']', u"Missing ']': ")) {
        const qint64 valueStart = cursor_;
        JsonValue value = ReadValue();
        if (!valueFailed_)
            array->Add(std::move(value));
        if (stopped_)
            break;
        if (pending_) {
            recordLine({pendingDescription_, u": ", restOfText().left(kContextLength)});
            break;
        }
        // An invalid literal leaves the cursor where it was; reading it
        // again would never end, so the array ends after its error line.
        // At the end of the text the next round says what is missing.
        if (cursor_ == valueStart && !atEnd())
            break;
    }
    finishNesting();
    return JsonValue(std::move(array));
}

bool JsonReader::literalAtCursor(QStringView word) const
{
    return length_ - cursor_ + 1 >= word.size() && QStringView(text_ + cursor_ - 1, word.size()) == word;
}

QStringView JsonReader::restOfText() const
{
    if (atEnd())
        return QStringView();
    return QStringView(text_ + cursor_ - 1, length_ - cursor_ + 1);
}

void JsonReader::recordLine(std::initializer_list<QStringView> pieces)
{
    for (QStringView piece : pieces)
        errors_.append(piece);
    errors_.append(u"\r\n");
}

void JsonReader::recordLiteralError(QStringView what)
{
    recordLine({what, u" at position ", QString::number(cursor_), u" : ", restOfText()});
}

void JsonReader::failValue(QStringView description)
{
    pending_ = true;
    pendingDescription_ = description.toString();
}

} // namespace tavimo
