#pragma once

#include "emulator/catalogue.h"
#include "emulator/host_names.h"

#include <string>
#include <vector>

// The HTML pages of the service, laid out as the program reads them.
namespace tavimo::emu::pages {

std::string album(const Album &album, const Catalogue &catalogue, const HostNames &hosts);
std::string artist(const Artist &artist, const Catalogue &catalogue, const HostNames &hosts);
std::string albumListing(const Artist &artist, int start, const Catalogue &catalogue, const HostNames &hosts);
std::string search(const std::string &text, const std::vector<const Artist *> &found, const Catalogue &catalogue,
                   const HostNames &hosts);

// Liked tracks [start, start + page size) of `liked`.
std::string likedList(const std::vector<Track> &liked, int start, const HostNames &hosts);
std::string signIn(const std::string &redirect, const std::string &error);
std::string radioHome(const HostNames &hosts);
std::string mine(const HostNames &hosts);

std::string statusText(int status);
std::string error(int status);
std::string unreachable(const std::string &address);

} // namespace tavimo::emu::pages
