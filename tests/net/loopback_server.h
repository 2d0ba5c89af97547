#pragma once

#include <httplib.h>

#include <QString>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavimo::test {

// How a resource answers "Range: bytes=N-".
enum class RangeAnswer { Honour, Ignore, WrongStart };

// What the server sends for one path.
struct Resource {
    int status = 200;
    std::string body;
    std::string contentType = "audio/mpeg";
    RangeAnswer range = RangeAnswer::Honour;
    std::string location;                    // sent as Location when set
    std::string setCookie;                   // sent as Set-Cookie when set
    size_t dropAfter = std::string::npos;    // announce the whole body, send this much, hang up
    bool stallAfterFirstBytes = false;       // send a few bytes, then nothing until the test ends
    std::chrono::milliseconds delay{0};      // before the answer starts
    std::chrono::milliseconds chunkDelay{0}; // between pieces of the body
    size_t pieceBytes = 64 * 1024;           // of a body sent in pieces
};

struct RecordedRequest {
    std::string path;
    httplib::Headers headers;

    bool hasHeader(const std::string &name) const { return headers.find(name) != headers.end(); }
    std::string header(const std::string &name) const
    {
        const auto found = headers.find(name);
        return found == headers.end() ? std::string() : found->second;
    }
};

// An HTTP server on a free loopback port, in its own thread, serving the
// resources a test puts in and recording every request it receives.
class LoopbackServer {
public:
    LoopbackServer();
    // Over TLS, showing the certificate, whose key it holds.
    LoopbackServer(X509 *certificate, EVP_PKEY *key);
    ~LoopbackServer();

    void put(const std::string &path, Resource resource);
    QString url(const std::string &path) const;
    int port() const { return port_; }

    std::vector<RecordedRequest> requests() const;
    int requestCount(const std::string &path) const;

private:
    void start();
    void answer(const httplib::Request &request, httplib::Response &response);
    void sendBody(const Resource &resource, size_t offset, httplib::Response &response);
    void waitUntilReleased();

    std::unique_ptr<httplib::Server> server_;
    const char *scheme_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable released_;
    bool ending_ = false;
    std::map<std::string, Resource> resources_;
    std::vector<RecordedRequest> requests_;
};

} // namespace tavimo::test
