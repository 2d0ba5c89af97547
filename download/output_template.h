#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace tavimo {

// The values an output template may place a track by; empty (0 for the
// position) where the source gives none.
struct TrackFields {
    QString title;
    QString album;
    QString artist;
    QString channel;
    QString id;
    int position = 0;
};

// Where a track goes under the download root, written as "{artist}/{album}/
// {position:02} {title}": the fields in braces, a "/" between folders, the
// ".mp3" added. Every value is cleaned as a file name first, so no value
// makes a folder or leaves the root.
class OutputTemplate {
public:
    // The template of text; nothing, with error set, when it is empty, not
    // relative, has a "." or ".." part, or names an unknown field.
    static std::optional<OutputTemplate> parse(const QString &text, QString &error);

    // The track's path under root: folder levels left empty disappear, each
    // part is shortened to the longest clean name; empty when the path would
    // not lie inside root.
    QString fill(const QString &root, const TrackFields &fields) const;

private:
    struct Piece {
        QString literal;
        QString field; // empty for a literal
        int width = 0; // at least this many digits, zero-padded
    };
    using Part = QList<Piece>;

    static QString valueOf(const Piece &piece, const TrackFields &fields);

    QList<Part> parts_;
};

} // namespace tavimo
