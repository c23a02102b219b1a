#include "historic/maker_site.h"

#include <atomic>

namespace sky::historic {

namespace {

class MakerSite : public Site {
 public:
  explicit MakerSite(std::string latestVersion) : latestVersion_(std::move(latestVersion)) {}

  std::optional<Reply> Handle(const Request& request) const override {
    Reply reply;
    reply.status = 200;
    reply.contentType = "text/plain; charset=iso-8859-1";
    if (request.path == "/assets/skyglassvs.txt") {
      reply.body = "Version#" + latestVersion_ + "\r\n";
      return reply;
    }
    if (request.path == "/assets/SkyglassCount.txt") {
      // Counts the runs that asked, as the real file did; nobody reads it.
      unsigned long count = ++count_;
      reply.body = "Count#" + std::to_string(count) + "\r\n";
      return reply;
    }
    return std::nullopt;
  }

 private:
  std::string latestVersion_;
  mutable std::atomic<unsigned long> count_{0};
};

}  // namespace

std::unique_ptr<Site> MakeMakerSite(const std::string& latestVersion) {
  return std::make_unique<MakerSite>(latestVersion);
}

}  // namespace sky::historic
