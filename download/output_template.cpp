#include "download/output_template.h"

#include "download/file_names.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

namespace tavimo {

namespace {

const QStringList &FieldNames()
{
    static const QStringList names = {QStringLiteral("title"),    QStringLiteral("album"),   QStringLiteral("artist"),
                                      QStringLiteral("position"), QStringLiteral("channel"), QStringLiteral("id")};
    return names;
}

const QString kPosition = QStringLiteral("position");

} // namespace

std::optional<OutputTemplate> OutputTemplate::parse(const QString &text, QString &error)
{
    QString spelled = text;
    if (spelled.endsWith(QLatin1String(kTrackExtension), Qt::CaseInsensitive))
        spelled.chop(int(sizeof(kTrackExtension) - 1));
    if (spelled.trimmed().isEmpty()) {
        error = QStringLiteral("输出模板为空");
        return std::nullopt;
    }
    if (spelled.startsWith(u'/') || spelled.startsWith(u'~')) {
        error = QStringLiteral("输出模板须是下载文件夹之内的相对路径: ") + text;
        return std::nullopt;
    }
    static const QRegularExpression field(QStringLiteral("\\{([^{}]*)\\}"));
    OutputTemplate result;
    for (const QString &spelledPart : spelled.split(u'/', Qt::SkipEmptyParts)) {
        if (spelledPart == QLatin1String(".") || spelledPart == QLatin1String("..")) {
            error = QStringLiteral("输出模板须是下载文件夹之内的相对路径: ") + text;
            return std::nullopt;
        }
        Part part;
        qsizetype at = 0;
        for (const QRegularExpressionMatch &match : field.globalMatch(spelledPart)) {
            part.append({spelledPart.mid(at, match.capturedStart() - at), QString(), 0});
            const QString name = match.captured(1).section(u':', 0, 0);
            const QString width = match.captured(1).section(u':', 1);
            bool isNumber = width.isEmpty();
            const int digits = isNumber ? 0 : width.toInt(&isNumber);
            if (!FieldNames().contains(name) || !isNumber || digits < 0 || digits > 9 ||
                (!width.isEmpty() && name != kPosition)) {
                error = QStringLiteral("输出模板中有未知字段: ") + match.captured(0);
                return std::nullopt;
            }
            part.append({QString(), name, digits});
            at = match.capturedEnd();
        }
        part.append({spelledPart.mid(at), QString(), 0});
        result.parts_.append(part);
    }
    return result;
}

QString OutputTemplate::valueOf(const Piece &piece, const TrackFields &fields)
{
    if (piece.field.isEmpty())
        return piece.literal;
    if (piece.field == kPosition)
        return fields.position > 0 ? QStringLiteral("%1").arg(fields.position, piece.width, 10, QLatin1Char('0'))
                                   : QString();
    const QString *values[] = {&fields.title, &fields.album, &fields.artist, nullptr, &fields.channel, &fields.id};
    return CleanFileName(*values[FieldNames().indexOf(piece.field)]);
}

QString OutputTemplate::fill(const QString &root, const TrackFields &fields) const
{
    QStringList filled;
    for (qsizetype i = 0; i < parts_.size(); ++i) {
        QString part;
        for (const Piece &piece : parts_.at(i))
            part += valueOf(piece, fields);
        part = ShortenToUtf8Bytes(part, MaxCleanNameBytes());
        // A folder level left empty disappears; the file's own name stays.
        if (part.trimmed().isEmpty() && i + 1 < parts_.size())
            continue;
        filled.append(part);
    }
    QString base = QDir::cleanPath(root);
    if (!base.endsWith(u'/'))
        base += u'/';
    const QString path = QDir::cleanPath(base + filled.join(u'/') + QLatin1String(kTrackExtension));
    return path.startsWith(base) ? path : QString();
}

} // namespace tavimo
