#include "net/http_reply.h"

#include "net/curl_engine.h"

#include <QTimer>
#include <QUrl>

#include <algorithm>

#include <arpa/inet.h>
#include <curl/header.h>

namespace tavimo {

namespace {

constexpr long kMaxRedirects = 50;

// The address as written, only with the bytes no request line may carry
// (non-ASCII, blanks, control characters) percent-encoded.
QByteArray WireAddress(const QString &address)
{
    // Every printable ASCII character that percent-encoding would otherwise take.
    static const QByteArray printable = QByteArrayLiteral("!\"#$%&'()*+,/:;<=>?@[\\]^`{|}");
    return address.toUtf8().toPercentEncoding(printable);
}

// Names this machine: "localhost", 127.x.x.x (in any form inet_aton reads,
// as curl does), ::1 and 127.x.x.x mapped into IPv6.
bool IsLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QByteArray text = host.toLatin1();
    in_addr v4{};
    if (inet_aton(text.constData(), &v4) != 0)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, text.constData(), &v6) != 1)
        return false;
    return IN6_IS_ADDR_LOOPBACK(&v6) || (IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127);
}

CurlTransfer *TransferOf(void *transfer)
{
    return static_cast<CurlTransfer *>(transfer);
}

TransportError TransportErrorOf(CURLcode result)
{
    switch (result) {
    case CURLE_OK:
        return TransportError::None;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return TransportError::HostNotFound;
    case CURLE_COULDNT_CONNECT:
        return TransportError::ConnectionRefused;
    case CURLE_OPERATION_TIMEDOUT:
        return TransportError::TimedOut;
    default:
        break;
    }
    return TransportError::Other;
}

} // namespace

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

HttpReply::HttpReply(CurlEngine &engine, const HttpRequest &request, QObject *parent)
    : QObject(parent), engine_(engine), transfer_(engine.create(this))
{
    setOptions(request);
}

HttpReply::~HttpReply()
{
    if (transfer_ != nullptr)
        engine_.release(transfer_);
}

void HttpReply::setOptions(const HttpRequest &request)
{
    CURL *easy = transfer_->easy;
    const QUrl url(request.address);
    curl_easy_setopt(easy, CURLOPT_URL, WireAddress(request.address).constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // Never from https down to http.
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR,
                     url.scheme() == QLatin1String("https") ? "https" : "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Mozilla/5.0");
    // Credentials in an address answer whatever challenge comes back.
    curl_easy_setopt(easy, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
    curl_easy_setopt(easy, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &HttpReply::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer_);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HttpReply::onHead);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, transfer_);
    // Paced here rather than by curl's own limit, which lets loopback and
    // fast links run a third and more above it. Under a limit a read holds
    // no more than the early allowance, so it cannot arrive as a burst.
    speedLimit_ = request.maxReceiveSpeed;
    const qint64 bufferSize = speedLimit_ > 0 ? std::min(request.bufferSize, earlyAllowance()) : request.bufferSize;
    if (bufferSize > 0)
        curl_easy_setopt(easy, CURLOPT_BUFFERSIZE,
                         long(std::clamp<qint64>(bufferSize, CURL_MAX_WRITE_SIZE, CURL_MAX_READ_SIZE)));
    if (request.compressed)
        curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    for (const QByteArray &header : request.headers)
        transfer_->headers = curl_slist_append(transfer_->headers, header.constData());
    if (!request.body.isEmpty()) {
        transfer_->headers = curl_slist_append(transfer_->headers, "Expect:");
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.body.size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, request.body.constData());
    }
    if (request.method != "GET" || !request.body.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.constData());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer_->headers);
    // The proxy set on the engine; else the environment's, except for this
    // machine, which a proxy could not reach.
    if (!engine_.proxy().isEmpty())
        curl_easy_setopt(easy, CURLOPT_PROXY, engine_.proxy().constData());
    else if (IsLoopbackHost(url.host()))
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
    if (!engine_.certificateAuthorities().isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, engine_.certificateAuthorities().constData());
}

void HttpReply::start()
{
    sinceActivity_.start();
    if (transfer_ != nullptr)
        engine_.start(transfer_);
}

