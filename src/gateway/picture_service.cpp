#include "gateway/picture_service.h"

#include "gateway/local_radar.h"

namespace sky::gateway {

namespace {

historic::Reply Text(int status, const std::string& title, const std::string& text) {
  historic::Reply r;
  r.status = status;
  r.body = "<html><head><title>" + title + "</title></head>\n<body><h1>" + title + "</h1>\n<p>" + text +
           "</p>\n</body></html>\n";
  return r;
}

// A picture from the cache says how long it was kept (Age) and, when it
// stands in for a source that failed, that it is stale (Warning 110).
historic::Reply Kept(historic::Reply reply, std::int64_t kept_ms, bool stale) {
  reply.headers.emplace_back("Age", std::to_string(kept_ms / 1000));
  if (stale) reply.headers.emplace_back("Warning", "110 skyglass-gateway \"Response is Stale\"");
  return reply;
}

// A fresh picture says how long it stays current: its source's rate.
historic::Reply Fresh(PictureFormat format, std::string bytes, int minutes) {
  historic::Reply reply;
  reply.status = 200;
  reply.contentType = ContentType(format);
  reply.body = std::move(bytes);
  reply.headers.emplace_back("Cache-Control", "max-age=" + std::to_string(minutes * 60));
  return reply;
}

}  // namespace

PictureService::PictureService(const Options& options, IUpstream& upstream, const IClock& clock,
                               std::function<void(const std::string&)> log)
    : options_(options), upstream_(upstream), clock_(clock), log_(std::move(log)) {}

std::optional<PictureService::Entry> PictureService::Find(const std::string& key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = entries_.find(key);
  if (it == entries_.end()) return std::nullopt;
  return it->second;
}

void PictureService::Put(const std::string& key, const historic::Reply& reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (auto it = entries_.find(key); it != entries_.end()) {
    bytes_ -= it->second.reply.body.size();
    entries_.erase(it);
  }
  if (reply.body.size() > options_.pictureCacheBytes) return;
  // Room by the oldest pictures.
  while (!entries_.empty() && bytes_ + reply.body.size() > options_.pictureCacheBytes) {
    auto oldest = entries_.begin();
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
      if (it->second.storedMs < oldest->second.storedMs) oldest = it;
    bytes_ -= oldest->second.reply.body.size();
    entries_.erase(oldest);
  }
  entries_[key] = Entry{reply, clock_.MonotonicMs()};
  bytes_ += reply.body.size();
}

std::size_t PictureService::CachedBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return bytes_;
}

const Coastlines* PictureService::Shorelines() {
  std::call_once(coastOnce_, [this] {
    auto coast = std::make_unique<Coastlines>();
    std::string error;
    if (LoadCoastlines(options_.coastlineFile, 2, *coast, error)) {
      coast_ = std::move(coast);
    } else if (log_) {
      log_("shorelines not drawn: " + error);
    }
  });
  static const Coastlines none;
  return coast_ ? coast_.get() : &none;
}

std::optional<std::string> PictureService::Drawn(const PictureSource& source, Deadline deadline) {
  const OutlookRegion* region = FindOutlookRegion(source.drawnRegion);
  if (region == nullptr) return std::nullopt;
  // Both maps of a region come from one answer, kept as long as the maps.
  OutlookGrid grid;
  bool have = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = grids_.find(region->key);
    if (it != grids_.end() && clock_.MonotonicMs() - it->second.second < source.minutes * 60'000LL) {
      grid = it->second.first;
      have = true;
    }
  }
  if (!have) {
    const std::string url = OutlookRequestUrl(options_.gridApi, *region);
    FetchResult r = upstream_.Get(url, deadline);
    if (!r.ok) return std::nullopt;
    std::string error;
    if (!ParseOutlookAnswer(r.body, grid, error)) {
      if (log_) log_("upstream " + options_.gridApi + " failed for " + region->key + ": " + error);
      return std::nullopt;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    grids_[region->key] = {grid, clock_.MonotonicMs()};
  }
  return DrawOutlookMap(*region, grid,
                        source.drawnKind == "temperature" ? OutlookKind::kTemperature : OutlookKind::kPrecipitation,
                        *Shorelines());
}

std::optional<std::string> PictureService::Produce(const PictureSource& source, const ImageRow& row,
                                                   Deadline deadline) {
  if (!source.drawnKind.empty()) return Drawn(source, deadline);
  return Fetched(source.url, FormatOfFile(row.file), deadline);
}

std::optional<std::string> PictureService::Fetched(const std::string& source_url, PictureFormat target,
                                                   Deadline deadline) {
  std::string url = source_url;
  if (!options_.picturesBase.empty()) url = options_.picturesBase + "/" + url.substr(url.find("://") + 3);
  FetchResult r = upstream_.Get(url, deadline);
  if (!r.ok) return std::nullopt;
  PictureLimits limits;
  Converted c = ConvertPicture(r.body, target, limits);
  if (!c.ok) {
    if (log_) log_("upstream " + url + " failed: " + c.error);
    return std::nullopt;
  }
  return std::move(c.bytes);
}

historic::Reply PictureService::Picture(const std::string& host, const std::string& path, Deadline deadline) {
  const ImageRow* row = RowForRequest(host, path);
  if (row == nullptr) return Text(404, "Not Found", "No picture of the catalogue is at http://" + host + path + ".");
  const PictureSource* source = SourceForCommand(row->command);
  if (source == nullptr || !source->Live()) {
    return Text(404, "No source",
                PlainCaption(row->caption) + ": no live source today (" +
                    (source == nullptr ? std::string("not in the table") : source->Reason()) + ").");
  }
  const std::string key = row->command;
  std::optional<Entry> hit = Find(key);
  const std::int64_t now = clock_.MonotonicMs();
  if (hit && now - hit->storedMs < source->minutes * 60'000LL) return Kept(hit->reply, now - hit->storedMs, false);
  if (std::optional<std::string> bytes = Produce(*source, *row, deadline)) {
    historic::Reply reply = Fresh(FormatOfFile(row->file), std::move(*bytes), source->minutes);
    Put(key, reply);
    return reply;
  }
  if (hit && now - hit->storedMs < options_.staleLimitSeconds * 1000) {
    if (log_) log_("serving " + key + " from the cache, " + std::to_string((now - hit->storedMs) / 1000) + " s old");
    return Kept(hit->reply, now - hit->storedMs, true);
  }
  return Text(502, "Bad Gateway", "The live source for " + PlainCaption(row->caption) + " did not answer.");
}

historic::Reply PictureService::LocalRadar(GeoPoint place, const std::string& title, Deadline deadline) {
  const LocalRadarChoice choice = ChooseLocalRadar(place, Radars());
  if (choice.url.empty()) return Text(404, "No source", "Local Radar for " + title + ": " + choice.reason + ".");
  const std::string key = "local " + choice.url;
  std::optional<Entry> hit = Find(key);
  const std::int64_t now = clock_.MonotonicMs();
  if (hit && now - hit->storedMs < choice.minutes * 60'000LL) return Kept(hit->reply, now - hit->storedMs, false);
  if (std::optional<std::string> bytes = Fetched(choice.url, PictureFormat::kGif, deadline)) {
    historic::Reply reply = Fresh(PictureFormat::kGif, std::move(*bytes), choice.minutes);
    Put(key, reply);
    return reply;
  }
  if (hit && now - hit->storedMs < options_.staleLimitSeconds * 1000)
    return Kept(hit->reply, now - hit->storedMs, true);
  return Text(502, "Bad Gateway", "The " + choice.what + " did not answer.");
}

}  // namespace sky::gateway
