#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tavimo::test {

// A fresh folder for one browser profile. The engine still writes into a
// profile's folder after the profile object is gone, so all of them live in
// one temporary folder that is removed only when the test program ends.
inline QString FreshBrowserStorage()
{
    static QTemporaryDir root;
    static int count = 0;
    return root.filePath(QStringLiteral("profile-%1").arg(++count));
}

} // namespace tavimo::test
