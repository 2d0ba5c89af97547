#pragma once

#include "emulator/catalogue.h"
#include "emulator/faults.h"
#include "emulator/host_names.h"
#include "emulator/request_log.h"
#include "emulator/service_router.h"
#include "emulator/stop_signal.h"
#include "net/service_hosts.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace tavimo::emu {

// The Tavimo service on loopback: one HTTP server per host (radio, catalogue,
// MP3 files) and a fourth that takes requests in proxy form for the built-in
// host names. Runs on its own threads; tests start it in-process.
class Emulator {
public:
    static constexpr const char *kBuiltInRadio = "radio.tavimo.com";
    static constexpr const char *kBuiltInCatalogue = "music.tavimo.com";
    static constexpr const char *kBuiltInAudio = "audio.tavimo.com";

    Emulator();
    ~Emulator();
    Emulator(const Emulator &) = delete;
    Emulator &operator=(const Emulator &) = delete;

    // Binds 127.0.0.1: ephemeral ports, or portBase .. portBase + 3 for radio,
    // catalogue, audio and proxy. False when a port cannot be had.
    bool start(int portBase = 0);
    void stop();
    bool isRunning() const { return running_; }

    ServiceHosts hosts() const;
    HostNames hostNames() const;
    int port(ServiceHost host) const;
    int proxyPort() const { return ports_[3]; }

    const Catalogue &catalogue() const { return catalogue_; }
    // For tests that serve entries of their own; not while requests are answered.
    Catalogue &editableCatalogue() { return catalogue_; }

    // A host name that never resolves: well formed, but longer than a
    // name in DNS may be, so the resolver refuses it before any query goes out.
    static std::string unresolvableHost()
    {
        const std::string label(60, 'x');
        return label + '.' + label + '.' + label + '.' + label + '.' + label + ".invalid";
    }

    // The proxy port answers 407 to requests without these basic
    // credentials ("user:password"); empty, the default, for none.
    void setProxyCredentials(const std::string &userAndPassword);

    void setFault(const std::string &prefix, Fault fault) { faults_.add(prefix, fault); }
    void clearFaults() { faults_.clear(); }

    std::vector<RequestRecord> requestLog() const { return log_.snapshot(); }
    void clearRequestLog() { log_.clear(); }
    // Waits (the calling thread) until count requests have arrived since the
    // log was last cleared, at most for timeout; whether they have.
    bool waitForRequests(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const
    {
        return log_.waitFor(count, timeout);
    }

    void setMp3Size(uint64_t bytes) { router_.setMp3Size(bytes); }
    uint64_t mp3Size() const { return router_.mp3Size(); }
    // The exact bytes the file host sends for a song at the current size.
    std::string expectedMp3(const std::string &songId, bool highBitRate) const;

    // Shortens the liked list to its first `count` tracks (0: a user without liked tracks).
    void setLikedCount(int count) { router_.setLikedCount(count); }
    // Puts `count` tracks liked lately at the top of the liked list.
    void setLikedLately(int count) { router_.setLikedLately(count); }
    // The channels' playlists start again from their first reply.
    void resetChannels() { router_.resetChannels(); }
    // The Cookie header value of a signed-in browser.
    static std::string signInCookie();

private:
    void handle(const httplib::Request &request, httplib::Response &response, std::optional<ServiceHost> host);
    bool listenOn(size_t slot, int port, std::optional<ServiceHost> host);

    Catalogue catalogue_;
    ServiceRouter router_;
    FaultTable faults_;
    std::string proxyAuthorization_; // the header value a proxied request must carry
    RequestLog log_;
    StopSignal stopSignal_;
    std::array<std::unique_ptr<httplib::Server>, 4> servers_;
    std::array<std::thread, 4> threads_;
    std::array<int, 4> ports_{};
    bool running_ = false;
};

} // namespace tavimo::emu
