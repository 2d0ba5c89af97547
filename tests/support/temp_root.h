#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

namespace tavimo::test {

// A fresh download root in the temporary folder, removed with the test.
class TempRoot {
public:
    TempRoot();
    QString path() const { return dir_.path(); }
    QString file(const QString &relative) const { return dir_.filePath(relative); }

    // Every file beneath the root but the program's own (in ".tavimo"), as
    // paths relative to it, sorted.
    QStringList allFiles() const;
    QByteArray read(const QString &relative) const;
    void write(const QString &relative, const QByteArray &bytes) const;

private:
    QTemporaryDir dir_;
};

} // namespace tavimo::test