void HttpReply::abort()
{
    if (finished_)
        return;
    if (transfer_ != nullptr)
        engine_.release(std::exchange(transfer_, nullptr));
    finished_ = true;
    failed_ = true;
    errorText_ = kCancelledReason;
    transportError_ = TransportError::Aborted;
    emit finished();
}

void HttpReply::transferEnded()
{
    finished_ = true;
    failed_ = transfer_->result != CURLE_OK;
    transportError_ = TransportErrorOf(transfer_->result);
    if (failed_)
        errorText_ = QString::fromUtf8(transfer_->errorText[0] != '\0' ? transfer_->errorText
                                                                       : curl_easy_strerror(transfer_->result));
    emit finished();
}

int HttpReply::status() const
{
    long code = 0;
    if (transfer_ != nullptr)
        curl_easy_getinfo(transfer_->easy, CURLINFO_RESPONSE_CODE, &code);
    return int(code);
}

QByteArray HttpReply::header(const char *name) const
{
    curl_header *found = nullptr;
    if (transfer_ == nullptr || curl_easy_header(transfer_->easy, name, 0, CURLH_HEADER, -1, &found) != CURLHE_OK)
        return QByteArray();
    if (found->amount > 1)
        curl_easy_header(transfer_->easy, name, found->amount - 1, CURLH_HEADER, -1, &found);
    return QByteArray(found->value);
}

qint64 HttpReply::contentLength() const
{
    curl_off_t length = -1;
    if (transfer_ != nullptr)
        curl_easy_getinfo(transfer_->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    return length;
}

QString HttpReply::errorText() const
{
    return errorText_;
}

int HttpReply::tunnelStatus() const
{
    long code = 0;
    if (transfer_ != nullptr)
        curl_easy_getinfo(transfer_->easy, CURLINFO_HTTP_CONNECTCODE, &code);
    return int(code);
}

QString HttpReply::finalAddress() const
{
    char *address = nullptr;
    if (transfer_ == nullptr || curl_easy_getinfo(transfer_->easy, CURLINFO_EFFECTIVE_URL, &address) != CURLE_OK ||
        address == nullptr || status() == 0)
        return QString();
    return QString::fromUtf8(address);
}

bool HttpReply::takeBody(const char *data, qint64 size)
{
    if (sink_)
        return sink_(data, size);
    body_.append(data, size);
    return true;
}

size_t HttpReply::onBody(char *data, size_t size, size_t count, void *transfer)
{
    HttpReply *owner = TransferOf(transfer)->owner;
    if (owner != nullptr)
        owner->sinceActivity_.start();
    const size_t bytes = size * count;
    if (owner != nullptr && owner->aheadOfLimit(qint64(bytes)))
        return CURL_WRITEFUNC_PAUSE;
    return owner != nullptr && owner->takeBody(data, qint64(bytes)) ? bytes : 0;
}

bool HttpReply::aheadOfLimit(qint64 size)
{
    if (speedLimit_ <= 0)
        return false;
    if (!sinceFirstBody_.isValid())
        sinceFirstBody_.start();
    const qint64 allowance = earlyAllowance();
    const qint64 due = speedLimit_ * sinceFirstBody_.elapsed() / 1000 + allowance;
    if (takenUnderLimit_ + size <= due) {
        takenUnderLimit_ += size;
        return false;
    }
    resumeLater((takenUnderLimit_ + size - allowance) * 1000 / speedLimit_ - sinceFirstBody_.elapsed() + 1);
    return true;
}

void HttpReply::resumeLater(qint64 milliseconds)
{
    QTimer::singleShot(std::max<qint64>(1, milliseconds), Qt::PreciseTimer, this, [this] {
        if (transfer_ != nullptr && !finished_)
            engine_.resume(transfer_);
    });
}

size_t HttpReply::onHead(char *, size_t size, size_t count, void *transfer)
{
    HttpReply *owner = TransferOf(transfer)->owner;
    if (owner == nullptr)
        return 0;
    owner->sinceActivity_.start();
    return size * count;
}

} // namespace tavimo
