#include "parse/text_arena.h"

#include <cstring>

namespace tavimo {

QString TextArena::Keep(QStringView text)
{
    const qsizetype size = text.size();
    if (size == 0)
        return QString();
    if (size > kLargestKept)
        return text.toString();
    // Each text is followed by a terminating zero, as every string's data is.
    if (block_.isNull() || used_ + size + 1 > block_.size()) {
        block_ = QString(kBlockUnits, Qt::Uninitialized);
        used_ = 0;
    }
    QString::DataPointer &block = block_.data_ptr();
    char16_t *const start = block.data() + used_;
    std::memcpy(start, text.utf16(), size_t(size) * sizeof(char16_t));
    start[size] = u'\0';
    used_ += size + 1;
    block.d_ptr()->ref();
    return QString(QString::DataPointer(block.d_ptr(), start, size));
}

} // namespace tavimo
