#include "maker_site.h"

#include <atomic>

namespace sky::sample {

namespace {

class MakerSite : public Site {
 public:
  explicit MakerSite(std::string latest_version) : latest_version_(std::move(latest_version)) {}

  std::optional<Reply> Handle(const Request& request) const override {
    Reply reply;
    reply.status = 200;
    reply.content_type = "text/plain; charset=iso-8859-1";
    if (request.path == "/assets/skyglassvs.txt") {
      reply.body = "Version#" + latest_version_ + "\r\n";
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
  std::string latest_version_;
  mutable std::atomic<unsigned long> count_{0};
};

}  // namespace

std::unique_ptr<Site> MakeMakerSite(const std::string& latest_version) {
  return std::make_unique<MakerSite>(latest_version);
}

}  // namespace sky::sample
