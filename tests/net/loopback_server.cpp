#include "loopback_server.h"

#include <algorithm>

namespace tavimo::test {

namespace {

// "bytes=N-" as the network object sends it; npos when absent or other.
size_t requestedStart(const httplib::Request &request)
{
    const std::string range = request.get_header_value("Range");
    const std::string prefix = "bytes=";
    if (range.rfind(prefix, 0) != 0 || range.back() != '-')
        return std::string::npos;
    return std::stoul(range.substr(prefix.size(), range.size() - prefix.size() - 1));
}

} // namespace

LoopbackServer::LoopbackServer() : server_(std::make_unique<httplib::Server>()), scheme_("http") { start(); }

LoopbackServer::LoopbackServer(X509 *certificate, EVP_PKEY *key)
    : server_(std::make_unique<httplib::SSLServer>(certificate, key)), scheme_("https")
{
    start();
}

void LoopbackServer::start()
{
    server_->set_keep_alive_timeout(1);
    server_->set_pre_routing_handler([this](const httplib::Request &request, httplib::Response &) {
        std::lock_guard lock(mutex_);
        requests_.push_back({request.path, request.headers});
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server_->Get(".*", [this](const httplib::Request &request, httplib::Response &response) {
        answer(request, response);
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // stop() is ignored until the accept loop runs, so a quick test could hang.
    while (!server_->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LoopbackServer::~LoopbackServer()
{
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    released_.notify_all();
    server_->stop();
    thread_.join();
}

void LoopbackServer::put(const std::string &path, Resource resource)
{
    std::lock_guard lock(mutex_);
    resources_[path] = std::move(resource);
}

QString LoopbackServer::url(const std::string &path) const
{
    return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(scheme_)).arg(port_) + QString::fromStdString(path);
}

std::vector<RecordedRequest> LoopbackServer::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

int LoopbackServer::requestCount(const std::string &path) const
{
    std::lock_guard lock(mutex_);
    return int(std::count_if(requests_.begin(), requests_.end(),
                             [&](const RecordedRequest &r) { return r.path == path; }));
}

void LoopbackServer::answer(const httplib::Request &request, httplib::Response &response)
{
    Resource resource;
    {
        std::lock_guard lock(mutex_);
        const auto found = resources_.find(request.path);
        if (found == resources_.end()) {
            response.status = 404;
            return;
        }
        resource = found->second;
    }
    std::this_thread::sleep_for(resource.delay);
    // The server library would cut the body to the range by itself; each
    // resource decides instead.
    const_cast<httplib::Request &>(request).ranges.clear();
    response.status = resource.status;
    if (!resource.location.empty())
        response.set_header("Location", resource.location);
    if (!resource.setCookie.empty())
        response.set_header("Set-Cookie", resource.setCookie);
    size_t offset = 0;
    const size_t start = requestedStart(request);
    if (start != std::string::npos && resource.status == 200 && resource.range == RangeAnswer::Honour
        && start >= resource.body.size()) {
        response.status = 416;
        response.set_header("Content-Range", "bytes */" + std::to_string(resource.body.size()));
        response.set_content("416 Range Not Satisfiable", "text/plain");
        return;
    }
    if (start != std::string::npos && resource.range != RangeAnswer::Ignore && start < resource.body.size()) {
        offset = resource.range == RangeAnswer::WrongStart ? start / 2 : start;
        response.status = 206;
        response.set_header("Content-Range", "bytes " + std::to_string(offset) + "-"
                                                 + std::to_string(resource.body.size() - 1) + "/"
                                                 + std::to_string(resource.body.size()));
    }
    sendBody(resource, offset, response);
}

void LoopbackServer::sendBody(const Resource &resource, size_t offset, httplib::Response &response)
{
    const std::string body = resource.body.substr(offset);
    const bool streamed = resource.stallAfterFirstBytes || resource.dropAfter != std::string::npos
        || resource.chunkDelay.count() > 0;
    if (!streamed) {
        response.set_content(body, resource.contentType.c_str());
        return;
    }
    const size_t sendable = std::min(body.size(), resource.dropAfter);
    response.set_content_provider(
        body.size(), resource.contentType.c_str(),
        [this, body, sendable, resource](size_t at, size_t, httplib::DataSink &sink) {
            if (resource.stallAfterFirstBytes && at > 0) {
                waitUntilReleased();
                return false;
            }
            if (at >= sendable)
                return false;
            const size_t piece = resource.stallAfterFirstBytes ? std::min<size_t>(16, sendable) : resource.pieceBytes;
            sink.write(body.data() + at, std::min(piece, sendable - at));
            std::this_thread::sleep_for(resource.chunkDelay);
            return true;
        });
}

void LoopbackServer::waitUntilReleased()
{
    std::unique_lock lock(mutex_);
    released_.wait_for(lock, std::chrono::seconds(30), [this] { return ending_; });
}

} // namespace tavimo::test
