#include "emulator/reply_sender.h"

#include "emulator/html_pages.h"
#include "emulator/json_replies.h"

#include <httplib.h>

#include <algorithm>
#include <charconv>
#include <memory>

namespace tavimo::emu {

namespace {

constexpr uint64_t kChunk = 64 * 1024;
constexpr int kBandwidthSlicesPerSecond = 20;

bool readUnsigned(const std::string &text, uint64_t &value)
{
    const char *end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

std::string garbage()
{
    std::string bytes = "\xef\xbb\xbf\x89PNG\r\n\x1a\n<<%!{[\"r\":\xff\xfe";
    for (int i = 0; bytes.size() < 600; ++i)
        bytes += static_cast<char>((i * 73 + 41) % 256);
    return bytes;
}

// The body of one response as it goes out, with its delivery faults.
class BodyFeed {
public:
    BodyFeed(Reply reply, uint64_t first, uint64_t length, const FaultPlan &plan, DeliveryContext context)
        : reply_(std::move(reply)), first_(first), length_(length), plan_(plan), context_(context)
    {
        stopAt_ = length_;
        if (plan_.dropAfter)
            stopAt_ = std::min<uint64_t>(stopAt_, *plan_.dropAfter > 0 ? uint64_t(*plan_.dropAfter) : length_ / 2);
        if (plan_.shortBy) {
            const uint64_t missing = *plan_.shortBy > 0 ? uint64_t(*plan_.shortBy) : length_ / 2;
            stopAt_ = std::min(stopAt_, length_ - std::min(missing, length_));
        }
    }

    // One piece from `sent` bytes on; false ends the connection.
    bool send(uint64_t sent, httplib::DataSink &sink)
    {
        if (sent >= stopAt_)
            return false;
        uint64_t end = std::min(stopAt_, sent + kChunk);
        if (plan_.stallMs > 0 && !stalled_) {
            if (sent >= length_ / 2) {
                stalled_ = true;
                if (!context_.stop.sleepFor(std::chrono::milliseconds(plan_.stallMs)))
                    return false;
            } else {
                end = std::min(end, length_ / 2);
            }
        }
        if (plan_.bytesPerSecond > 0)
            end = std::min<uint64_t>(end, sent + std::max<int64_t>(1, plan_.bytesPerSecond / kBandwidthSlicesPerSecond));
        const size_t count = static_cast<size_t>(end - sent);
        buffer_.resize(count);
        reply_.readBody(first_ + sent, buffer_.data(), count);
        context_.log.addBytes(context_.logIndex, static_cast<int64_t>(count));
        if (!sink.write(buffer_.data(), count)) {
            context_.log.addBytes(context_.logIndex, -static_cast<int64_t>(count));
            return false;
        }
        if (end == length_)
            context_.log.setEnded(context_.logIndex);
        if (plan_.bytesPerSecond > 0) {
            const auto pause = std::chrono::microseconds(static_cast<int64_t>(count) * 1000000 / plan_.bytesPerSecond);
            if (!context_.stop.sleepFor(pause))
                return false;
        }
        return true;
    }

private:
    Reply reply_;
    uint64_t first_;
    uint64_t length_;
    FaultPlan plan_;
    DeliveryContext context_;
    uint64_t stopAt_;
    bool stalled_ = false;
    std::string buffer_;
};

} // namespace

std::optional<ByteRange> parseRange(const std::string &header, uint64_t size)
{
    const std::string unit = "bytes=";
    if (header.compare(0, unit.size(), unit) != 0 || header.find(',') != std::string::npos)
        return std::nullopt;
    const std::string range = header.substr(unit.size());
    const size_t dash = range.find('-');
    if (dash == std::string::npos)
        return std::nullopt;
    const std::string from = range.substr(0, dash);
    const std::string to = range.substr(dash + 1);
    uint64_t first = 0;
    uint64_t last = 0;
    if (from.empty()) {
        // "bytes=-N": the last N bytes.
        if (!readUnsigned(to, last) || last == 0)
            return ByteRange{1, 0};
        return ByteRange{size - std::min(last, size), size - 1};
    }
    if (!readUnsigned(from, first) || (!to.empty() && (!readUnsigned(to, last) || last < first)))
        return std::nullopt;
    if (first >= size)
        return ByteRange{1, 0};
    return ByteRange{first, to.empty() ? size - 1 : std::min(last, size - 1)};
}

Reply faultReply(const FaultPlan &plan, const Reply &real, const std::string &path)
{
    switch (plan.replacement.value_or(FaultKind::Status)) {
    case FaultKind::EmptyBody: {
        Reply empty;
        empty.contentType = real.contentType;
        return empty;
    }
    case FaultKind::Garbage: {
        Reply junk = Reply::html(garbage());
        junk.contentType = real.contentType;
        return junk;
    }
    case FaultKind::Refused:
        if (path.compare(0, 3, "/j/") == 0)
            return Reply::json(json::refusal("请求失效"));
        return Reply::html(pages::error(403), 403);
    default: {
        Reply error = Reply::html(pages::error(plan.status), plan.status);
        if (plan.retryAfterSeconds)
            error.headers.emplace_back("Retry-After", std::to_string(*plan.retryAfterSeconds));
        return error;
    }
    }
}

void deliver(const httplib::Request &request, httplib::Response &response, Reply reply, const FaultPlan &plan,
             DeliveryContext context)
{
    // httplib would cut every body to the Range itself, and gets ranges past the end
    // wrong; the request object is not const where httplib made it, so it can be told
    // to leave ranges to this function.
    const_cast<httplib::Request &>(request).ranges.clear();

    const uint64_t size = reply.bodySize();
    uint64_t first = 0;
    uint64_t length = size;
    if (reply.file && reply.status == 200 && !plan.ignoreRange && request.has_header("Range")) {
        const std::optional<ByteRange> range = parseRange(request.get_header_value("Range"), size);
        if (range && range->first > range->last) {
            reply = Reply::html(pages::error(416), 416);
            reply.headers.emplace_back("Content-Range", "bytes */" + std::to_string(size));
            length = reply.bodySize();
        } else if (range) {
            reply.status = 206;
            reply.headers.emplace_back("Content-Range", "bytes " + std::to_string(range->first) + "-" +
                                                            std::to_string(range->last) + "/" + std::to_string(size));
            first = range->first;
            length = range->last - range->first + 1;
        }
    }
    if (reply.file)
        reply.headers.emplace_back("Accept-Ranges", "bytes");

    response.status = reply.status;
    for (const auto &[name, value] : reply.headers)
        response.set_header(name, value);
    context.log.setStatus(context.logIndex, reply.status);
    if (length == 0) {
        response.set_header("Content-Type", reply.contentType);
        context.log.setEnded(context.logIndex);
        return;
    }
    const std::string contentType = reply.contentType;
    auto feed = std::make_shared<BodyFeed>(std::move(reply), first, length, plan, context);
    response.set_content_provider(static_cast<size_t>(length), contentType,
                                  [feed](size_t offset, size_t, httplib::DataSink &sink) {
                                      return feed->send(offset, sink);
                                  });
}

} // namespace tavimo::emu
