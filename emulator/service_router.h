#pragma once

#include "emulator/catalogue.h"
#include "emulator/host_names.h"
#include "emulator/reply.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>

namespace tavimo::emu {

// A request as the service sees it, whichever port it came through.
struct ServiceRequest {
    std::string method;
    ServiceHost host = ServiceHost::Radio;
    std::string path;  // decoded
    std::string query; // as sent
    std::string cookies;
    std::string body;
    HostNames hosts;
};

// Answers every path of the three hosts from the sample catalogue. Holds the
// little state the service keeps between requests: the channels' playlist
// counters, the size of the MP3 files and the length of the liked list.
class ServiceRouter {
public:
    static constexpr const char *kSessionCookie = "tavimo_session";
    static constexpr const char *kSessionValue = "signed-in-7f3a9c";

    explicit ServiceRouter(const Catalogue &catalogue);

    Reply reply(const ServiceRequest &request);

    void setMp3Size(uint64_t bytes) { mp3Size_ = bytes; }
    uint64_t mp3Size() const { return mp3Size_; }
    void setLikedCount(int count) { likedCount_ = count; }
    void setLikedLately(int count) { likedLately_ = count; }
    void resetChannels();

private:
    Reply radio(const ServiceRequest &request);
    Reply catalogue(const ServiceRequest &request);
    Reply audio(const ServiceRequest &request);
    Reply signIn(const ServiceRequest &request);
    Reply liked(const ServiceRequest &request);
    Reply playlist(const ServiceRequest &request);

    const Catalogue &catalogue_;
    std::atomic<uint64_t> mp3Size_;
    std::atomic<int> likedCount_;
    std::atomic<int> likedLately_ = 0;
    std::mutex channelMutex_;
    std::map<int, int> channelRequests_;
};

} // namespace tavimo::emu
