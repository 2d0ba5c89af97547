#include "parse/html_document.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace tavimo {
namespace {

// Every page is written in turn into one document, which must forget the
// previous page each time. The name is the text of the first H1 without
// markup, entities decoded, blanks kept as the page has them; links come in
// document order, <area> included, anchors without href left out. Empty,
// truncated, binary and hostile pages give what can be read, never a crash;
// a page nested far deeper than any real one is read down to a bound,
// quickly, keeping what comes before the cut; long flat pages are read whole.
TEST(HtmlDocument, ReadsTheFirstHeadingAndTheLinks)
{
    const struct {
        const char *name;
        QString page;
        QString heading;
        QStringList links;
    } rows[] = {
        {"heading with markup", QStringLiteral("<html><body><div><H1> 王菲 <span>&amp; <b>Faye</b></span> </H1></div>"
                                               "<h1>second</h1></body></html>"),
         QStringLiteral(" 王菲 & Faye "), {}},
        {"links", QStringLiteral("<p><a href='http://h/subject/1/'>a</a><a name='x'>no</a>"
                                 "<div><a HREF=\"http://h/subject/2/?x=1&amp;y=2\">b</a></div>"
                                 "<map><area href=\"/subject/3/\"></map><a href=''>empty</a></p>"),
         QString(), {QStringLiteral("http://h/subject/1/"), QStringLiteral("http://h/subject/2/?x=1&y=2"),
                     QStringLiteral("/subject/3/"), QString()}},
        {"empty", QString(), QString(), {}},
        {"cut off heading", QStringLiteral("<h1>cut off"), QStringLiteral("cut off"), {}},
        {"cut off link", QStringLiteral("<a href=\"http://h/subject/1/"), QString(), {}},
        {"binary", QString::fromLatin1("\x01\x02<h1\xff>\x00", 7), QString(), {}},
        {"deep", QStringLiteral("<div>").repeated(900) + QStringLiteral("<h1>deep</h1><a href='d'>"), QStringLiteral("deep"),
         {QStringLiteral("d")}},
        {"far too deep", QStringLiteral("<h1>top</h1><a href='before'>") + QStringLiteral("<div>").repeated(50000)
                             + QStringLiteral("<a href='after'>"),
         QStringLiteral("top"), {QStringLiteral("before")}},
        {"long and flat", QStringLiteral("<br><img src=x><hr/><p>row</p><LI>item</LI>").repeated(5000)
                              + QStringLiteral("<h1>end</h1><a href='last'>"),
         QStringLiteral("end"), {QStringLiteral("last")}},
    };
    HtmlDocument document;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QElapsedTimer timer;
        timer.start();
        document.Write(row.page);
        EXPECT_LT(timer.elapsed(), 5000);
        EXPECT_EQ(document.firstH1Text(), row.heading);
        EXPECT_EQ(document.linkHrefs(), row.links);
    }
}

} // namespace
} // namespace tavimo
