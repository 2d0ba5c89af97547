#include "emulator/request_log.h"

#include <strings.h>

namespace tavimo::emu {

std::string RequestRecord::header(const std::string &name) const
{
    for (const auto &[key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0)
            return value;
    }
    return {};
}

bool RequestRecord::hasHeader(const std::string &name) const
{
    for (const auto &header : headers) {
        if (strcasecmp(header.first.c_str(), name.c_str()) == 0)
            return true;
    }
    return false;
}

int64_t RequestLog::sinceBegan() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began_).count();
}

size_t RequestLog::add(RequestRecord record)
{
    record.arrivedMs = sinceBegan();
    std::lock_guard lock(mutex_);
    records_.push_back(std::move(record));
    arrived_.notify_all();
    return dropped_ + records_.size() - 1;
}

void RequestLog::setStatus(size_t index, int status)
{
    std::lock_guard lock(mutex_);
    if (index >= dropped_ && index - dropped_ < records_.size())
        records_[index - dropped_].status = status;
}

void RequestLog::addBytes(size_t index, int64_t count)
{
    std::lock_guard lock(mutex_);
    if (index >= dropped_ && index - dropped_ < records_.size())
        records_[index - dropped_].bodyBytesSent += static_cast<uint64_t>(count);
}

void RequestLog::setEnded(size_t index)
{
    const int64_t now = sinceBegan();
    std::lock_guard lock(mutex_);
    if (index >= dropped_ && index - dropped_ < records_.size())
        records_[index - dropped_].endedMs = now;
}

std::vector<RequestRecord> RequestLog::snapshot() const
{
    std::lock_guard lock(mutex_);
    return records_;
}

void RequestLog::clear()
{
    std::lock_guard lock(mutex_);
    dropped_ += records_.size();
    records_.clear();
}

bool RequestLog::waitFor(size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] { return records_.size() >= count; });
}

} // namespace tavimo::emu
