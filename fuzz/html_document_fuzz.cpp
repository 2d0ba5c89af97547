// Feeds arbitrary pages to the HTML document reader and checks that reading
// the same page twice gives the same heading and links.
#include "fuzz/fuzz_support.h"
#include "parse/html_document.h"

#include <QString>

#include <cstdint>

using tavimo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString page = tavimo::fuzz::TextOf(data, size);
    tavimo::HtmlDocument first;
    first.Write(page);
    tavimo::HtmlDocument second;
    second.Write(page);
    require(first.firstH1Text() == second.firstH1Text());
    require(first.linkHrefs() == second.linkHrefs());
    return 0;
}
