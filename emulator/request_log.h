#pragma once

#include "emulator/host_names.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace tavimo::emu {

// One request as the emulator received it, and what went back.
struct RequestRecord {
    std::string method;
    std::string address; // "http://" + host value + path and query
    std::string target;   // path and query
    ServiceHost host = ServiceHost::Radio;
    bool viaProxy = false;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    int status = 0;
    uint64_t bodyBytesSent = 0;
    int64_t arrivedMs = 0; // since the log began, on a steady clock
    int64_t endedMs = -1;  // when the last byte of a whole body went out; -1 while it has not

    // The first value of a header, names compared without case; empty when absent.
    std::string header(const std::string &name) const;
    bool hasHeader(const std::string &name) const;
};

// Every request in arrival order; thread-safe.
class RequestLog {
public:
    size_t add(RequestRecord record);
    void setStatus(size_t index, int status);
    // Counted before the bytes go out, so a client never sees more than the log says.
    void addBytes(size_t index, int64_t count);
    // The whole body has gone out.
    void setEnded(size_t index);
    std::vector<RequestRecord> snapshot() const;
    // Waits until count requests have arrived since the last clear(), at
    // most for timeout; whether they have.
    bool waitFor(size_t count, std::chrono::milliseconds timeout) const;
    void clear();

private:
    int64_t sinceBegan() const;

    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<RequestRecord> records_;
    size_t dropped_ = 0; // records cleared away; indices stay valid across clear()
    std::chrono::steady_clock::time_point began_ = std::chrono::steady_clock::now();
};

} // namespace tavimo::emu
