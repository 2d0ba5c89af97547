#pragma once

#include "loopback_server.h"
#include "net/mod_xml_http.h"
#include "tests/support/temp_root.h"

#include <gtest/gtest.h>

#include <QString>

#include <random>
#include <string>

namespace tavimo::test {

// A loopback server, a fresh download folder and the network object.
class NetTest : public ::testing::Test {
protected:
    // Bytes that look like nothing in particular, as an MP3 file does.
    static std::string trackBytes(size_t size, unsigned seed = 7)
    {
        std::mt19937 random(seed);
        std::string bytes(size, '\0');
        for (char &byte : bytes)
            byte = char(random() & 0xff);
        return bytes;
    }
    static QByteArray bytes(const std::string &text) { return QByteArray::fromStdString(text); }

    LoopbackServer server;
    TempRoot root;
    ModXmlHttp http;
};

} // namespace tavimo::test
