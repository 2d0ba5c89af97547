#include "emulator/emulator.h"

#include "emulator/html_pages.h"
#include "emulator/http_server.h"
#include "emulator/http_text.h"
#include "emulator/mp3_file.h"
#include "emulator/reply_sender.h"

#include <algorithm>
#include <cctype>

namespace tavimo::emu {

namespace {

constexpr std::array kDirectHosts = {ServiceHost::Radio, ServiceHost::Catalogue, ServiceHost::Audio};
constexpr size_t kWorkersPerServer = 8;
constexpr time_t kKeepAliveSeconds = 1;

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

const std::string &hostValue(const HostNames &names, ServiceHost host)
{
    switch (host) {
    case ServiceHost::Catalogue: return names.catalogue;
    case ServiceHost::Audio: return names.audio;
    case ServiceHost::Radio: break;
    }
    return names.radio;
}

std::optional<ServiceHost> hostNamed(const HostNames &names, const std::string &value)
{
    for (ServiceHost host : kDirectHosts) {
        if (hostValue(names, host) == value)
            return host;
    }
    return std::nullopt;
}

// Where a request on the proxy port goes: the absolute address of its request
// line, or else its Host header.
struct ProxyDestination {
    std::string host;   // as the client named it, without ":80"
    std::string target; // path and query
};

ProxyDestination proxyDestination(const httplib::Request &request, const std::string &target)
{
    ProxyDestination destination{request.get_header_value("Host"), target};
    const std::string scheme = "http://";
    if (lowerCase(target.substr(0, scheme.size())) == scheme) {
        const size_t slash = target.find('/', scheme.size());
        destination.host = target.substr(scheme.size(), slash - scheme.size());
        destination.target = slash == std::string::npos ? "/" : target.substr(slash);
    }
    destination.host = lowerCase(destination.host);
    if (destination.host.size() > 3 && destination.host.compare(destination.host.size() - 3, 3, ":80") == 0)
        destination.host.resize(destination.host.size() - 3);
    return destination;
}

} // namespace

Emulator::Emulator() : router_(catalogue_) {}

Emulator::~Emulator()
{
    stop();
}

bool Emulator::start(int portBase)
{
    if (running_)
        return true;
    running_ = true;
    for (size_t slot = 0; slot < servers_.size(); ++slot) {
        const int port = portBase > 0 ? portBase + static_cast<int>(slot) : 0;
        const std::optional<ServiceHost> host =
            slot < kDirectHosts.size() ? std::optional(kDirectHosts[slot]) : std::nullopt;
        if (!listenOn(slot, port, host)) {
            stop();
            return false;
        }
    }
    return true;
}

bool Emulator::listenOn(size_t slot, int port, std::optional<ServiceHost> host)
{
    auto server = std::make_unique<HttpServer>();
    server->new_task_queue = [] { return new httplib::ThreadPool(kWorkersPerServer); };
    server->set_keep_alive_timeout(kKeepAliveSeconds);
    const auto handler = [this, host](const httplib::Request &request, httplib::Response &response) {
        handle(request, response, host);
    };
    server->Get(".*", handler);
    server->Post(".*", handler);
    const int bound = port > 0 ? (server->bind_to_port("127.0.0.1", port) ? port : -1)
                               : server->bind_to_any_port("127.0.0.1");
    if (bound <= 0)
        return false;
    ports_[slot] = bound;
    httplib::Server *running = server.get();
    servers_[slot] = std::move(server);
    threads_[slot] = std::thread([running] { running->listen_after_bind(); });
    // stop() only reaches a server whose accept loop has begun.
    while (!running->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void Emulator::stop()
{
    if (!running_)
        return;
    stopSignal_.stop();
    for (auto &server : servers_) {
        if (server)
            server->stop();
    }
    for (auto &thread : threads_) {
        if (thread.joinable())
            thread.join();
    }
    for (auto &server : servers_)
        server.reset();
    ports_ = {};
    stopSignal_.reset();
    running_ = false;
}

HostNames Emulator::hostNames() const
{
    const auto value = [this](size_t slot) { return "127.0.0.1:" + std::to_string(ports_[slot]); };
    return {value(0), value(1), value(2)};
}

ServiceHosts Emulator::hosts() const
{
    const HostNames names = hostNames();
    return {QString::fromStdString(names.radio), QString::fromStdString(names.catalogue),
            QString::fromStdString(names.audio)};
}

int Emulator::port(ServiceHost host) const
{
    return ports_[static_cast<size_t>(std::find(kDirectHosts.begin(), kDirectHosts.end(), host) - kDirectHosts.begin())];
}

std::string Emulator::expectedMp3(const std::string &songId, bool highBitRate) const
{
    return Mp3File(songId, highBitRate, mp3Size()).bytes();
}

void Emulator::setProxyCredentials(const std::string &userAndPassword)
{
    const size_t colon = userAndPassword.find(':');
    proxyAuthorization_ = userAndPassword.empty() ? std::string()
                                                  : httplib::make_basic_authentication_header(
                                                        userAndPassword.substr(0, colon),
                                                        colon == std::string::npos ? "" : userAndPassword.substr(colon + 1),
                                                        true)
                                                        .second;
}

std::string Emulator::signInCookie()
{
    return std::string(ServiceRouter::kSessionCookie) + "=" + ServiceRouter::kSessionValue;
}

void Emulator::handle(const httplib::Request &request, httplib::Response &response, std::optional<ServiceHost> host)
{
    ServiceRequest service;
    service.method = request.method;
    service.cookies = request.get_header_value("Cookie");
    service.body = request.body;
    service.hosts = hostNames();
    std::string target = request.has_header(HttpServer::kOriginalTargetHeader)
                             ? request.get_header_value(HttpServer::kOriginalTargetHeader)
                             : request.target;
    std::optional<ServiceHost> destination = host;
    std::string namedHost = host ? hostValue(service.hosts, *host) : std::string();
    if (!host) {
        const ProxyDestination proxied = proxyDestination(request, target);
        const HostNames builtIn{kBuiltInRadio, kBuiltInCatalogue, kBuiltInAudio};
        destination = hostNamed(builtIn, proxied.host);
        if (destination)
            service.hosts = builtIn;
        else
            destination = hostNamed(service.hosts, proxied.host);
        namedHost = proxied.host;
        target = proxied.target;
    }

    const size_t question = target.find('?');
    service.path = percentDecode(target.substr(0, question));
    service.query = question == std::string::npos ? std::string() : target.substr(question + 1);
    service.host = destination.value_or(ServiceHost::Radio);

    RequestRecord record;
    record.method = request.method;
    record.address = "http://" + namedHost + target;
    record.target = target;
    record.host = service.host;
    record.viaProxy = !host;
    for (const auto &header : request.headers) {
        if (header.first != HttpServer::kOriginalTargetHeader)
            record.headers.push_back(header);
    }
    record.body = request.body;
    const size_t logIndex = log_.add(std::move(record));

    if (!host && !proxyAuthorization_.empty() && request.get_header_value("Proxy-Authorization") != proxyAuthorization_) {
        Reply refusal = Reply::html(pages::error(407), 407);
        refusal.headers.emplace_back("Proxy-Authenticate", "Basic realm=\"tavimo-emulator\"");
        deliver(request, response, std::move(refusal), {}, {log_, logIndex, stopSignal_});
        return;
    }
    if (!destination) {
        deliver(request, response, Reply::html(pages::error(502), 502), {}, {log_, logIndex, stopSignal_});
        return;
    }
    const FaultPlan plan = faults_.take(target);
    if (plan.delayMs > 0)
        stopSignal_.sleepFor(std::chrono::milliseconds(plan.delayMs));
    Reply reply = router_.reply(service);
    if (plan.replacement)
        reply = faultReply(plan, reply, service.path);
    deliver(request, response, std::move(reply), plan, {log_, logIndex, stopSignal_});
}

} // namespace tavimo::emu
