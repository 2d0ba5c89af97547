#pragma once

#include "emulator/faults.h"
#include "emulator/reply.h"
#include "emulator/request_log.h"
#include "emulator/stop_signal.h"

#include <cstdint>
#include <optional>
#include <string>

namespace httplib {
struct Request;
struct Response;
} // namespace httplib

namespace tavimo::emu {

struct ByteRange {
    uint64_t first = 0;
    uint64_t last = 0;
};

// A single "bytes=" range of a body of `size` bytes. nullopt when the header
// does not ask for one range (the whole body is sent); a range with first > last
// when it cannot be satisfied.
std::optional<ByteRange> parseRange(const std::string &header, uint64_t size);

// The reply that a replacing fault (status, empty, garbage, refused) puts in place of the real one.
Reply faultReply(const FaultPlan &plan, const Reply &real, const std::string &path);

// Where delivery reports and waits.
struct DeliveryContext {
    RequestLog &log;
    size_t logIndex;
    StopSignal &stop;
};

// Writes the reply into httplib's response: ranges, status, headers, and a body
// produced as it goes out, with the plan's delivery faults applied.
void deliver(const httplib::Request &request, httplib::Response &response, Reply reply, const FaultPlan &plan,
             DeliveryContext context);

} // namespace tavimo::emu
