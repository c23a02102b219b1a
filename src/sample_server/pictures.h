// The weather pictures of the sample server, drawn here: radar and satellite
// images, outlook maps, camera views and the animated storm watch, as GIF
// where the file name says GIF and JPEG otherwise. Made up but plausible,
// the same for one path throughout one UTC hour.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "historic/site.h"

namespace sky::sample {

using historic::Reply;
using historic::Request;
using historic::Router;
using historic::Site;

struct RgbImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
};

enum class PictureKind {
  Radar,
  Satellite,
  Infrared,
  GlobalTemp,
  TempOutlook,
  PrecOutlook,
  Seasonal,
  Camera,
  StormWatch
};

// One picture: its size and look (seeded by the path and the hour).
RgbImage DrawPicture(PictureKind kind, int width, int height, std::uint32_t seed, int frame = 0);

// A still GIF (256 colours) or an animated one of several frames.
std::string EncodeGifPicture(const std::vector<RgbImage>& frames, int delayCentiseconds);
std::string EncodeJpegPicture(const RgbImage& image, int quality = 80);

struct PictureOptions {
  // The Purdue radar answers with a picture below 10000 bytes, so that the
  // program falls back to the picture two hours older.
  bool smallPurdueRadar = false;
  // Paths (on any picture host) answered with 404.
  std::set<std::string> missing;
};

// A site for every picture host of the catalogue, added to (or replacing
// those in) the router.
void AddPictureSites(Router& router, const PictureOptions& options = {});

}  // namespace sky::sample
