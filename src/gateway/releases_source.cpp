// The maker's version file ("/assets/skyglassvs.txt") from a release feed
// given by --releases-url (a list of releases in the shape of GitHub's REST
// "list releases" answer: "tag_name", "draft", "prerelease"). Without a feed
// the file is not found, and the program shows its own "could not check"
// outcome: the gateway never claims a version it does not know.
#include <cctype>

#include "common/hosts.h"
#include "gateway/sources.h"

namespace sky::gateway {

namespace {

using nlohmann::json;
using Produced = Gateway::Produced;

constexpr std::int64_t kReleasesTtlS = 6 * 3600;

Produced VersionFile(Gateway& g, Deadline deadline) {
  Produced failed;
  const std::string& url = g.options().releasesUrl;
  FetchResult r = g.upstream().Get(url, deadline);
  if (!r.ok) return failed;
  const json releases = ParseJson(r.body);
  if (!releases.is_array()) {
    g.Log("upstream " + url + " failed: no release list");
    return failed;
  }
  // The feed lists the newest first; drafts and pre-releases are no release.
  for (const json& release : releases) {
    if (!release.is_object() || release.value("draft", false) || release.value("prerelease", false)) continue;
    const std::string version = VersionOfTag(StringAt(release, "tag_name"));
    if (version.empty()) continue;
    Reply reply = Plain(200, std::string("Version#") + version + "\r\n");
    reply.contentType = "text/plain";
    return {Gateway::Outcome::kOk, reply};
  }
  g.Log("upstream " + url + " failed: no release with a version tag");
  return failed;
}

}  // namespace

std::string VersionOfTag(const std::string& tag) {
  // "v1.31.0" or "release-1.31" -> "1.31.0.0": four numbers, as the program's
  // own version is written.
  std::size_t at = tag.find_first_of("0123456789");
  if (at == std::string::npos) return {};
  std::string out;
  int parts = 0;
  while (parts < 4 && at < tag.size() && std::isdigit(static_cast<unsigned char>(tag[at]))) {
    std::size_t end = at;
    while (end < tag.size() && std::isdigit(static_cast<unsigned char>(tag[end]))) ++end;
    out += (parts ? "." : "") + tag.substr(at, end - at);
    ++parts;
    if (end >= tag.size() || tag[end] != '.') break;
    at = end + 1;
  }
  for (; parts < 4; ++parts) out += ".0";
  return out;
}

void AddReleasesSource(Gateway& gateway, historic::Router& router) {
  router.Add(hosts::kMaker, [&gateway](const Request& request) -> std::optional<Reply> {
    if (request.path != "/assets/skyglassvs.txt" || gateway.options().releasesUrl.empty()) return std::nullopt;
    return gateway.Cached("releases", kReleasesTtlS, gateway.AnswerDeadline(),
                          [&](Deadline d) { return VersionFile(gateway, d); });
  });
}

}  // namespace sky::gateway
