#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

namespace tavimo::test {

// The seed of a randomised test: TAVIMO_TEST_SEED when set, so that a failing
// run can be replayed, else a fresh one. A failure names it.
class TestSeed {
public:
    TestSeed() : value_(chosen()), trace_(__FILE__, __LINE__, "replay with TAVIMO_TEST_SEED=" + std::to_string(value_)) {}

    unsigned value() const { return value_; }

private:
    static unsigned chosen()
    {
        if (const char *given = std::getenv("TAVIMO_TEST_SEED"); given != nullptr && *given != '\0')
            return unsigned(std::strtoul(given, nullptr, 10));
        return std::random_device{}();
    }

    unsigned value_;
    testing::ScopedTrace trace_;
};

} // namespace tavimo::test
