// The picture rows of the catalogue answered from their sources of today
// (picture_sources.tsv): fetched, converted to the row's format, or drawn;
// kept per the source's update rate in a cache bounded in bytes; the last
// good picture stands in for a failing source for a while.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "common/clock.h"
#include "gateway/coastlines.h"
#include "gateway/geo.h"
#include "gateway/picture_convert.h"
#include "gateway/options.h"
#include "gateway/outlook_map.h"
#include "gateway/pictures.h"
#include "gateway/upstream.h"
#include "historic/site.h"

namespace sky::gateway {

class PictureService {
 public:
  PictureService(const Options& options, IUpstream& upstream, const IClock& clock,
                 std::function<void(const std::string&)> log);

  // A catalogue picture by the host and path the program asks for: 200 with
  // the picture, 404 naming the reason for a row without a source (or a path
  // that is no row), 502 when the source fails and nothing recent is kept.
  historic::Reply Picture(const std::string& host, const std::string& path, Deadline deadline);

  // "Local Radar" for a place: the nearest radar's loop (or the satellite
  // loop covering it) as a GIF, or 404 with the reason there is none.
  historic::Reply LocalRadar(GeoPoint place, const std::string& title, Deadline deadline);

  std::size_t CachedBytes() const;

 private:
  struct Entry {
    historic::Reply reply;
    std::int64_t storedMs = 0;
  };
  std::optional<Entry> Find(const std::string& key) const;
  void Put(const std::string& key, const historic::Reply& reply);
  std::optional<std::string> Produce(const PictureSource& source, const ImageRow& row, Deadline deadline);
  std::optional<std::string> Fetched(const std::string& url, PictureFormat target, Deadline deadline);
  std::optional<std::string> Drawn(const PictureSource& source, Deadline deadline);
  const Coastlines* Shorelines();

  Options options_;
  IUpstream& upstream_;
  const IClock& clock_;
  std::function<void(const std::string&)> log_;
  mutable std::mutex mutex_;
  std::map<std::string, Entry> entries_;
  std::size_t bytes_ = 0;
  std::map<std::string, std::pair<OutlookGrid, std::int64_t>> grids_;  // by region, with the time fetched
  std::once_flag coastOnce_;
  std::unique_ptr<Coastlines> coast_;
};

}  // namespace sky::gateway
