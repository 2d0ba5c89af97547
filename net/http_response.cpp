#include "net/http_response.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tavimo {

namespace {

// Sixteen hex digits would overflow qint64; no body is that large.
constexpr int kMaxChunkSizeDigits = 15;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool hasToken(const QByteArray &list, QByteArrayView token)
{
    for (const QByteArray &item : list.split(','))
        if (item.trimmed().compare(token, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// "HTTP/1.1 200 OK"
bool parseStatusLine(QByteArrayView line, ResponseHead &head)
{
    if (line.size() < 12 || !line.startsWith("HTTP/") || !isDigit(line[5]) || line[6] != '.' || !isDigit(line[7])
        || line[8] != ' ' || !isDigit(line[9]) || !isDigit(line[10]) || !isDigit(line[11]))
        return false;
    if (line.size() > 12 && line[12] != ' ')
        return false;
    head.majorVersion = line[5] - '0';
    head.minorVersion = line[7] - '0';
    head.status = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
    head.reason = line.sliced(qMin<qsizetype>(13, line.size())).toByteArray().trimmed();
    return head.majorVersion == 1;
}

bool parseField(QByteArrayView line, ResponseHead &head)
{
    if ((line.startsWith(' ') || line.startsWith('\t')) && !head.fields.isEmpty()) {
        head.fields.last().second += ' ' + line.toByteArray().trimmed(); // a folded line
        return true;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return false;
    const QByteArray name = line.first(colon).toByteArray();
    if (name.contains(' ') || name.contains('\t'))
        return false;
    head.fields.append({name, line.sliced(colon + 1).toByteArray().trimmed()});
    return true;
}

std::optional<qint64> contentLength(const ResponseHead &head)
{
    std::optional<qint64> length;
    for (const auto &[name, value] : head.fields) {
        if (name.compare("Content-Length", Qt::CaseInsensitive) != 0)
            continue;
        bool ok = !value.isEmpty() && std::all_of(value.begin(), value.end(), isDigit) && value.size() <= 18;
        const qint64 parsed = ok ? value.toLongLong(&ok) : -1;
        if (!ok || (length && *length != parsed))
            return -1;
        length = parsed;
    }
    return length;
}

} // namespace

QByteArray ResponseHead::value(QByteArrayView name, QByteArrayView separator) const
{
    QByteArray joined;
    for (const auto &[fieldName, fieldValue] : fields) {
        if (fieldName.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (!joined.isEmpty())
            joined += separator;
        joined += fieldValue;
    }
    return joined;
}

bool ResponseHead::has(QByteArrayView name) const
{
    return std::any_of(fields.begin(), fields.end(),
                       [name](const auto &field) { return field.first.compare(name, Qt::CaseInsensitive) == 0; });
}

bool ResponseHead::keepsConnection() const
{
    const QByteArray connection = value("Connection");
    if (minorVersion >= 1)
        return !hasToken(connection, "close");
    return hasToken(connection, "keep-alive");
}

qsizetype ResponseHeadEnd(QByteArrayView received)
{
    for (qsizetype at = received.indexOf('\n'); at >= 0; at = received.indexOf('\n', at + 1)) {
        if (at + 1 < received.size() && received[at + 1] == '\n')
            return at + 2;
        if (at + 2 < received.size() && received[at + 1] == '\r' && received[at + 2] == '\n')
            return at + 3;
    }
    return -1;
}

std::optional<ResponseHead> ParseResponseHead(QByteArrayView head)
{
    ResponseHead parsed;
    bool first = true;
    for (QByteArrayView rest = head; !rest.isEmpty();) {
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView line = rest.first(end < 0 ? rest.size() : end);
        rest = rest.sliced(end < 0 ? rest.size() : end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (first && !parseStatusLine(line, parsed))
            return std::nullopt;
        if (line.isEmpty())
            break;
        if (!first && !parseField(line, parsed))
            return std::nullopt;
        first = false;
    }
    if (first)
        return std::nullopt;
    return parsed;
}

std::optional<BodyFraming> BodyFraming::of(const ResponseHead &head)
{
    if (head.status / 100 == 1 || head.status == 204 || head.status == 304)
        return BodyFraming(Kind::Length, 0);
    const QList<QByteArray> codings = head.value("Transfer-Encoding").split(',');
    if (codings.last().trimmed().compare("chunked", Qt::CaseInsensitive) == 0)
        return BodyFraming(Kind::Chunked);
    if (head.has("Transfer-Encoding"))
        return BodyFraming(Kind::UntilClose);
    const std::optional<qint64> length = contentLength(head);
    if (!length)
        return BodyFraming(Kind::UntilClose);
    if (*length < 0)
        return std::nullopt;
    return BodyFraming(Kind::Length, *length);
}

qint64 BodyFraming::readLimit(qint64 wanted) const
{
    if (complete())
        return 0;
    return kind_ == Kind::Length ? qMin(wanted, left_) : wanted;
}

bool BodyFraming::complete() const
{
    switch (kind_) {
    case Kind::Length:
        return left_ == 0;
    case Kind::Chunked:
        return chunk_ == ChunkState::Done;
    case Kind::UntilClose:
        return false;
    }
    return false;
}

qint64 BodyFraming::decode(char *data, qint64 size)
{
    switch (kind_) {
    case Kind::Length: {
        const qint64 taken = qMin(size, left_);
        left_ -= taken;
        overran_ = overran_ || taken < size;
        return taken;
    }
    case Kind::Chunked:
        return decodeChunked(data, size);
    case Kind::UntilClose:
        return size;
    }
    return -1;
}

bool BodyFraming::readSizeDigit(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (!std::isxdigit(byte) || ++sizeDigits_ > kMaxChunkSizeDigits)
        return false;
    left_ = left_ * 16 + (isDigit(c) ? c - '0' : std::tolower(byte) - 'a' + 10);
    return true;
}

// Walks the chunk framing byte by byte and moves each chunk's data down to
// the end of the body bytes found so far.
qint64 BodyFraming::decodeChunked(char *data, qint64 size)
{
    qint64 out = 0;
    qint64 at = 0;
    while (at < size && chunk_ != ChunkState::Done) {
        if (chunk_ == ChunkState::Data) {
            const qint64 run = qMin(left_, size - at);
            std::memmove(data + out, data + at, size_t(run));
            out += run;
            at += run;
            left_ -= run;
            if (left_ == 0)
                chunk_ = ChunkState::DataEnd;
            continue;
        }
        const char c = data[at++];
        switch (chunk_) {
        case ChunkState::Size:
            if (c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                if (sizeDigits_ == 0)
                    return -1;
                chunk_ = c == '\r' ? ChunkState::SizeLineEnd : ChunkState::Extension;
                if (c == '\n')
                    chunk_ = left_ > 0 ? ChunkState::Data : ChunkState::Trailer;
            } else if (!readSizeDigit(c)) {
                return -1;
            }
            break;
        case ChunkState::Extension:
            if (c == '\r')
                chunk_ = ChunkState::SizeLineEnd;
            else if (c == '\n')
                chunk_ = left_ > 0 ? ChunkState::Data : ChunkState::Trailer;
            break;
        case ChunkState::SizeLineEnd:
            if (c != '\n')
                return -1;
            chunk_ = left_ > 0 ? ChunkState::Data : ChunkState::Trailer;
            break;
        case ChunkState::DataEnd:
            if (c != '\r' && c != '\n')
                return -1;
            chunk_ = c == '\r' ? ChunkState::DataLineEnd : ChunkState::Size;
            sizeDigits_ = 0;
            break;
        case ChunkState::DataLineEnd:
            if (c != '\n')
                return -1;
            chunk_ = ChunkState::Size;
            break;
        case ChunkState::Trailer:
            if (c == '\n') {
                if (trailerLineEmpty_)
                    chunk_ = ChunkState::Done;
                trailerLineEmpty_ = true;
            } else if (c != '\r') {
                trailerLineEmpty_ = false;
            }
            break;
        case ChunkState::Data:
        case ChunkState::Done:
            break;
        }
    }
    overran_ = overran_ || at < size;
    return out;
}

} // namespace tavimo
