// Feeds arbitrary titles to CleanFileName and checks that every result is a
// name the file system takes and that cannot leave its folder.
#include "download/file_names.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void require(bool holds)
{
    if (!holds)
        std::abort();
}

// The first byte picks how the rest is read: as UTF-8, or as raw UTF-16 code
// units so that unpaired surrogates get through.
QString titleFrom(const uint8_t *data, size_t size)
{
    if (size == 0)
        return QString();
    const auto *rest = reinterpret_cast<const char *>(data + 1);
    if (data[0] & 1)
        return QString::fromUtf8(rest, qsizetype(size - 1));
    QString title(qsizetype((size - 1) / 2), Qt::Uninitialized);
    std::memcpy(title.data(), rest, size_t(title.size()) * 2);
    return title;
}

bool isValidUtf16(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (text.at(i).isSurrogate())
            return false;
    }
    return true;
}

bool hasNoControlCharacters(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 && c != u'\t')
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString name = tavimo::CleanFileName(titleFrom(data, size));
    require(name.toUtf8().size() <= tavimo::MaxCleanNameBytes());
    require(isValidUtf16(name));
    require(!name.contains(u'/') && !name.contains(u'\\') && !name.contains(u'.'));
    require(hasNoControlCharacters(name));
    require(!name.startsWith(u' ') && !name.endsWith(u' '));
    require(tavimo::CleanFileName(name) == name);
    return 0;
}
