#pragma once

#include "parse/json_value.h"
#include "parse/text_arena.h"

#include <QSet>
#include <QString>
#include <QStringView>

#include <array>
#include <initializer_list>

namespace tavimo {

// One pass of the lenient JSON reader over a text. The cursor is a 1-based
// index of UTF-16 code units; every reading step leaves it just after what
// it has read. Errors are appended to the caller's error text.
class JsonReader {
public:
    // Objects and arrays nested deeper than this end the parse.
    static constexpr int kMaxDepth = 1000;

    JsonReader(QStringView text, QString &errors);

    // The top-level object or array, or the empty value ("Invalid JSON").
    JsonValue ReadDocument();

private:
    void SkipBlanks();
    JsonValue ReadValue();
    JsonValue ReadObject();
    JsonValue ReadArray();
    JsonValue ReadString();
    JsonValue ReadNumber();
    JsonValue ReadBoolean();
    JsonValue ReadNull();
    // likelyKey, when given and written as is in the text, is returned
    // without reading the key character by character.
    QString ReadKey(const QString *likelyKey);

    // The characters up to the next backslash or quote; the cursor moves past them.
    QStringView plainRun(char16_t quote);
    void readEscape();
    void gatherKey(QString &key);
    // Replies repeat the same keys in every element; one shared copy each
    // saves an allocation per member.
    QString sharedKey(const QString &key);
    // Opens an object or array (the cursor is on its bracket); false when
    // nesting too deep ends the parse.
    bool enterNesting();
    void finishNesting();
    // Skips to the next member or element; false when the object or array
    // is complete (its closing character, or the end of the text).
    bool nextMember(char16_t closing, QStringView missingClosing);
    bool closingKeyQuoteMisplaced(const QString &key);
    // The text at the cursor is the key in double quotes, then a colon.
    bool quotedKeyAtCursor(const QString &key) const;

    bool atEnd() const { return cursor_ > length_; }
    // Only valid when !atEnd().
    char16_t current() const { return text_[cursor_ - 1]; }
    bool at(char16_t c) const { return !atEnd() && current() == c; }
    bool literalAtCursor(QStringView word) const;
    QStringView restOfText() const;
    // Appends the pieces as one error line.
    void recordLine(std::initializer_list<QStringView> pieces);
    void recordLiteralError(QStringView what);
    void failValue(QStringView description);

    const char16_t *text_;
    qint64 length_;
    qint64 cursor_ = 1;
    QString &errors_;
    // One buffer serves every string with escapes; it is emptied per string.
    QString unescaped_;
    TextArena texts_;
    static constexpr qsizetype kKeyCacheSize = 4096;
    QString keyBuffer_;
    QSet<QString> keyCache_;
    int depth_ = 0;
    // The object read last at each depth.
    std::array<std::shared_ptr<const JsonObject>, kMaxDepth> previousObjects_;
    // A member or element failure that ends each enclosing level in turn.
    bool pending_ = false;
    QString pendingDescription_;
    // The value just read failed and is not stored.
    bool valueFailed_ = false;
    // Nesting went too deep: every level returns what it holds, silently.
    bool stopped_ = false;
};

} // namespace tavimo
