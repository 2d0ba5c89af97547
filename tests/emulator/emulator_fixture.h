#pragma once

#include "emulator/emulator.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <string>

namespace tavimo::emu::test {

// A running emulator and a plain HTTP client for each of its hosts.
class EmulatorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(emulator.start()); }

    httplib::Client client(ServiceHost host) const
    {
        httplib::Client client("127.0.0.1", emulator.port(host));
        client.set_read_timeout(10, 0);
        return client;
    }

    httplib::Result get(ServiceHost host, const std::string &target, const httplib::Headers &headers = {}) const
    {
        return client(host).Get(target, headers);
    }

    std::string body(ServiceHost host, const std::string &target, const httplib::Headers &headers = {}) const
    {
        const httplib::Result result = get(host, target, headers);
        return result ? result->body : std::string();
    }

    std::string catalogueAddress(const std::string &path) const { return emulator.hostNames().catalogueAddress(path); }

    Emulator emulator;
};

inline size_t countOf(const std::string &text, const std::string &part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

} // namespace tavimo::emu::test
