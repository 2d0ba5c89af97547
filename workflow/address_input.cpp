#include "workflow/address_input.h"

namespace tavimo {

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
