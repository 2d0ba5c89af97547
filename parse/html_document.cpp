#include "parse/html_document.h"

#include <gumbo.h>

#include <cctype>
#include <cstring>
#include <vector>

namespace tavimo {

namespace {

// Gumbo's time grows with the square of the nesting depth; browsers stop
// nesting at about 512 levels, so real pages stay below this and hostile
// ones are read only down to it.
constexpr int kMaxOpenTags = 1000;

bool IsVoidTag(const char *name, size_t length)
{
    static const char *const voidTags[] = {"area",  "base", "br",   "col",   "embed",  "hr",    "img",
                                           "input", "link", "meta", "param", "source", "track", "wbr"};
    for (const char *tag : voidTags) {
        if (std::strlen(tag) == length && qstrnicmp(tag, name, length) == 0)
            return true;
    }
    return false;
}

// The length of the page up to the tag that would open more than
// kMaxOpenTags elements at once; the whole page when none does. Counts start
// tags against end tags, leaving out void elements ("<div/>" opens a div).
qsizetype BoundedLength(const QByteArray &page)
{
    const char *text = page.constData();
    const qsizetype size = page.size();
    int open = 0;
    for (qsizetype i = 0; i + 1 < size; ++i) {
        if (text[i] != '<')
            continue;
        if (text[i + 1] == '/') {
            open = open > 0 ? open - 1 : 0;
            continue;
        }
        if (!std::isalpha(static_cast<unsigned char>(text[i + 1])))
            continue;
        qsizetype nameEnd = i + 1;
        while (nameEnd < size && std::isalnum(static_cast<unsigned char>(text[nameEnd])))
            ++nameEnd;
        const char *close = static_cast<const char *>(std::memchr(text + nameEnd, '>', size_t(size - nameEnd)));
        if (!close)
            break; // an unfinished tag opens nothing
        if (!IsVoidTag(text + i + 1, size_t(nameEnd - i - 1)) && ++open > kMaxOpenTags)
            return i;
        i = close - text;
    }
    return size;
}

QString FromGumbo(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

// The text beneath a node in document order. Iterative, so deeply nested
// pages cannot exhaust the stack.
QString TextContent(const GumboNode *root)
{
    QString text;
    std::vector<const GumboNode *> pending{root};
    while (!pending.empty()) {
        const GumboNode *node = pending.back();
        pending.pop_back();
        if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE || node->type == GUMBO_NODE_CDATA) {
            text += FromGumbo(node->v.text.text);
        } else if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) {
            const GumboVector &children = node->v.element.children;
            for (unsigned i = children.length; i > 0; --i)
                pending.push_back(static_cast<const GumboNode *>(children.data[i - 1]));
        }
    }
    return text;
}

bool IsLinkElement(const GumboElement &element)
{
    return element.tag == GUMBO_TAG_A || element.tag == GUMBO_TAG_AREA;
}

} // namespace

void HtmlDocument::Clear()
{
    firstH1Text_.clear();
    linkHrefs_.clear();
}

void HtmlDocument::Write(const QString &html)
{
    Clear();
    const QByteArray utf8 = html.toUtf8();
    const size_t length = size_t(BoundedLength(utf8));
    GumboOutput *output = gumbo_parse_with_options(&kGumboDefaultOptions, utf8.constData(), length);
    if (!output)
        return;
    bool h1Found = false;
    std::vector<const GumboNode *> pending{output->document};
    while (!pending.empty()) {
        const GumboNode *node = pending.back();
        pending.pop_back();
        if (node->type == GUMBO_NODE_DOCUMENT) {
            const GumboVector &children = node->v.document.children;
            for (unsigned i = children.length; i > 0; --i)
                pending.push_back(static_cast<const GumboNode *>(children.data[i - 1]));
            continue;
        }
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE)
            continue;
        const GumboElement &element = node->v.element;
        if (!h1Found && element.tag == GUMBO_TAG_H1) {
            h1Found = true;
            firstH1Text_ = TextContent(node);
        }
        if (IsLinkElement(element)) {
            if (const GumboAttribute *href = gumbo_get_attribute(&element.attributes, "href"))
                linkHrefs_.append(FromGumbo(href->value));
        }
        for (unsigned i = element.children.length; i > 0; --i)
            pending.push_back(static_cast<const GumboNode *>(element.children.data[i - 1]));
    }
    gumbo_destroy_output(&kGumboDefaultOptions, output);
}

} // namespace tavimo
