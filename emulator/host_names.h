#pragma once

#include <string>

namespace tavimo::emu {

enum class ServiceHost { Radio, Catalogue, Audio };

// The host values (written after "http://") that the pages of one reply use
// for their own addresses: the emulator's ports, or the built-in names when
// the request came through the proxy port.
struct HostNames {
    std::string radio;
    std::string catalogue;
    std::string audio;

    std::string radioAddress(const std::string &path) const { return "http://" + radio + path; }
    std::string catalogueAddress(const std::string &path) const { return "http://" + catalogue + path; }
    std::string audioAddress(const std::string &path) const { return "http://" + audio + path; }
};

} // namespace tavimo::emu
