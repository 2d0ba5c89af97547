// Reads arbitrary bytes as a server's reply to a GET: the head, then the
// body through its framing. The body must come out the same whatever
// pieces the bytes arrive in, never longer than what arrived or than an
// announced length, and nothing is read past its end.
#include "fuzz/fuzz_support.h"
#include "net/http_response.h"

#include <QByteArray>

#include <cstdint>

namespace {

using tavimo::fuzz::require;

// The decoded body, or nullopt when the framing refused the bytes.
std::optional<QByteArray> decode(const tavimo::ResponseHead &head, const QByteArray &raw, qsizetype piece)
{
    std::optional<tavimo::BodyFraming> framing = tavimo::BodyFraming::of(head);
    require(framing.has_value());
    QByteArray body;
    for (qsizetype at = 0; at < raw.size() && !framing->complete(); at += piece) {
        QByteArray bytes = raw.mid(at, piece);
        bytes.truncate(framing->readLimit(bytes.size()));
        const qint64 got = framing->decode(bytes.data(), bytes.size());
        if (got < 0)
            return std::nullopt;
        require(got <= bytes.size());
        body += bytes.left(got);
    }
    if (framing->complete())
        require(framing->readLimit(1) == 0);
    if (framing->announcedLength() >= 0)
        require(body.size() <= framing->announcedLength());
    return body;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype piece = 1 + data[0] % 64;
    const QByteArray reply(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const qsizetype end = tavimo::ResponseHeadEnd(reply);
    if (end < 0)
        return 0;
    require(end <= reply.size());
    const std::optional<tavimo::ResponseHead> head = tavimo::ParseResponseHead(QByteArrayView(reply).first(end));
    if (!head || !tavimo::BodyFraming::of(*head))
        return 0;
    require(head->status >= 0 && head->status <= 999);
    const QByteArray raw = reply.mid(end);
    const std::optional<QByteArray> whole = decode(*head, raw, raw.size() + 1);
    const std::optional<QByteArray> pieces = decode(*head, raw, piece);
    require(whole.has_value() == pieces.has_value());
    if (whole)
        require(*whole == *pieces && whole->size() <= raw.size());
    return 0;
}
