#include "emulator/http_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <netinet/in.h>

namespace tavimo::emu {

namespace {

constexpr int kTimeoutMs = 5000;
constexpr int kIdleSliceMs = 20;
constexpr size_t kMaxRequestLine = 8192;

bool waitFor(int sock, short events, int timeoutMs)
{
    pollfd entry{sock, events, 0};
    const int ready = ::poll(&entry, 1, timeoutMs);
    return ready > 0 && (entry.revents & (events | POLLHUP | POLLERR)) != 0;
}

void describe(const sockaddr_storage &address, std::string &ip, int &port)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto *v4 = reinterpret_cast<const sockaddr_in *>(&address);
        ::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        port = ntohs(v4->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto *v6 = reinterpret_cast<const sockaddr_in6 *>(&address);
        ::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        port = ntohs(v6->sin6_port);
    }
    ip = text;
}

// A connection whose next bytes may come from a rewritten request head.
class ConnectionStream : public httplib::Stream {
public:
    explicit ConnectionStream(int sock) : sock_(sock) {}

    bool is_readable() const override { return !pending_.empty() || waitFor(sock_, POLLIN, kTimeoutMs); }
    bool is_writable() const override { return waitFor(sock_, POLLOUT, kTimeoutMs); }

    ssize_t read(char *ptr, size_t size) override
    {
        if (!pending_.empty()) {
            const size_t count = pending_.copy(ptr, size);
            pending_.erase(0, count);
            return static_cast<ssize_t>(count);
        }
        if (!waitFor(sock_, POLLIN, kTimeoutMs))
            return -1;
        return ::recv(sock_, ptr, size, 0);
    }

    ssize_t write(const char *ptr, size_t size) override
    {
        if (!is_writable())
            return -1;
        return ::send(sock_, ptr, size, MSG_NOSIGNAL);
    }

    void get_remote_ip_and_port(std::string &ip, int &port) const override
    {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getpeername(sock_, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            describe(address, ip, port);
    }

    void get_local_ip_and_port(std::string &ip, int &port) const override
    {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getsockname(sock_, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            describe(address, ip, port);
    }

    socket_t socket() const override { return sock_; }

    // Reads the request line off the socket and queues it, rewritten where needed.
    bool takeRequestLine()
    {
        std::string line;
        char c = 0;
        while (line.size() < kMaxRequestLine && (line.empty() || line.back() != '\n')) {
            if (!waitFor(sock_, POLLIN, kTimeoutMs) || ::recv(sock_, &c, 1, 0) != 1)
                return false;
            line += c;
        }
        const size_t targetStart = line.find(' ');
        const size_t targetEnd = line.find(' ', targetStart + 1);
        if (targetStart != std::string::npos && targetEnd != std::string::npos) {
            const std::string target = line.substr(targetStart + 1, targetEnd - targetStart - 1);
            const std::string encoded = withQuestionMarksEncoded(target);
            if (encoded != target) {
                line.replace(targetStart + 1, target.size(), encoded);
                line += std::string(HttpServer::kOriginalTargetHeader) + ": " + target + "\r\n";
            }
        }
        pending_ = line;
        return true;
    }

private:
    int sock_;
    std::string pending_;
};

} // namespace

std::string withQuestionMarksEncoded(const std::string &target)
{
    const size_t query = target.find('?');
    if (query == std::string::npos)
        return target;
    std::string encoded = target.substr(0, query + 1);
    for (size_t i = query + 1; i < target.size(); ++i)
        encoded += target[i] == '?' ? std::string("%3F") : std::string(1, target[i]);
    return encoded;
}

bool HttpServer::process_and_close_socket(socket_t sock)
{
    ConnectionStream stream(sock);
    bool ok = true;
    for (size_t remaining = keep_alive_max_count_; remaining > 0 && !stopping(); --remaining) {
        // Wait for the next request in short slices, so that stop() is noticed.
        bool ready = false;
        for (time_t waited = 0; !stopping() && waited < keep_alive_timeout_sec_ * 1000; waited += kIdleSliceMs) {
            if ((ready = waitFor(sock, POLLIN, kIdleSliceMs)))
                break;
        }
        if (!ready || stopping() || !stream.takeRequestLine())
            break;
        bool closed = false;
        ok = process_request(stream, remaining == 1, closed, nullptr);
        if (!ok || closed)
            break;
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return ok;
}

} // namespace tavimo::emu
