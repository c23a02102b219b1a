// The picture catalogue's rows, fetched from today's public equivalents
// (gateway/pictures.h maps them) and checked to be pictures of the row's type.
#include "gateway/pictures.h"
#include "gateway/sources.h"

namespace sky::gateway {

namespace {

using nlohmann::json;
using Produced = Gateway::Produced;

Reply PictureRequest(Gateway& g, const Request& request, Deadline deadline) {
  std::string url = LivePictureUrl(request.host, request.path);
  if (url.empty()) return Plain(404, historic::NotFoundPage("http://" + request.host + request.path));
  if (!g.options().picturesBase.empty()) url = g.options().picturesBase + "/" + url.substr(url.find("://") + 3);
  const std::string type = PictureType(request.path);
  return g.Cached(request.host + request.path, g.options().picturesTtlSeconds, deadline, [&](Deadline d) {
    Produced produced;
    FetchResult r = g.upstream().Get(url, d);
    if (!r.ok) return produced;
    if (!PictureMatches(type, r.body)) {
      g.Log("upstream " + url + " failed: not a " + type + " picture");
      return produced;
    }
    produced.outcome = Gateway::Outcome::kOk;
    produced.reply.status = 200;
    produced.reply.contentType = type;
    produced.reply.body = std::move(r.body);
    return produced;
  });
}

}  // namespace

void AddPictureSource(Gateway& gateway, historic::Router& router) {
  for (const std::string& host : PictureHosts()) {
    // Behind a source registered for the same host before.
    router.Chain(host, std::make_unique<historic::FunctionSite>([&gateway](const Request& request) {
                   return std::optional<Reply>(PictureRequest(gateway, request, gateway.AnswerDeadline()));
                 }));
  }
}

}  // namespace sky::gateway
