// Judging a transfer's reply and saying why it did not make the file.
#include "download/part_file_writer.h"

#include "net/http_reply.h"
#include "net/mod_xml_http.h"

#include <QRegularExpression>

namespace tavimo {

namespace {

QString replyCharset(const HttpReply &reply)
{
    static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*\"?([^\";\\s]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = charset.match(QString::fromLatin1(reply.header("Content-Type")));
    return match.hasMatch() ? match.captured(1) : QStringLiteral("UTF-8");
}

} // namespace

bool PartFileWriter::bodyIsErrorPage(const HttpReply &reply) const
{
    if (mode_ == Mode::Append || bodyBytes_ > kErrorPageLimit)
        return false;
    const QString text = BytesToText(prefix_, replyCharset(reply));
    return text.contains(QLatin1String("404 Not Found")) ||
           text.contains(QStringLiteral("您所请求的网址（URL）无法获取"));
}

TransferVerdict PartFileWriter::judge(const HttpReply &reply, WaitEnd end)
{
    if (end == WaitEnd::Cancelled)
        return TransferVerdict::Cancelled;
    if (mode_ == Mode::Undecided)
        start(reply); // a reply without a body never announced itself
    missing_ = status_ == 404 || bodyIsErrorPage(reply);
    if (lockedOut_)
        return TransferVerdict::Interrupted; // the file is another writer's
    if (mode_ == Mode::Whole)
        return writeFailed_ ? TransferVerdict::Interrupted : TransferVerdict::Complete;
    if (writeFailed_ || mode_ == Mode::DropBody || mode_ == Mode::Refuse)
        return TransferVerdict::ErrorReply;
    if (end == WaitEnd::Stalled || mode_ == Mode::Undecided || reply.broke())
        return TransferVerdict::Interrupted;
    if (bodyBytes_ == 0 || (mode_ == Mode::FromStart && !startChecked_))
        return TransferVerdict::ErrorReply; // nothing, or too little to be an MP3 file
    if (expected_ >= 0 && bodyBytes_ != expected_)
        return TransferVerdict::Interrupted;
    return missing_ ? TransferVerdict::ErrorReply : TransferVerdict::Complete;
}

DownloadFailure PartFileWriter::failure(const HttpReply &reply, WaitEnd end) const
{
    if (end == WaitEnd::Cancelled)
        return {FailureKind::Cancelled, kCancelledReason};
    if (lockedOut_)
        return {FailureKind::Permanent, QStringLiteral("另一个程序正在写入该文件")};
    if (!writeError_.isEmpty())
        return {FailureKind::Storage, writeError_};
    if (end == WaitEnd::Stalled)
        return {FailureKind::Transient, kTimedOutReason};
    if (status_ >= 400) {
        // Overloaded or failing servers, and requests they were too slow for.
        const bool transient = status_ >= 500 || status_ == 408 || status_ == 429;
        return {transient ? FailureKind::Transient : FailureKind::Permanent, StatusReason(status_)};
    }
    // Before the transport's text: a body refused here also ends the transfer.
    if (mode_ == Mode::Refuse)
        return {FailureKind::Permanent, QStringLiteral("服务器回复的字节范围无法接续")};
    if (missing_)
        return {FailureKind::Permanent, QStringLiteral("服务器回复文件不存在")};
    if (mode_ == Mode::DropBody || (mode_ == Mode::FromStart && !startChecked_ && bodyBytes_ > 0))
        return {FailureKind::Permanent, QStringLiteral("回复不是 MP3 文件")};
    if (reply.broke())
        return {FailureKind::Transient, reply.errorText()};
    if (bodyBytes_ == 0)
        return {FailureKind::Transient, QStringLiteral("回复是空的")};
    return {FailureKind::Transient, QStringLiteral("传输中断")};
}

} // namespace tavimo
