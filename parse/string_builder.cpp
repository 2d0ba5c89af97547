#include "parse/string_builder.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tavimo {

namespace {

// Sizes are kept within what a signed 32-bit byte count can express.
constexpr qint64 kMaxCharacters = std::numeric_limits<qint32>::max() / 2;

void requireCharacters(qint64 characters)
{
    if (characters > kMaxCharacters || characters < -kMaxCharacters - 1)
        throw BuilderError(BuilderError::kOverflow);
}

const char *describe(int number)
{
    switch (number) {
    case BuilderError::kInvalidArgument:
        return "Invalid procedure call or argument";
    case BuilderError::kOverflow:
        return "Overflow";
    case BuilderError::kSubscriptOutOfRange:
        return "Subscript out of range";
    }
    return "Builder error";
}

} // namespace

BuilderError::BuilderError(int number) : std::runtime_error(describe(number)), number_(number) {}

void cStringBuilder::ChunkSize(int iChunkSize)
{
    requireCharacters(iChunkSize);
    // A step below one character could never make room.
    if (iChunkSize < 1)
        throw BuilderError(BuilderError::kInvalidArgument);
    chunkSize_ = iChunkSize;
}

QString cStringBuilder::toString() const
{
    if (used_ <= 0)
        return QString();
    return QString(storage_.constData(), used_);
}

void cStringBuilder::TheString(QStringView sThis)
{
    if (sThis.isEmpty()) {
        Clear();
        return;
    }
    ensureCapacity(sThis.size());
    std::memcpy(storage_.data(), sThis.data(), size_t(sThis.size()) * sizeof(QChar));
    used_ = int(sThis.size());
}

void cStringBuilder::Clear()
{
    storage_ = QString();
    used_ = 0;
    capacity_ = 0;
}

void cStringBuilder::AppendNL(QStringView sThis)
{
    Append(sThis);
    Append(u"\r\n");
}

void cStringBuilder::Append(QStringView sThis)
{
    if (sThis.isEmpty())
        return;
    const qint64 needed = qint64(used_) + sThis.size();
    ensureCapacity(needed);
    std::memcpy(storage_.data() + used_, sThis.data(), size_t(sThis.size()) * sizeof(QChar));
    used_ = int(needed);
}

void cStringBuilder::AppendByVal(QString sThis)
{
    Append(sThis);
}

void cStringBuilder::Insert(int iIndex, QStringView sThis)
{
    if (iIndex < 0 || iIndex > used_)
        throw BuilderError(BuilderError::kSubscriptOutOfRange);
    const qint64 needed = qint64(used_) + sThis.size();
    ensureCapacity(needed);
    QChar *text = storage_.data();
    std::memmove(text + iIndex + sThis.size(), text + iIndex, size_t(used_ - iIndex) * sizeof(QChar));
    std::memcpy(text + iIndex, sThis.data(), size_t(sThis.size()) * sizeof(QChar));
    used_ = int(needed);
}

void cStringBuilder::InsertByVal(int iIndex, QString sThis)
{
    Insert(iIndex, sThis);
}

void cStringBuilder::Remove(int iIndex, int lLen)
{
    if (iIndex < 0 || iIndex > used_ || lLen < 0 || qint64(iIndex) + lLen > used_)
        throw BuilderError(BuilderError::kSubscriptOutOfRange);
    if (lLen == 0)
        return;
    QChar *text = storage_.data();
    std::memmove(text + iIndex, text + iIndex + lLen, size_t(used_ - iIndex - lLen) * sizeof(QChar));
    used_ -= lLen;
}

int cStringBuilder::Find(QStringView sToFind, int lStartIndex, int compare) const
{
    const qsizetype from = lStartIndex < 1 ? 0 : qsizetype(lStartIndex) - 1;
    if (from >= capacity_)
        return 0;
    const Qt::CaseSensitivity sensitivity = compare == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const qsizetype found = QStringView(storage_).indexOf(sToFind, from, sensitivity);
    if (found < 0)
        return 0;
    const qint64 position = found + 1;
    return position < used_ ? int(position) : 0;
}

void cStringBuilder::HeapMinimize()
{
    if (capacity_ - used_ <= chunkSize_)
        return;
    int capacity = capacity_;
    while (capacity - used_ > chunkSize_)
        capacity -= chunkSize_;
    storage_.truncate(capacity);
    storage_.squeeze();
    capacity_ = capacity;
}

void cStringBuilder::ensureCapacity(qint64 needed)
{
    requireCharacters(needed);
    if (needed <= capacity_)
        return;
    const qint64 chunks = (needed - capacity_ + chunkSize_ - 1) / chunkSize_;
    const qint64 capacity = capacity_ + chunks * chunkSize_;
    requireCharacters(capacity);
    // The memory behind the storage grows geometrically, so the linear chunk
    // growth of the capacity does not make long texts quadratic.
    if (capacity > storage_.capacity())
        storage_.reserve(std::max<qsizetype>(capacity, storage_.capacity() * 2));
    storage_.resize(capacity, QChar(u' '));
    capacity_ = int(capacity);
}

} // namespace tavimo
