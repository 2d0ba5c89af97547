#include "net/http_reply.h"
#include "net/mod_xml_http.h"
#include "net/reply_wait.h"
#include "net/yielding_pause.h"

#include <QStringDecoder>
#include <QUrl>

#include <memory>

namespace tavimo {

QString BytesToText(const QByteArray &bytes, const QString &charset)
{
    QStringDecoder decoder(charset.toLatin1().constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder.decode(bytes);
}

QCoro::Task<QString> ModXmlHttp::GetHttpText(QString charset, QString url, QString body, const Stop *also)
{
    const PageReply reply = co_await FetchPage(std::move(charset), std::move(url), std::move(body), also);
    co_return reply.text;
}

QCoro::Task<PageReply> ModXmlHttp::FetchPage(QString charset, QString url, QString body, const Stop *also)
{
    const auto stopped = [&] { return PageReply{QString(), 0, url, PageFailure::Stopped, kCancelledReason}; };
    if (isCancelled() || (also != nullptr && also->isRaised()))
        co_return stopped();
    if (!isWebAddress(QUrl(url)))
        co_return PageReply{QString(), 0, url, PageFailure::Broken, QStringLiteral("不是 http 或 https 地址")};
    // A timer may end a little early: the slot is waited for until it came.
    const qint64 slot = pacing_.takePageSlot(QUrl(url).host());
    while (pacing_.until(slot) > 0) {
        co_await PauseFor(int(pacing_.until(slot)) + 1, stop_, also);
        if (isCancelled() || (also != nullptr && also->isRaised()))
            co_return stopped();
    }

    HttpRequest request;
    request.address = url;
    request.body = body.toUtf8();
    request.headers = {QByteArrayLiteral("Content-Type: application/x-www-form-urlencoded")};
    request.compressed = true;
    const std::unique_ptr<HttpReply> reply(createReply(request));
    reply->start();
    ReplyWait wait(reply.get(), stallTimeout());
    connect(&stop_, &Stop::raised, &wait, &ReplyWait::cancel);
    if (also != nullptr)
        connect(also, &Stop::raised, &wait, &ReplyWait::cancel);
    const WaitEnd end = co_await wait.run();
    const std::optional<qint64> askedWait = takeRetryAfter(*reply, url);
    PageReply page = JudgePageReply(*reply, end, url);
    if (askedWait && *askedWait > kLongestRetryAfterSeconds) {
        page.waitTooLong = true;
        page.reason = WaitTooLongReason(*askedWait);
    }
    // An error status still brings its page; only a broken transfer loses it.
    const bool whole = end == WaitEnd::Finished && !reply->broke();
    if (whole && !reply->body().isEmpty())
        page.text = BytesToText(reply->body(), charset);
    co_return page;
}

} // namespace tavimo
