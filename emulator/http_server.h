#pragma once

#include <httplib.h>

#include <string>

namespace tavimo::emu {

// httplib's server with its own connection loop. httplib 0.11 answers 400 to a
// request target holding a second "?" (the sign-in address carries one in its
// query), so the request line is read here first and such a "?" is passed on
// encoded, with the target as sent in kOriginalTargetHeader. Between requests
// the loop also watches for stop(), so an idle keep-alive connection never
// holds up a shutdown.
class HttpServer : public httplib::Server {
public:
    static constexpr const char *kOriginalTargetHeader = "X-Emulator-Original-Target";

private:
    bool process_and_close_socket(socket_t sock) override;
    bool stopping() const { return svr_sock_ == INVALID_SOCKET; }
};

// The target with every "?" after the first written as "%3F".
std::string withQuestionMarksEncoded(const std::string &target);

} // namespace tavimo::emu
