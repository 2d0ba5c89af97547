#pragma once

#include <QString>
#include <QStringView>

#include <stdexcept>

namespace tavimo {

// A builder call that cannot be carried out; number() is the classic
// run-time error number (9 subscript out of range, 6 overflow, 5 invalid
// argument). The builder is left as it was before the call.
class BuilderError : public std::runtime_error {
public:
    static constexpr int kInvalidArgument = 5;
    static constexpr int kOverflow = 6;
    static constexpr int kSubscriptOutOfRange = 9;

    explicit BuilderError(int number);
    int number() const { return number_; }

private:
    int number_;
};

// A growable UTF-16 text buffer: the text fills the front of a preallocated
// storage that grows by whole chunks, so an addition copies only the added
// text. Lengths, indexes and sizes count UTF-16 code units.
class cStringBuilder {
public:
    static constexpr int kDefaultChunkSize = 8192;

    int Length() const { return used_; }
    int Capacity() const { return capacity_; }
    int ChunkSize() const { return chunkSize_; }
    void ChunkSize(int iChunkSize);

    QString toString() const;
    // Replaces the text; the empty text also releases the storage.
    void TheString(QStringView sThis);
    void Clear();

    void AppendNL(QStringView sThis);
    void Append(QStringView sThis);
    void AppendByVal(QString sThis);
    // iIndex is the 0-based offset before which sThis goes.
    void Insert(int iIndex, QStringView sThis);
    void InsertByVal(int iIndex, QString sThis);
    void Remove(int iIndex, int lLen);

    // compare 0 is exact, 1 ignores letter case. Searches the spare storage
    // too; a match is reported only when it starts before the last character.
    int Find(QStringView sToFind, int lStartIndex = 1, int compare = 1) const;
    void HeapMinimize();

private:
    void ensureCapacity(qint64 needed);

    QString storage_;
    int used_ = 0;
    int capacity_ = 0;
    int chunkSize_ = kDefaultChunkSize;
};

} // namespace tavimo
