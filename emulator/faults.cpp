#include "emulator/faults.h"

#include <array>
#include <charconv>

namespace tavimo::emu {

namespace {

struct KindName {
    const char *name;
    FaultKind kind;
};

constexpr std::array kKindNames = {
    KindName{"status", FaultKind::Status},     KindName{"empty", FaultKind::EmptyBody},
    KindName{"garbage", FaultKind::Garbage},   KindName{"refused", FaultKind::Refused},
    KindName{"delay", FaultKind::Delay},       KindName{"stall", FaultKind::Stall},
    KindName{"drop", FaultKind::Drop},         KindName{"short", FaultKind::ShortBody},
    KindName{"bandwidth", FaultKind::Bandwidth}, KindName{"ignore-range", FaultKind::IgnoreRange},
    KindName{"retry-after", FaultKind::RetryAfter}, KindName{"unavailable", FaultKind::Unavailable},
};

void apply(const Fault &fault, FaultPlan &plan)
{
    switch (fault.kind) {
    case FaultKind::Status:
        plan.replacement = fault.kind;
        plan.status = static_cast<int>(fault.arg);
        break;
    case FaultKind::EmptyBody:
    case FaultKind::Garbage:
    case FaultKind::Refused: plan.replacement = fault.kind; break;
    case FaultKind::Delay: plan.delayMs += fault.arg; break;
    case FaultKind::Stall: plan.stallMs += fault.arg; break;
    case FaultKind::Drop: plan.dropAfter = fault.arg; break;
    case FaultKind::ShortBody: plan.shortBy = fault.arg; break;
    case FaultKind::Bandwidth: plan.bytesPerSecond = fault.arg; break;
    case FaultKind::IgnoreRange: plan.ignoreRange = true; break;
    case FaultKind::RetryAfter:
    case FaultKind::Unavailable:
        plan.replacement = FaultKind::Status;
        plan.status = fault.kind == FaultKind::RetryAfter ? 429 : 503;
        plan.retryAfterSeconds = fault.arg;
        break;
    }
}

bool readNumber(const std::string &text, int64_t &value)
{
    const char *end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

} // namespace

void FaultTable::add(const std::string &prefix, Fault fault)
{
    std::lock_guard lock(mutex_);
    entries_.push_back({prefix, fault, 0});
}

void FaultTable::clear()
{
    std::lock_guard lock(mutex_);
    entries_.clear();
}

FaultPlan FaultTable::take(const std::string &target)
{
    std::lock_guard lock(mutex_);
    FaultPlan plan;
    for (Entry &entry : entries_) {
        if (target.compare(0, entry.prefix.size(), entry.prefix) != 0)
            continue;
        if (entry.fault.times > 0 && entry.used >= entry.fault.times)
            continue;
        ++entry.used;
        apply(entry.fault, plan);
    }
    return plan;
}

std::optional<std::pair<std::string, Fault>> parseFaultOption(const std::string &text)
{
    const size_t equals = text.rfind('=');
    if (equals == std::string::npos)
        return std::nullopt;
    std::string prefix = text.substr(0, equals);
    std::string rest = text.substr(equals + 1);
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        const size_t colon = rest.find(':', start);
        parts.push_back(rest.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    if (parts.size() > 3)
        return std::nullopt;
    int64_t arg = 0;
    int64_t times = 0;
    if ((parts.size() > 1 && !readNumber(parts[1], arg)) || (parts.size() > 2 && !readNumber(parts[2], times)))
        return std::nullopt;
    if (parts[0] == "fail-first")
        return std::make_pair(prefix, Fault::failFirst(static_cast<int>(arg)));
    for (const KindName &known : kKindNames) {
        if (parts[0] == known.name)
            return std::make_pair(prefix, Fault::of(known.kind, arg, static_cast<int>(times)));
    }
    return std::nullopt;
}

std::string faultOptionHelp()
{
    std::string kinds;
    for (const KindName &known : kKindNames)
        kinds += std::string(kinds.empty() ? "" : ", ") + known.name;
    return "PREFIX=KIND[:ARG[:TIMES]] with KIND one of " + kinds +
           ", or PREFIX=fail-first:N (the first N requests answer 503)";
}

} // namespace tavimo::emu
