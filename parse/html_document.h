#pragma once

#include <QString>
#include <QStringList>

namespace tavimo {

// A parsed HTML page, as far as the artist download reads it: the text of
// its first level-1 heading and the "href" of its links in document order.
class HtmlDocument {
public:
    // Parses a whole page, replacing whatever the document held.
    void Write(const QString &html);
    void Clear();

    // The text content (without markup) of the first "H1"; empty without one.
    QString firstH1Text() const { return firstH1Text_; }
    // The "href" of every <a> and <area> that has one, in document order.
    QStringList linkHrefs() const { return linkHrefs_; }

private:
    QString firstH1Text_;
    QStringList linkHrefs_;
};

} // namespace tavimo
