#pragma once

#include <QString>
#include <QStringView>

namespace tavimo {

// Hands out short texts carved from shared blocks, so that the thousands of
// small strings of a large reply cost one allocation per block instead of
// one each. Every text holds a reference to its block, which is freed with
// the last text carved from it; the texts behave as ordinary strings.
class TextArena {
public:
    // Empty text gives the null string.
    QString Keep(QStringView text);

private:
    // Small enough that a text kept long after its reply pins little memory.
    static constexpr qsizetype kBlockUnits = 2048;
    static constexpr qsizetype kLargestKept = kBlockUnits / 8;

    QString block_;
    qsizetype used_ = 0;
};

} // namespace tavimo
