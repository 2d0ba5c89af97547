#include "parse/html_document.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace tavimo {
namespace {

// The name is the text of the first H1 without markup, entities decoded,
// blanks kept as the page has them.
TEST(HtmlDocument, FirstHeadingTextWithoutMarkup)
{
    HtmlDocument document;
    document.Write(QStringLiteral("<html><body><div><H1> 王菲 <span>&amp; <b>Faye</b></span> </H1></div>"
                                  "<h1>second</h1></body></html>"));
    EXPECT_EQ(document.firstH1Text(), QStringLiteral(" 王菲 & Faye "));
}

// Links come in document order, <area> included, anchors without href left out.
TEST(HtmlDocument, LinksInDocumentOrder)
{
    HtmlDocument document;
    document.Write(QStringLiteral("<p><a href='http://h/subject/1/'>a</a><a name='x'>no</a>"
                                  "<div><a HREF=\"http://h/subject/2/?x=1&amp;y=2\">b</a></div>"
                                  "<map><area href=\"/subject/3/\"></map><a href=''>empty</a></p>"));
    EXPECT_EQ(document.linkHrefs(), (QStringList{QStringLiteral("http://h/subject/1/"),
                                                 QStringLiteral("http://h/subject/2/?x=1&y=2"),
                                                 QStringLiteral("/subject/3/"), QString()}));
}

// Writing a new page replaces what the document held.
TEST(HtmlDocument, WriteReplacesThePreviousPage)
{
    HtmlDocument document;
    document.Write(QStringLiteral("<h1>one</h1><a href='x'>x</a>"));
    document.Write(QStringLiteral("<p>nothing here</p>"));
    EXPECT_EQ(document.firstH1Text(), QString());
    EXPECT_TRUE(document.linkHrefs().isEmpty());
}

// Empty, truncated, binary and hostile pages give what can be read, never a crash.
TEST(HtmlDocument, HostileInput)
{
    const struct {
        QString page;
        QString heading;
        QStringList links;
    } rows[] = {
        {QString(), QString(), {}},
        {QStringLiteral("<h1>cut off"), QStringLiteral("cut off"), {}},
        {QStringLiteral("<a href=\"http://h/subject/1/"), QString(), {}},
        {QString::fromLatin1("\x01\x02<h1\xff>\x00", 7), QString(), {}},
        {QStringLiteral("<div>").repeated(900) + QStringLiteral("<h1>deep</h1><a href='d'>"), QStringLiteral("deep"),
         {QStringLiteral("d")}},
    };
    for (const auto &row : rows) {
        HtmlDocument document;
        document.Write(row.page);
        EXPECT_EQ(document.firstH1Text(), row.heading) << row.page.left(40).toStdString();
        EXPECT_EQ(document.linkHrefs(), row.links) << row.page.left(40).toStdString();
    }
}

// A page nested far deeper than any real one is read down to a bound,
// quickly, keeping what comes before the cut.
TEST(HtmlDocument, HostileNestingIsCutQuickly)
{
    const QString page = QStringLiteral("<h1>top</h1><a href='before'>")
                         + QStringLiteral("<div>").repeated(50000) + QStringLiteral("<a href='after'>");
    QElapsedTimer timer;
    timer.start();
    HtmlDocument document;
    document.Write(page);
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(document.firstH1Text(), QStringLiteral("top"));
    EXPECT_EQ(document.linkHrefs(), QStringList{QStringLiteral("before")});
}

// Long flat pages, with thousands of void and closed elements, are read whole.
TEST(HtmlDocument, LongFlatPagesAreReadWhole)
{
    const QString page = QStringLiteral("<br><img src=x><hr/><p>row</p><LI>item</LI>").repeated(5000)
                         + QStringLiteral("<h1>end</h1><a href='last'>");
    HtmlDocument document;
    document.Write(page);
    EXPECT_EQ(document.firstH1Text(), QStringLiteral("end"));
    EXPECT_EQ(document.linkHrefs(), QStringList{QStringLiteral("last")});
}

} // namespace
} // namespace tavimo
