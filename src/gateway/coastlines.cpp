#include "gateway/coastlines.h"

#include <netcdf.h>

#include <cstdint>

namespace sky::gateway {

namespace {

class NcFile {
 public:
  explicit NcFile(const std::string& path) { status_ = nc_open(path.c_str(), NC_NOWRITE, &id_); }
  ~NcFile() {
    if (status_ == NC_NOERR) nc_close(id_);
  }
  NcFile(const NcFile&) = delete;
  NcFile& operator=(const NcFile&) = delete;
  bool Open() const { return status_ == NC_NOERR; }
  std::string Error() const { return nc_strerror(status_); }

  bool Int(const char* name, int& value) const {
    int var = 0;
    return nc_inq_varid(id_, name, &var) == NC_NOERR && nc_get_var_int(id_, var, &value) == NC_NOERR;
  }
  template <typename T>
  bool Array(const char* name, std::size_t count, std::vector<T>& out) const {
    int var = 0, dim = 0, ndims = 0;
    std::size_t len = 0;
    if (nc_inq_varid(id_, name, &var) != NC_NOERR || nc_inq_varndims(id_, var, &ndims) != NC_NOERR || ndims != 1 ||
        nc_inq_vardimid(id_, var, &dim) != NC_NOERR || nc_inq_dimlen(id_, dim, &len) != NC_NOERR || len < count)
      return false;
    out.resize(len);
    if constexpr (sizeof(T) == 2) {
      return nc_get_var_short(id_, var, reinterpret_cast<short*>(out.data())) == NC_NOERR;
    } else {
      return nc_get_var_int(id_, var, reinterpret_cast<int*>(out.data())) == NC_NOERR;
    }
  }

 private:
  int id_ = -1;
  int status_ = NC_NOERR;
};

}  // namespace

bool LoadCoastlines(const std::string& path, int max_level, Coastlines& out, std::string& error) {
  out.lines.clear();
  NcFile nc(path);
  if (!nc.Open()) return error = path + ": " + nc.Error(), false;
  int bin_minutes = 0, bins_x = 0, bins = 0, segments = 0, points = 0;
  if (!nc.Int("Bin_size_in_minutes", bin_minutes) || !nc.Int("N_bins_in_360_longitude_range", bins_x) ||
      !nc.Int("N_bins_in_file", bins) || !nc.Int("N_segments_in_file", segments) ||
      !nc.Int("N_points_in_file", points) || bin_minutes <= 0 || bins_x <= 0 || bins <= 0)
    return error = path + ": not a binned shoreline file", false;
  std::vector<std::int32_t> first_segment, segment_info, first_point;
  std::vector<std::uint16_t> segments_in_bin, dx, dy;
  if (!nc.Array("Id_of_first_segment_in_a_bin", static_cast<std::size_t>(bins), first_segment) ||
      !nc.Array("N_segments_in_a_bin", static_cast<std::size_t>(bins), segments_in_bin) ||
      !nc.Array("Embedded_npts_levels_exit_entry_for_a_segment", static_cast<std::size_t>(segments), segment_info) ||
      !nc.Array("Id_of_first_point_in_a_segment", static_cast<std::size_t>(segments), first_point) ||
      !nc.Array("Relative_longitude_from_SW_corner_of_bin", static_cast<std::size_t>(points), dx) ||
      !nc.Array("Relative_latitude_from_SW_corner_of_bin", static_cast<std::size_t>(points), dy))
    return error = path + ": not a binned shoreline file", false;
  const double bin_deg = bin_minutes / 60.0;
  // Point offsets are 1/65535 of a bin from its south-west corner; bins are
  // numbered from the north-west, a row of bins_x per band of latitude.
  const double scale = bin_deg / 65535.0;
  for (int b = 0; b < bins; ++b) {
    const double lon0 = (b % bins_x) * bin_deg;
    const double lat0 = 90.0 - (b / bins_x + 1) * bin_deg;
    for (int k = 0; k < segments_in_bin[b]; ++k) {
      const std::int64_t s = static_cast<std::int64_t>(first_segment[b]) + k;
      if (s < 0 || s >= segments) return error = path + ": segment out of range", false;
      const std::uint32_t info = static_cast<std::uint32_t>(segment_info[s]);
      const int level = static_cast<int>((info >> 6) & 7u);
      const std::int64_t n = info >> 9;
      const std::int64_t p0 = first_point[s];
      if (p0 < 0 || p0 + n > points) return error = path + ": point out of range", false;
      if (level > max_level || n < 2) continue;
      GeoLine line;
      line.lon.reserve(static_cast<std::size_t>(n));
      line.lat.reserve(static_cast<std::size_t>(n));
      for (std::int64_t i = p0; i < p0 + n; ++i) {
        line.lon.push_back(static_cast<float>(lon0 + dx[i] * scale));
        line.lat.push_back(static_cast<float>(lat0 + dy[i] * scale));
      }
      out.lines.push_back(std::move(line));
    }
  }
  if (out.lines.empty()) return error = path + ": no shorelines", false;
  return true;
}

}  // namespace sky::gateway
