#pragma once

#include "emulator/catalogue.h"
#include "emulator/host_names.h"

#include <string>
#include <vector>

// The JSON interfaces of the radio host.
namespace tavimo::emu::json {

std::string playlist(const std::vector<PlaylistSong> &songs, const HostNames &hosts);
std::string refusal(const std::string &reason);
// Channels [start, start + limit) of the hot-channel catalogue.
std::string hotChannels(const std::vector<Channel> &channels, int start, int limit);

} // namespace tavimo::emu::json
