#include "album/address_input.h"

namespace tavimo {

QString TrimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

bool ReadsAsNumber(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

QString IdentifierFromAddress(const QString &input, const QString &addressPrefix)
{
    QString rest = input;
    if (!addressPrefix.isEmpty())
        rest.remove(addressPrefix, Qt::CaseSensitive);
    rest.remove(u'/');
    return TrimBlanks(rest);
}

} // namespace tavimo
