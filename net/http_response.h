#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>

#include <optional>

namespace tavimo {

// The status line and header fields of one HTTP/1.x response.
struct ResponseHead {
    int majorVersion = 1;
    int minorVersion = 1;
    int status = 0;
    QByteArray reason;
    QList<QPair<QByteArray, QByteArray>> fields;

    // The field's value, several fields of the name joined by separator;
    // the name matches without regard to case.
    QByteArray value(QByteArrayView name, QByteArrayView separator = ", ") const;
    bool has(QByteArrayView name) const;
    // Whether the connection may carry the next request after this body.
    bool keepsConnection() const;
};

// Where the head of a response ends in what has arrived: the offset of its
// first body byte, or -1 while the blank line is still to come.
qsizetype ResponseHeadEnd(QByteArrayView received);

// Reads a head up to and including its blank line; nullopt when it is not
// an HTTP/1.x response head.
std::optional<ResponseHead> ParseResponseHead(QByteArrayView head);

// Where the body of a response ends: after a number of bytes, after the
// last chunk of a chunked body, or when the server closes the connection.
// Takes the bytes as they arrive and leaves only the body's own bytes.
class BodyFraming {
public:
    // From the head of the reply to a GET; nullopt when the length is
    // unusable (not a number, negative, or given twice differently).
    static std::optional<BodyFraming> of(const ResponseHead &head);

    // How much more may be read without reaching past the body.
    qint64 readLimit(qint64 wanted) const;
    // Turns size received bytes at data into body bytes, moved to the start
    // of data; returns their count, or -1 when the chunk framing is broken.
    qint64 decode(char *data, qint64 size);
    // Whether the body has ended by its own framing.
    bool complete() const;
    // Whether bytes came after the body's end (then the connection is out of step).
    bool overran() const { return overran_; }
    // Whether the body ends only with the connection.
    bool endsWithConnection() const { return kind_ == Kind::UntilClose; }
    // The body's length when it is announced, else -1.
    qint64 announcedLength() const { return kind_ == Kind::Length ? length_ : -1; }

private:
    enum class Kind { Length, Chunked, UntilClose };
    enum class ChunkState { Size, Extension, SizeLineEnd, Data, DataEnd, DataLineEnd, Trailer, Done };

    explicit BodyFraming(Kind kind, qint64 length = 0) : kind_(kind), length_(length), left_(length) {}
    qint64 decodeChunked(char *data, qint64 size);
    bool readSizeDigit(char c);

    Kind kind_;
    qint64 length_;
    qint64 left_; // of the body, or of the current chunk
    ChunkState chunk_ = ChunkState::Size;
    int sizeDigits_ = 0;
    bool trailerLineEmpty_ = true;
    bool overran_ = false;
};

} // namespace tavimo
