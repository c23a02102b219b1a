// The picture catalogue's rows mapped to today's public equivalents.
#pragma once

#include <string>
#include <vector>

namespace sky::gateway {

// The live address for a catalogue picture (host and path as the program
// asks for them), empty when the row has no public equivalent today.
std::string LivePictureUrl(const std::string& host, const std::string& path);

// "https://host" of every picture source: where a picture's redirect may lead.
std::vector<std::string> PictureSourceOrigins();

// Whether a host is one of the catalogue's picture servers.
bool IsPictureHost(const std::string& host);
// Those servers, each once, in lower case.
std::vector<std::string> PictureHosts();

// "image/gif" or "image/jpeg" by the file name the row asks for.
std::string PictureType(const std::string& path);

// Whether the bytes are a picture of that type (by their signature).
bool PictureMatches(const std::string& type, const std::string& bytes);

}  // namespace sky::gateway
