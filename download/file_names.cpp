#include "download/file_names.h"

#include <QTextBoundaryFinder>

namespace tavimo {
namespace {

// Characters that names may not hold: the platform's forbidden set, plus
// "." so that a title never brings its own extension.
bool isForbidden(QChar c)
{
    static const QString forbidden = QStringLiteral("?|/\\*:\"<>.");
    // Tab passes: it is a valid name character and titles use it as a blank.
    const bool control = c.unicode() < 0x20 && c != u'\t';
    return control || forbidden.contains(c);
}

// Drops forbidden characters and unpaired surrogates, which no file system
// name can encode.
QString withoutForbidden(const QString &name)
{
    QString kept;
    kept.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            kept.append(c).append(name.at(++i));
        } else if (!c.isSurrogate() && !isForbidden(c)) {
            kept.append(c);
        }
    }
    return kept;
}

int utf8BytesOfCodeUnits(const QString &text, qsizetype from, qsizetype to)
{
    int bytes = 0;
    for (qsizetype i = from; i < to; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < to && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            bytes += 4;
            ++i;
        } else {
            bytes += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
        }
    }
    return bytes;
}

// The boundary finder can report a boundary inside a surrogate pair (after
// some unassigned code points), which must never be a cut.
bool splitsSurrogatePair(const QString &text, qsizetype at)
{
    return at < text.size() && text.at(at - 1).isHighSurrogate() && text.at(at).isLowSurrogate();
}

// The longest prefix, in code units, that ends on a boundary of the given
// kind and fits in maxBytes.
qsizetype fittingPrefix(const QString &text, QTextBoundaryFinder::BoundaryType type, int maxBytes)
{
    QTextBoundaryFinder boundaries(type, text);
    qsizetype fitting = 0;
    int bytes = 0;
    for (qsizetype next = boundaries.toNextBoundary(); next > 0; next = boundaries.toNextBoundary()) {
        if (splitsSurrogatePair(text, next))
            continue;
        bytes += utf8BytesOfCodeUnits(text, fitting, next);
        if (bytes > maxBytes)
            break;
        fitting = next;
    }
    return fitting;
}

// The longest prefix that fits, ending between two code points.
qsizetype fittingCodePoints(const QString &text, int maxBytes)
{
    qsizetype fitting = 0;
    int bytes = 0;
    while (fitting < text.size()) {
        const qsizetype step = text.at(fitting).isHighSurrogate() && fitting + 1 < text.size() ? 2 : 1;
        bytes += utf8BytesOfCodeUnits(text, fitting, fitting + step);
        if (bytes > maxBytes)
            break;
        fitting += step;
    }
    return fitting;
}

} // namespace

QString TrimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

int Utf8ByteCount(const QString &text)
{
    return utf8BytesOfCodeUnits(text, 0, text.size());
}

QString ShortenToUtf8Bytes(const QString &text, int maxBytes)
{
    if (Utf8ByteCount(text) <= maxBytes)
        return text;
    qsizetype length = fittingPrefix(text, QTextBoundaryFinder::Grapheme, maxBytes);
    if (length == 0)
        length = fittingCodePoints(text, maxBytes);
    return text.left(length);
}

QString CleanFileName(const QString &name)
{
    QString cleaned = withoutForbidden(name);
    cleaned.replace(QLatin1String("&#39;"), QLatin1String("'"));
    cleaned = TrimBlanks(cleaned);
    // Shortening may leave a blank at the new end.
    return TrimBlanks(ShortenToUtf8Bytes(cleaned, MaxCleanNameBytes()));
}

} // namespace tavimo
