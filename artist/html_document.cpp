#include "artist/html_document.h"

#include <gumbo.h>

#include <vector>

namespace tavimo {

namespace {

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
    GumboOutput *output = gumbo_parse_with_options(&kGumboDefaultOptions, utf8.constData(), size_t(utf8.size()));
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
