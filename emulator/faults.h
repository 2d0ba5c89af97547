#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tavimo::emu {

enum class FaultKind {
    Status,      // the given HTTP status with an error page
    EmptyBody,   // 200 with nothing in the body
    Garbage,     // 200 with bytes that are neither HTML nor JSON
    Refused,     // the service declines: "r":1 from the JSON interfaces, 403 elsewhere
    Delay,       // wait arg milliseconds before answering
    Stall,       // pause arg milliseconds halfway through the body
    Drop,        // close the connection after arg body bytes (0: halfway)
    ShortBody,   // send arg bytes (0: half) less than Content-Length says, then close
    Bandwidth,   // at most arg bytes per second
    IgnoreRange, // answer a Range request with the whole file and 200
    RetryAfter,  // 429 with "Retry-After: arg" (seconds)
    Unavailable, // 503 with "Retry-After: arg" (seconds)
};

// One way of misbehaving, for `times` requests (0: for every request).
struct Fault {
    FaultKind kind = FaultKind::Status;
    int64_t arg = 0;
    int times = 0;

    static Fault status(int code, int times = 0) { return {FaultKind::Status, code, times}; }
    // The first n requests fail with 503 before the real answer comes.
    static Fault failFirst(int n) { return status(503, n); }
    static Fault of(FaultKind kind, int64_t arg = 0, int times = 0) { return {kind, arg, times}; }
};

// Everything that applies to one request, gathered from the matching faults.
struct FaultPlan {
    std::optional<FaultKind> replacement; // Status, EmptyBody, Garbage or Refused
    int status = 0;
    int64_t delayMs = 0;
    int64_t stallMs = 0;
    std::optional<int64_t> dropAfter;
    std::optional<int64_t> shortBy;
    int64_t bytesPerSecond = 0;
    bool ignoreRange = false;
    std::optional<int64_t> retryAfterSeconds;
};

// Faults by prefix of the request's path and query; thread-safe.
class FaultTable {
public:
    void add(const std::string &prefix, Fault fault);
    void clear();
    // The plan for a request, counting it against every fault that matches.
    FaultPlan take(const std::string &target);

private:
    struct Entry {
        std::string prefix;
        Fault fault;
        int used = 0;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;
};

// "PREFIX=KIND[:ARG[:TIMES]]" as the command line gives it; nullopt when unreadable.
std::optional<std::pair<std::string, Fault>> parseFaultOption(const std::string &text);
std::string faultOptionHelp();

} // namespace tavimo::emu
